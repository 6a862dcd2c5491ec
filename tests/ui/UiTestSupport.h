// Helpers of the user-interface tests: temporary program folders with skin
// sheets written by the test, and the main window made in such a folder.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <ctime>
#include <cstdint>
#include <string>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/Graphics.h"
#include "classlib/SysUtils.h"
#include "model/UmodelHost.h"

// A fresh folder under the temporary folder, with a trailing "\".
std::string MakeTempFolder(const std::string& prefix);
// Removes a folder with everything in it.
void RemoveFolder(const std::string& folder);
void WriteTextFile(const std::string& name, const std::string& text);
// The reminders of a folder's "index.dat", one "dd.mm hh.mm Title" line each;
// {"no file"} when there is none.
std::vector<std::string> SavedReminders(const std::string& folder);
// A silent sound: 8 kHz, 8-bit mono, so many samples (800: a tenth of a second).
void WriteWave(const std::string& name, uint32_t samples = 800);

// The skin sheets' test pattern: each pixel tells where it came from.
COLORREF TopPixel(int x, int y);
COLORREF BackgroundPixel(int x, int y);
COLORREF ButtonPixel(int x, int y);
// Writes "Skins\Default\Top.bmp", "BG.bmp" and "btn.bmp" in their sizes (those
// asked for only).
void WriteSkins(const std::string& folder, bool top = true, bool background = true, bool buttons = true);

// A model host that records messages and opens every sound.
class RecordingHost : public IModelHost {
public:
    int ShowMessage(const std::wstring& text, const std::wstring& title, int mode) override {
        (void)mode;
        messages.push_back(title + L": " + text);
        return 0;
    }
    bool OpenCalendarSound(const std::wstring& fileName) override {
        sounds.push_back(fileName);
        return true;
    }
    void PlayCalendarSound() override { ++plays; }
    std::vector<std::wstring> messages;
    std::vector<std::wstring> sounds;
    int plays = 0;
};

// A fixture whose program folder is a fresh temporary folder with the test
// skins. EnterProgramFolder also installs the model host and the clock, records
// window drags instead of doing them and records exceptions; LeaveProgramFolder
// undoes all that and removes the folder. Each fixture calls them where its own
// preparation needs them, and checks `errors` itself.
class ProgramFolderTest : public testing::Test {
protected:
    void EnterProgramFolder(const std::string& prefix, IModelHost* host, ClockFunction clock);
    void LeaveProgramFolder();

    std::string folder;
    std::vector<TCustomForm*> drags;
    std::vector<std::string> errors;
};

// A plain (not normalised) date record, as a reminder's start is stored.
tm Date(int year, int month, int day, int hour = 10, int minute = 0);

inline LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}
