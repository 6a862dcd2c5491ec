// Drawing of the class library over GDI: colours, the owning handle wrappers,
// fonts, brushes, pens, the canvas, and the bitmap and icon pictures.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Streams.h"  // EFOpenError
#include "classlib/SysUtils.h"

//--- Colours

constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index));
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);

// The RGB value of a colour: system colours are looked up, clNone is white.
COLORREF ColorToRGB(TColor color);

// The standard colour identifiers ("clRed", "clBtnFace", "clNone"), compared
// without regard to case. Both are registered for streaming TColor properties.
bool ColorToIdent(TColor color, std::string& ident);
bool IdentToColor(const std::string& ident, TColor& color);
// The identifier of a colour, or "$" and its eight hexadecimal digits.
std::string ColorToString(TColor color);
// An identifier, a decimal number or "$" and hexadecimal digits; anything else
// raises EConvertError.
TColor StringToColor(const std::string& text);
// Calls proc with every standard colour identifier, in the table's order.
void GetColorValues(const std::function<void(const std::string& ident)>& proc);

//--- Owning GDI handles

// Owns one GDI object and deletes it when it goes. Move-only. Stock objects and
// shared images never go into one.
template <class H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H handle) : m_handle(handle) {}
    ~GdiObject() { Reset(); }
    GdiObject(GdiObject&& other) noexcept : m_handle(other.Release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    H Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    // Gives the handle up without deleting it (SetWindowRgn takes regions this way).
    H Release() {
        H handle = m_handle;
        m_handle = nullptr;
        return handle;
    }
    void Reset(H handle = nullptr) {
        if (m_handle) DeleteObject(m_handle);
        m_handle = handle;
    }

private:
    H m_handle = nullptr;
};

using GdiBitmap = GdiObject<HBITMAP>;
using GdiFont = GdiObject<HFONT>;
using GdiBrush = GdiObject<HBRUSH>;
using GdiPen = GdiObject<HPEN>;
using GdiRegion = GdiObject<HRGN>;

// Selects an object into a DC for the scope and selects the previous one back.
// The object must outlive the guard: declare it first.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~ScopedSelect() { SelectObject(m_dc, m_old); }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A memory DC deleted with the scope.
class ScopedMemoryDC {
public:
    explicit ScopedMemoryDC(HDC compatibleWith = nullptr) : m_dc(CreateCompatibleDC(compatibleWith)) {}
    ~ScopedMemoryDC() {
        if (m_dc) DeleteDC(m_dc);
    }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

//--- Fonts, brushes and pens

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;

// A GDI object described by properties; the handle is made when first asked for
// and remade after a change. OnChange tells the holder (canvas, control).
class TGraphicsObject : public TPersistent {
public:
    std::function<void()> OnChange;

protected:
    void Changed();
    // Gives up the handle made for the old properties; Changed deletes it.
    virtual HGDIOBJ DetachHandle() = 0;
};

class TFont final : public TGraphicsObject {
public:
    TFont();
    ~TFont() override;
    const char* ClassName() const override { return "TFont"; }
    void Assign(const TPersistent& source) override;

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name);
    // Height in pixels; negative for the character height, as LOGFONT has it.
    int Height() const { return m_height; }
    void SetHeight(int height);
    // Size in points at the screen's resolution.
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);

    // The font handle; stays owned by this object.
    HFONT Handle();

private:
    HGDIOBJ DetachHandle() override { return m_handle.Release(); }

    std::string m_name = "MS Sans Serif";
    int m_height = -11;
    TFontStyles m_style = 0;
    TColor m_color = clWindowText;
    GdiFont m_handle;
};

enum TBrushStyle : uint8_t { bsSolid, bsClear };

class TBrush final : public TGraphicsObject {
public:
    const char* ClassName() const override { return "TBrush"; }
    void Assign(const TPersistent& source) override;
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return m_style; }
    void SetStyle(TBrushStyle style);
    // A solid brush of the colour, or the stock null brush for bsClear.
    HBRUSH Handle();

private:
    HGDIOBJ DetachHandle() override { return m_handle.Release(); }
    TColor m_color = clWhite;
    TBrushStyle m_style = bsSolid;
    GdiBrush m_handle;
};

enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };

class TPen final : public TGraphicsObject {
public:
    const char* ClassName() const override { return "TPen"; }
    void Assign(const TPersistent& source) override;
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    TPenStyle Style() const { return m_style; }
    void SetStyle(TPenStyle style);
    int Width() const { return m_width; }
    void SetWidth(int width);
    HPEN Handle();

private:
    HGDIOBJ DetachHandle() override { return m_handle.Release(); }
    TColor m_color = clBlack;
    TPenStyle m_style = psSolid;
    int m_width = 1;
    GdiPen m_handle;
};

//--- Canvas

class TGraphic;

// A drawing surface over a DC. Its font, brush and pen are realised into the DC
// whenever Handle is asked for, so code that calls GDI on Handle directly draws
// with them. The DC's state is saved when the canvas takes it and restored
// before the canvas lets it go.
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    const char* ClassName() const override { return "TCanvas"; }

    // The DC with the canvas's font, colours, brush and pen selected.
    HDC Handle();
    bool HandleAllocated() const { return m_dc != nullptr; }
    // Takes a DC the canvas does not own (nullptr lets the current one go).
    void SetHandle(HDC dc);

    TFont* Font() { return &m_font; }
    TBrush* Brush() { return &m_brush; }
    TPen* Pen() { return &m_pen; }

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    void FillRect(const RECT& rect);
    void FrameRect(const RECT& rect);
    void DrawFocusRect(const RECT& rect);
    void TextOut(int x, int y, const std::string& text);
    void TextRect(const RECT& rect, int x, int y, const std::string& text);
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    // Copies a picture unscaled / scaled to a rectangle.
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const RECT& rect, TGraphic* graphic);
    TColor Pixel(int x, int y);
    void SetPixel(int x, int y, TColor color);

protected:
    // Called when Handle is asked for and no DC is attached: a subclass gets one.
    virtual void CreateHandle() {}
    // Lets the DC go: restores its saved state first.
    void ReleaseHandle();

private:
    void RequiredState();

    HDC m_dc = nullptr;
    int m_savedState = 0;
    TFont m_font;
    TBrush m_brush;
    TPen m_pen;
};

//--- Pictures

class TGraphic : public TPersistent {
public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const { return Width() == 0 || Height() == 0; }
    // Draws the picture scaled into the rectangle of the canvas.
    virtual void Draw(TCanvas& canvas, const RECT& rect) = 0;
    virtual void LoadFromFile(const std::string& fileName) = 0;
};

// Raised when a resource of the program file is missing.
class EResNotFound : public Exception {
public:
    using Exception::Exception;
};

// Raised when a picture file holds no readable picture.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// A device-independent bitmap of 32 bits per pixel with its own memory canvas.
// New and newly grown areas are white; resizing keeps the top-left content.
class TBitmap final : public TGraphic {
public:
    TBitmap();
    TBitmap(int width, int height);
    ~TBitmap() override;
    const char* ClassName() const override { return "TBitmap"; }
    void Assign(const TPersistent& source) override;

    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    void SetWidth(int width) { SetSize(width, m_height); }
    void SetHeight(int height) { SetSize(m_width, height); }
    void SetSize(int width, int height);

    // The memory canvas; the bitmap is selected into its DC.
    TCanvas* Canvas();
    HBITMAP Handle() const { return m_bitmap.Get(); }

    // Reads a .bmp file; the bitmap takes the file's size. EFOpenError when the
    // file cannot be opened, EInvalidGraphic when it holds no whole bitmap (the
    // bitmap then stays as it was).
    void LoadFromFile(const std::string& fileName) override;
    // Reads a bitmap resource of a module; EResNotFound when it has none of that name.
    void LoadFromResourceName(HINSTANCE instance, const std::string& name);
    // Writes a 24-bit .bmp file; Exception when the file cannot be written.
    void SaveToFile(const std::string& fileName);
    void Draw(TCanvas& canvas, const RECT& rect) override;

    // Pixel access without a DC (0x00BBGGRR).
    COLORREF GetPixel(int x, int y) const;
    void SetPixel(int x, int y, COLORREF color);

private:
    class BitmapCanvas;
    void Allocate(int width, int height);
    void DetachCanvas();
    // Takes the size and pixels of a loaded bitmap and deletes it; false for an empty one.
    bool TakeLoaded(HBITMAP loaded);

    int m_width = 0;
    int m_height = 0;
    GdiBitmap m_bitmap;
    uint32_t* m_bits = nullptr;  // top-down rows of 0x00RRGGBB
    std::unique_ptr<BitmapCanvas> m_canvas;
};

// An icon from an .ico file or a resource.
class TIcon final : public TGraphic {
public:
    TIcon() = default;
    ~TIcon() override;
    const char* ClassName() const override { return "TIcon"; }
    void Assign(const TPersistent& source) override;

    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    // Reads the image of an .ico file its first entry's size names. EFOpenError
    // when the file cannot be opened, EInvalidGraphic when that image is not
    // whole (the icon then stays as it was).
    void LoadFromFile(const std::string& fileName) override;
    // Takes an icon handle (owned from then on).
    void SetHandle(HICON icon);
    HICON Handle() const { return m_icon; }
    void Draw(TCanvas& canvas, const RECT& rect) override;
    // The icon as an .ico file of one 32-bit image, and back (the first image of
    // the file; EInvalidGraphic when it holds none).
    void SaveToStream(TStream& stream) const;
    void LoadFromStream(TStream& stream);
    // A component stream carries a non-empty icon as the binary property "Data".
    void DefineProperties(TFiler& filer) override;

    std::function<void()> OnChange;

private:
    HICON m_icon = nullptr;
    int m_width = 0;
    int m_height = 0;
};
