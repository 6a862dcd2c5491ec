// Worker threads of the class library: TThread on the system's threads, a lock,
// and the queue through which workers run methods on the main thread
// (Synchronize). The queue is drained by the application's message loop,
// ProcessMessages, WaitFor on the main thread and CheckSynchronize.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <utility>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

// A method without arguments, run on the main thread by Synchronize.
using TThreadMethod = std::function<void()>;

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A thread operation the system refused, or one that could never end.
class EThread : public Exception {
public:
    using Exception::Exception;
};

// A critical section: one thread at a time between Enter and Leave.
class TCriticalSection {
public:
    TCriticalSection() { InitializeCriticalSection(&m_section); }
    ~TCriticalSection() { DeleteCriticalSection(&m_section); }
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&m_section); }
    void Leave() { LeaveCriticalSection(&m_section); }
    // Enters when no other thread holds it; false otherwise.
    bool TryEnter() { return TryEnterCriticalSection(&m_section) != FALSE; }

private:
    CRITICAL_SECTION m_section;
};

// Holds a critical section for the life of the object.
class TLock {
public:
    explicit TLock(TCriticalSection& section) : m_section(section) { m_section.Enter(); }
    ~TLock() { m_section.Leave(); }
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;

private:
    TCriticalSection& m_section;
};

// The id of the program's main thread, the one whose message loop runs what
// Synchronize queues.
DWORD MainThreadID();

// Runs every method worker threads queued for the main thread; true when one ran.
// Does nothing on any other thread. An exception a method raises goes back to the
// worker that queued it.
bool CheckSynchronize();
// Signalled while methods wait in the queue (waits of the main thread watch it).
HANDLE SynchronizeEvent();

// A worker thread. Execute runs in the thread; Terminate only asks it to stop:
// Execute watches Terminated. A thread created suspended starts at the first
// Resume; any other starts in AfterConstruction, which its creator calls once the
// object is complete (NewThread does both), since Execute must not run before the
// most-derived constructor has finished.
//
// A descendant whose Execute uses members of its own stops the thread first thing
// in its destructor (StopAndWait), before those members go; the base destructor
// would run too late for them.
class TThread : public TObject {
public:
    explicit TThread(bool createSuspended);
    // A thread that still runs is told to terminate, resumed when suspended and
    // waited for (WaitFor), unless it is the calling thread itself.
    ~TThread() override;
    const char* ClassName() const override { return "TThread"; }

    // Starts a thread that was not created suspended.
    void AfterConstruction();

    // Starts a thread created suspended, or lets a suspended one go on.
    void Resume() { SetSuspended(false); }
    // Stops the thread where it is (SuspendThread) until Resume.
    void Suspend() { SetSuspended(true); }
    virtual bool Suspended() const;
    virtual void SetSuspended(bool value);

    // Asks the thread to stop: Terminated is true from here on.
    void Terminate();
    bool Terminated() const { return m_isTerminated.load(); }

    // Waits until the thread has ended and returns its ReturnValue. On the main
    // thread it runs the queued Synchronize methods and sent messages meanwhile, so
    // that a worker waiting for the main thread can end. A suspended thread that
    // was told to terminate is resumed so that it can end; waiting for a thread
    // that can never end (suspended and not terminated, the calling thread itself,
    // a thread that frees itself, one waiting for the caller) raises EThread.
    uint32_t WaitFor();
    // Whether the thread waits in Synchronize for a method the calling thread is
    // running, directly or beneath another such method: it cannot end before that
    // method has returned, so the caller must not wait for it.
    bool IsWaitingForCaller() const;

    HANDLE Handle() const { return m_handle; }
    DWORD ThreadID() const { return m_threadId; }
    TThreadPriority Priority() const;
    void SetPriority(TThreadPriority value);

    // Whether the thread object deletes itself when Execute has ended. Setting it
    // on a thread that has ended already deletes the object at once: either way
    // the caller lets go of it and must not touch it again.
    bool FreeOnTerminate() const { return m_end.load() == kFreeOnEnd; }
    void SetFreeOnTerminate(bool value);

    // The thread's exit code.
    int32_t ReturnValue() const { return m_returnValue.load(); }
    void SetReturnValue(int32_t value) { m_returnValue.store(value); }

    // Fired on the main thread after Execute, with the thread as sender.
    TNotifyEvent OnTerminate() const;
    void SetOnTerminate(TNotifyEvent handler);

    // The exception that ended Execute, or null.
    std::exception_ptr FatalException() const { return m_fatalException; }

    // Runs the method on the main thread and returns when it has run; on the main
    // thread itself it runs at once. An exception of the method is raised here.
    void Synchronize(const TThreadMethod& method);
    static void Synchronize(TThread* thread, const TThreadMethod& method);
    // Drops the methods the thread queued that have not run yet; the thread is let
    // go of its wait (for a thread that was killed, or is about to be). From then
    // on it waits for nobody.
    static void RemoveQueuedEvents(TThread* thread);
    // The thread object whose thread calls this, or null outside such threads.
    static TThread* CurrentThread();

    // Whether none of the object's locks is held. A thread killed by the system
    // (TerminateThread) may have died holding one; its object may be freed only
    // when this holds.
    virtual bool IsUnlocked();

protected:
    virtual void Execute() = 0;
    // Fires OnTerminate on the main thread; called in the thread after Execute.
    virtual void DoTerminate();
    // Called by Terminate, in the calling thread: a thread waiting for something
    // wakes itself here, so that it sees Terminated.
    virtual void TerminatedSet() {}
    // Terminate, Resume when suspended, WaitFor: what the destructor does, for
    // descendants to call before their own members go. Nothing in the thread
    // itself or once the thread has ended.
    void StopAndWait();
    // Whether the system thread has started (was created running or resumed once).
    bool Started() const { return m_isStarted.load(); }

private:
    enum : int { kHeld, kFreeOnEnd, kEnded };
    static unsigned __stdcall ThreadProc(void* parameter);
    bool HasEnded() const;

    bool m_createSuspended;

    HANDLE m_handle = nullptr;
    DWORD m_threadId = 0;
    std::atomic<bool> m_isTerminated{false};
    std::atomic<bool> m_isSuspended{false};
    std::atomic<bool> m_isStarted{false};
    std::atomic<int> m_end{kHeld};
    std::atomic<int32_t> m_returnValue{0};
    std::exception_ptr m_fatalException;
    mutable TCriticalSection m_lock;
    TNotifyEvent m_onTerminate;
};

// Creates a thread and starts it unless it was created suspended.
template <class T, class... Args>
T* NewThread(Args&&... args) {
    T* thread = new T(std::forward<Args>(args)...);
    thread->AfterConstruction();
    return thread;
}
