// Colours, fonts, brushes, pens, canvases, bitmaps and icons over GDI.
#include "classlib/Graphics.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "classlib/PictureFiles.h"
#include "classlib/Streaming.h"

namespace {

// Pixels per logical inch of the screen, for font sizes in points.
int ScreenPixelsPerInch() {
    static int ppi = 0;
    if (ppi == 0) {
        HDC dc = GetDC(nullptr);
        ppi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        if (ppi <= 0) ppi = 96;
    }
    return ppi;
}

std::string SystemErrorText(DWORD code) {
    char* buffer = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length && buffer ? std::string(buffer, length) : std::string();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

bool FileExistsA(const std::string& name) {
    const DWORD attributes = GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

COLORREF ColorToRGB(TColor color) {
    if (color == clNone) return RGB(255, 255, 255);
    if (color < 0) return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color) & 0xFFFFFF;
}

//--- Colour identifiers

namespace {

struct ColorIdent {
    TColor value;
    const char* name;
};

const ColorIdent kColorIdents[] = {
    {0x000000, "clBlack"},
    {0x000080, "clMaroon"},
    {0x008000, "clGreen"},
    {0x008080, "clOlive"},
    {0x800000, "clNavy"},
    {0x800080, "clPurple"},
    {0x808000, "clTeal"},
    {0x808080, "clGray"},
    {0xC0C0C0, "clSilver"},
    {0x0000FF, "clRed"},
    {0x00FF00, "clLime"},
    {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},
    {0xFF00FF, "clFuchsia"},
    {0xFFFF00, "clAqua"},
    {0xFFFFFF, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"},
    {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},
    {0xA4A0A0, "clMedGray"},
    {SystemColor(COLOR_ACTIVEBORDER), "clActiveBorder"},
    {SystemColor(COLOR_ACTIVECAPTION), "clActiveCaption"},
    {SystemColor(COLOR_APPWORKSPACE), "clAppWorkSpace"},
    {SystemColor(COLOR_BACKGROUND), "clBackground"},
    {SystemColor(COLOR_BTNFACE), "clBtnFace"},
    {SystemColor(COLOR_BTNHIGHLIGHT), "clBtnHighlight"},
    {SystemColor(COLOR_BTNSHADOW), "clBtnShadow"},
    {SystemColor(COLOR_BTNTEXT), "clBtnText"},
    {SystemColor(COLOR_CAPTIONTEXT), "clCaptionText"},
    {0x20000000, "clDefault"},
    {SystemColor(COLOR_GRADIENTACTIVECAPTION), "clGradientActiveCaption"},
    {SystemColor(COLOR_GRADIENTINACTIVECAPTION), "clGradientInactiveCaption"},
    {SystemColor(COLOR_GRAYTEXT), "clGrayText"},
    {SystemColor(COLOR_HIGHLIGHT), "clHighlight"},
    {SystemColor(COLOR_HIGHLIGHTTEXT), "clHighlightText"},
    {SystemColor(COLOR_HOTLIGHT), "clHotLight"},
    {SystemColor(COLOR_INACTIVEBORDER), "clInactiveBorder"},
    {SystemColor(COLOR_INACTIVECAPTION), "clInactiveCaption"},
    {SystemColor(COLOR_INACTIVECAPTIONTEXT), "clInactiveCaptionText"},
    {SystemColor(COLOR_INFOBK), "clInfoBk"},
    {SystemColor(COLOR_INFOTEXT), "clInfoText"},
    {SystemColor(COLOR_MENU), "clMenu"},
    {SystemColor(COLOR_MENUBAR), "clMenuBar"},
    {SystemColor(COLOR_MENUHILIGHT), "clMenuHighlight"},
    {SystemColor(COLOR_MENUTEXT), "clMenuText"},
    {clNone, "clNone"},
    {SystemColor(COLOR_SCROLLBAR), "clScrollBar"},
    {SystemColor(COLOR_3DDKSHADOW), "cl3DDkShadow"},
    {SystemColor(COLOR_3DLIGHT), "cl3DLight"},
    {SystemColor(COLOR_WINDOW), "clWindow"},
    {SystemColor(COLOR_WINDOWFRAME), "clWindowFrame"},
    {SystemColor(COLOR_WINDOWTEXT), "clWindowText"},
};

// Streams name colours by these identifiers from the start.
const bool kColorIdentsRegistered = [] {
    RegisterIntegerConsts("TColor", &IdentToColor, &ColorToIdent);
    return true;
}();

}  // namespace

bool ColorToIdent(TColor color, std::string& ident) {
    for (const ColorIdent& entry : kColorIdents) {
        if (entry.value != color) continue;
        ident = entry.name;
        return true;
    }
    return false;
}

bool IdentToColor(const std::string& ident, TColor& color) {
    for (const ColorIdent& entry : kColorIdents) {
        if (!SameText(entry.name, ident)) continue;
        color = entry.value;
        return true;
    }
    return false;
}

std::string ColorToString(TColor color) {
    std::string ident;
    if (ColorToIdent(color, ident)) return ident;
    char text[16];
    std::snprintf(text, sizeof text, "$%.8X", static_cast<unsigned>(color));
    return text;
}

TColor StringToColor(const std::string& text) {
    TColor color = 0;
    if (IdentToColor(text, color)) return color;
    if (!text.empty() && text[0] == '$') {
        const std::string digits = text.substr(1);
        if (digits.empty() || digits.size() > 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            throw EConvertError("'" + text + "' is not a valid integer value");
        return static_cast<TColor>(std::strtoul(digits.c_str(), nullptr, 16));
    }
    int32_t value = 0;
    if (!TryStrToInt(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

void GetColorValues(const std::function<void(const std::string& ident)>& proc) {
    for (const ColorIdent& entry : kColorIdents) proc(entry.name);
}

//--- TGraphicsObject

void TGraphicsObject::Changed() {
    // The old handle lives until its holder has let go of it: a canvas selects
    // a stock object in its place, a window is given the new handle (which the
    // holder makes by asking for it). Deleting it first would leave a window
    // with a dead font, which draws in the system font.
    GdiObject<HGDIOBJ> old(DetachHandle());
    if (OnChange) OnChange();
}

//--- TFont

TFont::TFont() = default;
TFont::~TFont() = default;

void TFont::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TFont*>(&source);
    if (!other) return TPersistent::Assign(source);
    m_name = other->m_name;
    m_height = other->m_height;
    m_style = other->m_style;
    m_color = other->m_color;
    Changed();
}

void TFont::SetName(const std::string& name) {
    if (name == m_name) return;
    m_name = name;
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == m_height) return;
    m_height = height;
    Changed();
}

int TFont::Size() const {
    return -MulDiv(m_height, 72, ScreenPixelsPerInch());
}

void TFont::SetSize(int points) {
    SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72));
}

void TFont::SetStyle(TFontStyles style) {
    if (style == m_style) return;
    m_style = style;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == m_color) return;
    m_color = color;
    Changed();
}

HFONT TFont::Handle() {
    if (!m_handle) {
        LOGFONTA font{};
        font.lfHeight = m_height;
        font.lfWeight = (m_style & fsBold) ? FW_BOLD : FW_NORMAL;
        font.lfItalic = (m_style & fsItalic) ? 1 : 0;
        font.lfUnderline = (m_style & fsUnderline) ? 1 : 0;
        font.lfStrikeOut = (m_style & fsStrikeOut) ? 1 : 0;
        font.lfCharSet = DEFAULT_CHARSET;
        font.lfQuality = DEFAULT_QUALITY;
        lstrcpynA(font.lfFaceName, m_name.c_str(), LF_FACESIZE);
        m_handle.Reset(CreateFontIndirectA(&font));
    }
    return m_handle.Get();
}

//--- TBrush

void TBrush::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TBrush*>(&source);
    if (!other) return TPersistent::Assign(source);
    m_color = other->m_color;
    m_style = other->m_style;
    Changed();
}

void TBrush::SetColor(TColor color) {
    if (color == m_color && m_style == bsSolid) return;
    m_color = color;
    // Giving a clear brush a colour makes it solid again.
    m_style = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
    if (style == m_style) return;
    m_style = style;
    Changed();
}

HBRUSH TBrush::Handle() {
    if (m_style == bsClear) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    if (!m_handle) m_handle.Reset(CreateSolidBrush(ColorToRGB(m_color)));
    return m_handle.Get();
}

//--- TPen

void TPen::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TPen*>(&source);
    if (!other) return TPersistent::Assign(source);
    m_color = other->m_color;
    m_style = other->m_style;
    m_width = other->m_width;
    Changed();
}

void TPen::SetColor(TColor color) {
    if (color == m_color) return;
    m_color = color;
    Changed();
}

void TPen::SetStyle(TPenStyle style) {
    if (style == m_style) return;
    m_style = style;
    Changed();
}

void TPen::SetWidth(int width) {
    if (width == m_width) return;
    m_width = width;
    Changed();
}

HPEN TPen::Handle() {
    if (!m_handle) {
        static const int kStyles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL};
        m_handle.Reset(CreatePen(kStyles[m_style], m_width, ColorToRGB(m_color)));
    }
    return m_handle.Get();
}

//--- TCanvas

TCanvas::TCanvas() {
    // A changed object is deselected at once, so its old handle can be deleted.
    auto deselect = [this](int stock) {
        return [this, stock] {
            if (m_dc) SelectObject(m_dc, GetStockObject(stock));
        };
    };
    m_font.OnChange = deselect(SYSTEM_FONT);
    m_brush.OnChange = deselect(WHITE_BRUSH);
    m_pen.OnChange = deselect(BLACK_PEN);
}

TCanvas::~TCanvas() {
    ReleaseHandle();
}

void TCanvas::SetHandle(HDC dc) {
    if (dc == m_dc) return;
    ReleaseHandle();
    if (dc) {
        m_dc = dc;
        m_savedState = SaveDC(dc);
    }
}

void TCanvas::ReleaseHandle() {
    if (!m_dc) return;
    if (m_savedState) RestoreDC(m_dc, m_savedState);
    m_dc = nullptr;
    m_savedState = 0;
}

HDC TCanvas::Handle() {
    if (!m_dc) CreateHandle();
    if (m_dc) RequiredState();
    return m_dc;
}

void TCanvas::RequiredState() {
    SelectObject(m_dc, m_font.Handle());
    SelectObject(m_dc, m_brush.Handle());
    SelectObject(m_dc, m_pen.Handle());
    SetTextColor(m_dc, ColorToRGB(m_font.Color()));
    SetBkColor(m_dc, ColorToRGB(m_brush.Color()));
    SetBkMode(m_dc, m_brush.Style() == bsClear ? TRANSPARENT : OPAQUE);
}

void TCanvas::MoveTo(int x, int y) {
    MoveToEx(Handle(), x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    ::LineTo(Handle(), x, y);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
    ::Rectangle(Handle(), left, top, right, bottom);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    ::Ellipse(Handle(), left, top, right, bottom);
}

void TCanvas::FillRect(const RECT& rect) {
    HDC dc = Handle();
    if (m_brush.Style() != bsClear) ::FillRect(dc, &rect, m_brush.Handle());
}

void TCanvas::FrameRect(const RECT& rect) {
    HDC dc = Handle();
    ::FrameRect(dc, &rect, m_brush.Handle());
}

void TCanvas::DrawFocusRect(const RECT& rect) {
    ::DrawFocusRect(Handle(), &rect);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    ::TextOutA(Handle(), x, y, text.c_str(), static_cast<int>(text.size()));
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text) {
    HDC dc = Handle();
    const UINT options = ETO_CLIPPED | (m_brush.Style() != bsClear ? ETO_OPAQUE : 0);
    ExtTextOutA(dc, x, y, options, &rect, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

SIZE TCanvas::TextExtent(const std::string& text) {
    SIZE size{0, 0};
    GetTextExtentPoint32A(Handle(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    graphic->Draw(*this, RECT{x, y, x + graphic->Width(), y + graphic->Height()});
}

void TCanvas::StretchDraw(const RECT& rect, TGraphic* graphic) {
    if (graphic && !graphic->Empty()) graphic->Draw(*this, rect);
}

TColor TCanvas::Pixel(int x, int y) {
    return static_cast<TColor>(::GetPixel(Handle(), x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    ::SetPixel(Handle(), x, y, ColorToRGB(color));
}

//--- Picture files in memory

namespace {

// Picture files are read into memory and checked there before GDI sees a byte:
// the system's own file loaders trust the sizes a file claims and read past
// the end of a damaged one.

// No picture of ours comes near this; a damaged size field is refused before
// anything is allocated for it.
constexpr uint64_t kMaxPictureFileBytes = 128u << 20;

std::string BitmapNotValid(const std::string& fileName) {
    return "Bitmap image is not valid: \"" + fileName + "\"";
}

std::string IconNotValid(const std::string& fileName) {
    return "Icon image is not valid: \"" + fileName + "\"";
}

// The whole file. EFOpenError when it cannot be opened or read, EInvalidGraphic
// with `notValid` when it is too large to be a picture.
std::vector<uint8_t> ReadPictureFile(const std::string& fileName, const std::string& notValid) {
    if (!FileExistsA(fileName))
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + SystemErrorText(ERROR_FILE_NOT_FOUND));
    HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + SystemErrorText(GetLastError()));
    std::unique_ptr<void, decltype(&CloseHandle)> closer(file, &CloseHandle);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size))
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + SystemErrorText(GetLastError()));
    if (static_cast<uint64_t>(size.QuadPart) > kMaxPictureFileBytes) throw EInvalidGraphic(notValid);
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + SystemErrorText(GetLastError()));
    return bytes;
}

// A top-down 32-bit DIB section; null when the system has no room for it.
HBITMAP CreatePixelBitmap(int width, int height, uint32_t*& bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bits = static_cast<uint32_t*>(pixels);
    return bitmap;
}

}  // namespace

//--- TBitmap

// The bitmap's own canvas: a memory DC made when first asked for, with the
// bitmap selected into it.
class TBitmap::BitmapCanvas final : public TCanvas {
public:
    explicit BitmapCanvas(TBitmap& owner) : m_owner(owner) {}
    ~BitmapCanvas() override { Detach(); }
    void Detach() {
        ReleaseHandle();
        if (m_memoryDC) {
            DeleteDC(m_memoryDC);
            m_memoryDC = nullptr;
        }
    }

protected:
    void CreateHandle() override {
        if (!m_owner.m_bitmap) m_owner.Allocate(std::max(m_owner.m_width, 1), std::max(m_owner.m_height, 1));
        m_memoryDC = CreateCompatibleDC(nullptr);
        SetHandle(m_memoryDC);
        SelectObject(m_memoryDC, m_owner.m_bitmap.Get());
    }

private:
    TBitmap& m_owner;
    HDC m_memoryDC = nullptr;
};

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) {
    SetSize(width, height);
}

TBitmap::~TBitmap() {
    // The canvas lets the bitmap go before the bitmap is deleted.
    DetachCanvas();
}

void TBitmap::DetachCanvas() {
    if (m_canvas) m_canvas->Detach();
}

void TBitmap::Allocate(int width, int height) {
    DetachCanvas();
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreatePixelBitmap(width, height, bits);
    if (!bitmap) throw Exception("Out of system resources");
    std::fill_n(bits, static_cast<size_t>(width) * height, 0x00FFFFFFu);
    m_bitmap.Reset(bitmap);
    m_bits = bits;
    m_width = width;
    m_height = height;
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height && (m_bitmap || width == 0 || height == 0)) return;
    if (width == 0 || height == 0) {
        DetachCanvas();
        m_bitmap.Reset();
        m_bits = nullptr;
        m_width = width;
        m_height = height;
        return;
    }
    // Keep what fits of the old picture; the rest is white.
    const int oldWidth = m_bitmap ? m_width : 0;
    const int oldHeight = m_bitmap ? m_height : 0;
    std::vector<uint32_t> old;
    if (m_bitmap) {
        GdiFlush();
        old.assign(m_bits, m_bits + static_cast<size_t>(m_width) * m_height);
    }
    Allocate(width, height);
    const int copyWidth = std::min(oldWidth, width);
    for (int y = 0; y < std::min(oldHeight, height); ++y)
        std::copy_n(old.data() + static_cast<size_t>(y) * oldWidth, copyWidth, m_bits + static_cast<size_t>(y) * width);
}

TCanvas* TBitmap::Canvas() {
    if (!m_canvas) m_canvas = std::make_unique<BitmapCanvas>(*this);
    return m_canvas.get();
}

void TBitmap::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TBitmap*>(&source);
    if (!other) return TPersistent::Assign(source);
    if (other == this) return;
    if (!other->m_bitmap) {
        SetSize(0, 0);
        m_width = other->m_width;
        m_height = other->m_height;
        return;
    }
    GdiFlush();
    Allocate(other->m_width, other->m_height);
    std::copy_n(other->m_bits, static_cast<size_t>(m_width) * m_height, m_bits);
}

void TBitmap::LoadFromFile(const std::string& fileName) {
    const std::vector<uint8_t> file = ReadPictureFile(fileName, BitmapNotValid(fileName));
    CheckedDib dib;
    if (!CheckBmp(file, dib)) throw EInvalidGraphic(BitmapNotValid(fileName));
    // The picture is built aside: a file refused half-way leaves the old one.
    uint32_t* bits = nullptr;
    GdiBitmap loaded(CreatePixelBitmap(dib.width, dib.height, bits));
    if (!loaded) throw EInvalidGraphic(BitmapNotValid(fileName));
    if (dib.compression == BI_RLE8 || dib.compression == BI_RLE4) {
        DecodeRle(dib, bits);
    } else {
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colors[256];
        } info{};
        info.header.biSize = sizeof(BITMAPINFOHEADER);
        info.header.biWidth = dib.width;
        info.header.biHeight = dib.topDown ? -dib.height : dib.height;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(dib.bitCount);
        info.header.biCompression = dib.compression;
        if (dib.compression == BI_BITFIELDS)
            std::memcpy(info.colors, dib.masks, sizeof dib.masks);
        else
            std::copy(std::begin(dib.palette), std::end(dib.palette), info.colors);
        ScopedMemoryDC dc;
        if (SetDIBits(dc.Get(), loaded.Get(), 0, static_cast<UINT>(dib.height), dib.bits,
                      reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != dib.height)
            throw EInvalidGraphic(BitmapNotValid(fileName));
    }
    GdiFlush();
    DetachCanvas();
    m_bitmap = std::move(loaded);
    m_bits = bits;
    m_width = dib.width;
    m_height = dib.height;
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
    HBITMAP loaded =
        static_cast<HBITMAP>(LoadImageA(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!loaded || !TakeLoaded(loaded)) throw EResNotFound("Resource " + name + " not found");
}

bool TBitmap::TakeLoaded(HBITMAP loaded) {
    GdiBitmap owner(loaded);
    BITMAP info{};
    GetObjectA(loaded, sizeof(info), &info);
    if (info.bmWidth <= 0 || info.bmHeight == 0) return false;
    Allocate(info.bmWidth, std::abs(info.bmHeight));
    ScopedMemoryDC source;
    ScopedSelect selectSource(source.Get(), loaded);
    HDC target = Canvas()->Handle();
    BitBlt(target, 0, 0, m_width, m_height, source.Get(), 0, 0, SRCCOPY);
    GdiFlush();
    return true;
}

void TBitmap::SaveToFile(const std::string& fileName) {
    GdiFlush();
    const int rowSize = ((m_width * 3) + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = m_width;
    info.biHeight = m_height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(rowSize) * m_height;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::vector<uint8_t> data(info.biSizeImage, 0);
    for (int y = 0; y < m_height; ++y) {
        uint8_t* row = data.data() + static_cast<size_t>(m_height - 1 - y) * rowSize;
        for (int x = 0; x < m_width; ++x) {
            const uint32_t pixel = m_bits[static_cast<size_t>(y) * m_width + x];
            row[x * 3] = pixel & 0xFF;
            row[x * 3 + 1] = (pixel >> 8) & 0xFF;
            row[x * 3 + 2] = (pixel >> 16) & 0xFF;
        }
    }
    FILE* out = std::fopen(fileName.c_str(), "wb");
    if (!out) throw Exception("Cannot create file \"" + fileName + "\"");
    const bool ok = std::fwrite(&file, sizeof(file), 1, out) == 1 && std::fwrite(&info, sizeof(info), 1, out) == 1 &&
                    (data.empty() || std::fwrite(data.data(), data.size(), 1, out) == 1);
    if (std::fclose(out) != 0 || !ok) throw Exception("Cannot write file \"" + fileName + "\"");
}

void TBitmap::Draw(TCanvas& canvas, const RECT& rect) {
    if (Empty()) return;
    HDC target = canvas.Handle();
    HDC source = Canvas()->Handle();
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width == m_width && height == m_height)
        BitBlt(target, rect.left, rect.top, width, height, source, 0, 0, SRCCOPY);
    else
        StretchBlt(target, rect.left, rect.top, width, height, source, 0, 0, m_width, m_height, SRCCOPY);
}

COLORREF TBitmap::GetPixel(int x, int y) const {
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return CLR_INVALID;
    GdiFlush();
    const uint32_t pixel = m_bits[static_cast<size_t>(y) * m_width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

void TBitmap::SetPixel(int x, int y, COLORREF color) {
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    GdiFlush();
    m_bits[static_cast<size_t>(y) * m_width + x] =
        (static_cast<uint32_t>(GetRValue(color)) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

//--- TIcon

TIcon::~TIcon() {
    if (m_icon) DestroyIcon(m_icon);
}

void TIcon::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TIcon*>(&source);
    if (!other) return TPersistent::Assign(source);
    if (other == this) return;
    SetHandle(other->m_icon ? CopyIcon(other->m_icon) : nullptr);
}

void TIcon::SetHandle(HICON icon) {
    if (m_icon && m_icon != icon) DestroyIcon(m_icon);
    m_icon = icon;
    m_width = m_height = 0;
    if (icon) {
        ICONINFO info{};
        if (GetIconInfo(icon, &info)) {
            BITMAP bitmap{};
            if (info.hbmColor && GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap)) {
                m_width = bitmap.bmWidth;
                m_height = bitmap.bmHeight;
            } else if (info.hbmMask && GetObjectA(info.hbmMask, sizeof(bitmap), &bitmap)) {
                m_width = bitmap.bmWidth;
                m_height = bitmap.bmHeight / 2;
            }
            if (info.hbmColor) DeleteObject(info.hbmColor);
            if (info.hbmMask) DeleteObject(info.hbmMask);
        }
    }
    if (OnChange) OnChange();
}

namespace {

// The bottom-up pixels of a bitmap at the depth asked for (1 or 32 bits).
std::vector<uint8_t> DibBits(HDC dc, HBITMAP bitmap, int width, int height, int bitCount) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitCount);
    info.header.biCompression = BI_RGB;
    std::vector<uint8_t> bits(DibRowBytes(width, bitCount) * static_cast<uint32_t>(height));
    if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), bits.data(), reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS) != height)
        throw EInvalidGraphic("Icon image is not valid");
    return bits;
}

}  // namespace

void TIcon::LoadFromFile(const std::string& fileName) {
    const std::vector<uint8_t> file = ReadPictureFile(fileName, IconNotValid(fileName));
    const uint8_t* image = nullptr;
    uint32_t imageSize = 0;
    if (!ChooseIconImage(file, image, imageSize)) throw EInvalidGraphic(IconNotValid(fileName));
    // Width and height 0: the image's own size.
    HICON icon = CreateIconFromResourceEx(const_cast<uint8_t*>(image), imageSize, TRUE, 0x00030000, 0, 0,
                                          LR_DEFAULTCOLOR);
    if (!icon) throw EInvalidGraphic(IconNotValid(fileName));
    SetHandle(icon);
}

void TIcon::SaveToStream(TStream& stream) const {
    if (!m_icon) return;
    ICONINFO info{};
    if (!GetIconInfo(m_icon, &info)) throw EInvalidGraphic("Icon image is not valid");
    GdiBitmap color(info.hbmColor);
    GdiBitmap mask(info.hbmMask);
    BITMAP maskShape{};
    if (!mask || !GetObjectA(mask.Get(), sizeof maskShape, &maskShape))
        throw EInvalidGraphic("Icon image is not valid");
    const int width = maskShape.bmWidth;
    // A monochrome icon has no colour bitmap; its mask holds the AND rows over the XOR rows.
    const int height = color ? maskShape.bmHeight : maskShape.bmHeight / 2;
    ScopedMemoryDC dc;
    std::vector<uint8_t> colorBits;
    std::vector<uint8_t> andBits;
    if (color) {
        colorBits = DibBits(dc.Get(), color.Get(), width, height, 32);
        andBits = DibBits(dc.Get(), mask.Get(), width, height, 1);
    } else {
        // Bottom-up, so the AND rows (the top half) come last.
        const std::vector<uint8_t> both = DibBits(dc.Get(), mask.Get(), width, height * 2, 1);
        const size_t half = both.size() / 2;
        andBits.assign(both.begin() + static_cast<std::ptrdiff_t>(half), both.end());
        const uint32_t rowBytes = DibRowBytes(width, 1);
        colorBits.assign(static_cast<size_t>(width) * height * 4, 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (both[y * rowBytes + x / 8] & (0x80 >> (x % 8)))
                    std::memset(&colorBits[(static_cast<size_t>(y) * width + x) * 4], 0xFF, 3);
    }

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height * 2;  // the XOR and the AND image, as icon files have it
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(colorBits.size() + andBits.size());
    const IconDir dir{0, 1, 1};
    IconDirEntry entry{};
    entry.width = static_cast<uint8_t>(width >= 256 ? 0 : width);
    entry.height = static_cast<uint8_t>(height >= 256 ? 0 : height);
    entry.planes = 1;
    entry.bitCount = 32;
    entry.bytesInRes = static_cast<uint32_t>(sizeof header + header.biSizeImage);
    entry.imageOffset = sizeof dir + sizeof entry;
    stream.WriteBuffer(&dir, sizeof dir);
    stream.WriteBuffer(&entry, sizeof entry);
    stream.WriteBuffer(&header, sizeof header);
    stream.WriteBuffer(colorBits.data(), static_cast<int32_t>(colorBits.size()));
    stream.WriteBuffer(andBits.data(), static_cast<int32_t>(andBits.size()));
}

void TIcon::LoadFromStream(TStream& stream) {
    const int64_t size = stream.Size() - stream.Position();
    if (size < static_cast<int64_t>(sizeof(IconDir) + sizeof(IconDirEntry)) || size > INT32_MAX)
        throw EInvalidGraphic("Icon image is not valid");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    stream.ReadBuffer(bytes.data(), static_cast<int32_t>(size));
    IconDir dir{};
    IconDirEntry entry{};
    std::memcpy(&dir, bytes.data(), sizeof dir);
    std::memcpy(&entry, bytes.data() + sizeof dir, sizeof entry);
    if (dir.reserved != 0 || dir.type != 1 || dir.count == 0 || entry.imageOffset > bytes.size() ||
        entry.bytesInRes > bytes.size() - entry.imageOffset ||
        !CheckIconImage(bytes.data() + entry.imageOffset, entry.bytesInRes))
        throw EInvalidGraphic("Icon image is not valid");
    // Width and height 0: the image's own size.
    HICON icon = CreateIconFromResourceEx(bytes.data() + entry.imageOffset, entry.bytesInRes, TRUE, 0x00030000, 0, 0,
                                          LR_DEFAULTCOLOR);
    if (!icon) throw EInvalidGraphic("Icon image is not valid");
    SetHandle(icon);
}

void TIcon::DefineProperties(TFiler& filer) {
    TGraphic::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& stream) { LoadFromStream(stream); }, [this](TStream& stream) { SaveToStream(stream); },
        m_icon != nullptr);
}

void TIcon::Draw(TCanvas& canvas, const RECT& rect) {
    if (!m_icon) return;
    DrawIconEx(canvas.Handle(), rect.left, rect.top, m_icon, rect.right - rect.left, rect.bottom - rect.top, 0, nullptr,
               DI_NORMAL);
}
