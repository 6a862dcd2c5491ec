// kelSysUtils (the part the library's base needs): class registration for
// streaming, the process environment, keyboard and screen state, keyboard
// layouts, the PC speaker, and the Windows version with its flags, which the
// library's start-up sets once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "classlib/Streaming.h"
#include "classlib/Controls.h"  // TShiftState

//--- Class registration

// Registers the class for component streaming unless a class of that name is
// already known. Nothing for no class; a failure inside is ignored.
void kelRegisterClass(const TClassInfo* cls);
void kelRegisterClasses(std::initializer_list<const TClassInfo*> classes);

//--- Environment

// The value of an environment variable; empty when it is missing.
std::string kelGetEnvVar(const std::string& name);
// The text with its environment references expanded; unchanged when that fails.
std::string kelExpandEnvStr(const std::string& text);
// The workgroup or domain of the machine, in upper case; empty when unknown.
std::string kelGetWorkgroupName();
void kelGetWorkAreaRect(RECT& rect);

//--- Keyboard and screen

// Shift, Ctrl and Alt as they are now; never a mouse button.
TShiftState kelGetShiftState();
bool kelIsCapsLock();
bool kelIsNumLock();
bool kelIsScrollLock();
bool kelIsScreenSaverRunning();
// The name of a key, from the key data of a keyboard message.
std::string kelGetKeyText(LPARAM keyData);

// One installed keyboard layout: its name from the registry and its handle.
struct TkelKeyboardLayout {
    std::string Text;
    HKL Layout;
};
// The layout id of a layout handle: its language, or for a handle naming a layout
// variant, the registry's number of that variant.
uint32_t kelGetLayoutID(HKL layout);
// Appends every installed layout that the registry names. Nothing for no list.
void kelGetKeyboardLayoutList(std::vector<TkelKeyboardLayout>* list);

//--- Speaker

// The PC speaker through its ports. Only the Windows 9x family lets a program at
// the ports; elsewhere these do nothing.
void kelSound(uint32_t hertz);
void kelNoSound();
// A tone: through the ports on the 9x family, with Beep on the NT family.
void kelSpeakerBeep(uint32_t hertz, uint32_t milliseconds);

//--- Windows version

enum TkelWindowsVersion {
    wvUnknown,
    wvWin95,
    wvWin95OSR2,
    wvWin98,
    wvWin98SE,
    wvWinNT3,
    wvWinNT4,
    wvWin2000,
    wvWinME,
    wvWinXP,
};

enum TkelNtProductType { ptUnknown, ptWorkStation, ptServer, ptAdvancedServer };

// Set once by the library's start-up; false until then.
extern bool IsWin95, IsWin95OSR2, IsWin98, IsWin98SE, IsWinME, IsWinNT, IsWinNT3, IsWinNT4, IsWin2K, IsWinXP;
extern bool IsWin98orHigher, IsWin2000orHigher, IsWinXPorHigher;

// The platform the start-up found: 1 the 9x family, 2 the NT family (0 before it ran).
// The speaker and workgroup routines choose their way by it.
extern uint32_t kelWin32Platform;

// What the system reports of itself (GetVersionEx).
struct TkelOSVersion {
    uint32_t Platform = 0;  // 1 the 9x family, 2 the NT family
    uint32_t Major = 0;
    uint32_t Minor = 0;
    uint32_t Build = 0;
    std::string CSD;  // the service text
};

// The or-higher flags a version decision sets. A platform that is neither 9x nor
// NT leaves them as they were.
struct TkelVersionFlags {
    bool Win98orHigher = false;
    bool Win2000orHigher = false;
    bool WinXPorHigher = false;
};

// The version decision, as a function of what the system reports.
TkelWindowsVersion kelWindowsVersionOf(const TkelOSVersion& os, TkelVersionFlags& flags);
// The running system's version; sets the or-higher flags.
TkelWindowsVersion kelGetWindowsVersion();
TkelNtProductType kelNtProductType();
// The file version of shell32.dll: major in the high word, minor in the low one; 0
// when it cannot be read (it is tried again next time).
uint32_t kelGetShellVersion();

// Start of the unit (run by kelInitialize): the version flags.
void kelSysUtilsInitialize();
