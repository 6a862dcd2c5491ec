// kelGraphics: the extra colour names (also in streams), byte orders, metrics,
// and what the drawing routines put on a bitmap.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "components/kelGraphics.h"
#include "kelTestSupport.h"

namespace {

// A component with a colour property, for streaming by name.
class TTintedItem : public TComponent {
public:
    using TComponent::TComponent;
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info("TTintedItem", &TComponent::StaticClassInfo(), &CreateComponentOf<TTintedItem>,
                                     [](TPropList& list) {
                                         TPublished<TTintedItem>(list).Color(
                                             "Color", [](const TTintedItem& c) { return c.color; },
                                             [](TTintedItem& c, TColor v) { c.color = v; }, clBlack);
                                     });
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TTintedItem"; }
    TColor color = clBlack;
};

std::string Written(TColor color) {
    TTintedItem item(nullptr);
    item.color = color;
    TMemoryStream stream;
    WriteComponent(stream, &item);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

// A white bitmap to draw on.
std::unique_ptr<TBitmap> White(int width, int height) {
    auto bitmap = std::make_unique<TBitmap>(width, height);
    bitmap->Canvas()->Brush()->SetColor(clWhite);
    bitmap->Canvas()->FillRect(RECT{0, 0, width, height});
    return bitmap;
}

// Every pixel of a bitmap, for comparing two drawings.
std::vector<COLORREF> Pixels(const TBitmap& bitmap) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) pixels.push_back(bitmap.GetPixel(x, y));
    return pixels;
}

void PrepareText(TCanvas* canvas) {
    canvas->Font()->SetName("Tahoma");
    canvas->Font()->SetHeight(-16);
    canvas->Brush()->SetStyle(bsClear);
}

// The text drawn in one colour at each offset, as the reference for the routines.
std::vector<COLORREF> Copies(const std::string& text, const RECT& rect, TColor color,
                             const std::vector<POINT>& offsets, UINT format) {
    auto bitmap = White(80, 40);
    TCanvas* canvas = bitmap->Canvas();
    PrepareText(canvas);
    canvas->Font()->SetColor(color);
    for (const POINT& offset : offsets) {
        RECT moved = rect;
        OffsetRect(&moved, offset.x, offset.y);
        DrawTextA(canvas->Handle(), text.c_str(), -1, &moved, format);
    }
    return Pixels(*bitmap);
}

constexpr UINT kFormat = DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX;

}  // namespace

TEST(kelGraphics, ExtraColourNamesComeFirstAndTheRestGoesToTheClassLibrary) {
    EXPECT_EQ("clOrange", kelColorToString(0x0068FF));
    EXPECT_EQ("clLavender", kelColorToString(0xFF98C0));
    EXPECT_EQ("clRed", kelColorToString(clRed));
    EXPECT_EQ("$00123456", kelColorToString(0x123456));
    EXPECT_EQ(0xFF98C0, kelStringToColor("clLavender"));
    EXPECT_EQ(0x003090, kelStringToColor("CLBROWN"));
    EXPECT_EQ(clBtnFace, kelStringToColor("clBtnFace"));
    EXPECT_EQ(0x00ABCDEF, kelStringToColor("$00ABCDEF"));
    EXPECT_THROW(kelStringToColor("clNoSuch"), EConvertError);

    std::string name;
    TColor color = 0;
    ASSERT_TRUE(kelColorToIdent(0x909090, name));
    EXPECT_EQ("clMetal", name);
    ASSERT_TRUE(kelColorToIdent(clMaroon, name));
    EXPECT_EQ("clMaroon", name);
    EXPECT_FALSE(kelColorToIdent(0x010203, name));
    ASSERT_TRUE(kelIdentToColor("clPaleBlue", color));
    EXPECT_EQ(0xFFC890, color);
    ASSERT_TRUE(kelIdentToColor("clWindow", color));
    EXPECT_EQ(clWindow, color);
    EXPECT_FALSE(kelIdentToColor("clPink", color));

    // Every standard name, then the 21 extra ones in their order.
    std::vector<std::string> standard;
    GetColorValues([&](const std::string& ident) { standard.push_back(ident); });
    std::vector<std::string> all;
    kelGetColorValues([&](const std::string& ident) { all.push_back(ident); });
    ASSERT_EQ(standard.size() + 21, all.size());
    EXPECT_EQ(standard, std::vector<std::string>(all.begin(), all.begin() + standard.size()));
    const std::vector<std::string> extra = {
        "clBrown", "clOliveGreen", "clDarkGreen", "clDarkTeal", "clIndigo", "clNight", "clOrange",
        "clBlueGray", "clLightOrange", "clSeaGreen", "clLightBlue", "clMetal", "clGold", "clPlum",
        "clRose", "clTan", "clLightYellow", "clLightGreen", "clLightTurquoise", "clPaleBlue", "clLavender"};
    EXPECT_EQ(extra, std::vector<std::string>(all.end() - 21, all.end()));
    const std::vector<TColor> values = {0x003090, 0x003030, 0x003000, 0x603000, 0x903030, 0x303030, 0x0068FF,
                                        0x906060, 0x0098FF, 0x609830, 0xFF6830, 0x909090, 0x00C8FF, 0x603090,
                                        0xD098FF, 0xA0C8FF, 0x90FFFF, 0xD0FFD0, 0xFFFFC0, 0xFFC890, 0xFF98C0};
    for (size_t i = 0; i < extra.size(); ++i) EXPECT_EQ(values[i], kelStringToColor(extra[i])) << extra[i];
}

TEST(kelGraphics, StreamsNameColoursByTheExtraNamesWhileTheLibraryRuns) {
    RegisterPersistentClass(TTintedItem::StaticClassInfo());
    EXPECT_NE(std::string::npos, Written(0x0068FF).find("\x08" "clOrange"));
    EXPECT_NE(std::string::npos, Written(clRed).find("clRed"));
    // A stream naming an extra colour reads back.
    {
        TTintedItem item(nullptr);
        item.color = 0xD098FF;
        TMemoryStream stream;
        WriteComponent(stream, &item);
        stream.SetPosition(0);
        TTintedItem read(nullptr);
        ReadComponent(stream, &read);
        EXPECT_EQ(0xD098FF, read.color);
    }
    // At the library's end the extra names are no longer known to streams.
    kelGraphicsFinalize();
    EXPECT_EQ(std::string::npos, Written(0x0068FF).find("clOrange"));
    EXPECT_NE(std::string::npos, Written(clRed).find("clRed"));
    kelGraphicsInitialize();
    EXPECT_NE(std::string::npos, Written(0x0068FF).find("clOrange"));
    UnRegisterPersistentClass(TTintedItem::StaticClassInfo());
}

TEST(kelGraphics, ByteOrdersOfResolvedColours) {
    EXPECT_EQ(0xFF000000u, kelColorToRGBA(clRed));
    EXPECT_EQ(0x00FF0000u, kelColorToARGB(clRed));
    EXPECT_EQ(0x0000FF00u, kelColorToBGRA(clRed));
    EXPECT_EQ(0x000000FFu, kelColorToABGR(clRed));
    EXPECT_EQ(0x00563412u, kelColorToARGB(0x123456));
    EXPECT_EQ(0x56341200u, kelColorToRGBA(0x123456));
    EXPECT_EQ(0x12345600u, kelColorToBGRA(0x123456));
    // System colours are resolved first.
    const uint32_t face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(face, kelColorToABGR(clBtnFace));
    EXPECT_EQ(face << 8, kelColorToBGRA(clBtnFace));
    EXPECT_EQ(CkelColors16[9], clRed);
    EXPECT_EQ(CkelBackgroundColors[14], clBlack);
}

TEST(kelGraphics, MetricsFollowTheSystem) {
    EXPECT_GE(kelGetCurrentBPP(), 8);
    const LONG units = GetDialogBaseUnits();
    EXPECT_EQ(100 * LOWORD(units) / 4, kelDialogUnitsToPixelsX(100));
    EXPECT_EQ(100 * HIWORD(units) / 8, kelDialogUnitsToPixelsY(100));
    EXPECT_EQ(300 * 4 / LOWORD(units), kelPixelsToDialogUnitsX(300));
    EXPECT_EQ(300 * 8 / HIWORD(units), kelPixelsToDialogUnitsY(300));
    EXPECT_EQ(65535 * LOWORD(units) / 4, kelDialogUnitsToPixelsX(65535)) << "no 16-bit overflow";

    auto bitmap = White(10, 10);
    PrepareText(bitmap->Canvas());
    const SIZE all = bitmap->Canvas()->TextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const SIZE average = kelGetAverageCharSize(bitmap->Canvas());
    EXPECT_EQ(all.cx / 52, average.cx);
    EXPECT_EQ(all.cy, average.cy);
    EXPECT_GT(average.cx, 0);
}

TEST(kelGraphics, GradientsBandByBandInsideTheRectangle) {
    // Black to white across 100 pixels: 256 steps of one pixel, cut at the edge.
    auto bitmap = White(120, 10);
    kelDrawGradient(bitmap->Canvas(), RECT{10, 2, 110, 8}, clBlack, clWhite, true);
    for (int x = 0; x < 100; ++x) {
        const int v = x * 255 / 100;
        ASSERT_EQ(RGB(v, v, v), bitmap->GetPixel(10 + x, 5)) << x;
    }
    EXPECT_EQ(RGB(255, 255, 255), bitmap->GetPixel(9, 5));
    EXPECT_EQ(RGB(255, 255, 255), bitmap->GetPixel(10, 1));
    EXPECT_EQ(RGB(255, 255, 255), bitmap->GetPixel(10, 8));

    // Wider than the steps: bands of 600 div 256 + 1 = 3 pixels.
    auto wide = White(600, 4);
    kelDrawGradient(wide->Canvas(), RECT{0, 0, 600, 4}, clBlack, clRed, true);
    for (int x : {0, 2, 3, 5, 300, 599}) {
        const int band = x / 3;
        ASSERT_EQ(RGB(band * 3 * 255 / 600, 0, 0), wide->GetPixel(x, 1)) << x;
    }

    // Vertical, from red to blue: channels fall and rise on their own.
    auto tall = White(4, 60);
    kelDrawGradient(tall->Canvas(), RECT{0, 0, 4, 60}, clRed, clBlue, false);
    for (int y = 0; y < 60; ++y) {
        ASSERT_EQ(RGB(255 + (y * -255) / 60, 0, (y * 255) / 60), tall->GetPixel(2, y)) << y;
    }

    // Equal colours: one band, which stays inside the rectangle.
    auto flat = White(20, 20);
    kelDrawGradient(flat->Canvas(), RECT{5, 5, 15, 15}, clGreen, clGreen, true);
    EXPECT_EQ(RGB(0, 128, 0), flat->GetPixel(5, 5));
    EXPECT_EQ(RGB(0, 128, 0), flat->GetPixel(14, 14));
    EXPECT_EQ(RGB(255, 255, 255), flat->GetPixel(15, 10)) << "nothing beyond the right edge";
    kelDrawGradient(flat->Canvas(), RECT{5, 5, 15, 15}, clNavy, clNavy, false);
    EXPECT_EQ(RGB(255, 255, 255), flat->GetPixel(10, 15)) << "nothing below the bottom edge";

    // An empty rectangle draws nothing.
    auto empty = White(10, 10);
    kelDrawGradient(empty->Canvas(), RECT{5, 5, 5, 9}, clBlack, clBlack, true);
    kelDrawGradient(empty->Canvas(), RECT{2, 5, 9, 4}, clBlack, clBlack, false);
    for (COLORREF pixel : Pixels(*empty)) ASSERT_EQ(RGB(255, 255, 255), pixel);
}

TEST(kelGraphics, FillsFramesAndWideBorders) {
    auto bitmap = White(30, 30);
    HDC dc = bitmap->Canvas()->Handle();
    kelFillRect(dc, RECT{1, 1, 4, 4}, clRed);
    kelFrameRect(dc, RECT{10, 10, 20, 20}, clBlue);
    EXPECT_EQ(RGB(255, 0, 0), bitmap->GetPixel(3, 3));
    EXPECT_EQ(RGB(255, 255, 255), bitmap->GetPixel(4, 4));
    EXPECT_EQ(RGB(0, 0, 255), bitmap->GetPixel(10, 15));
    EXPECT_EQ(RGB(0, 0, 255), bitmap->GetPixel(19, 19));
    EXPECT_EQ(RGB(255, 255, 255), bitmap->GetPixel(15, 15));

    auto border = White(30, 30);
    kelDrawWideBorder(border->Canvas(), RECT{5, 5, 25, 25}, clGreen, 3);
    for (POINT p : {POINT{5, 5}, POINT{24, 24}, POINT{7, 15}, POINT{22, 15}, POINT{15, 7}, POINT{15, 22}})
        EXPECT_EQ(RGB(0, 128, 0), border->GetPixel(p.x, p.y)) << p.x << "," << p.y;
    for (POINT p : {POINT{8, 8}, POINT{21, 21}, POINT{4, 4}, POINT{25, 15}})
        EXPECT_EQ(RGB(255, 255, 255), border->GetPixel(p.x, p.y)) << p.x << "," << p.y;
}

TEST(kelGraphics, TextShadowsOutlinesAndDisabledText) {
    const RECT place = {20, 10, 70, 30};
    // The shadow alone, at its offset; the rectangle stays moved.
    {
        auto bitmap = White(80, 40);
        PrepareText(bitmap->Canvas());
        RECT rect = place;
        kelDrawTextShadow(bitmap->Canvas(), "Ab", rect, clRed, clBlue, 2, 1, kFormat);
        EXPECT_EQ(22, rect.left);
        EXPECT_EQ(11, rect.top);
        EXPECT_EQ(Copies("Ab", place, clBlue, {{2, 1}}, kFormat), Pixels(*bitmap));
        // No offset: no shadow, and the rectangle stays.
        auto untouched = White(80, 40);
        PrepareText(untouched->Canvas());
        rect = place;
        kelDrawTextShadow(untouched->Canvas(), "Ab", rect, clRed, clBlue, 0, 0, kFormat);
        EXPECT_EQ(place.left, rect.left);
        for (COLORREF pixel : Pixels(*untouched)) ASSERT_EQ(RGB(255, 255, 255), pixel);
    }
    // Outlines: with sizes 1 and 1 the four diagonal copies only.
    {
        auto bitmap = White(80, 40);
        PrepareText(bitmap->Canvas());
        kelDrawTextBorder(bitmap->Canvas(), "Ab", place, clRed, clGreen, 1, 1, kFormat);
        EXPECT_EQ(Copies("Ab", place, clGreen, {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}}, kFormat), Pixels(*bitmap));
    }
    {
        auto bitmap = White(80, 40);
        PrepareText(bitmap->Canvas());
        kelDrawTextBorder(bitmap->Canvas(), "Ab", place, clRed, clGreen, 2, 2, kFormat);
        EXPECT_EQ(Copies("Ab", place, clGreen,
                         {{-2, -2}, {-2, 2}, {-1, -2}, {-1, 2}, {1, -2}, {1, 2}, {2, -2}, {2, 2},
                          {-2, -1}, {2, -1}, {-2, 1}, {2, 1}},
                         kFormat),
                  Pixels(*bitmap));
    }
    {
        auto bitmap = White(80, 40);
        PrepareText(bitmap->Canvas());
        kelDrawTextBorder(bitmap->Canvas(), "Ab", place, clRed, clGreen, 0, 2, kFormat);
        // Without a width each copy is drawn twice, left and right of nothing.
        EXPECT_EQ(Copies("Ab", place, clGreen, {{0, -2}, {0, -2}, {0, -1}, {0, -1}, {0, 1}, {0, 1}, {0, 2}, {0, 2}},
                         kFormat),
                  Pixels(*bitmap));
    }
    // Enabled text in its colour; disabled text embossed in the button colours.
    {
        auto bitmap = White(80, 40);
        PrepareText(bitmap->Canvas());
        RECT rect = place;
        kelDrawText(bitmap->Canvas(), "Ab", rect, clRed, true, kFormat);
        EXPECT_EQ(Copies("Ab", place, clRed, {{0, 0}}, kFormat), Pixels(*bitmap));
    }
    {
        auto bitmap = White(80, 40);
        PrepareText(bitmap->Canvas());
        RECT rect = place;
        kelDrawText(bitmap->Canvas(), "Ab", rect, clRed, false, kFormat);
        auto reference = White(80, 40);
        TCanvas* canvas = reference->Canvas();
        PrepareText(canvas);
        RECT moved = place;
        OffsetRect(&moved, 1, 1);
        canvas->Font()->SetColor(clBtnHighlight);
        DrawTextA(canvas->Handle(), "Ab", -1, &moved, kFormat);
        moved = place;
        canvas->Font()->SetColor(clBtnShadow);
        DrawTextA(canvas->Handle(), "Ab", -1, &moved, kFormat);
        EXPECT_EQ(Pixels(*reference), Pixels(*bitmap));
    }
    // A measured rectangle comes back to the caller.
    {
        auto bitmap = White(80, 40);
        PrepareText(bitmap->Canvas());
        RECT rect = {0, 0, 0, 0};
        kelDrawText(bitmap->Canvas(), "Reminder", rect, clBlack, true, kFormat | DT_CALCRECT);
        const SIZE extent = bitmap->Canvas()->TextExtent("Reminder");
        EXPECT_EQ(extent.cx, rect.right);
        EXPECT_EQ(extent.cy, rect.bottom);
    }
}

TEST(kelGraphics, LayeredWindowsWhereTheSystemHasThem) {
    ASSERT_NE(nullptr, kelSetLayeredWindowAttributesEntry) << "the system has the entry";
    HWND window = CreateWindowExA(WS_EX_LAYERED | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    EXPECT_NE(FALSE, kelSetLayeredWindowAttributes(window, 0, 128, LWA_ALPHA));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(128, alpha);
    // A system without the entry: nothing happens and the answer is 0.
    const TkelSetLayeredWindowAttributesProc saved = kelSetLayeredWindowAttributesEntry;
    kelSetLayeredWindowAttributesEntry = nullptr;
    EXPECT_EQ(FALSE, kelSetLayeredWindowAttributes(window, 0, 20, LWA_ALPHA));
    kelSetLayeredWindowAttributesEntry = saved;
    GetLayeredWindowAttributes(window, nullptr, &alpha, &flags);
    EXPECT_EQ(128, alpha);
    DestroyWindow(window);
}

TEST(kelGraphics, TheColourUnderTheCursorIsTheScreensPixel) {
    // A window painted in one colour, with the cursor over it.
    HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 40, 40, 60,
                                  60, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    const COLORREF colour = RGB(12, 200, 34);
    const TColor found = [&] {
        TColor last = -1;
        PumpUntil([&] {
            HDC dc = GetDC(window);
            kelFillRect(dc, RECT{0, 0, 60, 60}, static_cast<TColor>(colour));
            ReleaseDC(window, dc);
            SetCursorPos(70, 70);
            last = kelGetColorUnderCursor();
            return last == static_cast<TColor>(colour);
        });
        return last;
    }();
    EXPECT_EQ(static_cast<TColor>(colour), found);
    DestroyWindow(window);
}
