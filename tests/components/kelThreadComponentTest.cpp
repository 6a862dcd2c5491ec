// The thread component and the thread timer.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Streaming.h"
#include "components/kelPlatformHooks.h"
#include "components/kelThreadComponent.h"
#include "kelTestSupport.h"

// At file level, so that its class name is plain.
class EFoo : public Exception {
public:
    using Exception::Exception;
};

namespace {

struct Event {
    HANDLE handle = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // auto-reset
    ~Event() { CloseHandle(handle); }
    bool Wait(DWORD ms = 5000) const { return WaitForSingleObject(handle, ms) == WAIT_OBJECT_0; }
};

// Records the message boxes components would show, for the life of the object.
class MessageBoxRecorder {
public:
    struct Box {
        HWND owner;
        std::string text, caption;
        UINT flags;
    };
    MessageBoxRecorder() {
        kelPlatformHooks().MessageBoxEx = [this](HWND owner, const std::string& text, const std::string& caption,
                                                 UINT flags) {
            boxes.push_back({owner, text, caption, flags});
            return IDOK;
        };
    }
    ~MessageBoxRecorder() { kelPlatformHooks().MessageBoxEx = nullptr; }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    std::vector<Box> boxes;
};

// A duplicate of the thread handle that stays valid after the thread object has gone.
HANDLE KeepHandle(HANDLE thread) {
    HANDLE kept = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &kept, SYNCHRONIZE | THREAD_TERMINATE, FALSE, 0);
    return kept;
}

// Kills the thread once the time is up: a main thread that would wait for it for
// ever gets back, and the test fails instead of hanging the run.
class Watchdog {
public:
    Watchdog(HANDLE thread, DWORD ms) : m_thread(thread), m_ms(ms) {
        m_watch = ::CreateThread(nullptr, 0, &Watchdog::Watch, this, 0, nullptr);
    }
    ~Watchdog() {
        SetEvent(m_stop.handle);
        WaitForSingleObject(m_watch, INFINITE);
        CloseHandle(m_watch);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    bool Fired() const { return m_isFired.load(); }

private:
    static DWORD WINAPI Watch(void* parameter) {
        auto* self = static_cast<Watchdog*>(parameter);
        if (!self->m_stop.Wait(self->m_ms)) {
            self->m_isFired.store(true);
            TerminateThread(self->m_thread, 0);
        }
        return 0;
    }
    HANDLE m_thread;
    DWORD m_ms;
    Event m_stop;
    HANDLE m_watch = nullptr;
    std::atomic<bool> m_isFired{false};
};

}  // namespace

TEST(kelThreadComponent, WhileDesignedItKeepsCopiesAndHasNoThread) {
    TComponent form(nullptr);
    form.SetDesigning(true);
    auto* component = new TkelThreadComponent(&form);
    EXPECT_TRUE(component->Terminated());
    EXPECT_EQ(nullptr, component->Handle());
    EXPECT_EQ(0u, component->ThreadID());
    EXPECT_EQ(0u, component->WaitFor());
    EXPECT_TRUE(component->Suspended());
    component->SetSuspended(false);
    component->SetPriority(tpHigher);
    component->SetReturnValue(3);
    EXPECT_FALSE(component->Suspended());
    EXPECT_EQ(tpHigher, component->Priority());
    EXPECT_EQ(3, component->ReturnValue());
    component->Execute();  // nothing to run
}

TEST(kelThreadComponent, StartsSuspendedAndRunsTheHandlerOncePerStart) {
    TComponent form(nullptr);
    auto* component = new TkelThreadComponent(&form);
    EXPECT_TRUE(component->Suspended());
    EXPECT_FALSE(component->Terminated());
    EXPECT_NE(nullptr, component->Handle());
    std::atomic<int> runs{0};
    TObject* sender = nullptr;
    component->SetOnExecute([&](TObject* s) {
        sender = s;
        ++runs;
    });
    component->SetSuspended(false);
    component->WaitFor();
    EXPECT_EQ(1, runs.load());
    EXPECT_EQ(component, sender);
    // Execute starts a new thread with the same settings.
    component->SetPriority(tpLower);
    component->SetSynchronized(true);
    DWORD ranOn = 0;
    component->SetOnExecute([&](TObject*) {
        ranOn = GetCurrentThreadId();
        ++runs;
    });
    component->Execute();
    component->WaitFor();
    EXPECT_EQ(2, runs.load());
    EXPECT_EQ(GetCurrentThreadId(), ranOn);
    EXPECT_EQ(tpLower, component->Priority());
    EXPECT_TRUE(component->Synchronized());
}

TEST(kelThreadComponent, CreatingTheThreadAgainFinishesTheOldOneAndKeepsItsSettings) {
    TComponent form(nullptr);
    auto* component = new TkelThreadComponent(&form);
    std::atomic<int> runs{0};
    component->SetOnExecute([&](TObject*) { ++runs; });
    component->SetPriority(tpLower);
    HANDLE old = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), component->Handle(), GetCurrentProcess(), &old, SYNCHRONIZE,
                                FALSE, 0));
    component->CreateThread();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(old, 0)) << "no orphan is left to call the component";
    CloseHandle(old);
    EXPECT_EQ(0, runs.load()) << "the old thread ended without running the handler";
    EXPECT_EQ(tpLower, component->Priority());
    EXPECT_TRUE(component->Suspended());
    component->Resume();
    component->WaitFor();
    EXPECT_EQ(1, runs.load());
}

TEST(kelThreadComponent, ItsOwnThreadCannotReplaceItsThread) {
    using Operation = void (*)(TkelThreadComponent*);
    const struct {
        const char* name;
        Operation operation;
    } rows[] = {
        {"CreateThread", [](TkelThreadComponent* c) { c->CreateThread(); }},
        {"Execute", [](TkelThreadComponent* c) { c->Execute(); }},
        {"TerminateHard", [](TkelThreadComponent* c) { c->TerminateHard(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TComponent form(nullptr);
        auto* component = new TkelThreadComponent(&form);
        Event done;
        std::atomic<int> runs{0};
        bool refused = false;
        component->SetOnExecute([&](TObject*) {
            if (runs++ > 0) return;
            try {
                row.operation(component);
            } catch (const EThread&) {
                refused = true;
            }
            SetEvent(done.handle);
        });
        const DWORD id = component->ThreadID();
        component->Resume();
        ASSERT_TRUE(done.Wait());
        EXPECT_TRUE(refused);
        EXPECT_EQ(id, component->ThreadID());
        if (id == component->ThreadID()) {
            EXPECT_EQ(0u, component->WaitFor());
        }
    }
}

// Handlers run on the main thread while the component's thread waits there for
// them to return. Freeing the component or making its thread again lets that
// thread go, to end by itself; waiting for it is refused rather than hanging.
TEST(kelThreadComponent, AHandlerItsThreadWaitsForLetsTheThreadGoAndCannotWaitForIt) {
    enum Handler { kSynchronizedExecute, kSynchronizedTimer, kTerminate, kException, kNested };
    enum Action { kFree, kCreateThread, kWaitFor, kTerminateWaitFor };
    const char* const handlerNames[] = {"synchronized OnExecute", "synchronized OnTimer", "OnTerminate", "OnException",
                                        "inside another thread's synchronized OnExecute"};
    const char* const actionNames[] = {"free", "CreateThread", "WaitFor", "TerminateWaitFor"};
    for (Handler handler : {kSynchronizedExecute, kSynchronizedTimer, kTerminate, kException, kNested}) {
        for (Action action : {kFree, kCreateThread, kWaitFor, kTerminateWaitFor}) {
            SCOPED_TRACE(std::string(handlerNames[handler]) + ", " + actionNames[action]);
            TComponent form(nullptr);
            TkelCustomThreadComponent* component = nullptr;
            bool ran = false, refused = false;
            const auto act = [&] {
                if (ran) return;
                ran = true;
                try {
                    switch (action) {
                        case kFree: delete component; break;
                        case kCreateThread: component->CreateThread(); break;
                        case kWaitFor: component->WaitFor(); break;
                        case kTerminateWaitFor: component->TerminateWaitFor(); break;
                    }
                } catch (const EThread&) {
                    refused = true;
                }
            };
            if (handler == kSynchronizedTimer) {
                auto* timer = new TkelThreadTimer(&form);
                timer->SetSynchronized(true);
                timer->SetInterval(10);
                timer->SetOnTimer([&](TObject*) { act(); });
                component = timer;
            } else {
                auto* thread = new TkelThreadComponent(&form);
                if (handler == kSynchronizedExecute) {
                    thread->SetSynchronized(true);
                    thread->SetOnExecute([&](TObject*) { act(); });
                } else if (handler == kTerminate) {
                    thread->SetOnTerminate([&](TObject*) { act(); });
                } else if (handler == kException) {
                    thread->SetOnExecute([](TObject*) { throw EFoo("x"); });
                    thread->SetOnException([&](const std::exception&) { act(); });
                } else {
                    auto* other = new TkelThreadComponent(&form);
                    other->SetSynchronized(true);
                    other->SetOnExecute([&](TObject*) { act(); });
                    thread->SetSynchronized(true);
                    thread->SetOnExecute([other](TObject*) {
                        other->Resume();
                        other->WaitFor();
                    });
                }
                component = thread;
            }
            const DWORD id = component->ThreadID();
            const HANDLE first = KeepHandle(component->Handle());
            {
                Watchdog watchdog(first, 5000);
                if (handler == kSynchronizedTimer)
                    static_cast<TkelThreadTimer*>(component)->SetEnabled(true);
                else
                    component->Resume();
                EXPECT_TRUE(PumpUntil([&] { return ran; }, 10000));
                if (action == kFree || action == kCreateThread) {
                    EXPECT_TRUE(PumpUntil([&] { return WaitForSingleObject(first, 0) == WAIT_OBJECT_0; }, 10000))
                        << "the thread let go ends by itself";
                } else {
                    delete component;
                }
                EXPECT_FALSE(watchdog.Fired()) << "hung";
            }
            EXPECT_EQ(action == kWaitFor || action == kTerminateWaitFor, refused);
            if (action == kCreateThread) {
                EXPECT_NE(id, component->ThreadID());
            }
            CloseHandle(first);
        }
    }
}

TEST(kelThreadComponent, AHandlersExceptionIsShownOnTheMainThreadNamingComponentClassAndMessage) {
    MessageBoxRecorder recorder;
    const std::string title = Application->Title();
    Application->SetTitle("kel test");
    TComponent form(nullptr);
    auto* component = new TkelThreadComponent(&form);
    component->SetName("T1");
    bool after = false;
    component->SetOnExecute([&](TObject*) { throw EFoo("x"); });
    component->SetOnTerminate([&](TObject*) { after = true; });
    component->Resume();
    component->WaitFor();
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ("Thread T1 raised exception class EFoo with message \"x\".", recorder.boxes[0].text);
    EXPECT_EQ("kel test", recorder.boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR | MB_SETFOREGROUND), recorder.boxes[0].flags);
    EXPECT_EQ(kelAppHandle(), recorder.boxes[0].owner);
    // The thread went on to its end.
    EXPECT_TRUE(after);

    // With OnException the handler gets the exception instead, on the main thread.
    std::string message;
    DWORD shownOn = 0;
    component->SetOnException([&](const std::exception& error) {
        message = error.what();
        shownOn = GetCurrentThreadId();
    });
    component->Execute();
    component->WaitFor();
    EXPECT_EQ("x", message);
    EXPECT_EQ(GetCurrentThreadId(), shownOn);
    EXPECT_EQ(1u, recorder.boxes.size());
    Application->SetTitle(title);
}

TEST(kelThreadComponent, TerminateHardReplacesAThreadThatDoesNotEnd) {
    Event started;
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> runs{0};
    {
        TComponent form(nullptr);
        auto* component = new TkelThreadComponent(&form);
        component->SetOnExecute([&](TObject*) {
            ++runs;
            SetEvent(started.handle);
            WaitForSingleObject(never, INFINITE);
        });
        component->Resume();
        ASSERT_TRUE(started.Wait());
        const DWORD first = component->ThreadID();
        component->Execute();
        ASSERT_TRUE(started.Wait());
        EXPECT_EQ(2, runs.load());
        EXPECT_NE(first, component->ThreadID());
        // The second run ends once it is let go; freeing the form waits for it.
        SetEvent(never);
    }
    CloseHandle(never);
}

TEST(kelThreadComponent, StreamedSuspendedAndSynchronizedTakeEffectAfterLoading) {
    TMemoryStream stream;
    {
        TComponent root(nullptr);
        root.SetName("Form1");
        auto* component = new TkelThreadComponent(&root);
        component->SetName("Thread1");
        component->About = "not stored";
        component->SetSuspended(false);
        component->SetSynchronized(true);
        component->WaitFor();
        WriteComponent(stream, &root);
    }
    const std::string bytes(stream.Bytes().begin(), stream.Bytes().end());
    EXPECT_EQ(std::string::npos, bytes.find("About"));
    stream.SetPosition(0);
    TComponent root(nullptr);
    ReadComponent(stream, &root);
    auto* component = dynamic_cast<TkelThreadComponent*>(root.FindComponent("Thread1"));
    ASSERT_NE(nullptr, component);
    EXPECT_TRUE(component->Synchronized());
    // Resumed by Loaded: with no handler the thread simply ends.
    EXPECT_FALSE(component->Suspended());
    component->WaitFor();
}

TEST(kelThreadTimer, IsCreatedDisabledAndTicksOnceEnabled) {
    TComponent form(nullptr);
    auto* timer = new TkelThreadTimer(&form);
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(1000u, timer->Interval());
    Event tick;
    std::atomic<int> ticks{0};
    timer->SetOnTimer([&](TObject* sender) {
        EXPECT_EQ(timer, sender);
        ++ticks;
        SetEvent(tick.handle);
    });
    timer->SetInterval(20);
    EXPECT_EQ(20u, timer->Thread()->Interval());
    timer->SetEnabled(true);
    EXPECT_TRUE(timer->Enabled());
    while (ticks.load() < 2) ASSERT_TRUE(tick.Wait());
    timer->SetEnabled(false);
    EXPECT_FALSE(timer->Enabled());
}
