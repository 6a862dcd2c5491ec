// A fixture with the main window made (not shown) in a temporary program folder
// with test skin sheets, so that every painter and dialog finds its skin; and
// helpers that draw into bitmaps and read what was drawn.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "model/Uglobals.h"
#include "ui/UMain.h"
#include "ui/Ugraphic.h"

// Distinct colours for texts and shadows, unlike anything on the test skins.
constexpr TColor kTextColor = 0x0000FF;    // red
constexpr TColor kShadowColor = 0x00FF00;  // green
constexpr COLORREF kPaper = RGB(40, 40, 40);

class SkinnedTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        EnterProgramFolder("qr-skin", &host, [] { return EncodeDate(2024, 3, 15) + 0.5; });
        keptText = Text_Settings;
        Application->CreateForm(MainForm);
        Text_Settings.Font_Color = kTextColor;
        Text_Settings.Font_Shadow_Color = kShadowColor;
    }

    void TearDown() override {
        Application->OnIdle = nullptr;
        if (MainForm) FreeForm(MainForm);
        PumpUntilIdle();
        Text_Settings = keptText;
        Application->ShowMainForm = true;
        LeaveProgramFolder();
        EXPECT_TRUE(errors.empty()) << errors.front();
    }

    RecordingHost host;
    TTextSettingValues keptText;
};

// A bitmap filled with one colour.
inline void Fill(TBitmap& bitmap, COLORREF color) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) bitmap.SetPixel(x, y, color);
}

// Runs a form painter with the form's canvas drawing into a bitmap, as during
// the form's painting (which goes to a buffer too).
inline void PaintInto(TCustomForm* form, TBitmap& bitmap, const std::function<void()>& paint) {
    auto* canvas = static_cast<TControlCanvas*>(form->Canvas());
    canvas->UsePaintDC(bitmap.Canvas()->Handle());
    paint();
    canvas->FreeDeviceContext();
}

struct PixelPoint {
    int x;
    int y;
};

// The pixels of exactly one colour.
inline std::vector<PixelPoint> PixelsOf(const TBitmap& bitmap, COLORREF color) {
    std::vector<PixelPoint> points;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (bitmap.GetPixel(x, y) == color) points.push_back({x, y});
    return points;
}

// Text is drawn smoothed: its edges blend with what lies under them. A pixel
// counts as drawn when it is not the paper; as text or shadow when that
// colour's channel leads.
inline bool IsReddish(COLORREF c) {
    return GetRValue(c) > GetGValue(c) && GetRValue(c) > GetBValue(c);
}
inline bool IsGreenish(COLORREF c) {
    return GetGValue(c) > GetRValue(c) && GetGValue(c) > GetBValue(c);
}

// The smallest rectangle around the pixels that satisfy a test; left and top
// stay INT_MAX when there are none.
inline RECT BoundsWhere(const TBitmap& bitmap, const std::function<bool(COLORREF)>& test) {
    RECT bounds{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (test(bitmap.GetPixel(x, y))) {
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x + 1);
                bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
            }
    return bounds;
}
inline RECT BoundsOf(const TBitmap& bitmap, COLORREF color) {
    return BoundsWhere(bitmap, [color](COLORREF c) { return c == color; });
}
inline RECT DrawnBounds(const TBitmap& bitmap, COLORREF paper) {
    return BoundsWhere(bitmap, [paper](COLORREF c) { return c != paper; });
}

// Checks a text drawn in red with its green shadow moved by (dx, dy) on the
// paper: every full shadow pixel has the text (or text over shadow) at the
// place less the offset, every full text pixel has shadow or text at the
// offset, and the shadow ends where the offset says: right by dx, down by dy.
inline void ExpectShadowAt(const TBitmap& bitmap, COLORREF paper, int dx, int dy) {
    const std::vector<PixelPoint> texts = PixelsOf(bitmap, RGB(255, 0, 0));
    const std::vector<PixelPoint> shadows = PixelsOf(bitmap, RGB(0, 255, 0));
    ASSERT_GT(texts.size(), 5u);
    ASSERT_GT(shadows.size(), 5u);
    for (const PixelPoint& p : shadows)
        ASSERT_NE(bitmap.GetPixel(p.x - dx, p.y - dy), paper) << "shadow at " << p.x << "," << p.y;
    for (const PixelPoint& p : texts)
        ASSERT_NE(bitmap.GetPixel(p.x + dx, p.y + dy), paper) << "text at " << p.x << "," << p.y;
    const RECT text = BoundsWhere(bitmap, &IsReddish);
    const RECT shadow = BoundsWhere(bitmap, &IsGreenish);
    EXPECT_EQ(shadow.right, text.right + dx);
    EXPECT_EQ(shadow.bottom, text.bottom + dy);
    EXPECT_EQ(text.left, BoundsWhere(bitmap, [paper](COLORREF c) { return c != paper; }).left);
    EXPECT_EQ(text.top, BoundsWhere(bitmap, [paper](COLORREF c) { return c != paper; }).top);
}
