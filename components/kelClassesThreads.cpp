// kelClasses: the library's worker threads.
#include <windows.h>

#include "components/kelClassLibLink.h"
#include "components/kelClasses.h"
#include "components/kelSysUtils.h"

namespace {

// The option fields of all folder monitors, and of all registry monitors. They
// are never deleted: a monitor thread that was let go may still be ending while
// the program shuts down.
TCriticalSection& FolderMonitorLock() {
    static TCriticalSection* lock = new TCriticalSection;
    return *lock;
}

TCriticalSection& RegistryMonitorLock() {
    static TCriticalSection* lock = new TCriticalSection;
    return *lock;
}

HANDLE NewWakeEvent() {
    const HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!event) throw EThread("Cannot create the thread's event: " + SysErrorMessage(GetLastError()));
    return event;
}

}  // namespace

//=== TkelMonitorCallback

TkelMonitorCallback::TkelMonitorCallback(TCriticalSection& lock, TThreadMethod callback)
    : m_lock(lock), m_callback(std::move(callback)) {}

void TkelMonitorCallback::Clear() {
    TLock lock(m_lock);
    m_callback = nullptr;
}

bool TkelMonitorCallback::IsAssigned() const {
    TLock lock(m_lock);
    return static_cast<bool>(m_callback);
}

void TkelMonitorCallback::Run(TObject* thread) {
    TThreadMethod callback;
    {
        TLock lock(m_lock);
        callback = m_callback;
    }
    if (!callback) return;
    // The handler's error is the application's to show; the watch goes on.
    try {
        callback();
    } catch (...) {
        kelAppHandleException(thread);
    }
}

//=== TkelThread

TkelThread::~TkelThread() {
    StopAndWait();
}

TNotifyEvent TkelThread::OnFinish() const {
    TLock lock(m_eventLock);
    return m_onFinish;
}

void TkelThread::SetOnFinish(TNotifyEvent handler) {
    TLock lock(m_eventLock);
    m_onFinish = std::move(handler);
}

bool TkelThread::IsUnlocked() {
    if (!m_eventLock.TryEnter()) return false;
    m_eventLock.Leave();
    return TThread::IsUnlocked();
}

void TkelThread::Finish() {
    Terminate();
    m_isFinished.store(true);
    if (OnFinish()) Synchronize([this] { DoFinish(); });
}

void TkelThread::DoFinish() {
    // Read on the main thread: a handler taken away meanwhile does not fire.
    const TNotifyEvent handler = OnFinish();
    if (handler) handler(this);
}

//=== TkelEventThread

TkelEventThread::~TkelEventThread() {
    StopAndWait();
}

TNotifyEvent TkelEventThread::OnExecute() const {
    TLock lock(m_eventLock);
    return m_onExecute;
}

void TkelEventThread::SetOnExecute(TNotifyEvent handler) {
    TLock lock(m_eventLock);
    m_onExecute = std::move(handler);
}

void TkelEventThread::Execute() {
    if (Terminated()) return;
    if (Synchronized())
        Synchronize([this] { DoExecute(); });
    else
        DoExecute();
}

void TkelEventThread::DoExecute() {
    if (Terminated()) return;
    const TNotifyEvent handler = OnExecute();
    if (handler) handler(this);
}

//=== TkelTimerThread

TkelTimerThread::TkelTimerThread(bool createSuspended) : TkelEventThread(createSuspended) {
    // Made here rather than when the thread first runs, so that the owner never
    // looks at a handle the thread is still making.
    m_event = NewWakeEvent();
}

TkelTimerThread::~TkelTimerThread() {
    SetOnExecute(nullptr);
    Stop();
    StopAndWait();
    CloseHandle(m_event);
}

void TkelTimerThread::SetInterval(uint32_t value) {
    if (value == m_interval.load()) return;
    m_interval.store(value);
    // The running wait ends; the next one takes the new interval.
    SetEvent(m_event);
}

bool TkelTimerThread::Suspended() const {
    return TkelEventThread::Suspended() || m_isPaused.load();
}

void TkelTimerThread::SetSuspended(bool value) {
    if (value) {
        // A running timer pauses at its wait instead of being stopped wherever it
        // is (in the middle of a tick it might hold a lock the program needs).
        if (Started()) {
            m_isPaused.store(true);
            SetEvent(m_event);
        }
        return;
    }
    if (m_isPaused.exchange(false)) SetEvent(m_event);
    if (!Started()) TkelEventThread::SetSuspended(false);
}

void TkelTimerThread::Stop() {
    SetEvent(m_event);
    Resume();
}

void TkelTimerThread::TerminatedSet() {
    SetEvent(m_event);
}

void TkelTimerThread::Execute() {
    while (!Terminated()) {
        const uint32_t interval = m_interval.load();
        // A paused timer waits until it is woken; an interval of 0 ticks without pause.
        const DWORD timeout = m_isPaused.load() ? INFINITE : interval;
        const DWORD result = WaitForSingleObject(m_event, timeout);
        if (result == WAIT_FAILED) break;
        if (result == WAIT_TIMEOUT && !Terminated() && !m_isPaused.load()) TkelEventThread::Execute();
    }
}

//=== TkelFolderMonitorThread

TkelFolderMonitorThread::TkelFolderMonitorThread(TThreadMethod onChange)
    : TkelThread(true), m_onChange(FolderMonitorLock(), std::move(onChange)) {
    m_wakeEvent = NewWakeEvent();
    SetFreeOnTerminate(true);
}

TkelFolderMonitorThread::~TkelFolderMonitorThread() {
    StopAndWait();
    if (m_notification != INVALID_HANDLE_VALUE) FindCloseChangeNotification(m_notification);
    CloseHandle(m_wakeEvent);
}

void TkelFolderMonitorThread::SetDirectoryOptions(const std::string& folder, bool watchSubTree, uint32_t filter) {
    {
        TLock lock(FolderMonitorLock());
        m_folder = Trim(folder);
        if (m_folder.empty()) m_folder = GetCurrentDir();
        m_watchSubTree = watchSubTree;
        m_filter = filter;
        m_isOptionsChanged = true;
    }
    SetEvent(m_wakeEvent);
}

void TkelFolderMonitorThread::ClearChangeCallback() {
    m_onChange.Clear();
}

void TkelFolderMonitorThread::TerminatedSet() {
    SetEvent(m_wakeEvent);
}

void TkelFolderMonitorThread::Execute() {
    {
        TLock lock(FolderMonitorLock());
        m_notification = FindFirstChangeNotificationA(m_folder.c_str(), m_watchSubTree, m_filter);
        m_isOptionsChanged = false;
    }
    if (m_notification == INVALID_HANDLE_VALUE) return;
    while (!Terminated()) {
        HANDLE handles[2] = {m_notification, m_wakeEvent};
        const DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (result == WAIT_FAILED) break;
        if (result == WAIT_OBJECT_0) {
            if (m_onChange.IsAssigned()) Synchronize([this] { m_onChange.Run(this); });
            // A notification that cannot be armed again would signal for ever.
            if (!FindNextChangeNotification(m_notification)) break;
        }
        if (Terminated()) break;
        TLock lock(FolderMonitorLock());
        if (m_isOptionsChanged) {
            FindCloseChangeNotification(m_notification);
            m_notification = FindFirstChangeNotificationA(m_folder.c_str(), m_watchSubTree, m_filter);
            m_isOptionsChanged = false;
            if (m_notification == INVALID_HANDLE_VALUE) break;
        }
    }
}

//=== TkelRegistryMonitorThread

TkelRegistryMonitorThread::TkelRegistryMonitorThread(TThreadMethod onChange)
    : TkelThread(true), m_onChange(RegistryMonitorLock(), std::move(onChange)) {
    m_wakeEvent = NewWakeEvent();
    SetFreeOnTerminate(true);
}

TkelRegistryMonitorThread::~TkelRegistryMonitorThread() {
    StopAndWait();
    CloseKey();
    CloseRoot();
    CloseHandle(m_wakeEvent);
}

void TkelRegistryMonitorThread::SetRegistryKeyOptions(HKEY rootKey, const std::string& keyPath, bool watchSubTree,
                                                      uint32_t filter) {
    {
        TLock lock(RegistryMonitorLock());
        m_rootKey = rootKey;
        m_keyPath = keyPath;
        m_watchSubTree = watchSubTree;
        m_filter = filter;
        m_isOptionsChanged = true;
    }
    SetEvent(m_wakeEvent);
}

void TkelRegistryMonitorThread::ClearChangeCallback() {
    m_onChange.Clear();
}

void TkelRegistryMonitorThread::ReportChange() {
    if (m_onChange.IsAssigned()) Synchronize([this] { m_onChange.Run(this); });
}

void TkelRegistryMonitorThread::TerminatedSet() {
    SetEvent(m_wakeEvent);
}

void TkelRegistryMonitorThread::CloseKey() {
    // The key first: closing it ends the notification armed on it.
    if (m_key) RegCloseKey(m_key);
    m_key = nullptr;
    kelRegFindCloseChangeNotification(m_keyNotification);
    m_keyNotification = INVALID_HANDLE_VALUE;
}

void TkelRegistryMonitorThread::CloseRoot() {
    kelRegFindCloseChangeNotification(m_rootNotification);
    m_rootNotification = INVALID_HANDLE_VALUE;
}

void TkelRegistryMonitorThread::WatchKey() {
    if (m_key)
        m_keyNotification = kelRegFindFirstChangeNotification(m_key, m_watchedSubTree, m_watchedFilter, m_keyData);
}

void TkelRegistryMonitorThread::WatchRoot() {
    // Name changes anywhere below the root: the key appearing or going away.
    m_rootNotification = kelRegFindFirstChangeNotification(m_watchedRoot, true, REG_NOTIFY_CHANGE_NAME, m_rootData);
}

void TkelRegistryMonitorThread::WatchAnew() {
    {
        TLock lock(RegistryMonitorLock());
        m_watchedRoot = m_rootKey;
        m_watchedPath = m_keyPath;
        m_watchedSubTree = m_watchSubTree;
        m_watchedFilter = m_filter;
        m_isOptionsChanged = false;
    }
    CloseKey();
    CloseRoot();
    m_isKeyExisting = RegOpenKeyExA(m_watchedRoot, m_watchedPath.c_str(), 0, KEY_READ, &m_key) == ERROR_SUCCESS;
    if (!m_isKeyExisting) m_key = nullptr;
    WatchKey();
    WatchRoot();
}

void TkelRegistryMonitorThread::Execute() {
    WatchAnew();
    while (!Terminated()) {
        // The wake-up first, then the root and the key while they are watched.
        enum Source { kWake, kRoot, kKey };
        HANDLE handles[3] = {m_wakeEvent};
        Source sources[3] = {kWake};
        DWORD count = 1;
        if (m_rootNotification != INVALID_HANDLE_VALUE) {
            handles[count] = m_rootNotification;
            sources[count++] = kRoot;
        }
        if (m_keyNotification != INVALID_HANDLE_VALUE) {
            handles[count] = m_keyNotification;
            sources[count++] = kKey;
        }
        const DWORD result = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
        if (result == WAIT_FAILED || result >= WAIT_OBJECT_0 + count) break;
        const Source source = sources[result - WAIT_OBJECT_0];
        // Each notification is armed again before the key is looked at and the
        // change reported, so that a change made meanwhile signals anew.
        if (source == kRoot) {
            if (!kelRegFindNextChangeNotification(m_rootNotification, m_rootData)) CloseRoot();
            HKEY key = nullptr;
            const bool opened =
                RegOpenKeyExA(m_watchedRoot, m_watchedPath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
            if (opened && !m_isKeyExisting) {
                // The key appeared: watch it from now on.
                CloseKey();
                m_key = key;
                m_isKeyExisting = true;
                WatchKey();
                ReportChange();
            } else if (opened) {
                RegCloseKey(key);
            } else if (m_isKeyExisting) {
                // The key went away.
                CloseKey();
                m_isKeyExisting = false;
                ReportChange();
            }
        } else if (source == kKey) {
            // A deleted key cannot be watched again. A key of the same name may
            // already stand in its place (deleted and made again before this
            // thread woke): the root would not report it, so watch it now.
            if (!kelRegFindNextChangeNotification(m_keyNotification, m_keyData)) {
                CloseKey();
                m_isKeyExisting =
                    RegOpenKeyExA(m_watchedRoot, m_watchedPath.c_str(), 0, KEY_READ, &m_key) == ERROR_SUCCESS;
                if (m_isKeyExisting)
                    WatchKey();
                else
                    m_key = nullptr;
            }
            ReportChange();
        }
        if (Terminated()) break;
        bool changed;
        {
            TLock lock(RegistryMonitorLock());
            changed = m_isOptionsChanged;
        }
        if (changed) WatchAnew();
    }
}

//=== TkelCustomCopyThread

TkelCustomCopyThread::TkelCustomCopyThread(const std::string& source, const std::string& dest, bool freeOnTerminate,
                                           bool createSuspended, TkelCopyErrorEvent onError,
                                           TkelCopyProgressEvent onProgress, TNotifyEvent onFinish, void* data)
    : TkelThread(createSuspended),
      m_onError(std::move(onError)),
      m_onProgress(std::move(onProgress)),
      m_data(data) {
    m_srcName = source;
    m_dstName = dest;
    SetFreeOnTerminate(freeOnTerminate);
    SetOnFinish(std::move(onFinish));
}

TkelCustomCopyThread::~TkelCustomCopyThread() {
    StopAndWait();
}

void TkelCustomCopyThread::Execute() {
    if (!Terminated()) CalcTotalSize();
    if (!Terminated()) Synchronize([this] { FireProgressEvent(); });
    if (!Terminated()) Copy();
    if (!Terminated()) Synchronize([this] { FireProgressEvent(); });
    Finish();
}

void TkelCustomCopyThread::SetErrorCode(uint32_t code) {
    m_errorCode = code;
    SetReturnValue(static_cast<int32_t>(code));
    if (code != 0 && !Terminated()) {
        Synchronize([this] { FireErrorEvent(); });
        Cancel();
    }
}

std::string TkelCustomCopyThread::GetErrorMessage() const {
    return m_errorCode == 0 ? std::string() : SysErrorMessage(m_errorCode);
}

void TkelCustomCopyThread::FireErrorEvent() {
    if (!m_onError) return;
    try {
        DoError(m_errorCode, GetErrorMessage());
    } catch (...) {
        kelAppHandleException(this);
    }
}

void TkelCustomCopyThread::DoError(uint32_t code, const std::string& message) {
    m_onError(this, code, message);
}

void TkelCustomCopyThread::FireProgressEvent() {
    if (!m_onProgress) return;
    // A failing handler is shown and ends the copy; Finish still comes.
    try {
        DoProgress(m_copied, m_totalSize);
    } catch (...) {
        Cancel();
        kelAppHandleException(this);
    }
}

void TkelCustomCopyThread::DoProgress(uint32_t copied, uint32_t total) {
    bool cancel = false;
    m_onProgress(this, copied, total, cancel);
    if (cancel) Cancel();
}

void TkelCustomCopyThread::Cancel() {
    Terminate();
    if (Suspended()) Resume();
}

//=== TkelLocalCopyThread

TkelLocalCopyThread::~TkelLocalCopyThread() {
    StopAndWait();
}

void TkelLocalCopyThread::CalcTotalSize() {
    const HANDLE file = CreateFileA(SrcName().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        SetErrorCode(GetLastError());
        return;
    }
    m_totalSize = GetFileSize(file, nullptr);
    const DWORD error = m_totalSize == INVALID_FILE_SIZE ? GetLastError() : NO_ERROR;
    CloseHandle(file);
    if (error != NO_ERROR) SetErrorCode(error);
}

void TkelLocalCopyThread::Copy() {
    kelForceDirectories(ExtractFilePath(DstName()));
    const bool copied = kelCopyFileEx(
        SrcName(), DstName(), 0,
        [this](TObject*, uint32_t done, uint32_t total, bool& cancel) {
            m_copied = done;
            m_totalSize = total;
            Synchronize([this] { FireProgressEvent(); });
            cancel = Terminated();
        },
        this);
    if (!copied)
        SetErrorCode(GetLastError());
    else
        m_copied = m_totalSize;
}
