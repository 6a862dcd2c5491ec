// Colours, fonts, brushes, pens, canvases, bitmaps and icons over GDI.
#include "classlib/Graphics.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// No picture of ours comes near these; a damaged size field is refused before
// anything is allocated for it.
constexpr uint64_t kMaxPictureFileBytes = 128u << 20;
constexpr uint64_t kMaxBitmapPixels = 1u << 24;

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

uint16_t Get16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t Get32(const uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

// A colour mask GDI can use: one run of bits within the pixel.
bool ValidColorMask(uint32_t mask, int bitCount) {
    if (mask == 0 || (bitCount < 32 && mask >> bitCount != 0)) return false;
    const uint32_t pastRun = mask + (mask & (~mask + 1));  // 0 or a power of two for one run
    return (pastRun & (pastRun - 1)) == 0;
}

// A DIB whose every size and offset was checked against the bytes it lies in.
struct CheckedDib {
    int width = 0;
    int height = 0;  // rows; the file's sign is in topDown
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = BI_RGB;
    uint32_t masks[3] = {};
    RGBQUAD palette[256] = {};  // up to 8 bits per pixel; entries the file lacks stay black
    const uint8_t* bits = nullptr;
    size_t bitsSize = 0;  // uncompressed: the rows; run-length encoded: the encoded data
};

// The picture of a .bmp file; false when the file does not hold a whole one.
// Takes the header kinds GDI knows (the old 12-byte one up to version 5), the
// usual depths uncompressed, 4 and 8 bits run-length encoded, 16 and 32 bits
// with colour masks.
bool CheckBmp(const std::vector<uint8_t>& file, CheckedDib& dib) {
    const uint64_t size = file.size();
    const uint8_t* data = file.data();
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
    const uint64_t bitsAt = Get32(data + 10);
    const uint32_t headerSize = Get32(data + 14);
    const uint8_t* header = data + 14;
    const bool core = headerSize == 12;
    if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124)
        return false;
    if (size < 14 + uint64_t{headerSize}) return false;
    int64_t width = 0;
    int64_t height = 0;
    int planes = 0;
    uint64_t colors = 0;
    uint32_t imageSize = 0;
    if (core) {
        width = Get16(header + 4);
        height = Get16(header + 6);
        planes = Get16(header + 8);
        dib.bitCount = Get16(header + 10);
    } else {
        width = static_cast<int32_t>(Get32(header + 4));
        height = static_cast<int32_t>(Get32(header + 8));
        planes = Get16(header + 12);
        dib.bitCount = Get16(header + 14);
        dib.compression = Get32(header + 16);
        imageSize = Get32(header + 20);
        colors = Get32(header + 32);
    }
    dib.topDown = height < 0;
    height = std::abs(height);
    if (planes != 1 || width <= 0 || height <= 0 || static_cast<uint64_t>(width * height) > kMaxBitmapPixels)
        return false;
    dib.width = static_cast<int>(width);
    dib.height = static_cast<int>(height);

    const int bitCount = dib.bitCount;
    switch (dib.compression) {
    case BI_RGB:
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && (core || (bitCount != 16 && bitCount != 32)))
            return false;
        break;
    case BI_RLE8:
    case BI_RLE4:
        // Encoded rows run bottom-up only.
        if (bitCount != (dib.compression == BI_RLE8 ? 8 : 4) || dib.topDown) return false;
        break;
    case BI_BITFIELDS:
        if (bitCount != 16 && bitCount != 32) return false;
        break;
    default:
        return false;
    }

    uint64_t tableAt = 14 + uint64_t{headerSize};
    if (dib.compression == BI_BITFIELDS) {
        // Later headers hold the masks; after the first Windows one they follow it.
        const uint8_t* masks = header + 40;
        if (headerSize == 40) {
            if (size < tableAt + 12) return false;
            masks = data + tableAt;
            tableAt += 12;
        }
        for (int i = 0; i < 3; ++i) {
            dib.masks[i] = Get32(masks + 4 * i);
            if (!ValidColorMask(dib.masks[i], bitCount)) return false;
        }
        if ((dib.masks[0] & dib.masks[1]) | (dib.masks[0] & dib.masks[2]) | (dib.masks[1] & dib.masks[2])) return false;
    }

    // The colour table: needed up to 8 bits, an unused hint above.
    const uint64_t entryBytes = core ? 3 : 4;
    if (bitCount <= 8) {
        const uint64_t most = uint64_t{1} << bitCount;
        if (core || colors == 0) colors = most;
        if (colors > most) return false;
    } else if (colors > 256) {
        return false;
    }
    const uint64_t tableEnd = tableAt + colors * entryBytes;
    if (tableEnd > size || bitsAt < tableEnd || bitsAt > size) return false;
    if (bitCount <= 8) {
        for (uint64_t i = 0; i < colors; ++i) {
            const uint8_t* entry = data + tableAt + i * entryBytes;
            dib.palette[i] = RGBQUAD{entry[0], entry[1], entry[2], 0};
        }
    }

    const uint64_t available = size - bitsAt;
    dib.bits = data + bitsAt;
    if (dib.compression == BI_RLE8 || dib.compression == BI_RLE4) {
        dib.bitsSize = static_cast<size_t>(imageSize != 0 && imageSize < available ? imageSize : available);
        return true;
    }
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
    if (rowBytes * static_cast<uint64_t>(height) > available) return false;
    dib.bitsSize = static_cast<size_t>(rowBytes * height);
    return true;
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

uint32_t PixelOf(const RGBQUAD& color) {
    return static_cast<uint32_t>(color.rgbRed) << 16 | color.rgbGreen << 8 | color.rgbBlue;
}

// Decodes run-length encoded rows into top-down pixels. Pixels the data skips
// or never reaches keep the first colour; runs past the right edge are cut, and
// data that ends early ends the picture there.
void DecodeRle(const CheckedDib& dib, uint32_t* pixels) {
    const int64_t width = dib.width;
    const int64_t height = dib.height;
    std::fill_n(pixels, static_cast<size_t>(width * height), PixelOf(dib.palette[0]));
    const bool four = dib.compression == BI_RLE4;
    const uint8_t* data = dib.bits;
    const size_t size = dib.bitsSize;
    int64_t x = 0;
    int64_t y = 0;  // from the bottom row up
    auto put = [&](unsigned index) {
        if (x < width && y < height) pixels[(height - 1 - y) * width + x] = PixelOf(dib.palette[index]);
        ++x;
    };
    size_t at = 0;
    while (y < height && size - at >= 2) {
        const unsigned count = data[at];
        const unsigned value = data[at + 1];
        at += 2;
        if (count != 0) {
            // An encoded run: one index, or two alternating ones.
            for (unsigned i = 0; i < count && x < width; ++i) put(four ? (i & 1 ? value & 15 : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (size - at < 2) break;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else {
            // An absolute run of `value` indices, padded to a 16-bit boundary.
            const size_t bytes = four ? (value + 1) / 2 : value;
            if (size - at < bytes) break;
            for (unsigned i = 0; i < value && x < width; ++i)
                put(four ? (i & 1 ? data[at + i / 2] & 15 : data[at + i / 2] >> 4) : data[at + i]);
            at = std::min(size, at + bytes + (bytes & 1));
        }
    }
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

#pragma pack(push, 1)
struct IconDir {
    uint16_t reserved;
    uint16_t type;  // 1: icons
    uint16_t count;
};
struct IconDirEntry {
    uint8_t width;  // 0 stands for 256
    uint8_t height;
    uint8_t colorCount;
    uint8_t reserved;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t bytesInRes;
    uint32_t imageOffset;
};
#pragma pack(pop)

// The rows of a DIB of that width and depth, each padded to 32 bits.
uint32_t DibRowBytes(int width, int bitCount) {
    return static_cast<uint32_t>((width * bitCount + 31) / 32 * 4);
}

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

// An icon image as CreateIconFromResourceEx takes it, checked within its
// bytes: a DIB (colour rows, then the mask rows) or a PNG stream.
bool CheckIconImage(const uint8_t* image, uint32_t size) {
    static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(image, kPngSignature, 8) == 0) {
        // The chunks must tile the image, the header first and the end last.
        uint64_t at = 8;
        bool first = true;
        while (size - at >= 12) {
            const uint64_t length = uint64_t{image[at]} << 24 | image[at + 1] << 16 | image[at + 2] << 8 | image[at + 3];
            const uint8_t* type = image + at + 4;
            if (length > size - at - 12) return false;
            if (first) {
                if (std::memcmp(type, "IHDR", 4) != 0 || length != 13) return false;
                const uint8_t* field = type + 4;
                const uint32_t width = uint32_t{field[0]} << 24 | field[1] << 16 | field[2] << 8 | field[3];
                const uint32_t height = uint32_t{field[4]} << 24 | field[5] << 16 | field[6] << 8 | field[7];
                if (width == 0 || height == 0 || width > 256 || height > 256) return false;
                first = false;
            }
            at += 12 + length;
            if (std::memcmp(type, "IEND", 4) == 0) return true;
        }
        return false;
    }
    if (size < sizeof(BITMAPINFOHEADER) || Get32(image) != sizeof(BITMAPINFOHEADER)) return false;
    const int32_t width = static_cast<int32_t>(Get32(image + 4));
    const int32_t doubleHeight = static_cast<int32_t>(Get32(image + 8));
    const int bitCount = Get16(image + 14);
    const uint32_t colors = Get32(image + 32);
    if (width <= 0 || width > 256 || doubleHeight <= 0 || doubleHeight > 512 || doubleHeight % 2 != 0 ||
        Get16(image + 12) != 1 || Get32(image + 16) != BI_RGB)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    const uint64_t most = bitCount <= 8 ? uint64_t{1} << bitCount : 0;
    if (colors > (bitCount <= 8 ? most : 256)) return false;
    const uint64_t table = (colors != 0 ? colors : most) * 4;
    const uint64_t height = static_cast<uint64_t>(doubleHeight / 2);
    const uint64_t rows = (DibRowBytes(width, bitCount) + uint64_t{DibRowBytes(width, 1)}) * height;
    return sizeof(BITMAPINFOHEADER) + table + rows <= size;
}

// The image of an .ico file a loader asked for no particular size would take:
// the size of the first entry, at the most colours. False when the directory or
// that image is damaged.
bool ChooseIconImage(const std::vector<uint8_t>& file, const uint8_t*& image, uint32_t& imageSize) {
    if (file.size() < sizeof(IconDir)) return false;
    IconDir dir{};
    std::memcpy(&dir, file.data(), sizeof dir);
    if (dir.reserved != 0 || dir.type != 1 || dir.count == 0 ||
        sizeof dir + uint64_t{dir.count} * sizeof(IconDirEntry) > file.size())
        return false;
    const auto entry = [&file](int i) {
        IconDirEntry read{};
        std::memcpy(&read, file.data() + sizeof(IconDir) + i * sizeof read, sizeof read);
        return read;
    };
    const IconDirEntry first = entry(0);
    IconDirEntry best = first;
    for (int i = 1; i < dir.count; ++i) {
        const IconDirEntry other = entry(i);
        if (other.width == first.width && other.height == first.height && other.bitCount > best.bitCount)
            best = other;
    }
    if (best.imageOffset > file.size() || best.bytesInRes > file.size() - best.imageOffset) return false;
    image = file.data() + best.imageOffset;
    imageSize = best.bytesInRes;
    return CheckIconImage(image, imageSize);
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
