// Calls of the component library that reach beyond the program (the PC speaker's
// ports, the speaker beep, the notification area, the help viewers, window
// procedures, starting programs, the registry keys of Windows and of other
// programs, the taskbar's Start button, sounds, ending the session and the
// machine's power state) go through these replaceable functions, so that tests can record
// what would have happened; so do the OEM code page and the conversion into it,
// which tests can change. Each starts out as the real call; an empty function
// restores it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>

struct TkelPlatformHooks {
    // Direct port access (only ever used on the Windows 9x family).
    std::function<uint8_t(uint16_t port)> PortIn;
    std::function<void(uint16_t port, uint8_t value)> PortOut;
    std::function<BOOL(DWORD hertz, DWORD milliseconds)> Beep;
    std::function<void(DWORD milliseconds)> Sleep;
    // Window timers (SetTimer fails only when the system runs out of them).
    std::function<UINT_PTR(HWND window, UINT_PTR id, UINT milliseconds)> SetTimer;
    // The shell's notification-area call; data points to cbSize bytes.
    std::function<BOOL(DWORD message, NOTIFYICONDATAA* data)> ShellNotifyIcon;
    // The help viewers: both open windows of their own. The HTML Help call
    // replaces the loaded viewer's entry (when the viewer could be loaded).
    std::function<HWND(HWND caller, const char* file, UINT command, DWORD_PTR data)> HtmlHelpCall;
    std::function<BOOL(HWND window, const char* file, UINT command, ULONG_PTR data)> WinHelpCall;
    // Loading the HTML Help viewer's library by its full name (null: not there).
    std::function<HMODULE(const char* name)> LoadHelpLibrary;
    // Replacing a window's procedure (GWLP_WNDPROC); the previous one comes back.
    std::function<LONG_PTR(HWND window, LONG_PTR procedure)> SetWindowProc;
    // Starting a program with its window hidden (the deferred file operations'
    // batch files, a program replaced and run, development tools); with wait, until
    // it has ended.
    std::function<void(const std::string& commandLine, bool wait)> RunProcess;
    // Where the routines that edit keys belonging to Windows or to other programs
    // (the autostart Run keys, a development environment's keys) find them. The
    // real call leaves root and key alone; tests move them under a key of their own.
    std::function<void(HKEY& root, std::string& key)> RedirectRegistryKey;
    // A message box a component shows by itself (it waits for a user).
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT flags)> MessageBoxEx;
    // The taskbar's Start button (a window of the shell), or null.
    std::function<HWND()> FindStartButton;
    // PlaySoundA: a file, resource, alias or wave image by the flags; null stops.
    std::function<BOOL(const char* sound, HMODULE module, DWORD flags)> PlaySoundCall;
    // Enabling the process's shutdown privilege (NT family); false on any failure.
    std::function<bool()> EnableShutdownPrivilege;
    // The token call inside it (AdjustTokenPrivileges, no previous state wanted);
    // it reports through its result and the thread's last error.
    std::function<BOOL(HANDLE token, TOKEN_PRIVILEGES& privileges)> AdjustTokenPrivilegesCall;
    // Ending the session or shutting down (EWX_* flags), and suspending or
    // hibernating the machine: each ends every program.
    std::function<BOOL(UINT flags)> ExitWindowsCall;
    std::function<BOOL(BOOL suspend, BOOL force)> SetSystemPowerState;
    // Handing a file, web address or mail message to the shell (it opens programs,
    // browsers and mail clients). An empty verb is the default one; empty
    // parameters and folder are none.
    std::function<HINSTANCE(HWND owner, const std::string& verb, const std::string& file,
                            const std::string& parameters, const std::string& folder, int show)>
        ShellExecute;
    // Starting a program by its command line (WinExec).
    std::function<UINT(const std::string& commandLine, UINT show)> WinExec;
    // The shell's file operation (copy, move, rename, delete; it may show
    // progress and confirmation windows).
    std::function<int(SHFILEOPSTRUCTA& operation)> FileOperation;
    // The OEM code page, which the command processor reads batch files in, and
    // the system's conversion from UTF-16 (WideCharToMultiByte), which refuses
    // some flags for some code pages on Windows, though not under Wine.
    std::function<UINT()> OemCodePage;
    std::function<int(UINT codePage, DWORD flags, const wchar_t* wide, int wideLength, char* out, int outSize,
                      const char* defaultChar, BOOL* usedDefaultChar)>
        WideCharToMultiByteCall;
};

// The process-wide set of calls; tests replace members and put them back.
TkelPlatformHooks& kelPlatformHooks();

// The calls themselves: the installed replacement, or the real one.
uint8_t kelPortIn(uint16_t port);
void kelPortOut(uint16_t port, uint8_t value);
BOOL kelBeep(DWORD hertz, DWORD milliseconds);
void kelSleep(DWORD milliseconds);
UINT_PTR kelSetTimer(HWND window, UINT_PTR id, UINT milliseconds);
BOOL kelShellNotifyIcon(DWORD message, NOTIFYICONDATAA* data);
BOOL kelWinHelp(HWND window, const char* file, UINT command, ULONG_PTR data);
HMODULE kelLoadHelpLibrary(const char* name);
// Sets the window procedure. A window of another process is left alone (the
// system refuses it there anyway): 0 comes back.
LONG_PTR kelSetWindowProc(HWND window, LONG_PTR procedure);
void kelRunProcess(const std::string& commandLine, bool wait);
void kelRedirectRegistryKey(HKEY& root, std::string& key);
// MessageBoxExA in the user's language.
int kelMessageBoxEx(HWND owner, const std::string& text, const std::string& caption, UINT flags);
// The button of class "Button" in the top-level window of class "Shell_TrayWnd".
HWND kelFindStartButton();
BOOL kelPlaySound(const char* sound, HMODULE module, DWORD flags);
bool kelEnableShutdownPrivilege();
BOOL kelExitWindows(UINT flags);
BOOL kelSetSystemPowerState(BOOL suspend, BOOL force);
// ShellExecuteA; empty texts are passed as none.
HINSTANCE kelShellExecuteCall(HWND owner, const std::string& verb, const std::string& file,
                              const std::string& parameters, const std::string& folder, int show);
UINT kelWinExec(const std::string& commandLine, UINT show);
int kelSHFileOperation(SHFILEOPSTRUCTA& operation);
UINT kelOemCodePage();
int kelWideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* wide, int wideLength, char* out, int outSize,
                           const char* defaultChar, BOOL* usedDefaultChar);
