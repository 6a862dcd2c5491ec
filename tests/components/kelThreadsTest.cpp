// kelClasses' threads: event and timer threads, the folder and registry change
// monitors, and the copy threads. Every wait ends on an event or a time-out.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "classlib/Registry.h"
#include "components/kelClasses.h"
#include "kelTestSupport.h"
#include "tests/TestFolder.h"

namespace {

struct Event {
    HANDLE handle = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // auto-reset
    ~Event() { CloseHandle(handle); }
    bool Wait(DWORD ms = 5000) const { return WaitForSingleObject(handle, ms) == WAIT_OBJECT_0; }
};

void Write(const std::string& fileName, const std::string& text) {
    TestFolder::WriteBytes(fileName, text);
}

// A key of the test's own under HKEY_CURRENT_USER\Software, removed at both ends.
class TestKey {
public:
    TestKey() : m_base("Software\\kelTest_" + std::to_string(GetCurrentProcessId()) + "_monitor") { Delete(); }
    ~TestKey() { Delete(); }
    const std::string& Base() const { return m_base; }
    std::string Watched() const { return m_base + "\\Watched"; }
    void Create(const std::string& key) const {
        HKEY handle = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &handle, nullptr));
        RegCloseKey(handle);
    }
    void Delete() const {
        TRegistry registry;
        registry.RootKey = HKEY_CURRENT_USER;
        registry.DeleteKey(m_base);
    }

private:
    std::string m_base;
};

// Makes new files in the folder until the monitor has reported a change: a watch
// armed after the first file was made would not see that one. False after 5 s.
bool ChangeFolderUntilReported(const std::string& folder, const int& changes) {
    const DWORD start = GetTickCount();
    for (int n = 1; changes == 0; ++n) {
        if (GetTickCount() - start > 5000) return false;
        Write(folder + "\\new" + std::to_string(n) + ".txt", "x");
        PumpUntil([&] { return changes > 0; }, 100);
    }
    return true;
}

// Writes the value again and again until the monitor has reported a change.
bool ChangeValueUntilReported(const std::string& key, const int& changes) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return false;
    const DWORD start = GetTickCount();
    for (DWORD n = 1; changes == 0; ++n) {
        if (GetTickCount() - start > 5000) break;
        RegSetValueExA(handle, "Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n);
        PumpUntil([&] { return changes > 0; }, 100);
    }
    RegCloseKey(handle);
    return changes > 0;
}

// Ends a self-freeing monitor thread and waits, pumping, until it is gone.
template <class T>
void EndMonitor(T* thread) {
    bool ended = false;
    thread->SetOnTerminate([&](TObject*) { ended = true; });
    thread->Terminate();
    EXPECT_TRUE(PumpUntil([&] { return ended; }, 5000));
}

}  // namespace

TEST(kelEventThread, RunsItsHandlerInTheThreadOrSynchronizedOnTheMainThread) {
    for (bool synchronized : {false, true}) {
        DWORD ranOn = 0;
        TObject* sender = nullptr;
        TkelEventThread thread(true);
        thread.SetSynchronized(synchronized);
        thread.SetOnExecute([&](TObject* s) {
            ranOn = GetCurrentThreadId();
            sender = s;
        });
        thread.Resume();
        thread.WaitFor();
        EXPECT_EQ(&thread, sender);
        EXPECT_EQ(synchronized, ranOn == GetCurrentThreadId()) << synchronized;
        EXPECT_FALSE(thread.Finished());
    }
}

TEST(kelTimerThread, TicksAndTakesANewIntervalAtOnce) {
    Event tick;
    std::atomic<int> ticks{0};
    auto* timer = new TkelTimerThread;
    EXPECT_EQ(1000u, timer->Interval());
    EXPECT_TRUE(timer->Suspended());
    timer->SetInterval(60000);
    timer->SetOnExecute([&](TObject*) {
        ++ticks;
        SetEvent(tick.handle);
    });
    timer->Resume();
    // The long wait that has begun ends as soon as the interval changes.
    timer->SetInterval(20);
    EXPECT_TRUE(tick.Wait());
    // Paused at its wait: Suspended reads true, and resuming lets it tick again.
    timer->Suspend();
    EXPECT_TRUE(timer->Suspended());
    const int paused = ticks.load();
    timer->Resume();
    EXPECT_FALSE(timer->Suspended());
    while (ticks.load() <= paused) ASSERT_TRUE(tick.Wait());
    // No interval: the ticks follow one another without pause.
    timer->SetInterval(0);
    const int before = ticks.load();
    while (ticks.load() < before + 3) ASSERT_TRUE(tick.Wait());
    // Freed with a long interval and paused: the destructor wakes it.
    timer->SetInterval(60000);
    timer->Suspend();
    const DWORD start = GetTickCount();
    delete timer;
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST(kelFolderMonitorThread, ReportsChangesOnTheMainThreadAndFollowsNewOptions) {
    TestFolder first;
    TestFolder second;
    int changes = 0;
    DWORD ranOn = 0;
    auto* thread = new TkelFolderMonitorThread([&] {
        ++changes;
        ranOn = GetCurrentThreadId();
    });
    EXPECT_TRUE(thread->FreeOnTerminate());
    thread->SetDirectoryOptions("  " + first.Path() + " ", false, FILE_NOTIFY_CHANGE_FILE_NAME);
    thread->Resume();
    EXPECT_TRUE(ChangeFolderUntilReported(first.Path(), changes));
    EXPECT_EQ(GetCurrentThreadId(), ranOn);

    // New options while it waits: the thread watches the second folder.
    thread->SetDirectoryOptions(second.Path(), false, FILE_NOTIFY_CHANGE_FILE_NAME);
    changes = 0;
    EXPECT_TRUE(ChangeFolderUntilReported(second.Path(), changes));
    EndMonitor(thread);
}

TEST(kelFolderMonitorThread, AFolderThatCannotBeWatchedEndsTheThreadQuietly) {
    bool ended = false;
    auto* thread = new TkelFolderMonitorThread([] {});
    thread->SetOnTerminate([&](TObject*) { ended = true; });
    thread->SetDirectoryOptions("Z:\\kel\\no such folder", true, FILE_NOTIFY_CHANGE_FILE_NAME);
    thread->Resume();
    EXPECT_TRUE(PumpUntil([&] { return ended; }, 5000));
}

TEST(kelRegistryMonitorThread, ReportsValuesAndTheKeyGoingAndComingBack) {
    TestKey key;
    key.Create(key.Watched());
    int changes = 0;
    auto* thread = new TkelRegistryMonitorThread([&] { ++changes; });
    thread->SetRegistryKeyOptions(HKEY_CURRENT_USER, key.Watched(), true,
                                  REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET);
    thread->Resume();
    EXPECT_TRUE(ChangeValueUntilReported(key.Watched(), changes)) << "value";
    // Each report comes once the thread watches again, so the next step is seen.
    for (const char* step : {"deleted", "created", "deleted again"}) {
        changes = 0;
        if (std::string(step) == "created")
            key.Create(key.Watched());
        else
            RegDeleteKeyA(HKEY_CURRENT_USER, key.Watched().c_str());
        EXPECT_TRUE(PumpUntil([&] { return changes > 0; }, 5000)) << step;
    }
    EndMonitor(thread);
}

TEST(kelCopyThread, CopiesIntoANewFolderAndReportsProgress) {
    TestFolder folder;
    Write(folder.File("source.bin"), std::string(200000, 'k'));
    std::vector<uint32_t> copied;
    uint32_t total = 0;
    bool finished = false;
    auto* thread = new TkelLocalCopyThread(
        folder.File("source.bin"), folder.File("sub\\dir\\dest.bin"), false, true, nullptr,
        [&](TObject*, uint32_t done, uint32_t size, bool&) {
            copied.push_back(done);
            total = size;
        },
        [&](TObject*) { finished = true; }, nullptr);
    thread->Resume();
    thread->WaitFor();
    EXPECT_TRUE(finished);
    EXPECT_TRUE(thread->Finished());
    EXPECT_EQ(0, thread->ReturnValue());
    EXPECT_EQ(200000u, total);
    ASSERT_GE(copied.size(), 3u);  // before, per chunk, after
    EXPECT_EQ(0u, copied.front());
    EXPECT_EQ(200000u, copied.back());
    EXPECT_EQ(std::string(200000, 'k'), TestFolder::ReadBytes(folder.File("sub\\dir\\dest.bin")));
    delete thread;
}

TEST(kelCopyThread, ACancelledCopyStopsAndStillFinishes) {
    TestFolder folder;
    Write(folder.File("source.bin"), std::string(300000, 'k'));
    int progress = 0, errors = 0;
    bool finished = false;
    auto* thread = new TkelLocalCopyThread(
        folder.File("source.bin"), folder.File("dest.bin"), false, true,
        [&](TObject*, uint32_t, const std::string&) { ++errors; },
        [&](TObject*, uint32_t, uint32_t, bool& cancel) {
            ++progress;
            cancel = true;
        },
        [&](TObject*) { finished = true; }, nullptr);
    thread->Resume();
    thread->WaitFor();
    EXPECT_EQ(1, progress);
    EXPECT_EQ(0, errors);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(thread->Terminated());
    delete thread;
}

TEST(kelCopyThread, AMissingSourceReportsTheSystemsError) {
    TestFolder folder;
    uint32_t code = 0;
    std::string message;
    bool finished = false;
    auto* thread = NewThread<TkelLocalCopyThread>(
        folder.File("missing.bin"), folder.File("dest.bin"), false, false,
        [&](TObject*, uint32_t c, const std::string& m) {
            code = c;
            message = m;
        },
        nullptr, [&](TObject*) { finished = true; }, nullptr);
    EXPECT_EQ(static_cast<uint32_t>(ERROR_FILE_NOT_FOUND), thread->WaitFor());
    EXPECT_EQ(static_cast<uint32_t>(ERROR_FILE_NOT_FOUND), code);
    EXPECT_EQ(SysErrorMessage(ERROR_FILE_NOT_FOUND), message);
    EXPECT_FALSE(message.empty());
    EXPECT_TRUE(finished);
    delete thread;
}
