// The thread component and the thread timer: a worker thread put on a form.
// TkelThreadComponent runs OnExecute in a thread of its own; TkelThreadTimer fires
// OnTimer every Interval milliseconds from its thread. At run time each owns its
// thread object and forwards its properties to it; while designed it keeps them
// in fields of its own, so that they can be edited and streamed. An exception of a
// handler is reported on the main thread, and the thread goes on.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include "classlib/Threads.h"
#include "components/kelClasses.h"
#include "components/kelComponents.h"

// A method run on the main thread with one untyped pointer (SynchronizeEx).
using TkelThreadMethodEx = std::function<void(void* data)>;
// Receives the exception a handler raised, on the main thread.
using TkelThreadExceptionEvent = std::function<void(const std::exception& exceptObject)>;

class TkelCustomThreadComponent : public TkelComponent {
public:
    explicit TkelCustomThreadComponent(TComponent* owner) : TkelCustomThreadComponent(owner, true) {}
    // Clears the thread's events, terminates it, resumes it when suspended and
    // frees it, which waits for it to end. From a handler that the thread waits for
    // (its own, or one it runs on the main thread) the thread is let go instead
    // and frees itself once it has ended.
    ~TkelCustomThreadComponent() override;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelCustomThreadComponent"; }

    // Creates the thread object (run time only), suspended as Suspended says. A
    // thread made before is finished first and hands on its settings. Raises
    // EThread when called from the component's own thread.
    virtual void CreateThread();
    // Runs the handler again: TerminateHard, then the new thread is resumed.
    virtual void Execute();
    // The thread's Synchronize.
    virtual void Synchronize(const TThreadMethod& method);
    // Runs method(data) on the main thread. A call made while another one waits
    // is dropped.
    virtual void SynchronizeEx(const TkelThreadMethodEx& method, void* data);
    void Suspend();
    void Resume();
    void Terminate();
    // Replaces the thread by a new suspended one with the same settings and kills
    // the old one (TerminateThread). The old object is freed once the system has
    // ended its thread, unless that thread died holding one of the object's locks.
    // Raises EThread when called from the component's own thread.
    void TerminateHard();
    // The thread's exit value once it has ended; 0 while designing. Raises EThread
    // from the thread itself, and from a handler on the main thread that the
    // thread waits for (Synchronized, OnTerminate, OnException).
    uint32_t WaitFor();
    uint32_t TerminateWaitFor();

    // The thread body: OnExecute with the component as sender; an exception it
    // raises goes to DoException on the main thread.
    virtual void DoExecute(TObject* sender);
    // OnException when assigned, else a message box naming the component, the
    // exception's class and its message.
    virtual void DoException(const std::exception& exceptObject);

    HANDLE Handle() const;
    DWORD ThreadID() const;
    // True while designing.
    bool Terminated() const;

protected:
    // Descendants with a thread class of their own pass false and call
    // CreateThread in their own constructor.
    TkelCustomThreadComponent(TComponent* owner, bool createThread);
    // A new suspended thread of the component's class.
    virtual TkelEventThread* NewThread();
    // Applies the streamed Suspended and Synchronized to the thread.
    void Loaded() override;

    TThreadPriority Priority() const;
    void SetPriority(TThreadPriority value);
    int32_t ReturnValue() const;
    void SetReturnValue(int32_t value);
    bool Suspended() const;
    void SetSuspended(bool value);
    bool Synchronized() const;
    void SetSynchronized(bool value);
    TNotifyEvent OnTerminate() const;
    void SetOnTerminate(TNotifyEvent handler);
    TNotifyEvent OnFinish() const;
    void SetOnFinish(TNotifyEvent handler);
    TNotifyEvent OnExecute() const;
    void SetOnExecute(TNotifyEvent handler);
    TkelThreadExceptionEvent OnException() const;
    void SetOnException(TkelThreadExceptionEvent handler);

    bool IsDesigning() const { return HasState(csDesigning); }
    // Suspended and Synchronized go to the copies while the component is read.
    bool IsUsingCopies() const { return IsDesigning() || HasState(csLoading); }
    TkelEventThread* EventThread() const { return m_thread; }

private:
    void BindThread(TkelEventThread* thread);
    // Silences the thread, ends it and frees it (a thread freeing itself ends later).
    void FinishThread(TkelEventThread* thread);
    // Raises EThread on the component's own thread.
    void RefuseOnOwnThread() const;
    void CallPending();
    void ClearPending();

    TkelEventThread* m_thread = nullptr;
    TThreadPriority m_priority = tpNormal;
    int32_t m_returnValue = 0;
    bool m_isSuspended = true;
    bool m_isSynchronized = false;
    TNotifyEvent m_onTerminate;
    TNotifyEvent m_onFinish;
    // Read by the thread while the main thread may set them.
    mutable TCriticalSection m_eventLock;
    TNotifyEvent m_onExecute;
    TkelThreadExceptionEvent m_onException;
    // The call of SynchronizeEx on its way to the main thread.
    std::atomic<bool> m_isPending{false};
    TkelThreadMethodEx m_pendingMethod;
    void* m_pendingData = nullptr;
    // Shared with the code of a thread let go of, which reads it rather than
    // the component that may be gone.
    std::shared_ptr<std::atomic<bool>> m_isDestroying = std::make_shared<std::atomic<bool>>(false);
};

class TkelThreadComponent : public TkelCustomThreadComponent {
public:
    using TkelCustomThreadComponent::TkelCustomThreadComponent;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelThreadComponent"; }

    using TkelCustomThreadComponent::OnException;
    using TkelCustomThreadComponent::OnExecute;
    using TkelCustomThreadComponent::OnFinish;
    using TkelCustomThreadComponent::OnTerminate;
    using TkelCustomThreadComponent::Priority;
    using TkelCustomThreadComponent::ReturnValue;
    using TkelCustomThreadComponent::SetOnException;
    using TkelCustomThreadComponent::SetOnExecute;
    using TkelCustomThreadComponent::SetOnFinish;
    using TkelCustomThreadComponent::SetOnTerminate;
    using TkelCustomThreadComponent::SetPriority;
    using TkelCustomThreadComponent::SetReturnValue;
    using TkelCustomThreadComponent::SetSuspended;
    using TkelCustomThreadComponent::SetSynchronized;
    using TkelCustomThreadComponent::Suspended;
    using TkelCustomThreadComponent::Synchronized;
};

// Fires OnTimer (the same event as OnExecute) every Interval milliseconds from
// its thread while Enabled; created disabled.
class TkelCustomThreadTimer : public TkelCustomThreadComponent {
public:
    explicit TkelCustomThreadTimer(TComponent* owner);
    // Disables the timer before the base lets its thread go.
    ~TkelCustomThreadTimer() override;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelCustomThreadTimer"; }

    // The timer thread (null while designing).
    TkelTimerThread* Thread() const { return static_cast<TkelTimerThread*>(EventThread()); }

protected:
    TkelEventThread* NewThread() override;

    uint32_t Interval() const;
    void SetInterval(uint32_t value);
    // Not Suspended.
    bool Enabled() const { return !Suspended(); }
    void SetEnabled(bool value) { SetSuspended(!value); }
    TNotifyEvent OnTimer() const { return OnExecute(); }
    void SetOnTimer(TNotifyEvent handler) { SetOnExecute(std::move(handler)); }

private:
    uint32_t m_interval = 1000;
};

class TkelThreadTimer : public TkelCustomThreadTimer {
public:
    using TkelCustomThreadTimer::TkelCustomThreadTimer;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelThreadTimer"; }

    using TkelCustomThreadTimer::Enabled;
    using TkelCustomThreadTimer::Interval;
    using TkelCustomThreadTimer::OnTimer;
    using TkelCustomThreadTimer::Priority;
    using TkelCustomThreadTimer::SetEnabled;
    using TkelCustomThreadTimer::SetInterval;
    using TkelCustomThreadTimer::SetOnTimer;
    using TkelCustomThreadTimer::SetPriority;
    using TkelCustomThreadTimer::SetSynchronized;
    using TkelCustomThreadTimer::Synchronized;
};
