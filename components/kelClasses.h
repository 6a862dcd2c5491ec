// kelClasses: the library's non-visual classes. A string list of
// "Name=Value,Parameter" items, a component that reports the removal of the
// components it watches, a named block of memory shared between processes, a
// reader of a file's version resource, and the worker threads: a base with a
// finish event, a thread that runs a handler, a timer thread, the folder and
// registry change monitors, and the file-copy threads.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"
#include "classlib/Threads.h"
#include "components/kelSysUtils.h"

//=== TkelStringList

// A string list whose items read "Name=Value,Parameter": the name ends at the first
// "=", the value at the first "," after it, the parameter is the rest; blanks and
// control characters around each part do not count.
class TkelStringList : public TStringList {
public:
    const char* ClassName() const override { return "TkelStringList"; }

    // name "=" value, then "," parameter when there is one.
    static void CreateItem(const std::string& name, const std::string& value, std::string& item,
                           const std::string& parameter);
    static void ParseItem(const std::string& item, std::string& name, std::string& value, std::string& parameter);

    virtual std::string ExtractName(const std::string& item);
    virtual std::string ExtractValue(const std::string& item);
    virtual std::string ExtractParameter(const std::string& item);

    // The name of item index; SetName rebuilds the item with the new name.
    std::string GetName(int index);
    void SetName(int index, const std::string& name);
    // The value or parameter of the item found by name (IndexOfName); empty when none.
    std::string GetValue(const std::string& name);
    std::string GetParameter(const std::string& name);
    // Rebuild the item found by name, or append one, keeping the other part.
    void SetValue(const std::string& name, const std::string& value);
    void SetParameter(const std::string& name, const std::string& parameter);
};

//=== TkelLinkedComponent

// Tells its callback about every component it watches (FreeNotification) or owns
// that is being removed.
class TkelLinkedComponent : public TComponent {
public:
    using TRemoveCallback = std::function<void(TComponent* component)>;
    TkelLinkedComponent(TComponent* owner, TRemoveCallback callback);
    const char* ClassName() const override { return "TkelLinkedComponent"; }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TRemoveCallback m_callback;
};

//=== TkelChannel

class EkelChannel : public Exception {
public:
    using Exception::Exception;
};

// A named block of memory in the paging file, shared by every process that opens
// a channel of the same name. The process that creates it finds it zero-filled;
// one that opens an existing channel keeps its contents.
class TkelChannel : public TObject {
public:
    // Points data at the block of size bytes; raises EkelChannel when the block
    // cannot be created or mapped.
    TkelChannel(const std::string& name, void*& data, uint32_t size);
    ~TkelChannel() override;
    const char* ClassName() const override { return "TkelChannel"; }

    // Unmaps the block and closes it; the name is cleared.
    virtual void Close();
    // Fills the whole block with zero bytes.
    virtual void Clean();

    const std::string& Name() const { return m_name; }
    uint32_t Size() const { return m_size; }

private:
    std::string m_name;
    void* m_view = nullptr;
    HANDLE m_mapping = nullptr;
    uint32_t m_size = 0;
};

//=== TkelFileVersionInfo

class EkelFileVersionInfo : public Exception {
public:
    using Exception::Exception;
};

enum TkelFileVersionFlag : uint32_t {
    fvfDebug = 1u << 0,
    fvfInfoInferred = 1u << 1,
    fvfPatched = 1u << 2,
    fvfPreRelease = 1u << 3,
    fvfPrivateBuild = 1u << 4,
    fvfSpecialBuild = 1u << 5,
};
using TkelFileVersionFlags = uint32_t;

// The standard keys of a version resource's string table, by index 1 to 12
// ("Comments" ... "PrivateBuild"); index 0 is empty.
extern const char* const CkelVersionKeys[13];

// The version resource of a file (or a block of its bytes): the fixed
// information, the languages it names, and the texts of its string tables.
class TkelFileVersionInfo : public TObject {
public:
    // Raises EkelFileVersionInfo "File contains no version information" for a file
    // without one, and EOSError when the resource cannot be read.
    explicit TkelFileVersionInfo(const std::string& fileName);
    // The bytes of a version resource. No more than size bytes are read (none
    // past the block's own length); a size of 0 trusts the block's length. A
    // block longer than size, or whose nodes do not fit inside each other, raises
    // EkelFileVersionInfo "File contains no version information".
    TkelFileVersionInfo(const void* block, uint32_t size);
    ~TkelFileVersionInfo() override;
    const char* ClassName() const override { return "TkelFileVersionInfo"; }

    const std::string& FileName() const { return m_fileName; }
    TkelFileVersionFlags Flags() const { return m_flags; }
    const VS_FIXEDFILEINFO& FixedFileInfo() const { return *m_fixedInfo; }

    // "major.minor.release.build" of the file and product versions.
    std::string GetBinFileVersion() const;
    std::string GetBinProductVersion() const;
    uint32_t GetFileOS() const;
    uint32_t GetFileType() const;
    uint32_t GetFileSubType() const;

    int GetLanguageCount() const;
    // The translation value (language in the low word, code page in the high word).
    uint32_t GetLanguageIds(int index) const;
    // The language's name as the system gives it.
    std::string GetLanguageNames(int index) const;
    // "040904e4"-style texts of the languages, in the resource's order.
    const TStringList& Languages() const { return *m_languages; }

    // The text of standard key 1 to 12 (empty for another index) or of any key, in
    // the string table of the chosen language; empty when the key is missing.
    std::string GetVersionKeyValue(int keyIndex) const;
    std::string GetUserKey(const std::string& keyName) const;

    // The language whose string table the key look-ups read (0, the first, until
    // set). Raises EkelFileVersionInfo "Illegal language index" outside the list.
    int LanguageIndex() const { return m_languageIndex; }
    void SetLanguageIndex(int index);

private:
    void ReadBlock();
    void ReadInfo();

    // The system's query writes converted texts into the space behind the block.
    mutable std::string m_buffer;
    TkelFileVersionFlags m_flags = 0;
    std::string m_fileName;
    const VS_FIXEDFILEINFO* m_fixedInfo = nullptr;
    int m_languageIndex = 0;
    TStringList* m_languages = nullptr;
};

//=== Threads

// Base of the library's threads: Finish marks the thread finished and fires
// OnFinish on the main thread.
class TkelThread : public TThread {
public:
    explicit TkelThread(bool createSuspended) : TThread(createSuspended) {}
    ~TkelThread() override;
    const char* ClassName() const override { return "TkelThread"; }

    bool Finished() const { return m_isFinished.load(); }
    TNotifyEvent OnFinish() const;
    void SetOnFinish(TNotifyEvent handler);
    bool IsUnlocked() override;

protected:
    void Execute() override {}
    // Terminate, Finished, then OnFinish on the main thread when assigned.
    virtual void Finish();
    virtual void DoFinish();

    // Guards the events the main thread may change while the thread reads them.
    mutable TCriticalSection m_eventLock;

private:
    std::atomic<bool> m_isFinished{false};
    TNotifyEvent m_onFinish;
};

// Runs OnExecute once per run of the thread: in the thread, or on the main thread
// when Synchronized is set.
class TkelEventThread : public TkelThread {
public:
    explicit TkelEventThread(bool createSuspended) : TkelThread(createSuspended) {}
    ~TkelEventThread() override;
    const char* ClassName() const override { return "TkelEventThread"; }

    TNotifyEvent OnExecute() const;
    void SetOnExecute(TNotifyEvent handler);
    bool Synchronized() const { return m_isSynchronized.load(); }
    void SetSynchronized(bool value) { m_isSynchronized.store(value); }

protected:
    void Execute() override;
    // Fires OnExecute with the thread as sender unless the thread was terminated.
    virtual void DoExecute();

private:
    TNotifyEvent m_onExecute;
    std::atomic<bool> m_isSynchronized{false};
};

// Fires OnExecute every Interval milliseconds (0: one tick after another) until terminated; created
// suspended. Suspending a running timer pauses it at its wait (never in the middle
// of a tick), and a new Interval or a Terminate ends the running wait at once.
class TkelTimerThread : public TkelEventThread {
public:
    explicit TkelTimerThread(bool createSuspended = true);
    ~TkelTimerThread() override;
    const char* ClassName() const override { return "TkelTimerThread"; }

    uint32_t Interval() const { return m_interval.load(); }
    void SetInterval(uint32_t value);
    bool Suspended() const override;
    void SetSuspended(bool value) override;

    // Ends the running wait, then resumes the thread.
    virtual void Stop();

protected:
    void Execute() override;
    void TerminatedSet() override;

private:
    std::atomic<uint32_t> m_interval{1000};
    std::atomic<bool> m_isPaused{false};
    // Auto-reset; set to end the running wait early.
    HANDLE m_event = nullptr;
};

// The change callback of a monitor thread: set by the main thread, taken away
// by it at any time, and run by it when the thread reports a change; guarded by
// the lock of its kind of monitor.
class TkelMonitorCallback {
public:
    TkelMonitorCallback(TCriticalSection& lock, TThreadMethod callback);
    void Clear();
    bool IsAssigned() const;
    // On the main thread; an error of the handler goes to the application.
    void Run(TObject* thread);

private:
    TCriticalSection& m_lock;
    TThreadMethod m_callback;
};

// Waits for changes of a folder's contents and runs the change callback on the
// main thread for each. Created suspended and freeing itself when it ends; the
// owner sets the options, resumes it and lets it go with Terminate.
//
// The owner wakes the thread through an event of the thread's own; only the
// thread itself opens and closes its change notification, so no handle is
// closed while the thread waits on it.
class TkelFolderMonitorThread : public TkelThread {
public:
    explicit TkelFolderMonitorThread(TThreadMethod onChange);
    ~TkelFolderMonitorThread() override;
    const char* ClassName() const override { return "TkelFolderMonitorThread"; }

    // The folder (trimmed; the current directory when empty), whether its subfolders
    // count, and the FILE_NOTIFY_CHANGE_* flags; a running thread watches anew.
    void SetDirectoryOptions(const std::string& folder, bool watchSubTree, uint32_t filter);
    // Takes the change callback away: a change already on its way to the main
    // thread then runs nothing.
    void ClearChangeCallback();

protected:
    void Execute() override;
    void TerminatedSet() override;

private:
    HANDLE m_wakeEvent = nullptr;
    HANDLE m_notification = INVALID_HANDLE_VALUE;
    std::string m_folder;
    bool m_watchSubTree = false;
    bool m_isOptionsChanged = false;
    uint32_t m_filter = 0;
    TkelMonitorCallback m_onChange;
};

// Waits for changes of a registry key and runs the change callback on the main
// thread for each; a key that does not exist is watched through its root until it
// appears, and its disappearance is reported too. Lifecycle and wake-up as the
// folder monitor thread's.
class TkelRegistryMonitorThread : public TkelThread {
public:
    explicit TkelRegistryMonitorThread(TThreadMethod onChange);
    ~TkelRegistryMonitorThread() override;
    const char* ClassName() const override { return "TkelRegistryMonitorThread"; }

    // The root, the key's path below it, whether subkeys count, and the
    // REG_NOTIFY_CHANGE_* flags; a running thread watches anew.
    void SetRegistryKeyOptions(HKEY rootKey, const std::string& keyPath, bool watchSubTree, uint32_t filter);
    void ClearChangeCallback();

protected:
    void Execute() override;
    void TerminatedSet() override;

private:
    void ReportChange();
    void CloseKey();
    void CloseRoot();
    void WatchKey();
    void WatchRoot();
    void WatchAnew();

    HANDLE m_wakeEvent = nullptr;
    HANDLE m_keyNotification = INVALID_HANDLE_VALUE;
    HANDLE m_rootNotification = INVALID_HANDLE_VALUE;
    std::string m_keyPath;
    HKEY m_rootKey = nullptr;
    HKEY m_key = nullptr;
    bool m_isKeyExisting = false;
    bool m_watchSubTree = false;
    bool m_isOptionsChanged = false;
    uint32_t m_filter = 0;
    TkelMonitorCallback m_onChange;
    // The options the thread works with: copied from the fields above under the
    // lock, then read by the thread alone.
    HKEY m_watchedRoot = nullptr;
    std::string m_watchedPath;
    bool m_watchedSubTree = false;
    uint32_t m_watchedFilter = 0;
    _REG_CHANGE_DATA m_keyData{};
    _REG_CHANGE_DATA m_rootData{};
};

// A copy error: the thread, the system's error code and its text.
using TkelCopyErrorEvent = std::function<void(TObject* sender, uint32_t errorCode, const std::string& message)>;
// Progress: bytes copied and the total; setting cancel ends the copy.
using TkelCopyProgressEvent = std::function<void(TObject* sender, uint32_t copied, uint32_t total, bool& cancel)>;

// Copies a file in a thread: measures the source, reports progress and errors on
// the main thread, and always ends with Finish (OnFinish). A thread not created
// suspended starts once constructed (NewThread).
class TkelCustomCopyThread : public TkelThread {
public:
    TkelCustomCopyThread(const std::string& source, const std::string& dest, bool freeOnTerminate,
                         bool createSuspended, TkelCopyErrorEvent onError, TkelCopyProgressEvent onProgress,
                         TNotifyEvent onFinish, void* data);
    ~TkelCustomCopyThread() override;
    const char* ClassName() const override { return "TkelCustomCopyThread"; }

    const std::string& SrcName() const { return m_srcName; }
    const std::string& DstName() const { return m_dstName; }
    uint32_t ErrorCode() const { return m_errorCode; }
    uint32_t Copied() const { return m_copied; }
    uint32_t TotalSize() const { return m_totalSize; }
    void* Data() const { return m_data; }

    // Terminate, and resume a suspended thread so that it can end.
    void Cancel();

protected:
    void Execute() override;
    virtual void CalcTotalSize() = 0;
    virtual void Copy() = 0;
    virtual void FireErrorEvent();
    virtual void FireProgressEvent();
    virtual void SetSrcName(const std::string& value) { m_srcName = value; }
    virtual void SetDstName(const std::string& value) { m_dstName = value; }
    // Keeps the code (also as ReturnValue); a failure reports OnError and cancels.
    virtual void SetErrorCode(uint32_t code);
    virtual std::string GetErrorMessage() const;
    virtual void DoError(uint32_t code, const std::string& message);
    virtual void DoProgress(uint32_t copied, uint32_t total);

    uint32_t m_copied = 0;
    uint32_t m_totalSize = 0;

private:
    uint32_t m_errorCode = 0;
    TkelCopyErrorEvent m_onError;
    TkelCopyProgressEvent m_onProgress;
    std::string m_srcName;
    std::string m_dstName;
    void* m_data = nullptr;
};

// Copies a local file in chunks (kelCopyFileEx), creating the destination's folder.
class TkelLocalCopyThread : public TkelCustomCopyThread {
public:
    using TkelCustomCopyThread::TkelCustomCopyThread;
    ~TkelLocalCopyThread() override;
    const char* ClassName() const override { return "TkelLocalCopyThread"; }

protected:
    void CalcTotalSize() override;
    void Copy() override;
};
