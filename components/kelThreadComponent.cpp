// The thread component and the thread timer.
#include "components/kelThreadComponent.h"

#include "components/kelClassLibLink.h"
#include "components/kelPlatformHooks.h"
#include "components/kelVclConsts.h"

namespace {

const std::vector<std::string> kPriorityNames = {"tpIdle",   "tpLowest",  "tpLower",       "tpNormal",
                                                 "tpHigher", "tpHighest", "tpTimeCritical"};

// How long TerminateHard gives the system to end a killed thread.
constexpr DWORD kKillWaitMs = 5000;

}  // namespace

//=== TkelCustomThreadComponent

const TClassInfo& TkelCustomThreadComponent::StaticClassInfo() {
    static const TClassInfo info("TkelCustomThreadComponent", &TkelComponent::StaticClassInfo(),
                                 &CreateComponentOf<TkelCustomThreadComponent>, nullptr);
    return info;
}

TkelCustomThreadComponent::TkelCustomThreadComponent(TComponent* owner, bool createThread) : TkelComponent(owner) {
    m_priority = tpNormal;
    m_returnValue = 0;
    m_isSuspended = true;
    if (createThread) CreateThread();
}

TkelCustomThreadComponent::~TkelCustomThreadComponent() {
    m_isDestroying->store(true);
    if (!m_thread) return;
    FinishThread(m_thread);
    m_thread = nullptr;
}

TkelEventThread* TkelCustomThreadComponent::NewThread() {
    return new TkelEventThread(true);
}

void TkelCustomThreadComponent::BindThread(TkelEventThread* thread) {
    thread->SetOnExecute([this](TObject* sender) { DoExecute(sender); });
}

void TkelCustomThreadComponent::CreateThread() {
    if (IsDesigning()) return;
    RefuseOnOwnThread();
    TkelEventThread* old = m_thread;
    TkelEventThread* fresh = NewThread();
    BindThread(fresh);
    if (old) {
        // A thread made again keeps what was set on the one it replaces.
        fresh->SetPriority(old->Priority());
        fresh->SetSynchronized(old->Synchronized());
        fresh->SetOnTerminate(old->OnTerminate());
        fresh->SetOnFinish(old->OnFinish());
    } else {
        fresh->SetPriority(m_priority);
        fresh->SetSynchronized(m_isSynchronized);
    }
    m_thread = fresh;
    // The old thread must not outlive the component: it is finished, as the
    // destructor finishes it, before the new one can start.
    if (old) FinishThread(old);
    if (!m_isSuspended) fresh->Resume();
}

void TkelCustomThreadComponent::FinishThread(TkelEventThread* thread) {
    // Nothing the thread still does may reach the component or its owner.
    thread->SetOnExecute(nullptr);
    thread->SetOnTerminate(nullptr);
    thread->SetOnFinish(nullptr);
    thread->Terminate();
    if (thread->Suspended()) thread->Resume();
    if (GetCurrentThreadId() == thread->ThreadID() || thread->IsWaitingForCaller()) {
        // Called from a handler of the thread (in it, or on the main thread while it
        // waits there): the thread cannot end before the handler returns, so waiting
        // would never end. It is let go and frees itself once it has ended.
        thread->SetFreeOnTerminate(true);
        return;
    }
    delete thread;
}

void TkelCustomThreadComponent::RefuseOnOwnThread() const {
    // The old thread would go on running the handler unwaited for, into a
    // component that may be freed meanwhile.
    if (m_thread && GetCurrentThreadId() == m_thread->ThreadID())
        throw EThread("A thread component cannot replace its thread from that thread");
}

void TkelCustomThreadComponent::Loaded() {
    TkelComponent::Loaded();
    if (IsDesigning() || !m_thread) return;
    // Both were kept while the component was read; the thread takes them now.
    m_thread->SetSynchronized(m_isSynchronized);
    m_thread->SetSuspended(m_isSuspended);
}

void TkelCustomThreadComponent::Execute() {
    if (IsDesigning() || !m_thread) return;
    TerminateHard();
    m_thread->Resume();
}

void TkelCustomThreadComponent::TerminateHard() {
    if (IsDesigning() || !m_thread) return;
    RefuseOnOwnThread();
    TkelEventThread* old = m_thread;
    TkelEventThread* fresh = NewThread();
    fresh->SetPriority(old->Priority());
    fresh->SetSynchronized(old->Synchronized());
    fresh->SetOnTerminate(old->OnTerminate());
    fresh->SetOnFinish(old->OnFinish());
    BindThread(fresh);
    m_thread = fresh;
    // The old thread says nothing more.
    old->SetOnExecute(nullptr);
    old->SetOnTerminate(nullptr);
    old->SetOnFinish(nullptr);
    TerminateThread(old->Handle(), 0);
    if (WaitForSingleObject(old->Handle(), kKillWaitMs) == WAIT_OBJECT_0) {
        TThread::RemoveQueuedEvents(old);
        // A SynchronizeEx of the dead thread will never come back to clear itself.
        m_pendingMethod = nullptr;
        m_pendingData = nullptr;
        m_isPending.store(false);
        // An object whose thread died holding its lock is left alone rather than freed
        // under that lock.
        if (old->IsUnlocked()) delete old;
    } else {
        old->Terminate();
        old->SetFreeOnTerminate(true);
    }
}

void TkelCustomThreadComponent::Synchronize(const TThreadMethod& method) {
    if (IsDesigning() || !m_thread) return;
    m_thread->Synchronize(method);
}

void TkelCustomThreadComponent::SynchronizeEx(const TkelThreadMethodEx& method, void* data) {
    if (IsDesigning() || !m_thread) return;
    bool expected = false;
    if (!m_isPending.compare_exchange_strong(expected, true)) return;
    m_pendingMethod = method;
    m_pendingData = data;
    // The method may free the component: then nothing of it is touched after.
    const auto isDestroying = m_isDestroying;
    try {
        TThread::Synchronize(m_thread, [this] { CallPending(); });
    } catch (...) {
        if (!isDestroying->load()) ClearPending();
        throw;
    }
    if (!isDestroying->load()) ClearPending();
}

void TkelCustomThreadComponent::ClearPending() {
    m_pendingMethod = nullptr;
    m_pendingData = nullptr;
    m_isPending.store(false);
}

void TkelCustomThreadComponent::CallPending() {
    // A component on its way out shows nothing more.
    if (m_isDestroying->load() || !m_pendingMethod) return;
    // Copies: the method may free the component, and the stored method with it.
    const auto isDestroying = m_isDestroying;
    const TkelThreadMethodEx method = m_pendingMethod;
    try {
        method(m_pendingData);
    } catch (...) {
        kelAppHandleException(isDestroying->load() ? nullptr : this);
    }
}

void TkelCustomThreadComponent::Suspend() {
    if (!IsDesigning() && m_thread) m_thread->Suspend();
}

void TkelCustomThreadComponent::Resume() {
    if (!IsDesigning() && m_thread) m_thread->Resume();
}

void TkelCustomThreadComponent::Terminate() {
    if (!IsDesigning() && m_thread) m_thread->Terminate();
}

uint32_t TkelCustomThreadComponent::WaitFor() {
    if (IsDesigning() || !m_thread) return 0;
    return m_thread->WaitFor();
}

uint32_t TkelCustomThreadComponent::TerminateWaitFor() {
    Terminate();
    return WaitFor();
}

void TkelCustomThreadComponent::DoExecute(TObject* sender) {
    (void)sender;
    const TNotifyEvent handler = OnExecute();
    if (!handler) return;
    const auto isDestroying = m_isDestroying;
    // The exception lives until the main thread has shown it: SynchronizeEx
    // returns only then, still inside the handler.
    try {
        handler(this);
    } catch (const std::exception& error) {
        // A handler that freed its component reports to nobody.
        if (isDestroying->load()) return;
        SynchronizeEx([this](void* data) { DoException(*static_cast<const std::exception*>(data)); },
                      const_cast<std::exception*>(&error));
    } catch (...) {
        if (isDestroying->load()) return;
        const Exception error("Unknown exception");
        SynchronizeEx([this](void* data) { DoException(*static_cast<const std::exception*>(data)); },
                      const_cast<Exception*>(&error));
    }
}

void TkelCustomThreadComponent::DoException(const std::exception& exceptObject) {
    const TkelThreadExceptionEvent handler = OnException();
    if (handler) {
        handler(exceptObject);
        return;
    }
    const auto* error = dynamic_cast<const Exception*>(&exceptObject);
    const std::string message = error ? error->Message() : exceptObject.what();
    const std::string text =
        Format(LoadResString(SkelTreadComponent_Exception), Name(), ExceptionClassName(exceptObject), message);
    kelMessageBoxEx(kelAppHandle(), text, kelAppTitle(), MB_ICONERROR | MB_SETFOREGROUND);
}

HANDLE TkelCustomThreadComponent::Handle() const {
    return IsDesigning() || !m_thread ? nullptr : m_thread->Handle();
}

DWORD TkelCustomThreadComponent::ThreadID() const {
    return IsDesigning() || !m_thread ? 0 : m_thread->ThreadID();
}

bool TkelCustomThreadComponent::Terminated() const {
    return IsDesigning() || !m_thread ? true : m_thread->Terminated();
}

TThreadPriority TkelCustomThreadComponent::Priority() const {
    return IsDesigning() || !m_thread ? m_priority : m_thread->Priority();
}

void TkelCustomThreadComponent::SetPriority(TThreadPriority value) {
    if (IsDesigning() || !m_thread)
        m_priority = value;
    else
        m_thread->SetPriority(value);
}

int32_t TkelCustomThreadComponent::ReturnValue() const {
    return IsDesigning() || !m_thread ? m_returnValue : m_thread->ReturnValue();
}

void TkelCustomThreadComponent::SetReturnValue(int32_t value) {
    if (IsDesigning() || !m_thread)
        m_returnValue = value;
    else
        m_thread->SetReturnValue(value);
}

bool TkelCustomThreadComponent::Suspended() const {
    return IsDesigning() || !m_thread ? m_isSuspended : m_thread->Suspended();
}

void TkelCustomThreadComponent::SetSuspended(bool value) {
    if (IsUsingCopies() || !m_thread)
        m_isSuspended = value;
    else
        m_thread->SetSuspended(value);
}

bool TkelCustomThreadComponent::Synchronized() const {
    return IsDesigning() || !m_thread ? m_isSynchronized : m_thread->Synchronized();
}

void TkelCustomThreadComponent::SetSynchronized(bool value) {
    if (IsUsingCopies() || !m_thread)
        m_isSynchronized = value;
    else
        m_thread->SetSynchronized(value);
}

TNotifyEvent TkelCustomThreadComponent::OnTerminate() const {
    return IsDesigning() || !m_thread ? m_onTerminate : m_thread->OnTerminate();
}

void TkelCustomThreadComponent::SetOnTerminate(TNotifyEvent handler) {
    if (IsDesigning() || !m_thread)
        m_onTerminate = std::move(handler);
    else
        m_thread->SetOnTerminate(std::move(handler));
}

TNotifyEvent TkelCustomThreadComponent::OnFinish() const {
    return IsDesigning() || !m_thread ? m_onFinish : m_thread->OnFinish();
}

void TkelCustomThreadComponent::SetOnFinish(TNotifyEvent handler) {
    if (IsDesigning() || !m_thread)
        m_onFinish = std::move(handler);
    else
        m_thread->SetOnFinish(std::move(handler));
}

TNotifyEvent TkelCustomThreadComponent::OnExecute() const {
    TLock lock(m_eventLock);
    return m_onExecute;
}

void TkelCustomThreadComponent::SetOnExecute(TNotifyEvent handler) {
    TLock lock(m_eventLock);
    m_onExecute = std::move(handler);
}

TkelThreadExceptionEvent TkelCustomThreadComponent::OnException() const {
    TLock lock(m_eventLock);
    return m_onException;
}

void TkelCustomThreadComponent::SetOnException(TkelThreadExceptionEvent handler) {
    TLock lock(m_eventLock);
    m_onException = std::move(handler);
}

//=== TkelThreadComponent

const TClassInfo& TkelThreadComponent::StaticClassInfo() {
    static const TClassInfo info(
        "TkelThreadComponent", &TkelCustomThreadComponent::StaticClassInfo(), &CreateComponentOf<TkelThreadComponent>,
        [](TPropList& list) {
            TPublished<TkelThreadComponent> published(list);
            PublishAbout(published)
                .Enumeration("Priority", &TkelThreadComponent::Priority, &TkelThreadComponent::SetPriority,
                             kPriorityNames, tpNormal)
                .Integer("ReturnValue", &TkelThreadComponent::ReturnValue, &TkelThreadComponent::SetReturnValue, 0)
                .Boolean("Suspended", &TkelThreadComponent::Suspended, &TkelThreadComponent::SetSuspended, true)
                .Boolean("Synchronized", &TkelThreadComponent::Synchronized, &TkelThreadComponent::SetSynchronized,
                         false);
        });
    return info;
}

//=== TkelCustomThreadTimer

const TClassInfo& TkelCustomThreadTimer::StaticClassInfo() {
    static const TClassInfo info("TkelCustomThreadTimer", &TkelCustomThreadComponent::StaticClassInfo(),
                                 &CreateComponentOf<TkelCustomThreadTimer>, nullptr);
    return info;
}

TkelCustomThreadTimer::TkelCustomThreadTimer(TComponent* owner) : TkelCustomThreadComponent(owner, false) {
    m_interval = 1000;
    CreateThread();
}

TkelCustomThreadTimer::~TkelCustomThreadTimer() {
    SetEnabled(false);
}

TkelEventThread* TkelCustomThreadTimer::NewThread() {
    auto* thread = new TkelTimerThread(true);
    thread->SetInterval(Thread() ? Thread()->Interval() : m_interval);
    return thread;
}

uint32_t TkelCustomThreadTimer::Interval() const {
    return IsDesigning() || !Thread() ? m_interval : Thread()->Interval();
}

void TkelCustomThreadTimer::SetInterval(uint32_t value) {
    if (IsDesigning() || !Thread())
        m_interval = value;
    else
        Thread()->SetInterval(value);
}

//=== TkelThreadTimer

const TClassInfo& TkelThreadTimer::StaticClassInfo() {
    static const TClassInfo info(
        "TkelThreadTimer", &TkelCustomThreadTimer::StaticClassInfo(), &CreateComponentOf<TkelThreadTimer>,
        [](TPropList& list) {
            TPublished<TkelThreadTimer> published(list);
            PublishAbout(published)
                .Cardinal("Interval", &TkelThreadTimer::Interval, &TkelThreadTimer::SetInterval, 1000)
                .Enumeration("Priority", &TkelThreadTimer::Priority, &TkelThreadTimer::SetPriority, kPriorityNames,
                             tpNormal)
                .Boolean("Synchronized", &TkelThreadTimer::Synchronized, &TkelThreadTimer::SetSynchronized, false)
                .Boolean("Enabled", &TkelThreadTimer::Enabled, &TkelThreadTimer::SetEnabled, false);
        });
    return info;
}
