// kelSysUtils: registration, environment, input state, speaker, Windows version,
// and the unit's start and end.
#include "components/kelSysUtils.h"

#include <windows.h>

#include <vector>

#include "components/kelPlatformHooks.h"

bool IsWin95 = false, IsWin95OSR2 = false, IsWin98 = false, IsWin98SE = false, IsWinME = false, IsWinNT = false,
     IsWinNT3 = false, IsWinNT4 = false, IsWin2K = false, IsWinXP = false;
bool IsWin98orHigher = false, IsWin2000orHigher = false, IsWinXPorHigher = false;
uint32_t kelWin32Platform = 0;

namespace {

constexpr uint32_t kPlatform9x = VER_PLATFORM_WIN32_WINDOWS;  // 1
constexpr uint32_t kPlatformNT = VER_PLATFORM_WIN32_NT;       // 2
constexpr REGSAM kReadAccess = 0x20019;                       // KEY_READ
const char kLayoutsKey[] = "System\\CurrentControlSet\\Control\\Keyboard Layouts\\";

// A string value of at most 256 bytes, as the layout and product look-ups read them.
bool ReadRegistryText(HKEY root, const std::string& key, const char* value, std::string& text) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, kReadAccess, &handle) != ERROR_SUCCESS) return false;
    char buffer[257] = {};
    DWORD size = 256;
    DWORD type = 0;
    const LONG result = RegQueryValueExA(handle, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    text.assign(buffer, strnlen(buffer, size));
    return true;
}

// The expected build of each version; 0 accepts any build.
uint32_t ExpectedBuild(TkelWindowsVersion version) {
    switch (version) {
        case wvWin95OSR2: return 1111;
        case wvWin98: return 1998;
        case wvWin98SE: return 2222;
        case wvWinNT4: return 1381;
        case wvWin2000: return 2195;
        case wvWinME: return 3000;
        case wvWinXP: return 2600;
        default: return 0;
    }
}

TkelOSVersion ReadOSVersion() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    TkelOSVersion os;
    if (!GetVersionExA(&info)) return os;
    os.Platform = info.dwPlatformId;
    os.Major = info.dwMajorVersion;
    os.Minor = info.dwMinorVersion;
    os.Build = info.dwBuildNumber;
    os.CSD = info.szCSDVersion;
    return os;
}

}  // namespace

//--- Class registration

void kelRegisterClass(const TClassInfo* cls) {
    if (!cls) return;
    try {
        if (!GetClass(cls->Name())) RegisterPersistentClass(*cls);
    } catch (...) {
        // Registration is a convenience for streaming; a failure must not stop the program.
    }
}

void kelRegisterClasses(std::initializer_list<const TClassInfo*> classes) {
    for (const TClassInfo* cls : classes) kelRegisterClass(cls);
}

//--- Environment

std::string kelGetEnvVar(const std::string& name) {
    constexpr DWORD kSize = 32767;
    std::vector<char> buffer(kSize + 1);
    const DWORD length = GetEnvironmentVariableA(name.c_str(), buffer.data(), kSize);
    if (length == 0 || length > kSize) return std::string();
    return std::string(buffer.data(), length);
}

std::string kelExpandEnvStr(const std::string& text) {
    const DWORD size = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (size == 0) return text;
    std::vector<char> buffer(size + 1);
    const DWORD written = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), size + 1);
    if (written == 0 || written > size + 1) return text;
    return std::string(buffer.data());
}

std::string kelGetWorkgroupName() {
    std::string name;
    if (kelWin32Platform == kPlatformNT) {
        name = kelGetEnvVar("USERDOMAIN");
    } else if (kelWin32Platform == kPlatform9x) {
        ReadRegistryText(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\VxD\\VNETSUP", "Workgroup", name);
    }
    if (!name.empty()) CharUpperBuffA(&name[0], static_cast<DWORD>(name.size()));
    return name;
}

void kelGetWorkAreaRect(RECT& rect) {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &rect, 0);
}

//--- Keyboard and screen

TShiftState kelGetShiftState() {
    TShiftState state = 0;
    if (GetKeyState(VK_SHIFT) < 0) state |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) state |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) state |= ssAlt;
    return state;
}

bool kelIsCapsLock() {
    return (GetKeyState(VK_CAPITAL) & 1) != 0;
}

bool kelIsNumLock() {
    return (GetKeyState(VK_NUMLOCK) & 1) != 0;
}

bool kelIsScrollLock() {
    return (GetKeyState(VK_SCROLL) & 1) != 0;
}

bool kelIsScreenSaverRunning() {
    BOOL running = FALSE;
    return SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) && running;
}

std::string kelGetKeyText(LPARAM keyData) {
    char buffer[256] = {};
    const int length = GetKeyNameTextA(static_cast<LONG>(keyData), buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

uint32_t kelGetLayoutID(HKL layout) {
    const uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(layout));
    const uint32_t language = handle & 0xFFFF;
    if ((handle & 0xF0000000u) == 0) return language;
    // A variant: the registry numbers the variants of a language 1..255 in its high word.
    const std::string wanted = Format("%.4x", (handle >> 16) & 0x0FFF);
    for (uint32_t i = 1; i <= 255; ++i) {
        const uint32_t id = i * 65536 + language;
        std::string text;
        if (ReadRegistryText(HKEY_LOCAL_MACHINE, kLayoutsKey + Format("%.8x", id), "layout id", text) &&
            text == wanted)
            return id;
    }
    return language;
}

void kelGetKeyboardLayoutList(TStrings* list) {
    if (!list) return;
    const int count = GetKeyboardLayoutList(0, nullptr);
    if (count <= 0) return;
    std::vector<HKL> layouts(static_cast<size_t>(count));
    const int got = GetKeyboardLayoutList(count, layouts.data());
    for (int i = 0; i < got; ++i) {
        std::string text;
        const std::string key = kLayoutsKey + Format("%.8x", kelGetLayoutID(layouts[static_cast<size_t>(i)]));
        if (ReadRegistryText(HKEY_LOCAL_MACHINE, key, "layout text", text))
            list->AddObject(text, reinterpret_cast<TObject*>(layouts[static_cast<size_t>(i)]));
    }
}

//--- Speaker

void kelSound(uint32_t hertz) {
    // Port access from a program works on the 9x family only; on NT it is a
    // privileged instruction that ends the process.
    if (hertz <= 18 || kelWin32Platform != kPlatform9x) return;
    const uint16_t divisor = static_cast<uint16_t>(1193181 / hertz);
    const uint8_t control = kelPortIn(0x61);
    if ((control & 3) == 0) {
        kelPortOut(0x61, static_cast<uint8_t>(control | 3));
        kelPortOut(0x43, 0xB6);
    }
    kelPortOut(0x42, static_cast<uint8_t>(divisor & 0xFF));
    kelPortOut(0x42, static_cast<uint8_t>(divisor >> 8));
}

void kelNoSound() {
    if (kelWin32Platform != kPlatform9x) return;
    kelPortOut(0x61, static_cast<uint8_t>(kelPortIn(0x61) & ~3));
}

void kelSpeakerBeep(uint32_t hertz, uint32_t milliseconds) {
    if (kelWin32Platform == kPlatform9x) {
        kelSound(hertz);
        kelSleep(milliseconds);
        kelNoSound();
    } else if (kelWin32Platform == kPlatformNT) {
        kelBeep(hertz, milliseconds);
    }
}

//--- Windows version

TkelWindowsVersion kelWindowsVersionOf(const TkelOSVersion& os, TkelVersionFlags& flags) {
    TkelWindowsVersion version = wvUnknown;
    uint32_t build = 0;
    if (os.Platform == kPlatform9x) {
        build = os.Build & 0xFFFF;
        switch (os.Minor) {
            case 0: version = os.CSD == "B" ? wvWin95OSR2 : wvWin95; break;
            case 10: version = os.CSD == "A" ? wvWin98SE : wvWin98; break;
            case 90: version = wvWinME; break;
            default: version = wvUnknown; break;
        }
        flags.Win98orHigher = version != wvWin95 && version != wvWin95OSR2;
    } else if (os.Platform == kPlatformNT) {
        build = os.Build;
        switch (os.Major) {
            case 3: version = wvWinNT3; break;
            case 4: version = wvWinNT4; break;
            case 5: version = os.Minor < 1 ? wvWin2000 : wvWinXP; break;
            default: version = wvUnknown; break;
        }
        flags.Win2000orHigher = version != wvWinNT3 && version != wvWinNT4;
        flags.WinXPorHigher = flags.Win2000orHigher && version != wvWin2000;
    } else {
        return wvUnknown;
    }
    // A build other than the one the version shipped with makes the version unknown;
    // the or-higher flags stand.
    const uint32_t expected = ExpectedBuild(version);
    if (expected != 0 && expected != build) return wvUnknown;
    return version;
}

TkelWindowsVersion kelGetWindowsVersion() {
    TkelVersionFlags flags{IsWin98orHigher, IsWin2000orHigher, IsWinXPorHigher};
    const TkelWindowsVersion version = kelWindowsVersionOf(ReadOSVersion(), flags);
    IsWin98orHigher = flags.Win98orHigher;
    IsWin2000orHigher = flags.Win2000orHigher;
    IsWinXPorHigher = flags.WinXPorHigher;
    return version;
}

TkelNtProductType kelNtProductType() {
    std::string type;
    if (!ReadRegistryText(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\ProductOptions", "ProductType",
                          type))
        return ptUnknown;
    if (SameText(type, "WinNT")) return ptWorkStation;
    if (SameText(type, "ServerNT")) return ptServer;
    if (SameText(type, "LanmanNT")) return ptAdvancedServer;
    return ptUnknown;
}

uint32_t kelGetShellVersion() {
    static uint32_t cached = 0;
    if (cached != 0) return cached;
    char file[] = "shell32.dll";
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(file, &handle);
    if (size == 0) return 0;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(file, 0, size, data.data())) return 0;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    char root[] = "\\";
    if (!VerQueryValueA(data.data(), root, reinterpret_cast<void**>(&info), &length) || !info) return 0;
    cached = info->dwFileVersionMS;
    return cached;
}

void kelSysUtilsInitialize() {
    const std::string programName = ParamStr(0);
    kelLogFileName = programName.empty() ? std::string() : ChangeFileExt(programName, ".log");
    kelWin32Platform = ReadOSVersion().Platform;
    const TkelWindowsVersion version = kelGetWindowsVersion();
    IsWin95 = version == wvWin95;
    IsWin95OSR2 = version == wvWin95OSR2;
    IsWin98 = version == wvWin98;
    IsWin98SE = version == wvWin98SE;
    IsWinME = version == wvWinME;
    IsWinNT3 = version == wvWinNT3;
    IsWinNT4 = version == wvWinNT4;
    IsWin2K = version == wvWin2000;
    IsWinXP = version == wvWinXP;
    IsWinNT = kelWin32Platform == kPlatformNT;
    SAppPath = kelExtractFilePath(programName);
}

void kelSysUtilsFinalize() {
    kelLogFileName.clear();
    SAppPath.clear();
}
