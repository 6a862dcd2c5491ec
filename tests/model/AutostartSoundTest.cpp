// The autostart entry and the calendar sound.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "classlib/Registry.h"
#include "model/Uconverter.h"
#include "model/Uglobals.h"
#include "model/UmodelHost.h"

namespace {

constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class SoundHost : public IModelHost {
public:
    int ShowMessage(const std::wstring& text, const std::wstring& title, int mode) override {
        messages.push_back(title + L"|" + text + L"|" + std::to_wstring(mode));
        return 0;
    }
    bool OpenCalendarSound(const std::wstring& fileName) override {
        opened.push_back(fileName);
        return canOpen;
    }
    void PlayCalendarSound() override { ++played; }
    bool canOpen = true;
    int played = 0;
    std::vector<std::wstring> opened;
    std::vector<std::wstring> messages;
};

struct HostGuard {
    explicit HostGuard(IModelHost* host) { SetModelHost(host); }
    ~HostGuard() { SetModelHost(nullptr); }
};

}  // namespace

TEST(Autostart, SettingTwiceLeavesOneValueAndRemovingAMissingValueIsQuiet) {
    Converter converter;
    converter.SetAutostart(false);
    EXPECT_FALSE(converter.IsAutostart());
    converter.SetAutostart(true);
    converter.SetAutostart(true);
    EXPECT_TRUE(converter.IsAutostart());
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKeyReadOnly(kRunKey));
    char program[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    EXPECT_EQ(registry.ReadString("Quib Reminder"), "\"" + std::string(program) + "\"");
    registry.CloseKey();
    converter.SetAutostart(false);
    EXPECT_FALSE(converter.IsAutostart());
    converter.SetAutostart(false);
    EXPECT_FALSE(converter.IsAutostart());
}

TEST(CalendarSound, DefaultSoundIsTakenFromTheProgramFolderWhenItIsThere) {
    SoundHost host;
    HostGuard guard(&host);
    Converter converter;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "qr-sound-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string savedPath = AppPath;
    AppPath = folder;

    converter.PrepareSound(L"mv.wav");  // not in the folder: the bare name
    converter.PrepareSound(L"C:\\Sounds\\bell.wav");
    FILE* file = std::fopen((folder + "mv.wav").c_str(), "wb");
    std::fclose(file);
    converter.PrepareSound(L"mv.wav");
    converter.PrepareSound(L"MV.wav");  // only the exact default name is looked up
    ASSERT_EQ(host.opened.size(), 4u);
    EXPECT_EQ(host.opened[0], L"mv.wav");
    EXPECT_EQ(host.opened[1], L"C:\\Sounds\\bell.wav");
    EXPECT_EQ(host.opened[2], AnsiToWide(folder) + L"mv.wav");
    EXPECT_EQ(host.opened[3], L"MV.wav");
    EXPECT_TRUE(host.messages.empty());

    converter.PlaySound();
    EXPECT_EQ(host.played, 1);

    DeleteFileA((folder + "mv.wav").c_str());
    RemoveDirectoryA(folder.c_str());
    AppPath = savedPath;
}

TEST(CalendarSound, AFileThatCannotBeOpenedSwitchesTheSoundOffWithAMessage) {
    SoundHost host;
    host.canOpen = false;
    HostGuard guard(&host);
    Converter converter;
    Calendar_Settings.Calendar_Play_Sound = 1;
    converter.PrepareSound(L"mv.wav");
    EXPECT_EQ(Calendar_Settings.Calendar_Play_Sound, 0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], L"Error|Error reading the file \"mv.wav\"|0");
}
