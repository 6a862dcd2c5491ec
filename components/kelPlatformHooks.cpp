// Replaceable calls beyond the program.
#include "components/kelPlatformHooks.h"

#include <mmsystem.h>

TkelPlatformHooks& kelPlatformHooks() {
    static TkelPlatformHooks hooks;
    return hooks;
}

uint8_t kelPortIn(uint16_t port) {
    if (kelPlatformHooks().PortIn) return kelPlatformHooks().PortIn(port);
    // A privileged instruction outside the Windows 9x family: callers check the platform first.
    uint8_t value = 0;
    __asm__ __volatile__("inb %w1, %b0" : "=a"(value) : "Nd"(port));
    return value;
}

void kelPortOut(uint16_t port, uint8_t value) {
    if (kelPlatformHooks().PortOut) {
        kelPlatformHooks().PortOut(port, value);
        return;
    }
    __asm__ __volatile__("outb %b0, %w1" : : "a"(value), "Nd"(port));
}

BOOL kelBeep(DWORD hertz, DWORD milliseconds) {
    if (kelPlatformHooks().Beep) return kelPlatformHooks().Beep(hertz, milliseconds);
    return ::Beep(hertz, milliseconds);
}

void kelSleep(DWORD milliseconds) {
    if (kelPlatformHooks().Sleep) {
        kelPlatformHooks().Sleep(milliseconds);
        return;
    }
    ::Sleep(milliseconds);
}

UINT_PTR kelSetTimer(HWND window, UINT_PTR id, UINT milliseconds) {
    if (kelPlatformHooks().SetTimer) return kelPlatformHooks().SetTimer(window, id, milliseconds);
    return ::SetTimer(window, id, milliseconds, nullptr);
}

BOOL kelShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data) {
    if (kelPlatformHooks().ShellNotifyIcon) return kelPlatformHooks().ShellNotifyIcon(message, data);
    return Shell_NotifyIconA(message, data);
}

BOOL kelWinHelp(HWND window, const char* file, UINT command, ULONG_PTR data) {
    if (kelPlatformHooks().WinHelpCall) return kelPlatformHooks().WinHelpCall(window, file, command, data);
    return ::WinHelpA(window, file, command, data);
}

HMODULE kelLoadHelpLibrary(const char* name) {
    if (kelPlatformHooks().LoadHelpLibrary) return kelPlatformHooks().LoadHelpLibrary(name);
    return ::LoadLibraryA(name);
}

LONG_PTR kelSetWindowProc(HWND window, LONG_PTR procedure) {
    if (kelPlatformHooks().SetWindowProc) return kelPlatformHooks().SetWindowProc(window, procedure);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return 0;
    return SetWindowLongPtrA(window, GWLP_WNDPROC, procedure);
}

void kelRunProcess(const std::string& commandLine, bool wait) {
    if (kelPlatformHooks().RunProcess) {
        kelPlatformHooks().RunProcess(commandLine, wait);
        return;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    // The system may write into the command line it is given.
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &process))
        return;
    if (wait) WaitForSingleObject(process.hProcess, INFINITE);
    // Nothing asks for the process later; keeping its handles would only leak them.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void kelRedirectRegistryKey(HKEY& root, std::string& key) {
    if (kelPlatformHooks().RedirectRegistryKey) kelPlatformHooks().RedirectRegistryKey(root, key);
}

int kelMessageBoxEx(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    if (kelPlatformHooks().MessageBoxEx) return kelPlatformHooks().MessageBoxEx(owner, text, caption, flags);
    return MessageBoxExA(owner, text.c_str(), caption.c_str(), flags, 0);
}

HWND kelFindStartButton() {
    if (kelPlatformHooks().FindStartButton) return kelPlatformHooks().FindStartButton();
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    return tray ? FindWindowExA(tray, nullptr, "Button", nullptr) : nullptr;
}

BOOL kelPlaySound(const char* sound, HMODULE module, DWORD flags) {
    if (kelPlatformHooks().PlaySoundCall) return kelPlatformHooks().PlaySoundCall(sound, module, flags);
    return PlaySoundA(sound, module, flags);
}

bool kelEnableShutdownPrivilege() {
    if (kelPlatformHooks().EnableShutdownPrivilege) return kelPlatformHooks().EnableShutdownPrivilege();
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool enabled = false;
    if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        const auto& adjust = kelPlatformHooks().AdjustTokenPrivilegesCall;
        const BOOL adjusted =
            adjust ? adjust(token, privileges) : AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        // The call succeeds also when the token does not hold the privilege at all;
        // only the last error (ERROR_NOT_ALL_ASSIGNED) tells that nothing was enabled.
        enabled = adjusted && GetLastError() == ERROR_SUCCESS;
    }
    CloseHandle(token);
    return enabled;
}

BOOL kelExitWindows(UINT flags) {
    if (kelPlatformHooks().ExitWindowsCall) return kelPlatformHooks().ExitWindowsCall(flags);
    return ExitWindowsEx(flags, 0);
}

BOOL kelSetSystemPowerState(BOOL suspend, BOOL force) {
    if (kelPlatformHooks().SetSystemPowerState) return kelPlatformHooks().SetSystemPowerState(suspend, force);
    return ::SetSystemPowerState(suspend, force);
}

namespace {

const char* TextOrNone(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace

HINSTANCE kelShellExecuteCall(HWND owner, const std::string& verb, const std::string& file,
                              const std::string& parameters, const std::string& folder, int show) {
    if (kelPlatformHooks().ShellExecute)
        return kelPlatformHooks().ShellExecute(owner, verb, file, parameters, folder, show);
    return ShellExecuteA(owner, TextOrNone(verb), file.c_str(), TextOrNone(parameters), TextOrNone(folder), show);
}

UINT kelWinExec(const std::string& commandLine, UINT show) {
    if (kelPlatformHooks().WinExec) return kelPlatformHooks().WinExec(commandLine, show);
    return ::WinExec(commandLine.c_str(), show);
}

int kelSHFileOperation(SHFILEOPSTRUCTA& operation) {
    if (kelPlatformHooks().FileOperation) return kelPlatformHooks().FileOperation(operation);
    return SHFileOperationA(&operation);
}

UINT kelOemCodePage() {
    if (kelPlatformHooks().OemCodePage) return kelPlatformHooks().OemCodePage();
    return GetOEMCP();
}

int kelWideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* wide, int wideLength, char* out, int outSize,
                           const char* defaultChar, BOOL* usedDefaultChar) {
    if (kelPlatformHooks().WideCharToMultiByteCall)
        return kelPlatformHooks().WideCharToMultiByteCall(codePage, flags, wide, wideLength, out, outSize, defaultChar,
                                                          usedDefaultChar);
    return WideCharToMultiByte(codePage, flags, wide, wideLength, out, outSize, defaultChar, usedDefaultChar);
}
