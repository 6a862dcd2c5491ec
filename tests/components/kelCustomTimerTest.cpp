// The window timer: its invariant, real ticks, and errors raised by a tick.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "components/kelComponents.h"
#include "components/kelPlatformHooks.h"
#include "kelTestSupport.h"

namespace {

// Opens the protected timer properties to the tests.
class TTestTimer : public TkelCustomTimer {
public:
    using TkelCustomTimer::TkelCustomTimer;
    using TkelCustomTimer::Enabled;
    using TkelCustomTimer::Interval;
    using TkelCustomTimer::OnTimer;
    using TkelCustomTimer::SetEnabled;
    using TkelCustomTimer::SetInterval;
    using TkelCustomTimer::SetOnTimer;
};

// Records every SetTimer the component makes, passing it on (or refusing it).
class TimerRecorder {
public:
    TimerRecorder() {
        kelPlatformHooks().SetTimer = [this](HWND window, UINT_PTR id, UINT ms) -> UINT_PTR {
            starts.push_back(ms);
            if (refuse) return 0;
            return ::SetTimer(window, id, ms, nullptr);
        };
    }
    ~TimerRecorder() { kelPlatformHooks().SetTimer = nullptr; }
    // Whether the last change started a timer (UpdateTimer kills it first, always).
    bool StartedSince(size_t& seen) {
        const bool started = starts.size() > seen;
        seen = starts.size();
        return started;
    }
    std::vector<UINT> starts;
    bool refuse = false;
};

}  // namespace

TEST(kelCustomTimer, ATimerRunsExactlyWhileIntervalEnabledAndHandlerAreSet) {
    TimerRecorder recorder;
    size_t seen = 0;
    TTestTimer timer(nullptr);
    EXPECT_TRUE(IsWindow(timer.WindowHandle()));
    EXPECT_FALSE(IsWindowVisible(timer.WindowHandle()));
    EXPECT_EQ(1000u, timer.Interval());
    EXPECT_TRUE(timer.Enabled());
    EXPECT_FALSE(recorder.StartedSince(seen));  // no handler yet

    timer.SetOnTimer([](TObject*) {});
    EXPECT_TRUE(recorder.StartedSince(seen));
    EXPECT_EQ(1000u, recorder.starts.back());
    timer.SetInterval(1000);  // unchanged: the running timer is left alone
    EXPECT_FALSE(recorder.StartedSince(seen));
    timer.SetInterval(0);
    EXPECT_FALSE(recorder.StartedSince(seen));
    timer.SetInterval(250);
    EXPECT_TRUE(recorder.StartedSince(seen));
    EXPECT_EQ(250u, recorder.starts.back());
    timer.SetEnabled(false);
    EXPECT_FALSE(recorder.StartedSince(seen));
    timer.SetInterval(300);  // disabled: stores only
    EXPECT_FALSE(recorder.StartedSince(seen));
    timer.SetEnabled(true);
    EXPECT_TRUE(recorder.StartedSince(seen));
    timer.SetOnTimer(timer.OnTimer());  // the same handler again restarts it
    EXPECT_TRUE(recorder.StartedSince(seen));
    timer.SetOnTimer(nullptr);
    EXPECT_FALSE(recorder.StartedSince(seen));
    EXPECT_FALSE(KillTimer(timer.WindowHandle(), 1));  // nothing was left running
}

TEST(kelCustomTimer, RefusedTimersRaiseAndKeepTheNewValue) {
    TimerRecorder recorder;
    TTestTimer timer(nullptr);
    timer.SetOnTimer([](TObject*) {});
    recorder.refuse = true;
    try {
        timer.SetInterval(50);
        FAIL() << "no error";
    } catch (const EOutOfResources& e) {
        EXPECT_EQ("Not enough timers available", e.Message());
    }
    EXPECT_EQ(50u, timer.Interval());
}

TEST(kelCustomTimer, TicksArriveAndAFailingTickIsReportedWithoutStoppingThem) {
    ExceptionRecorder errors;
    TTestTimer timer(nullptr);
    timer.SetName("Timer1");
    int ticks = 0;
    timer.SetOnTimer([&](TObject* sender) {
        EXPECT_EQ(&timer, sender);
        if (++ticks == 1) throw std::runtime_error("first tick failed");
    });
    // A WM_TIMER of any identifier runs the tick; the error goes to the application.
    SendMessageA(timer.WindowHandle(), WM_TIMER, 7, 0);
    EXPECT_EQ(1, ticks);
    EXPECT_EQ((std::vector<std::string>{"first tick failed"}), errors.messages);
    EXPECT_EQ((std::vector<TObject*>{&timer}), errors.senders);

    timer.SetInterval(10);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    EXPECT_EQ(1u, errors.messages.size());

    // Other messages get the default processing.
    EXPECT_EQ(DefWindowProcA(timer.WindowHandle(), WM_GETTEXTLENGTH, 0, 0),
              SendMessageA(timer.WindowHandle(), WM_GETTEXTLENGTH, 0, 0));
}

TEST(kelCustomTimer, DestructionKillsTheTimerAndTheWindow) {
    auto* timer = new TTestTimer(nullptr);
    int ticks = 0;
    timer->SetOnTimer([&](TObject*) { ++ticks; });
    timer->SetInterval(1);
    HWND window = timer->WindowHandle();
    delete timer;
    EXPECT_FALSE(IsWindow(window));
    Sleep(20);
    PumpMessages();
    EXPECT_EQ(0, ticks);
}
