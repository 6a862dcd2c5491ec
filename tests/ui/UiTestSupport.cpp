// Temporary program folders and skin sheets for the tests.
#include "UiTestSupport.h"

#include <utility>

#include "model/Ueintrag.h"
#include "model/Ufunction.h"
#include "tests/TestFolder.h"
#include "ui/Ugraphic.h"

namespace {

void WriteSheet(const std::string& name, int width, int height, COLORREF (*pixel)(int, int)) {
    TBitmap sheet(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) sheet.SetPixel(x, y, pixel(x, y));
    sheet.SaveToFile(name);
}

}  // namespace

std::string MakeTempFolder(const std::string& prefix) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    for (;;) {
        const std::string folder = std::string(temp) + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                                   std::to_string(++counter) + "\\";
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
    }
}

void RemoveFolder(const std::string& folder) {
    std::string path = folder;
    if (!path.empty() && path.back() == '\\') path.pop_back();
    TestFolder::Remove(path);
}

void WriteTextFile(const std::string& name, const std::string& text) {
    TestFolder::WriteBytes(name, text);
}

std::vector<std::string> SavedReminders(const std::string& folder) {
    const std::string name = folder + "index.dat";
    if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES) return {"no file"};
    const std::string bytes = TestFolder::ReadBytes(name);
    std::vector<std::string> lines;
    for (size_t at = 0; at + Eintrag::kImageSize <= bytes.size(); at += Eintrag::kImageSize) {
        Eintrag e;
        e.ReadImage(reinterpret_cast<const uint8_t*>(bytes.data() + at));
        const tm& t = e.StartTime;
        lines.push_back(IntToStr2(t.tm_mday) + "." + IntToStr2(t.tm_mon + 1) + " " + IntToStr2(t.tm_hour) + "." +
                        IntToStr2(t.tm_min) + " " + e.GetTitle());
    }
    return lines;
}

void WriteWave(const std::string& name, uint32_t samples) {
    std::string data = "RIFF";
    auto put32 = [&data](uint32_t v) {
        for (int i = 0; i < 4; ++i) data += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto put16 = [&data](uint16_t v) {
        data += static_cast<char>(v & 0xFF);
        data += static_cast<char>(v >> 8);
    };
    put32(36 + samples);
    data += "WAVEfmt ";
    put32(16);
    put16(1);     // PCM
    put16(1);     // mono
    put32(8000);  // samples per second
    put32(8000);  // bytes per second
    put16(1);     // block align
    put16(8);     // bits per sample
    data += "data";
    put32(samples);
    data += std::string(samples, static_cast<char>(0x80));
    WriteTextFile(name, data);
}

COLORREF TopPixel(int x, int y) {
    return RGB(x & 0xFF, y & 0xFF, 7 + 40 * (x >> 8));
}

COLORREF BackgroundPixel(int x, int y) {
    return RGB(x & 0xFF, y & 0xFF, 100 + (x >> 8));
}

COLORREF ButtonPixel(int x, int y) {
    return RGB(x, y, 200);
}

void WriteSkins(const std::string& folder, bool top, bool background, bool buttons) {
    CreateDirectoryA((folder + "Skins").c_str(), nullptr);
    CreateDirectoryA((folder + "Skins\\Default").c_str(), nullptr);
    const std::string skins = folder + "Skins\\Default\\";
    if (top) WriteSheet(skins + "Top.bmp", 600, 210, &TopPixel);
    if (background) WriteSheet(skins + "BG.bmp", 400, 200, &BackgroundPixel);
    if (buttons) WriteSheet(skins + "btn.bmp", 75, 100, &ButtonPixel);
}

void ProgramFolderTest::EnterProgramFolder(const std::string& prefix, IModelHost* host, ClockFunction clock) {
    folder = MakeTempFolder(prefix);
    WriteSkins(folder);
    Application->SetExeName(folder + "QuibReminder.exe");
    SetModelHost(host);
    SetWindowDragFunction([this](TCustomForm* form) { drags.push_back(form); });
    Application->OnException = [this](TObject*, const std::string& message) { errors.push_back(message); };
    SetClock(std::move(clock));
}

void ProgramFolderTest::LeaveProgramFolder() {
    Application->SetExeName("");
    Application->OnException = nullptr;
    SetWindowDragFunction(nullptr);
    SetModelHost(nullptr);
    SetClock(nullptr);
    RemoveFolder(folder);
}

tm Date(int year, int month, int day, int hour, int minute) {
    tm t;
    ClearDateRecord(&t);
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}
