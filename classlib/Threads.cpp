// Worker threads and the main thread's queue of synchronised methods.
#include "classlib/Threads.h"

#include <process.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

namespace {

// The thread that runs static initialisation is the program's main thread.
const DWORD gMainThreadId = GetCurrentThreadId();

thread_local TThread* gCurrentThread = nullptr;

// One method a worker waits to see run on the main thread. Shared between the
// queue and the worker, so that a worker killed while waiting leaves nothing
// behind that the main thread could trip over.
struct SyncRequest {
    TThread* Thread = nullptr;
    TThreadMethod Method;
    std::exception_ptr Error;
    HANDLE Done = nullptr;
    ~SyncRequest() {
        if (Done) CloseHandle(Done);
    }
};

struct SyncQueue {
    TCriticalSection Lock;
    std::deque<std::shared_ptr<SyncRequest>> Requests;
    // Manual reset: set while the queue holds requests.
    HANDLE Event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // A message-only window of the main thread whose messages drain the queue, so
    // that it is drained in every message loop, a system dialog's too.
    std::atomic<HWND> Window{nullptr};
    // The threads whose methods the main thread is running, innermost last; null
    // for one that was killed meanwhile.
    std::vector<TThread*> Serving;
};

// Lives as long as the process: a worker let go of may still queue at the end.
SyncQueue& Queue() {
    static SyncQueue* queue = new SyncQueue;
    return *queue;
}

constexpr char kSyncWindowClass[] = "TThreadSyncWindow";
constexpr UINT kWakeMessage = WM_APP + 0x3F00;  // no arguments: run the queue

LRESULT CALLBACK SyncWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == kWakeMessage) {
        CheckSynchronize();
        return 0;
    }
    return DefWindowProcA(window, msg, wparam, lparam);
}

// Makes the wake-up window on the main thread once; without a window station
// (no display) the wake-up goes to the thread's queue instead.
void EnsureSyncWindow() {
    static bool tried = false;
    if (tried || GetCurrentThreadId() != gMainThreadId) return;
    tried = true;
    WNDCLASSA cls = {};
    cls.lpfnWndProc = SyncWindowProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = kSyncWindowClass;
    RegisterClassA(&cls);
    HWND window = CreateWindowExA(0, kSyncWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance,
                                  nullptr);
    Queue().Window.store(window);
}

void WakeMainThread() {
    const HWND window = Queue().Window.load();
    if (!window || !PostMessageA(window, kWakeMessage, 0, 0)) PostThreadMessageA(gMainThreadId, WM_NULL, 0, 0);
}

int SystemPriority(TThreadPriority priority) {
    switch (priority) {
        case tpIdle: return THREAD_PRIORITY_IDLE;
        case tpLowest: return THREAD_PRIORITY_LOWEST;
        case tpLower: return THREAD_PRIORITY_BELOW_NORMAL;
        case tpNormal: return THREAD_PRIORITY_NORMAL;
        case tpHigher: return THREAD_PRIORITY_ABOVE_NORMAL;
        case tpHighest: return THREAD_PRIORITY_HIGHEST;
        case tpTimeCritical: return THREAD_PRIORITY_TIME_CRITICAL;
    }
    return THREAD_PRIORITY_NORMAL;
}

// Waits for the handle; on the main thread it serves the queue and sent messages meanwhile.
void WaitServing(HANDLE handle) {
    if (GetCurrentThreadId() != gMainThreadId) {
        WaitForSingleObject(handle, INFINITE);
        return;
    }
    HANDLE handles[2] = {handle, Queue().Event};
    for (;;) {
        const DWORD result = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0 || result == WAIT_FAILED) return;
        if (result == WAIT_OBJECT_0 + 1) {
            CheckSynchronize();
        } else {
            // Sent messages are handled inside PeekMessage.
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

}  // namespace

DWORD MainThreadID() {
    return gMainThreadId;
}

HANDLE SynchronizeEvent() {
    return Queue().Event;
}

bool CheckSynchronize() {
    if (GetCurrentThreadId() != gMainThreadId) return false;
    EnsureSyncWindow();
    SyncQueue& queue = Queue();
    bool ran = false;
    for (;;) {
        std::shared_ptr<SyncRequest> request;
        {
            TLock lock(queue.Lock);
            if (queue.Requests.empty()) {
                ResetEvent(queue.Event);
                break;
            }
            request = queue.Requests.front();
            queue.Requests.pop_front();
            queue.Serving.push_back(request->Thread);
        }
        try {
            request->Method();
        } catch (...) {
            request->Error = std::current_exception();
        }
        {
            // Before the thread goes on: it may end and free itself at once.
            TLock lock(queue.Lock);
            queue.Serving.pop_back();
        }
        SetEvent(request->Done);
        ran = true;
    }
    return ran;
}

//--- TThread

TThread::TThread(bool createSuspended) : m_createSuspended(createSuspended) {
    EnsureSyncWindow();
    m_isSuspended.store(true);
    unsigned id = 0;
    // The C run-time's own start routine, so that its per-thread data is set up and freed.
    m_handle = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id));
    if (!m_handle) throw EThread("Thread creation error: " + SysErrorMessage(GetLastError()));
    m_threadId = id;
}

void TThread::AfterConstruction() {
    if (!m_createSuspended && !Started()) Resume();
}

TThread::~TThread() {
    // Whoever deletes the thread owns it: the thread must not delete itself as well.
    int expected = kFreeOnEnd;
    m_end.compare_exchange_strong(expected, kHeld);
    StopAndWait();
    if (m_handle) CloseHandle(m_handle);
}

unsigned __stdcall TThread::ThreadProc(void* parameter) {
    auto* thread = static_cast<TThread*>(parameter);
    gCurrentThread = thread;
    // No exception leaves the thread: it ends Execute and is kept for the owner.
    try {
        if (!thread->Terminated()) thread->Execute();
    } catch (...) {
        thread->m_fatalException = std::current_exception();
    }
    const unsigned result = static_cast<unsigned>(thread->m_returnValue.load());
    try {
        thread->DoTerminate();
    } catch (...) {
    }
    // From here on the object belongs to its owner again, or is deleted here.
    if (thread->m_end.exchange(kEnded) == kFreeOnEnd) delete thread;
    return result;
}

bool TThread::HasEnded() const {
    return m_end.load() == kEnded || WaitForSingleObject(m_handle, 0) == WAIT_OBJECT_0;
}

bool TThread::Suspended() const {
    return m_isSuspended.load();
}

void TThread::SetSuspended(bool value) {
    TLock lock(m_lock);
    if (value == m_isSuspended.load()) return;
    if (value) {
        if (SuspendThread(m_handle) == static_cast<DWORD>(-1)) return;
        m_isSuspended.store(true);
    } else {
        m_isSuspended.store(false);
        m_isStarted.store(true);
        ResumeThread(m_handle);
    }
}

void TThread::Terminate() {
    m_isTerminated.store(true);
    TerminatedSet();
}

uint32_t TThread::WaitFor() {
    if (GetCurrentThreadId() == m_threadId) throw EThread("A thread cannot wait for itself");
    if (IsWaitingForCaller()) throw EThread("Cannot wait for a thread that is waiting for the caller");
    if (FreeOnTerminate()) throw EThread("Cannot wait for a thread that frees itself");
    if (Suspended() && !HasEnded()) {
        if (!Terminated()) throw EThread("Cannot wait for a suspended thread");
        Resume();
    }
    WaitServing(m_handle);
    DWORD code = 0;
    GetExitCodeThread(m_handle, &code);
    return code;
}

bool TThread::IsWaitingForCaller() const {
    // Only the main thread runs methods of other threads.
    if (GetCurrentThreadId() != gMainThreadId) return false;
    SyncQueue& queue = Queue();
    TLock lock(queue.Lock);
    return std::find(queue.Serving.begin(), queue.Serving.end(), this) != queue.Serving.end();
}

void TThread::StopAndWait() {
    if (!m_handle || GetCurrentThreadId() == m_threadId || HasEnded()) return;
    Terminate();
    if (Suspended()) Resume();
    WaitServing(m_handle);
}

TThreadPriority TThread::Priority() const {
    const int value = GetThreadPriority(m_handle);
    for (int p = tpIdle; p <= tpTimeCritical; ++p)
        if (SystemPriority(static_cast<TThreadPriority>(p)) == value) return static_cast<TThreadPriority>(p);
    return tpNormal;
}

void TThread::SetPriority(TThreadPriority value) {
    SetThreadPriority(m_handle, SystemPriority(value));
}

void TThread::SetFreeOnTerminate(bool value) {
    if (!value) {
        int expected = kFreeOnEnd;
        m_end.compare_exchange_strong(expected, kHeld);
        return;
    }
    if (m_end.exchange(kFreeOnEnd) == kEnded) {
        // It ended while it was held: nobody else will delete it.
        m_end.store(kEnded);
        delete this;
    }
}

TNotifyEvent TThread::OnTerminate() const {
    TLock lock(m_lock);
    return m_onTerminate;
}

void TThread::SetOnTerminate(TNotifyEvent handler) {
    TLock lock(m_lock);
    m_onTerminate = std::move(handler);
}

void TThread::DoTerminate() {
    if (!OnTerminate()) return;
    // Read again on the main thread: the handler may have been taken away meanwhile.
    Synchronize([this] {
        const TNotifyEvent handler = OnTerminate();
        if (handler) handler(this);
    });
}

void TThread::Synchronize(const TThreadMethod& method) {
    Synchronize(this, method);
}

void TThread::Synchronize(TThread* thread, const TThreadMethod& method) {
    if (GetCurrentThreadId() == gMainThreadId) {
        method();
        return;
    }
    auto request = std::make_shared<SyncRequest>();
    // Filed under the thread that waits, so that dropping a killed thread's calls finds them.
    request->Thread = gCurrentThread ? gCurrentThread : thread;
    request->Method = method;
    request->Done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!request->Done) throw EThread("Cannot synchronize: " + SysErrorMessage(GetLastError()));
    SyncQueue& queue = Queue();
    {
        TLock lock(queue.Lock);
        queue.Requests.push_back(request);
        SetEvent(queue.Event);
    }
    WakeMainThread();
    WaitForSingleObject(request->Done, INFINITE);
    if (request->Error) std::rethrow_exception(request->Error);
}

TThread* TThread::CurrentThread() {
    return gCurrentThread;
}

bool TThread::IsUnlocked() {
    if (!m_lock.TryEnter()) return false;
    m_lock.Leave();
    return true;
}

void TThread::RemoveQueuedEvents(TThread* thread) {
    SyncQueue& queue = Queue();
    std::vector<std::shared_ptr<SyncRequest>> dropped;
    {
        TLock lock(queue.Lock);
        for (auto it = queue.Requests.begin(); it != queue.Requests.end();) {
            if ((*it)->Thread == thread) {
                dropped.push_back(*it);
                it = queue.Requests.erase(it);
            } else {
                ++it;
            }
        }
        if (queue.Requests.empty()) ResetEvent(queue.Event);
        for (TThread*& served : queue.Serving)
            if (served == thread) served = nullptr;
    }
    for (const auto& request : dropped) SetEvent(request->Done);
}
