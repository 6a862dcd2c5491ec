// Temporary program folders and skin sheets for the tests.
#include "UiTestSupport.h"

#include <cstdio>

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
    std::string base = folder;
    if (!base.empty() && base.back() != '\\') base += '\\';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(base + name);
            else
                DeleteFileA((base + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(base.c_str());
}

void WriteTextFile(const std::string& name, const std::string& text) {
    FILE* file = std::fopen(name.c_str(), "wb");
    if (!file) return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
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
