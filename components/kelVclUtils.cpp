// kelVclUtils: the application, its forms and the shell.
#include "components/kelVclUtils.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "classlib/FileUtils.h"
#include "classlib/Menus.h"
#include "components/kelClassLibLink.h"
#include "components/kelFileComponents.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "components/kelVclConsts.h"

void kelApplicationTaskBarButtonShow() {
    HWND window = kelAppHandle();
    if (IsWindow(window)) ShowWindow(window, SW_SHOWNORMAL);
}

void kelApplicationTaskBarButtonHide() {
    HWND window = kelAppHandle();
    if (IsWindow(window) && IsWindowVisible(window)) ShowWindow(window, SW_HIDE);
}

void kelMainFormShow() {
    kelApplicationTaskBarButtonShow();
    if (kelAppHasMainForm()) kelAppSetMainFormVisible(true);
}

void kelMainFormHide() {
    kelApplicationTaskBarButtonHide();
    if (kelAppHasMainForm()) kelAppSetMainFormVisible(false);
}

HWND kelFindPrevInstance() {
    HWND own = kelAppHandle();
    if (!own) return nullptr;
    char className[256] = {};
    if (GetClassNameA(own, className, sizeof className) == 0) return nullptr;
    const std::string title = kelAppTitle();
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className, title.c_str())) != nullptr) {
        if (window != own) return window;
    }
    return nullptr;
}

bool kelActivatePrevInstance() {
    HWND window = kelFindPrevInstance();
    if (!window) return false;
    if (IsIconic(window))
        OpenIcon(window);
    else
        SetForegroundWindow(window);
    return true;
}

//--- Waiting

void kelDelay(uint32_t milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        kelAppProcessMessages();
        // Unsigned: right also when the tick count wraps around.
        const DWORD passed = GetTickCount() - start;
        if (passed >= milliseconds) return;
        // Sleeps until a message comes or the time is up, instead of spinning.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - passed, QS_ALLINPUT);
    }
}

//--- Work areas and form placement

namespace {

bool MonitorWorkArea(HMONITOR monitor, RECT& rect) {
    if (!monitor) return false;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return false;
    rect = info.rcWork;
    return true;
}

// Moves left and top so that the size fits the work area, the left and top
// edges winning when it is larger.
void FitIntoWorkArea(int& left, int& top, int width, int height, const RECT& work) {
    left = std::max<int>(left, work.left);
    top = std::max<int>(top, work.top);
    if (left + width > work.right) left = work.right - width;
    if (top + height > work.bottom) top = work.bottom - height;
    left = std::max<int>(left, work.left);
    top = std::max<int>(top, work.top);
}

}  // namespace

void kelGetWorkAreaRectByForm(const TControl* form, RECT& rect) {
    kelGetWorkAreaRect(rect);
    if (!form) return;
    const RECT bounds = form->BoundsRect();
    MonitorWorkArea(MonitorFromRect(&bounds, MONITOR_DEFAULTTONULL), rect);
}

void kelGetWorkAreaRectByPoint(int x, int y, RECT& rect) {
    kelGetWorkAreaRect(rect);
    MonitorWorkArea(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONULL), rect);
}

void kelFormCenterScreen(TControl* form) {
    if (!form) return;
    RECT work{};
    kelGetWorkAreaRectByForm(form, work);
    // Division truncating toward zero, also for a form larger than the area.
    const int left = work.left + (work.right - work.left - form->Width()) / 2;
    const int top = work.top + (work.bottom - work.top - form->Height()) / 2;
    form->SetBounds(left, top, form->Width(), form->Height());
}

void kelFormFitToScreen(TControl* form) {
    if (!form) return;
    RECT work{};
    kelGetWorkAreaRectByForm(form, work);
    int left = form->Left();
    int top = form->Top();
    FitIntoWorkArea(left, top, form->Width(), form->Height(), work);
    form->SetBounds(left, top, form->Width(), form->Height());
}

void kelFormCenterForm(TControl* form, const TControl* over) {
    if (!form) return;
    if (!over || !over->Visible()) {
        kelFormCenterScreen(form);
        return;
    }
    int left = over->Left() + (over->Width() - form->Width()) / 2;
    int top = over->Top() + (over->Height() - form->Height()) / 2;
    RECT work{};
    kelGetWorkAreaRectByForm(over, work);
    FitIntoWorkArea(left, top, form->Width(), form->Height(), work);
    form->SetBounds(left, top, form->Width(), form->Height());
}

//--- Walking components and controls

void kelForEachComponent(TComponent* owner, TkelClassTest classTest, const std::function<void(TComponent*)>& callback) {
    if (!owner || !callback) return;
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        TComponent* component = owner->Components(i);
        if (!classTest || classTest(component)) callback(component);
    }
}

void kelForEachControl(TWinControl* parent, TkelClassTest classTest, const std::function<void(TControl*)>& callback) {
    if (!parent || !callback) return;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* control = parent->Controls(i);
        if (!classTest || classTest(control)) callback(control);
    }
}

//--- Files and folders

bool kelCopyFiles(const TStrings* list) {
    TkelFileOperation operation(nullptr);
    operation.SetOperation(fotCopy);
    operation.SetFileList(list);
    return operation.Execute();
}

namespace {

// A path less the prefix that has the system take it as it is: "\\?\X:\..." (or
// "\\.\X:\...") is "X:\...", and "\\?\UNC\server\share\..." is
// "\\server\share\...". The system does not tidy such a path; without the prefix,
// the root check below tidies it (".." and all) before judging it.
std::string WithoutLiteralPrefix(const std::string& path) {
    if (path.size() < 4 || path[0] != '\\' || path[1] != '\\' || (path[2] != '?' && path[2] != '.') || path[3] != '\\')
        return path;
    const std::string rest = path.substr(4);
    if (SameText(rest.substr(0, 3), "UNC") && (rest.size() == 3 || rest[3] == '\\'))
        return "\\\\" + rest.substr(std::min<size_t>(rest.size(), 4));
    return rest;
}

// Whether the folder is the root of a drive or share, or names none: a root is
// never deleted. "X:\" less its separator, "X:", is the drive's current folder,
// which nobody named.
bool IsRootFolder(const std::string& folder) {
    const std::string path = kelRemoveSlash(WithoutLiteralPrefix(folder));
    if (path.empty() || path == ExtractFileDrive(path)) return true;
    const std::string full = kelRemoveSlash(ExpandFileName(path));
    return full.empty() || full == ExtractFileDrive(full);
}

}  // namespace

void kelRemoveDir(const std::string& folder) {
    if (IsRootFolder(folder)) return;
    const std::string path = kelRemoveSlash(folder);
    if (!kelDirectoryExists(path)) return;
    TkelFileOperation operation(nullptr);
    operation.SetOperation(fotDelete);
    operation.FileList()->Add(path);
    TkelFileOperationFlags options = operation.Options();
    options &= ~(kelFileOperationFlag(fofAllowUndo) | kelFileOperationFlag(fofFilesOnly));
    options |= kelFileOperationFlag(fofNoConfirmation) | kelFileOperationFlag(fofSilent);
    operation.SetOptions(options);
    operation.Execute();
}

void kelClearDir(const std::string& folder) {
    if (IsRootFolder(folder)) return;
    kelRemoveDir(folder);
    kelDelay(100);
    const std::string path = kelRemoveSlash(folder);
    kelForceDirectories(path);
    // Forcing skips names of one or two characters, which could be roots; this
    // one is none, so a short name such as "ab" is made here.
    if (!kelDirectoryExists(path)) CreateDirectoryA(path.c_str(), nullptr);
}

bool kelCopyFileWithEvents(const std::string& source,
                           const std::string& dest,
                           TkelCopyErrorEvent onError,
                           TkelCopyProgressEvent onProgress,
                           TNotifyEvent onFinish) {
    if (!FileExists(source)) {
        if (onError) onError(nullptr, ERROR_FILE_NOT_FOUND, Format(LoadResString(SkelNoFile), source));
        return false;
    }
    // The thread reports a failure and a cancel only through the events: they
    // are watched on the way, so that the result can tell them.
    bool isFailed = false;
    TkelCopyErrorEvent watchError = [&isFailed, onError](TObject* sender, uint32_t code, const std::string& message) {
        isFailed = true;
        if (onError) onError(sender, code, message);
    };
    TkelCopyProgressEvent watchProgress;
    if (onProgress)
        watchProgress = [&isFailed, onProgress](TObject* sender, uint32_t copied, uint32_t total, bool& cancel) {
            try {
                onProgress(sender, copied, total, cancel);
            } catch (...) {
                isFailed = true;  // a failing handler ends the copy
                throw;
            }
            if (cancel) isFailed = true;
        };
    std::unique_ptr<TkelLocalCopyThread> thread(NewThread<TkelLocalCopyThread>(
        source, dest, false, false, std::move(watchError), std::move(watchProgress), std::move(onFinish), nullptr));
    for (;;) {
        if (Application && Application->Terminated()) return false;  // freeing the thread stops it
        kelAppProcessMessages();
        if (thread->Terminated() || thread->Finished()) break;
        HANDLE handle = thread->Handle();
        // Wakes for the thread's requests (posted messages) and for its end.
        MsgWaitForMultipleObjects(1, &handle, FALSE, 50, QS_ALLINPUT);
    }
    // Freeing waits for the thread, serving what it still asks of this one
    // (its OnFinish).
    thread.reset();
    return !isFailed;
}

std::string kelGetSpecialFolderLocation(int folderId) {
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, &items)) || !items) return std::string();
    char path[MAX_PATH] = {};
    const bool isFound = SHGetPathFromIDListA(items, path) != FALSE;
    CoTaskMemFree(items);
    return isFound ? std::string(path) : std::string();
}

std::string kelGetFavoritesDir() {
    return kelGetSpecialFolderLocation(CSIDL_FAVORITES);
}

std::string kelGetSendToDir() {
    return kelGetSpecialFolderLocation(CSIDL_SENDTO);
}

//--- Shell

bool kelRunShortcutWizard(const std::string& folder) {
    const std::string path = kelRemoveSlash(folder);
    if (!kelDirectoryExists(path)) return false;
    return kelWinExec("rundll32 appwiz.cpl,NewLinkHere " + path + "\\", SW_SHOWNORMAL) > 31;
}

namespace {

// COM for the calling thread while the object lives (balanced only when it was
// this object that started it).
class ComScope {
public:
    ComScope() : m_result(CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_result;
};

template <class T>
struct ComRelease {
    void operator()(T* object) const {
        if (object) object->Release();
    }
};
template <class T>
using ComPtr = std::unique_ptr<T, ComRelease<T>>;

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// The shell keeps hot keys as the key and HOTKEYF_* flags in the high byte;
// menu shortcuts keep the shift keys as their own flags.
uint16_t ShortCutToHotKey(TShortCut shortCut) {
    uint16_t modifiers = 0;
    if (shortCut & scShift) modifiers |= HOTKEYF_SHIFT;
    if (shortCut & scCtrl) modifiers |= HOTKEYF_CONTROL;
    if (shortCut & scAlt) modifiers |= HOTKEYF_ALT;
    return static_cast<uint16_t>((modifiers << 8) | (shortCut & 0xFF));
}

TShortCut HotKeyToShortCut(uint16_t hotKey) {
    const unsigned modifiers = hotKey >> 8;
    TShortCut shortCut = hotKey & 0xFF;
    if (modifiers & HOTKEYF_SHIFT) shortCut |= scShift;
    if (modifiers & HOTKEYF_CONTROL) shortCut |= scCtrl;
    if (modifiers & HOTKEYF_ALT) shortCut |= scAlt;
    return shortCut;
}

// The shell's limit of a link's arguments and description.
constexpr int kInfoTipSize = 1024;
constexpr int kLinkPathSize = MAX_PATH + 3;

// The shell's link object and its file side; false when the shell has none.
bool NewShellLink(ComPtr<IShellLinkA>& link, ComPtr<IPersistFile>& file) {
    IShellLinkA* rawLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&rawLink))) ||
        !rawLink)
        return false;
    link = ComPtr<IShellLinkA>(rawLink);
    IPersistFile* rawFile = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile))) || !rawFile) return false;
    file = ComPtr<IPersistFile>(rawFile);
    return true;
}

}  // namespace

bool kelCreateShellLink(const std::string& linkFile,
                        const std::string& target,
                        const std::string& arguments,
                        const std::string& workingDir,
                        const std::string& description,
                        const std::string& iconFile,
                        int iconIndex,
                        uint16_t hotKey,
                        const std::string& hotKeyText,
                        int showCmd) {
    ComScope com;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    if (!NewShellLink(link, file)) return false;

    const uint16_t key = hotKeyText.empty() ? hotKey : ShortCutToHotKey(TextToShortCut(hotKeyText));
    return link->SetPath(target.c_str()) == S_OK && link->SetArguments(arguments.c_str()) == S_OK &&
           link->SetWorkingDirectory(workingDir.c_str()) == S_OK && link->SetShowCmd(showCmd) == S_OK &&
           link->SetHotkey(key) == S_OK && link->SetDescription(description.c_str()) == S_OK &&
           link->SetIconLocation(iconFile.c_str(), iconIndex) == S_OK &&
           file->Save(Wide(linkFile).c_str(), FALSE) == S_OK;
}

bool kelReadShellLink(const std::string& linkFile,
                      std::string& target,
                      std::string& arguments,
                      std::string& workingDir,
                      std::string& description,
                      std::string& iconFile,
                      int& iconIndex,
                      uint16_t& hotKey,
                      std::string& hotKeyText,
                      int& showCmd) {
    if (!FileExists(linkFile)) return false;
    ComScope com;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    if (!NewShellLink(link, file)) return false;
    if (file->Load(Wide(linkFile).c_str(), STGM_READ) != S_OK) return false;

    // Each buffer one longer than the shell is told, so a full one still ends.
    std::vector<char> buffer(kInfoTipSize + 1, '\0');
    const auto text = [&buffer] { return std::string(buffer.data()); };
    WIN32_FIND_DATAA found{};
    if (link->GetPath(buffer.data(), kLinkPathSize, &found, SLGP_UNCPRIORITY) != S_OK) return false;
    target = text();
    buffer.assign(buffer.size(), '\0');
    if (link->GetArguments(buffer.data(), kInfoTipSize) != S_OK) return false;
    arguments = text();
    buffer.assign(buffer.size(), '\0');
    if (link->GetWorkingDirectory(buffer.data(), kLinkPathSize) != S_OK) return false;
    workingDir = text();
    int show = 0;
    if (link->GetShowCmd(&show) != S_OK) return false;
    showCmd = show;
    WORD key = 0;
    if (link->GetHotkey(&key) != S_OK) return false;
    hotKey = key;
    hotKeyText = ShortCutToText(HotKeyToShortCut(key));
    buffer.assign(buffer.size(), '\0');
    if (link->GetDescription(buffer.data(), kInfoTipSize) != S_OK) return false;
    description = text();
    buffer.assign(buffer.size(), '\0');
    int index = 0;
    if (link->GetIconLocation(buffer.data(), kLinkPathSize, &index) != S_OK) return false;
    iconFile = text();
    iconIndex = index;
    return true;
}

void kelShellExecute(const std::string& file) {
    kelShellExecuteCall(kelAppHandle(), std::string(), file, std::string(), std::string(), SW_SHOW);
}

void kelGetShell32Icon(int index, TIcon* largeIcon, TIcon* smallIcon) {
    const std::string library = kelGetSystemDir() + "shell32.dll";
    HICON large = nullptr;
    HICON small = nullptr;
    ExtractIconExA(library.c_str(), index, largeIcon ? &large : nullptr, smallIcon ? &small : nullptr, 1);
    if (largeIcon) largeIcon->SetHandle(large);
    if (smallIcon) smallIcon->SetHandle(small);
}

namespace {

// The address as one argument of a command line, quoted as the registered
// command's "%1" is: blanks or quotes in it must not make further arguments.
// A quote inside becomes its URL escape; backslashes before the closing quote
// are doubled, or they would escape it.
std::string QuotedArgument(const std::string& address) {
    std::string text;
    for (char c : address) text += c == '"' ? std::string("%22") : std::string(1, c);
    size_t backslashes = 0;
    while (backslashes < text.size() && text[text.size() - 1 - backslashes] == '\\') ++backslashes;
    text.append(backslashes, '\\');
    return '"' + text + '"';
}

}  // namespace

void kelGotoUrl(const std::string& address) {
    kelGotoUrlEx(address, false);
}

void kelGotoUrlEx(const std::string& address, bool useBrowserCommand) {
    const std::string url = address.find("://") == std::string::npos ? "http://" + address : address;
    if (useBrowserCommand) {
        // The browser's registration belongs to another program: tests move it.
        HKEY root = HKEY_CLASSES_ROOT;
        std::string key = "http\\shell\\open\\command";
        kelRedirectRegistryKey(root, key);
        std::string command = kelRegReadStringDef(root, key, "", "");
        if (command.find("%1") != std::string::npos) {
            kelReplaceSubStrings(command, "%1", "");
            kelReplaceSubStrings(command, "\"\"", "");
        }
        std::string program = command;
        std::string parameters = QuotedArgument(url);
        const size_t dot = command.rfind('.');
        if (dot != std::string::npos && command.size() - dot >= 5) {
            program = command.substr(0, dot + 4);
            if (!program.empty() && program[0] == '"') program.erase(0, 1);
            parameters = command.substr(dot + 5) + " " + parameters;
        }
        if (FileExists(program)) {
            kelShellExecuteCall(kelAppHandle(), "open", program, parameters, std::string(), SW_SHOW);
            return;
        }
    }
    kelShellExecuteCall(kelAppHandle(), "open", url, std::string(), std::string(), SW_SHOW);
}

namespace {

std::string MailTo(const std::string& address) {
    return kelPosIgnoreCase("mailto:", address) > 0 ? address : "mailto:" + address;
}

}  // namespace

void kelSendEmail(const std::string& address, const std::string& subject) {
    std::string text = MailTo(address);
    if (!subject.empty()) text += "?subject=" + subject;
    kelShellExecuteCall(kelAppHandle(), "open", text, std::string(), std::string(), SW_SHOW);
}

void kelSendEmailEx(const std::string& address, const std::string& subject, const std::string& body) {
    const std::string text = MailTo(address) + "?subject=" + subject + "&body=" + body;
    kelShellExecuteCall(kelAppHandle(), "open", text, std::string(), std::string(), SW_SHOW);
}
