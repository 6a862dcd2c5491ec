// Worker threads: the main thread's queue, WaitFor, FreeOnTerminate and the
// waits that could never end.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "classlib/Forms.h"
#include "classlib/Threads.h"

namespace {

// A thread whose body the test gives; it signals Destroyed when its object goes.
class TTestThread : public TThread {
public:
    TTestThread(std::function<void(TTestThread&)> body, HANDLE destroyed = nullptr)
        : TThread(true), m_body(std::move(body)), m_destroyed(destroyed) {}
    ~TTestThread() override {
        StopAndWait();
        if (m_destroyed) SetEvent(m_destroyed);
    }
    using TThread::Synchronize;

protected:
    void Execute() override { m_body(*this); }

private:
    std::function<void(TTestThread&)> m_body;
    HANDLE m_destroyed;
};

// A thread that waits until it is terminated: Terminate wakes it.
class TWaitingThread : public TThread {
public:
    TWaitingThread() : TThread(true), m_wake(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~TWaitingThread() override {
        StopAndWait();
        CloseHandle(m_wake);
    }

protected:
    void Execute() override {
        while (!Terminated()) WaitForSingleObject(m_wake, INFINITE);
    }
    void TerminatedSet() override { SetEvent(m_wake); }

private:
    HANDLE m_wake;
};

struct Event {
    HANDLE handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~Event() { CloseHandle(handle); }
    bool WaitFor(DWORD ms = 5000) const { return WaitForSingleObject(handle, ms) == WAIT_OBJECT_0; }
};

}  // namespace

TEST(Thread, SynchronizeRunsOnTheMainThreadAndWaitForServesTheQueue) {
    DWORD syncThread = 0, terminateThread = 0, workerThread = 0;
    TObject* terminateSender = nullptr;
    TTestThread thread([&](TTestThread& self) {
        workerThread = GetCurrentThreadId();
        self.Synchronize([&] { syncThread = GetCurrentThreadId(); });
        self.SetReturnValue(7);
    });
    thread.SetOnTerminate([&](TObject* sender) {
        terminateThread = GetCurrentThreadId();
        terminateSender = sender;
    });
    EXPECT_TRUE(thread.Suspended());
    thread.Resume();
    EXPECT_EQ(7u, thread.WaitFor());
    EXPECT_EQ(7, thread.ReturnValue());
    EXPECT_NE(GetCurrentThreadId(), workerThread);
    EXPECT_EQ(GetCurrentThreadId(), syncThread);
    EXPECT_EQ(GetCurrentThreadId(), terminateThread);
    EXPECT_EQ(&thread, terminateSender);
    EXPECT_EQ(nullptr, thread.FatalException());
}

TEST(Thread, AnyMessageLoopDrainsTheQueueNotOnlyTheApplications) {
    Event done;
    bool ran = false;
    TTestThread thread([&](TTestThread& self) {
        self.Synchronize([&] { ran = true; });
        SetEvent(done.handle);
    });
    thread.Resume();
    // A loop of the system's kind (a message box's): it only dispatches.
    const DWORD start = GetTickCount();
    while (!done.WaitFor(0) && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    EXPECT_TRUE(ran);

    // And the application's own.
    ran = false;
    ResetEvent(done.handle);
    TTestThread second([&](TTestThread& self) {
        self.Synchronize([&] { ran = true; });
        SetEvent(done.handle);
    });
    second.Resume();
    while (!done.WaitFor(0) && GetTickCount() - start < 10000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        Application->ProcessMessages();
    }
    EXPECT_TRUE(ran);
}

TEST(Thread, ExceptionsStayInTheirThreadAndSynchronizeHandsThemBack) {
    std::string fromMain;
    TTestThread thread([&](TTestThread& self) {
        try {
            self.Synchronize([] { throw EConvertError("main failed"); });
        } catch (const EConvertError& error) {
            fromMain = error.Message();
        }
        throw Exception("worker failed");
    });
    thread.Resume();
    thread.WaitFor();
    EXPECT_EQ("main failed", fromMain);
    ASSERT_NE(nullptr, thread.FatalException());
    try {
        std::rethrow_exception(thread.FatalException());
    } catch (const Exception& error) {
        EXPECT_EQ("worker failed", error.Message());
    }
}

TEST(Thread, FreeOnTerminateDeletesTheObjectAndLettingGoOfAnEndedThreadDeletesItAtOnce) {
    Event destroyed;
    auto* thread = new TTestThread([](TTestThread&) {}, destroyed.handle);
    thread->SetFreeOnTerminate(true);
    thread->Resume();
    EXPECT_TRUE(destroyed.WaitFor());

    // Held while it ran, let go of after it ended: nobody else would delete it.
    ResetEvent(destroyed.handle);
    thread = new TTestThread([](TTestThread&) {}, destroyed.handle);
    thread->Resume();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread->Handle(), 5000));
    EXPECT_FALSE(destroyed.WaitFor(0));
    thread->SetFreeOnTerminate(true);
    EXPECT_TRUE(destroyed.WaitFor(0));
}

TEST(Thread, WaitForRefusesWaitsThatCouldNeverEnd) {
    TWaitingThread suspended;
    EXPECT_THROW(suspended.WaitFor(), EThread);
    // Told to terminate, it is resumed so that it can end.
    suspended.Terminate();
    EXPECT_EQ(0u, suspended.WaitFor());

    auto* selfFreeing = new TWaitingThread;
    selfFreeing->SetFreeOnTerminate(true);
    EXPECT_THROW(selfFreeing->WaitFor(), EThread);
    selfFreeing->Terminate();
    selfFreeing->Resume();

    std::string message;
    TTestThread own([&](TTestThread& self) {
        try {
            self.WaitFor();
        } catch (const EThread& error) {
            message = error.Message();
        }
    });
    own.Resume();
    own.WaitFor();
    EXPECT_FALSE(message.empty());
}

TEST(Thread, TheDestructorEndsRunningSuspendedAndNeverStartedThreads) {
    auto* running = new TWaitingThread;
    running->Resume();
    delete running;

    auto* never = new TWaitingThread;
    delete never;

    auto* paused = new TWaitingThread;
    paused->Resume();
    paused->Suspend();
    EXPECT_TRUE(paused->Suspended());
    paused->SetPriority(tpLower);
    EXPECT_EQ(tpLower, paused->Priority());
    delete paused;
}

TEST(Thread, RemovedCallsReleaseTheirWorkerWithoutRunning) {
    bool ran = false;
    TTestThread thread([&](TTestThread& self) {
        EXPECT_EQ(&self, TThread::CurrentThread());
        self.Synchronize([&] { ran = true; });
    });
    thread.Resume();
    // The call waits in the queue: the main thread has not looked at it yet.
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(SynchronizeEvent(), 5000));
    TThread::RemoveQueuedEvents(&thread);
    thread.WaitFor();
    EXPECT_FALSE(ran);
    EXPECT_EQ(nullptr, TThread::CurrentThread());
}
