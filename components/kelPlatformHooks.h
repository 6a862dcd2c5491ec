// Calls of the component library that reach beyond the program (the PC speaker's
// ports, the speaker beep, the notification area, starting programs) go through
// these replaceable functions, so that tests can record what would have happened.
// Each starts out as the real call; an empty function restores it.
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
    // Starting a program with its window hidden (the deferred file operations'
    // batch files, a program replaced and run, development tools); with wait, until
    // it has ended.
    std::function<void(const std::string& commandLine, bool wait)> RunProcess;
    // Where the routines that edit keys belonging to Windows or to other programs
    // (the autostart Run keys, a development environment's keys) find them. The
    // real call leaves root and key alone; tests move them under a key of their own.
    std::function<void(HKEY& root, std::string& key)> RedirectRegistryKey;
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
void kelRunProcess(const std::string& commandLine, bool wait);
void kelRedirectRegistryKey(HKEY& root, std::string& key);
