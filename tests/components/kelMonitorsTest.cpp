// The folder and registry monitor components, on a temporary folder and on a key
// of the test's own under HKEY_CURRENT_USER\Software.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/Registry.h"
#include "classlib/Streaming.h"
#include "components/kelMonitors.h"
#include "kelTestSupport.h"
#include "tests/TestFolder.h"

namespace {

// Opens up the running thread, and records what each Start found.
class TestFolderMonitor : public TkelFolderMonitor {
public:
    using TkelFolderMonitor::TkelFolderMonitor;
    using TkelFolderMonitor::MonitorThread;
};

class TestRegistryMonitor : public TkelRegistryMonitor {
public:
    using TkelRegistryMonitor::TkelRegistryMonitor;
    using TkelRegistryMonitor::MonitorThread;
    struct Start {
        bool reading;
        bool started;
    };
    std::vector<Start> starts;

protected:
    void Start() override {
        TkelRegistryMonitor::Start();
        starts.push_back({HasState(csReading), MonitorThread() != nullptr});
    }
};

// Makes new files in the folder until a change was reported (a watch armed after
// the first file would not see it); false after 5 s.
bool ChangeFolderUntilReported(const std::string& folder, const int& changes) {
    const DWORD start = GetTickCount();
    static int n = 0;
    while (changes == 0) {
        if (GetTickCount() - start > 5000) return false;
        TestFolder::WriteBytes(folder + "\\new" + std::to_string(++n) + ".txt", "x");
        PumpUntil([&] { return changes > 0; }, 100);
    }
    return true;
}

std::string TestKey() {
    return "Software\\kelTest_" + std::to_string(GetCurrentProcessId()) + "_regmonitor";
}

void DeleteTestKey() {
    TRegistry registry;
    registry.RootKey = HKEY_CURRENT_USER;
    registry.DeleteKey(TestKey());
}

}  // namespace

TEST(kelFolderMonitor, RunsOnlyWhileActiveWithAHandlerAndRestartsOnEveryChange) {
    TestFolder first;
    TestFolder second;
    TComponent form(nullptr);
    auto* monitor = new TestFolderMonitor(&form);
    EXPECT_EQ("C:\\", monitor->Folder());
    EXPECT_TRUE(monitor->WatchSubTree());
    EXPECT_EQ(static_cast<uint32_t>(FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME),
              monitor->GetNotifyOptionFlags());
    monitor->SetFolder(first.Path());
    monitor->SetActive(true);
    EXPECT_EQ(nullptr, monitor->MonitorThread());  // no OnChange yet

    int changes = 0;
    DWORD ranOn = 0;
    monitor->SetOnChange([&] {
        ++changes;
        ranOn = GetCurrentThreadId();
    });
    ASSERT_NE(nullptr, monitor->MonitorThread());
    EXPECT_TRUE(ChangeFolderUntilReported(first.Path(), changes));
    EXPECT_EQ(GetCurrentThreadId(), ranOn);

    // Another folder: the old thread is let go and a new one watches the new folder.
    const DWORD oldThread = monitor->MonitorThread()->ThreadID();
    monitor->SetFolder(second.Path());
    ASSERT_NE(nullptr, monitor->MonitorThread());
    EXPECT_NE(oldThread, monitor->MonitorThread()->ThreadID());
    changes = 0;
    EXPECT_TRUE(ChangeFolderUntilReported(second.Path(), changes));

    monitor->SetActive(false);
    EXPECT_EQ(nullptr, monitor->MonitorThread());
    monitor->SetNotifyFilters(fmfFileNameChange | fmfDirNameChange | fmfAttributeChange | fmfSizeChange |
                              fmfWriteChange | fmfSecurityChange);
    EXPECT_EQ(0x11Fu, monitor->GetNotifyOptionFlags());
}

TEST(kelFolderMonitor, AChangeOnItsWayWhenTheMonitorGoesReachesNobody) {
    TestFolder folder;
    int changes = 0;
    // Gone on every way out of the test, so that no later change reaches `changes`.
    auto monitor = std::make_unique<TestFolderMonitor>(nullptr);
    monitor->SetFolder(folder.Path());
    monitor->SetOnChange([&] { ++changes; });
    monitor->SetActive(true);
    EXPECT_TRUE(ChangeFolderUntilReported(folder.Path(), changes));
    // Another change: the thread queues it for the main thread, which is not
    // looking; the monitor goes before it is run. A busy machine may fold the
    // change into the one before: change until a report waits in the queue.
    changes = 0;
    const DWORD start = GetTickCount();
    bool isQueued = false;
    for (int n = 0; !isQueued && GetTickCount() - start < 10000; ++n) {
        TestFolder::WriteBytes(folder.File("late" + std::to_string(n) + ".txt"), "x");
        isQueued = WaitForSingleObject(SynchronizeEvent(), 500) == WAIT_OBJECT_0;
    }
    EXPECT_TRUE(isQueued);
    monitor.reset();
    CheckSynchronize();
    EXPECT_EQ(0, changes);
}

TEST(kelRegistryMonitor, StartsAfterLoadingAndReportsItsKeyComingAndGoing) {
    DeleteTestKey();
    TMemoryStream stream;
    {
        TkelRegistryMonitor monitor(nullptr);
        monitor.SetName("RegistryMonitor1");
        monitor.SetRegistryKey(TestKey() + "\\Watched");
        monitor.SetRootKey(rrkCurrentUser);
        monitor.SetActive(true);
        WriteComponent(stream, &monitor);
    }
    stream.SetPosition(0);
    int changes = 0;
    TestRegistryMonitor monitor(nullptr);
    monitor.SetOnChange([&] { ++changes; });
    ReadComponent(stream, &monitor);
    EXPECT_TRUE(monitor.Active());
    EXPECT_EQ(TestKey() + "\\Watched", monitor.RegistryKey());
    // No thread while the properties were read; one once loading had finished.
    ASSERT_FALSE(monitor.starts.empty());
    for (size_t i = 0; i + 1 < monitor.starts.size(); ++i) EXPECT_FALSE(monitor.starts[i].started);
    EXPECT_FALSE(monitor.starts.back().reading);
    EXPECT_TRUE(monitor.starts.back().started);
    EXPECT_EQ(static_cast<uint32_t>(REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET),
              monitor.GetNotifyOptionFlags());

    // The key appears. A root watch armed late would miss one creation: create
    // and delete until the appearance was reported.
    const DWORD start = GetTickCount();
    while (changes == 0 && GetTickCount() - start < 10000) {
        DeleteTestKey();
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, (TestKey() + "\\Watched").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr);
        RegCloseKey(key);
        PumpUntil([&] { return changes > 0; }, 200);
    }
    EXPECT_GT(changes, 0) << "created";
    // The report counted may have been of a deletion in the loop, with the last
    // creation still on its way to the thread: wait until the reports have
    // stopped, so that the thread has seen the key that stands now.
    do {
        changes = 0;
        PumpUntil([&] { return changes > 0; }, 300);
    } while (changes > 0 && GetTickCount() - start < 15000);
    changes = 0;
    DeleteTestKey();
    EXPECT_TRUE(PumpUntil([&] { return changes > 0; }, 5000)) << "deleted";
    monitor.SetActive(false);
    EXPECT_EQ(nullptr, monitor.MonitorThread());
    DeleteTestKey();
}
