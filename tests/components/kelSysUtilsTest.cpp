// Environment, input state, speaker and Windows version.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"

namespace {

TkelWindowsVersion Decide(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build, const char* csd,
                          TkelVersionFlags& flags) {
    TkelOSVersion os;
    os.Platform = platform;
    os.Major = major;
    os.Minor = minor;
    os.Build = build;
    os.CSD = csd;
    return kelWindowsVersionOf(os, flags);
}

// Puts the platform back after a test pretends to run elsewhere.
class PlatformScope {
public:
    explicit PlatformScope(uint32_t platform) : m_saved(kelWin32Platform) { kelWin32Platform = platform; }
    ~PlatformScope() { kelWin32Platform = m_saved; }

private:
    uint32_t m_saved;
};

}  // namespace

TEST(kelWindowsVersion, DecidesByPlatformVersionAndBuild) {
    TkelVersionFlags flags;
    EXPECT_EQ(wvWin2000, Decide(2, 5, 0, 2195, "", flags));
    EXPECT_TRUE(flags.Win2000orHigher);
    EXPECT_FALSE(flags.WinXPorHigher);
    EXPECT_FALSE(flags.Win98orHigher);

    // Another build makes it unknown, while the or-higher flags stand.
    flags = {};
    EXPECT_EQ(wvUnknown, Decide(2, 5, 0, 2196, "", flags));
    EXPECT_TRUE(flags.Win2000orHigher);

    flags = {};
    EXPECT_EQ(wvWinXP, Decide(2, 5, 1, 2600, "Service Pack 2", flags));
    EXPECT_TRUE(flags.WinXPorHigher);
    flags = {};
    EXPECT_EQ(wvUnknown, Decide(2, 6, 0, 6000, "", flags));
    EXPECT_TRUE(flags.Win2000orHigher);
    EXPECT_TRUE(flags.WinXPorHigher);
    flags = {};
    EXPECT_EQ(wvWinNT4, Decide(2, 4, 0, 1381, "", flags));
    EXPECT_FALSE(flags.Win2000orHigher);
    EXPECT_EQ(wvWinNT3, Decide(2, 3, 51, 1057, "", flags));

    // The 9x family: the build sits in the low word; the service text tells the editions apart.
    flags = {};
    EXPECT_EQ(wvWin95, Decide(1, 4, 0, 0x04000000 | 950, "", flags));
    EXPECT_FALSE(flags.Win98orHigher);
    EXPECT_EQ(wvWin95OSR2, Decide(1, 4, 0, 0x04000000 | 1111, "B", flags));
    EXPECT_FALSE(flags.Win98orHigher);
    EXPECT_EQ(wvWin98, Decide(1, 4, 10, 0x040A0000 | 1998, "", flags));
    EXPECT_TRUE(flags.Win98orHigher);
    EXPECT_EQ(wvWin98SE, Decide(1, 4, 10, 2222, "A", flags));
    EXPECT_EQ(wvWinME, Decide(1, 4, 90, 3000, "", flags));
    EXPECT_EQ(wvUnknown, Decide(1, 4, 90, 3001, "", flags));
    EXPECT_EQ(wvUnknown, Decide(1, 4, 50, 0, "", flags));

    // Any other platform decides nothing and leaves the flags alone.
    TkelVersionFlags set{true, true, true};
    EXPECT_EQ(wvUnknown, Decide(0, 3, 1, 0, "", set));
    EXPECT_TRUE(set.Win98orHigher && set.Win2000orHigher && set.WinXPorHigher);
}

TEST(kelWindowsVersion, TheStartUpSetTheFlagsOfTheRunningSystem) {
    // Wine reports Windows 7 (6.1.7601): a later NT system than the table knows.
    EXPECT_EQ(2u, kelWin32Platform);
    EXPECT_EQ(wvUnknown, kelGetWindowsVersion());
    EXPECT_TRUE(IsWinNT);
    EXPECT_TRUE(IsWin2000orHigher);
    EXPECT_TRUE(IsWinXPorHigher);
    EXPECT_FALSE(IsWin98orHigher);
    EXPECT_FALSE(IsWin95 || IsWin95OSR2 || IsWin98 || IsWin98SE || IsWinME || IsWinNT3 || IsWinNT4 || IsWin2K ||
                 IsWinXP);
    EXPECT_EQ(ptWorkStation, kelNtProductType());
    const uint32_t shell = kelGetShellVersion();
    EXPECT_GE(shell >> 16, 4u);
    EXPECT_EQ(shell, kelGetShellVersion());
}

TEST(kelEnvironment, VariablesAndExpansion) {
    SetEnvironmentVariableA("KEL_TEST_VAR", "value with spaces");
    EXPECT_EQ("value with spaces", kelGetEnvVar("KEL_TEST_VAR"));
    EXPECT_EQ("[value with spaces]", kelExpandEnvStr("[%KEL_TEST_VAR%]"));
    EXPECT_EQ("%KEL_NO_SUCH_VAR%", kelExpandEnvStr("%KEL_NO_SUCH_VAR%"));
    SetEnvironmentVariableA("KEL_TEST_VAR", nullptr);
    EXPECT_EQ("", kelGetEnvVar("KEL_TEST_VAR"));
    EXPECT_EQ("", kelExpandEnvStr(""));

    const std::string domain = kelGetEnvVar("USERDOMAIN");
    std::string upper = domain;
    if (!upper.empty()) CharUpperBuffA(&upper[0], DWORD(upper.size()));
    EXPECT_EQ(upper, kelGetWorkgroupName());

    RECT area = {};
    kelGetWorkAreaRect(area);
    EXPECT_GT(area.right - area.left, 0);
}

TEST(kelKeyboard, ShiftStateReadsOnlyShiftCtrlAndAlt) {
    BYTE saved[256];
    ASSERT_TRUE(GetKeyboardState(saved));
    BYTE keys[256] = {};
    keys[VK_SHIFT] = 0x80;
    keys[VK_MENU] = 0x80;
    keys[VK_LBUTTON] = 0x80;
    keys[VK_CAPITAL] = 0x01;
    ASSERT_TRUE(SetKeyboardState(keys));
    EXPECT_EQ(TShiftState(ssShift | ssAlt), kelGetShiftState());
    EXPECT_TRUE(kelIsCapsLock());
    EXPECT_FALSE(kelIsNumLock());
    EXPECT_FALSE(kelIsScrollLock());
    keys[VK_SHIFT] = 0;
    keys[VK_MENU] = 0;
    keys[VK_CONTROL] = 0x80;
    keys[VK_SCROLL] = 0x01;
    ASSERT_TRUE(SetKeyboardState(keys));
    EXPECT_EQ(TShiftState(ssCtrl), kelGetShiftState());
    EXPECT_TRUE(kelIsScrollLock());
    SetKeyboardState(saved);
}

TEST(kelKeyboard, LayoutIds) {
    EXPECT_EQ(0x0409u, kelGetLayoutID(reinterpret_cast<HKL>(uintptr_t(0x04090409))));
    // A variant handle without a registry entry gives the language alone.
    EXPECT_EQ(0x0407u, kelGetLayoutID(reinterpret_cast<HKL>(uintptr_t(0xF0FF0407))));
    // Each name read comes after what the list held, with an installed layout's
    // handle as its object. A fresh prefix may name no layout: the first one gets
    // a name of the test's own for the time of the test.
    const auto installedLayouts = [] {
        std::vector<HKL> layouts(static_cast<size_t>(GetKeyboardLayoutList(0, nullptr)));
        layouts.resize(static_cast<size_t>(GetKeyboardLayoutList(static_cast<int>(layouts.size()), layouts.data())));
        return layouts;
    };
    std::vector<HKL> installed = installedLayouts();
    ASSERT_FALSE(installed.empty());
    const std::string key =
        Format("System\\CurrentControlSet\\Control\\Keyboard Layouts\\%.8x", kelGetLayoutID(installed[0]));
    const bool hadKey = kelRegKeyExists(HKEY_LOCAL_MACHINE, key);
    const bool hadName = kelRegReadStringDef(HKEY_LOCAL_MACHINE, key, "layout text", "") != "";
    if (!hadName) kelRegWriteString(HKEY_LOCAL_MACHINE, key, "layout text", "kel test layout");
    TStringList layouts;
    layouts.Add("before");
    kelGetKeyboardLayoutList(&layouts);
    installed = installedLayouts();  // Wine lists the layouts the registry names
    if (!hadName) kelRegDeleteEntry(HKEY_LOCAL_MACHINE, key, "layout text");
    if (!hadKey) kelRegDeleteKey(HKEY_LOCAL_MACHINE, key);
    ASSERT_GT(layouts.Count(), 1);
    EXPECT_EQ("before", layouts.Strings(0));
    for (int i = 1; i < layouts.Count(); ++i) {
        EXPECT_FALSE(layouts.Strings(i).empty());
        const HKL layout = reinterpret_cast<HKL>(layouts.Objects(i));
        EXPECT_NE(installed.end(), std::find(installed.begin(), installed.end(), layout)) << layouts.Strings(i);
    }
    kelGetKeyboardLayoutList(nullptr);
    EXPECT_FALSE(kelIsScreenSaverRunning());
}

TEST(kelSpeaker, PortsOnlyOnThe9xFamilyAndBeepOnNT) {
    std::vector<std::pair<int, int>> ports;  // (port, value) written
    std::vector<std::pair<DWORD, DWORD>> beeps;
    uint8_t control = 0x20;
    TkelPlatformHooks& hooks = kelPlatformHooks();
    hooks.PortIn = [&](uint16_t port) { return port == 0x61 ? control : uint8_t(0); };
    hooks.PortOut = [&](uint16_t port, uint8_t value) {
        ports.push_back({port, value});
        if (port == 0x61) control = value;
    };
    hooks.Beep = [&](DWORD hertz, DWORD ms) {
        beeps.push_back({hertz, ms});
        return TRUE;
    };
    hooks.Sleep = [](DWORD) {};
    {
        PlatformScope nt(2);
        kelSound(1000);
        kelNoSound();
        EXPECT_TRUE(ports.empty());
        kelSpeakerBeep(440, 50);
        EXPECT_EQ((std::vector<std::pair<DWORD, DWORD>>{{440, 50}}), beeps);
    }
    {
        PlatformScope win9x(1);
        kelSound(18);
        EXPECT_TRUE(ports.empty());
        kelSound(1000);  // divisor 1193 = 0x04A9
        EXPECT_EQ((std::vector<std::pair<int, int>>{{0x61, 0x23}, {0x43, 0xB6}, {0x42, 0xA9}, {0x42, 0x04}}), ports);
        ports.clear();
        kelSound(2000);  // the speaker is on already: only the divisor
        EXPECT_EQ((std::vector<std::pair<int, int>>{{0x42, 0x54}, {0x42, 0x02}}), ports);
        ports.clear();
        kelNoSound();
        EXPECT_EQ((std::vector<std::pair<int, int>>{{0x61, 0x20}}), ports);
        ports.clear();
        kelSpeakerBeep(1000, 10);
        EXPECT_EQ(5u, ports.size());
        EXPECT_EQ(1u, beeps.size());
    }
    hooks = TkelPlatformHooks();
}
