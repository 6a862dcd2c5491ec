// kelGraphics: colours, metrics and drawing.
#include "components/kelGraphics.h"

#include <algorithm>
#include <cstdlib>

#include "classlib/Streaming.h"

TkelSetLayeredWindowAttributesProc kelSetLayeredWindowAttributesEntry = nullptr;

namespace {

struct ExtraColor {
    const char* name;
    TColor value;
};

const ExtraColor kExtraColors[] = {
    {"clBrown", 0x003090},      {"clOliveGreen", 0x003030},  {"clDarkGreen", 0x003000},
    {"clDarkTeal", 0x603000},   {"clIndigo", 0x903030},      {"clNight", 0x303030},
    {"clOrange", 0x0068FF},     {"clBlueGray", 0x906060},    {"clLightOrange", 0x0098FF},
    {"clSeaGreen", 0x609830},   {"clLightBlue", 0xFF6830},   {"clMetal", 0x909090},
    {"clGold", 0x00C8FF},       {"clPlum", 0x603090},        {"clRose", 0xD098FF},
    {"clTan", 0xA0C8FF},        {"clLightYellow", 0x90FFFF}, {"clLightGreen", 0xD0FFD0},
    {"clLightTurquoise", 0xFFFFC0}, {"clPaleBlue", 0xFFC890}, {"clLavender", 0xFF98C0},
};

bool ExtraColorToIdent(TColor color, std::string& name) {
    for (const ExtraColor& extra : kExtraColors) {
        if (extra.value != color) continue;
        name = extra.name;
        return true;
    }
    return false;
}

bool ExtraIdentToColor(const std::string& name, TColor& color) {
    for (const ExtraColor& extra : kExtraColors) {
        if (!SameText(extra.name, name)) continue;
        color = extra.value;
        return true;
    }
    return false;
}

uint32_t Resolved(TColor color) {
    return static_cast<uint32_t>(ColorToRGB(color)) & 0xFFFFFF;
}

// The channels of a resolved colour.
struct Channels {
    int r, g, b;
};

Channels ChannelsOf(TColor color) {
    const uint32_t rgb = Resolved(color);
    return {static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>((rgb >> 16) & 0xFF)};
}

void DrawTextIn(TCanvas* canvas, const std::string& text, RECT& rect, UINT format) {
    DrawTextA(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &rect, format);
}

LONG DialogBaseUnitX() {
    return std::max<LONG>(1, LOWORD(GetDialogBaseUnits()));
}

LONG DialogBaseUnitY() {
    return std::max<LONG>(1, HIWORD(GetDialogBaseUnits()));
}

}  // namespace

//--- Colour conversions

std::string kelColorToString(TColor color) {
    std::string name;
    if (ExtraColorToIdent(color, name)) return name;
    return ColorToString(color);
}

TColor kelStringToColor(const std::string& text) {
    TColor color = 0;
    if (ExtraIdentToColor(text, color)) return color;
    return StringToColor(text);
}

bool kelColorToIdent(TColor color, std::string& name) {
    return ExtraColorToIdent(color, name) || ColorToIdent(color, name);
}

bool kelIdentToColor(const std::string& name, TColor& color) {
    return ExtraIdentToColor(name, color) || IdentToColor(name, color);
}

void kelGetColorValues(const std::function<void(const std::string& name)>& proc) {
    GetColorValues(proc);
    for (const ExtraColor& extra : kExtraColors) proc(extra.name);
}

uint32_t kelColorToABGR(TColor color) {
    return Resolved(color);
}

uint32_t kelColorToARGB(TColor color) {
    const uint32_t c = Resolved(color);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

uint32_t kelColorToRGBA(TColor color) {
    return kelColorToARGB(color) << 8;
}

uint32_t kelColorToBGRA(TColor color) {
    return Resolved(color) << 8;
}

//--- Metrics

int kelGetCurrentBPP() {
    HDC dc = GetDC(nullptr);
    const int bits = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    return bits;
}

TColor kelGetColorUnderCursor() {
    POINT point = {};
    GetCursorPos(&point);
    HWND desktop = GetDesktopWindow();
    HDC dc = GetWindowDC(desktop);
    const COLORREF color = GetPixel(dc, point.x, point.y);
    ReleaseDC(desktop, dc);
    return static_cast<TColor>(color);
}

SIZE kelGetAverageCharSize(TCanvas* canvas) {
    std::string letters;
    for (char c = 'A'; c <= 'Z'; ++c) letters += c;
    for (char c = 'a'; c <= 'z'; ++c) letters += c;
    SIZE size = canvas->TextExtent(letters);
    size.cx /= 52;
    return size;
}

int kelDialogUnitsToPixelsX(uint16_t units) {
    return static_cast<int>(units * DialogBaseUnitX() / 4);
}

int kelDialogUnitsToPixelsY(uint16_t units) {
    return static_cast<int>(units * DialogBaseUnitY() / 8);
}

int kelPixelsToDialogUnitsX(uint16_t pixels) {
    return static_cast<int>(pixels * 4 / DialogBaseUnitX());
}

int kelPixelsToDialogUnitsY(uint16_t pixels) {
    return static_cast<int>(pixels * 8 / DialogBaseUnitY());
}

//--- Drawing

void kelFillRect(HDC dc, const RECT& rect, TColor color) {
    GdiBrush brush(CreateSolidBrush(ColorToRGB(color)));
    FillRect(dc, &rect, brush.Get());
}

void kelFrameRect(HDC dc, const RECT& rect, TColor color) {
    GdiBrush brush(CreateSolidBrush(ColorToRGB(color)));
    FrameRect(dc, &rect, brush.Get());
}

void kelDrawWideBorder(TCanvas* canvas, const RECT& rect, TColor color, int width) {
    canvas->Brush()->SetColor(color);
    canvas->FillRect(RECT{rect.left, rect.top, rect.right, rect.top + width});
    canvas->FillRect(RECT{rect.left, rect.bottom - width, rect.right, rect.bottom});
    canvas->FillRect(RECT{rect.left, rect.top, rect.left + width, rect.bottom});
    canvas->FillRect(RECT{rect.right - width, rect.top, rect.right, rect.bottom});
}

void kelDrawGradient(TCanvas* canvas, const RECT& rect, TColor startColor, TColor endColor, bool horizontal) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width < 1 || height < 1) return;
    const Channels start = ChannelsOf(startColor);
    const Channels end = ChannelsOf(endColor);
    const int dr = end.r - start.r;
    const int dg = end.g - start.g;
    const int db = end.b - start.b;
    const int steps = std::max({std::abs(dr), std::abs(dg), std::abs(db)}) + 1;
    const int length = horizontal ? width : height;
    const int band = length / steps + 1;
    canvas->Brush()->SetStyle(bsSolid);
    for (int i = 0; i < steps; ++i) {
        const int offset = i * band;
        if (offset >= length) break;
        const int r = start.r + (i * band * dr) / length;
        const int g = start.g + (i * band * dg) / length;
        const int b = start.b + (i * band * db) / length;
        canvas->Brush()->SetColor(static_cast<TColor>(RGB(r, g, b)));
        // The last band is cut at the rectangle's edge: nothing is painted outside it.
        RECT fill = rect;
        if (horizontal) {
            fill.left = rect.left + offset;
            fill.right = std::min<LONG>(rect.right, fill.left + band);
        } else {
            fill.top = rect.top + offset;
            fill.bottom = std::min<LONG>(rect.bottom, fill.top + band);
        }
        canvas->FillRect(fill);
    }
}

void kelDrawText(TCanvas* canvas, const std::string& text, RECT& rect, TColor color, bool enabled, UINT format) {
    RECT local = rect;
    if (!enabled) {
        OffsetRect(&local, 1, 1);
        canvas->Font()->SetColor(clBtnHighlight);
        DrawTextIn(canvas, text, local, format);
        OffsetRect(&local, -1, -1);
        color = clBtnShadow;
    }
    canvas->Font()->SetColor(color);
    DrawTextIn(canvas, text, local, format);
    rect = local;
}

void kelDrawTextShadow(TCanvas* canvas, const std::string& text, RECT& rect, TColor textColor, TColor shadowColor,
                       int offsetX, int offsetY, UINT format) {
    (void)textColor;
    if (offsetX == 0 && offsetY == 0) return;
    OffsetRect(&rect, offsetX, offsetY);
    canvas->Font()->SetColor(shadowColor);
    DrawTextIn(canvas, text, rect, format);
}

void kelDrawTextBorder(TCanvas* canvas, const std::string& text, const RECT& rect, TColor textColor,
                       TColor borderColor, int sizeX, int sizeY, UINT format) {
    (void)textColor;
    canvas->Font()->SetColor(borderColor);
    auto copyAt = [&](int dx, int dy) {
        RECT moved = rect;
        OffsetRect(&moved, dx, dy);
        DrawTextIn(canvas, text, moved, format);
    };
    if (sizeX > 0) {
        for (int dx = -sizeX; dx <= sizeX; ++dx) {
            if (dx == 0) continue;
            copyAt(dx, -sizeY);
            copyAt(dx, sizeY);
        }
    }
    if (sizeY != 0) {
        const int k = sizeX != 0 ? 1 : 0;
        for (int dy = k - sizeY; dy <= sizeY - k; ++dy) {
            if (dy == 0) continue;
            copyAt(-sizeX, dy);
            copyAt(sizeX, dy);
        }
    }
}

BOOL kelSetLayeredWindowAttributes(HWND window, COLORREF colorKey, BYTE alpha, DWORD flags) {
    if (!kelSetLayeredWindowAttributesEntry) return FALSE;
    return kelSetLayeredWindowAttributesEntry(window, colorKey, alpha, flags);
}

//--- Unit start and end

void kelGraphicsInitialize() {
    // user32 is always loaded; a system without the entry simply has no layered windows.
    HMODULE user32 = GetModuleHandleA("user32.dll");
    kelSetLayeredWindowAttributesEntry =
        user32 ? reinterpret_cast<TkelSetLayeredWindowAttributesProc>(
                     reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")))
               : nullptr;
    RegisterIntegerConsts("TColor", &kelIdentToColor, &kelColorToIdent);
}

void kelGraphicsFinalize() {
    UnRegisterIntegerConsts("TColor", &kelIdentToColor, &kelColorToIdent);
}
