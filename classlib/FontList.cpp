// The screen's font list, read with the system's font enumeration.
#include "classlib/FontList.h"

#include <windows.h>

#include <algorithm>
#include <set>

namespace {

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_LESS_THAN;
    }
};

int CALLBACK AddFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM names) {
    try {
        const std::string name = font->lfFaceName;
        if (!name.empty() && name[0] != '@')
            reinterpret_cast<std::set<std::string, CaseInsensitiveLess>*>(names)->insert(name);
    } catch (...) {
        return 0;  // out of memory: the list ends here
    }
    return 1;
}

}  // namespace

std::vector<std::string> ReadScreenFonts() {
    std::set<std::string, CaseInsensitiveLess> names;
    HDC screen = GetDC(nullptr);
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;  // every family once per script it covers
    EnumFontFamiliesExA(screen, &wanted, &AddFamily, reinterpret_cast<LPARAM>(&names), 0);
    ReleaseDC(nullptr, screen);
    return std::vector<std::string>(names.begin(), names.end());
}

const std::vector<std::string>& ScreenFonts() {
    static const auto* fonts = new std::vector<std::string>(ReadScreenFonts());
    return *fonts;
}
