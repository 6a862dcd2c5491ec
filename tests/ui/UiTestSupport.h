// Helpers of the user-interface tests: temporary program folders with skin
// sheets written by the test, and the main window made in such a folder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/Graphics.h"
#include "model/UmodelHost.h"

// A fresh folder under the temporary folder, with a trailing "\".
std::string MakeTempFolder(const std::string& prefix);
// Removes a folder with everything in it.
void RemoveFolder(const std::string& folder);
void WriteTextFile(const std::string& name, const std::string& text);

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

inline LPARAM Point(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}
