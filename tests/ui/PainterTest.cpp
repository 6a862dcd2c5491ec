// The skin painters shared by all windows, drawn into bitmaps: the dialog
// background, the title, shadowed texts, the group frame, transparent
// pictures, the text call by Windows family and the text colour of dialogs.
#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "classlib/StdCtrls.h"

namespace {

class PainterTest : public SkinnedTest {
protected:
    void SetUp() override {
        SkinnedTest::SetUp();
        dialog = NewForm<TForm>(nullptr);
        dialog->SetBorderStyle(bsNone);
    }
    void TearDown() override {
        FreeForm(dialog);
        WindowsVersion = GetVersion();
        SkinnedTest::TearDown();
    }
    TForm* dialog = nullptr;
};

COLORREF Rgb(TColor color) {
    return ColorToRGB(color);
}

}  // namespace

TEST_F(PainterTest, DialogBackgroundKeepsTheCaptionStripAndStretchesTheBody) {
    // Twice the skin's width, and a body of twice the skin's 180 rows.
    dialog->SetClientSize(800, 380);
    TBitmap bitmap(800, 380);
    PaintInto(dialog, bitmap, [this] { DrawDialogBackground(dialog); });
    // The top 20 rows stay 20 rows high, stretched in width only.
    EXPECT_EQ(bitmap.GetPixel(0, 0), BackgroundPixel(0, 0));
    EXPECT_EQ(bitmap.GetPixel(0, 19), BackgroundPixel(0, 19));
    EXPECT_EQ(bitmap.GetPixel(798, 5), BackgroundPixel(399, 5));
    EXPECT_EQ(bitmap.GetPixel(400, 10), BackgroundPixel(200, 10));
    // The rest of the skin covers the rest of the client area, each row twice.
    EXPECT_EQ(bitmap.GetPixel(0, 20), BackgroundPixel(0, 20));
    EXPECT_EQ(bitmap.GetPixel(0, 21), BackgroundPixel(0, 20));
    EXPECT_EQ(bitmap.GetPixel(0, 22), BackgroundPixel(0, 21));
    EXPECT_EQ(bitmap.GetPixel(799, 379), BackgroundPixel(399, 199));
    EXPECT_EQ(bitmap.GetPixel(200, 200), BackgroundPixel(100, 110));
}

TEST_F(PainterTest, GlyphLooksAndOneHoverFlagForAllWindows) {
    dialog->SetClientSize(200, 100);
    auto* other = NewForm<TForm>(nullptr);
    other->SetBorderStyle(bsNone);
    other->SetClientSize(300, 100);
    TBitmap bitmap(300, 100);
    auto glyphAt = [&bitmap](int clientWidth) { return bitmap.GetPixel(clientWidth - 20, 2); };
    const COLORREF normal = TopPixel(209, 160), hover = TopPixel(225, 160), pressed = TopPixel(241, 160);
    auto paint = [&](TCustomForm* form, const std::function<void()>& painter) {
        Fill(bitmap, kPaper);
        PaintInto(form, bitmap, painter);
    };
    paint(dialog, [this] { DrawCloseGlyph(dialog); });
    EXPECT_EQ(glyphAt(200), normal);
    EXPECT_EQ(bitmap.GetPixel(195, 17), TopPixel(224, 175));
    EXPECT_EQ(bitmap.GetPixel(179, 2), kPaper);
    EXPECT_EQ(bitmap.GetPixel(196, 18), kPaper);
    paint(dialog, [this] { DrawCloseGlyphPressed(dialog); });
    EXPECT_EQ(glyphAt(200), pressed);

    // On the glyph: the hover look at every move.
    GlyphHovered = false;
    paint(dialog, [this] { TrackCloseGlyphHover(dialog, 190, 10); });
    EXPECT_EQ(glyphAt(200), hover);
    EXPECT_TRUE(GlyphHovered);
    paint(dialog, [this] { TrackCloseGlyphHover(dialog, 185, 12); });
    EXPECT_EQ(glyphAt(200), hover);
    // Off it: the normal look once, then nothing.
    paint(dialog, [this] { TrackCloseGlyphHover(dialog, 180, 10); });
    EXPECT_EQ(glyphAt(200), normal);
    EXPECT_FALSE(GlyphHovered);
    paint(dialog, [this] { TrackCloseGlyphHover(dialog, 20, 50); });
    EXPECT_EQ(glyphAt(200), kPaper);

    // The flag is the program's, not the window's: hovered in one window, a
    // move elsewhere in another window clears it and draws that one's glyph.
    paint(dialog, [this] { TrackCloseGlyphHover(dialog, 190, 10); });
    paint(other, [other] { TrackCloseGlyphHover(other, 20, 50); });
    EXPECT_EQ(glyphAt(300), normal);
    EXPECT_FALSE(GlyphHovered);
    FreeForm(other);
}

TEST_F(PainterTest, TitleIsBoldWithItsShadowRightAndBelowAndEndsInAnEllipsis) {
    dialog->SetClientSize(400, 60);
    TBitmap bitmap(400, 60);
    Fill(bitmap, kPaper);
    const TFontStyles style = dialog->Canvas()->Font()->Style();
    PaintInto(dialog, bitmap, [this] { DrawFormTitle(dialog, L"Delete Item"); });
    ExpectShadowAt(bitmap, kPaper, 1, 1);
    // The title stands left in the top strip: from x 19 on, within the 20 rows.
    const RECT drawn = DrawnBounds(bitmap, kPaper);
    EXPECT_GE(drawn.left, 19);
    EXPECT_LT(drawn.left, 25);
    EXPECT_LE(drawn.bottom, 20);
    // The canvas font is given back.
    EXPECT_EQ(dialog->Canvas()->Font()->Style(), style);

    // Bold is wider than the form's plain font.
    TBitmap plain(400, 60);
    Fill(plain, kPaper);
    PaintInto(dialog, plain, [this] {
        DrawShadowedText(dialog->Canvas(), L"Delete Item", RECT{19, -1, 270, 19}, TextLeft, kTextColor, kShadowColor);
    });
    EXPECT_GT(drawn.right, DrawnBounds(plain, kPaper).right);

    // A title wider than the strip stops before the glyph's area, with "...".
    Fill(bitmap, kPaper);
    PaintInto(dialog, bitmap, [this] { DrawFormTitle(dialog, std::wstring(80, L'W')); });
    EXPECT_LE(DrawnBounds(bitmap, kPaper).right, 400 - 130);
    EXPECT_GT(DrawnBounds(bitmap, kPaper).right, 400 - 160);
}

TEST_F(PainterTest, ShadowedTextLiesRightAndBelowOrOnlyRightAsTheAlarmWindowHasIt) {
    dialog->SetClientSize(300, 80);
    for (const POINT offset : {POINT{1, 1}, POINT{1, 0}}) {
        SCOPED_TRACE(offset.y);
        TBitmap bitmap(300, 80);
        Fill(bitmap, kPaper);
        PaintInto(dialog, bitmap, [this, offset] {
            DrawShadowedTextA(dialog->Canvas(), "Shadow Text", RECT{10, 10, 290, 70}, DT_WORDBREAK, kTextColor,
                              kShadowColor, offset.x, offset.y);
        });
        ExpectShadowAt(bitmap, kPaper, offset.x, offset.y);
        // The text itself stands at its rectangle, as without a shadow.
        TBitmap alone(300, 80);
        Fill(alone, kPaper);
        PaintInto(dialog, alone, [this] {
            DrawShadowedTextA(dialog->Canvas(), "Shadow Text", RECT{10, 10, 290, 70}, DT_WORDBREAK, kTextColor,
                              static_cast<TColor>(kPaper));
        });
        const RECT text = DrawnBounds(alone, kPaper);
        const RECT drawn = DrawnBounds(bitmap, kPaper);
        EXPECT_EQ(drawn.left, text.left);
        EXPECT_EQ(drawn.top, text.top);
        EXPECT_EQ(drawn.right, text.right + offset.x);
        EXPECT_EQ(drawn.bottom, text.bottom + offset.y);
    }
}

TEST_F(PainterTest, GroupFrameIsEtchedWithAGapForItsCaption) {
    TBitmap bitmap(260, 120);
    Fill(bitmap, kPaper);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Font()->SetColor(clBlack);
    const int x = 20, y = 30, width = 200, height = 60;
    DrawGroupFrame(canvas, "", x, y, width, height);
    const COLORREF light = Rgb(cl3DLight);
    const COLORREF dark = Rgb(cl3DDkShadow);
    ASSERT_NE(light, dark);
    // Top edge: light from x to x + 5, a gap to x + 15 for the empty caption, light again.
    EXPECT_EQ(bitmap.GetPixel(x, y), light);
    EXPECT_EQ(bitmap.GetPixel(x + 5, y), light);
    for (int gap = x + 6; gap <= x + 15; ++gap) EXPECT_EQ(bitmap.GetPixel(gap, y), kPaper) << gap;
    EXPECT_EQ(bitmap.GetPixel(x + 16, y), light);
    // The dark frame lies one pixel up and left of the light one.
    EXPECT_EQ(bitmap.GetPixel(x + 2, y - 1), dark);
    EXPECT_EQ(bitmap.GetPixel(x + 10, y - 1), kPaper);
    EXPECT_EQ(bitmap.GetPixel(x + 40, y - 1), dark);
    EXPECT_EQ(bitmap.GetPixel(x + 40, y + height), light);
    EXPECT_EQ(bitmap.GetPixel(x + 40, y + height - 1), dark);
    EXPECT_EQ(bitmap.GetPixel(x, y + 20), light);
    EXPECT_EQ(bitmap.GetPixel(x - 1, y + 20), dark);
    EXPECT_EQ(bitmap.GetPixel(x + width, y + 20), light);
    EXPECT_EQ(bitmap.GetPixel(x + width - 1, y + 20), dark);
    EXPECT_EQ(bitmap.GetPixel(x + 40, y + 20), kPaper);

    // A caption in the text colour sits in a gap as wide as the caption and 16 pixels.
    Fill(bitmap, kPaper);
    DrawGroupFrame(canvas, "Icon", x, y, width, height);
    const int textWidth = canvas->TextWidth("Icon");
    EXPECT_EQ(bitmap.GetPixel(x + textWidth + 15, y), kPaper);
    EXPECT_EQ(bitmap.GetPixel(x + textWidth + 16, y), light);
    const RECT caption = BoundsWhere(bitmap, &IsReddish);
    EXPECT_GE(caption.left, x + 8);
    EXPECT_LE(caption.right, x + textWidth + 10);
    EXPECT_LT(caption.top, y);
    EXPECT_GT(caption.bottom, y);
    // The canvas keeps its own font colour, and the last pen.
    EXPECT_EQ(canvas->Font()->Color(), clBlack);
    EXPECT_EQ(canvas->Pen()->Color(), cl3DDkShadow);
}

TEST_F(PainterTest, IconMaskIsBlackExactlyWhereThePictureIsWhite) {
    TBitmap picture(32, 32);
    Fill(picture, RGB(255, 255, 255));
    picture.SetPixel(1, 0, RGB(0, 0, 0));
    picture.SetPixel(2, 0, RGB(254, 255, 255));  // nearly white is a colour
    picture.SetPixel(3, 0, RGB(255, 0, 0));
    TBitmap mask;
    MakeIconMask(&picture, &mask);
    ASSERT_EQ(mask.Width(), 32);
    ASSERT_EQ(mask.Height(), 32);
    EXPECT_EQ(mask.GetPixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(mask.GetPixel(31, 31), RGB(0, 0, 0));
    EXPECT_EQ(mask.GetPixel(1, 0), RGB(255, 255, 255));
    EXPECT_EQ(mask.GetPixel(2, 0), RGB(255, 255, 255));
    EXPECT_EQ(mask.GetPixel(3, 0), RGB(255, 255, 255));
    // The picture itself is untouched.
    EXPECT_EQ(picture.GetPixel(3, 0), RGB(255, 0, 0));
}

TEST_F(PainterTest, TransparentPictureLeavesTheBackgroundWhereItIsWhite) {
    TBitmap target(100, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) target.SetPixel(x, y, RGB(x, y, 90));
    TBitmap picture(32, 32);
    Fill(picture, RGB(255, 255, 255));
    for (int y = 8; y < 24; ++y)
        for (int x = 8; x < 24; ++x) picture.SetPixel(x, y, RGB(200, 10 + x, 20 + y));
    TBitmap mask(32, 32);
    DrawTransparentPicture(target.Canvas()->Handle(), RECT{10, 20, 42, 52}, &picture, &mask);
    EXPECT_EQ(target.GetPixel(10, 20), RGB(10, 20, 90));  // white: the background
    EXPECT_EQ(target.GetPixel(17, 27), RGB(17, 27, 90));
    EXPECT_EQ(target.GetPixel(18, 28), RGB(200, 18, 28));  // the picture's colour
    EXPECT_EQ(target.GetPixel(33, 43), RGB(200, 33, 43));
    EXPECT_EQ(target.GetPixel(34, 44), RGB(34, 44, 90));
    EXPECT_EQ(target.GetPixel(9, 19), RGB(9, 19, 90));  // outside the rectangle

    // Stretched to twice its size, alike for mask and picture.
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) target.SetPixel(x, y, RGB(x, y, 90));
    DrawTransparentPicture(target.Canvas()->Handle(), RECT{30, 30, 94, 94}, &picture, &mask);
    EXPECT_EQ(target.GetPixel(31, 31), RGB(31, 31, 90));
    EXPECT_EQ(target.GetPixel(46, 46), RGB(200, 18, 28));
    EXPECT_EQ(target.GetPixel(47, 47), RGB(200, 18, 28));
    EXPECT_EQ(target.GetPixel(93, 93), RGB(93, 93, 90));

    // An all-white picture draws nothing; one without white covers its rectangle.
    TBitmap before;
    before.Assign(target);
    Fill(picture, RGB(255, 255, 255));
    DrawTransparentPicture(target.Canvas()->Handle(), RECT{0, 0, 100, 100}, &picture, &mask);
    for (int i = 0; i < 100; i += 7) EXPECT_EQ(target.GetPixel(i, 99 - i), before.GetPixel(i, 99 - i));
    Fill(picture, RGB(1, 2, 3));
    DrawTransparentPicture(target.Canvas()->Handle(), RECT{0, 0, 32, 32}, &picture, &mask);
    for (int i = 0; i < 32; i += 3) EXPECT_EQ(target.GetPixel(i, 31 - i), RGB(1, 2, 3));
}

TEST_F(PainterTest, WideTextGoesThroughTheEightBitCallOnTheWindows9xFamily) {
    TBitmap wide(120, 30), narrow(120, 30), question(120, 30);
    const std::wstring text = L"A\u0416B";  // a letter the ANSI code page lacks
    auto draw = [](TBitmap& bitmap, const std::function<void(HDC, RECT*)>& call) {
        Fill(bitmap, RGB(255, 255, 255));
        TCanvas* canvas = bitmap.Canvas();
        canvas->Brush()->SetStyle(bsClear);
        canvas->Font()->SetColor(clBlack);
        RECT rect{0, 0, 120, 30};
        call(canvas->Handle(), &rect);
    };
    WindowsVersion = 0x80000000u | 4;
    draw(narrow, [&text](HDC dc, RECT* rect) { DrawTextAW(dc, text, -1, rect, TextLeft); });
    draw(question, [](HDC dc, RECT* rect) { DrawTextA(dc, "A?B", -1, rect, TextLeft); });
    WindowsVersion = 0x0A280105;
    draw(wide, [&text](HDC dc, RECT* rect) { DrawTextAW(dc, text, -1, rect, TextLeft); });
    int sameAsQuestion = 0, sameAsWide = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x) {
            sameAsQuestion += narrow.GetPixel(x, y) == question.GetPixel(x, y);
            sameAsWide += narrow.GetPixel(x, y) == wide.GetPixel(x, y);
        }
    EXPECT_EQ(sameAsQuestion, 120 * 30);
    EXPECT_LT(sameAsWide, 120 * 30);
    // An empty text draws nothing either way.
    WindowsVersion = 0x80000000u;
    draw(narrow, [](HDC dc, RECT* rect) { DrawTextAW(dc, L"", -1, rect, TextLeft); });
    EXPECT_EQ(PixelsOf(narrow, RGB(255, 255, 255)).size(), 120u * 30u);
}

TEST_F(PainterTest, ItemsOfADialogTakeTheTextColourButNotTheirChildren) {
    dialog->Font()->SetColor(clBlack);
    auto* label = new TLabel(dialog);
    label->SetParent(dialog);
    auto* list = new TListBox(dialog);
    list->SetParent(dialog);
    auto* inner = new TWinControl(dialog);  // a container with a child of its own
    auto* innerLabel = new TLabel(dialog);
    innerLabel->SetParentFont(false);
    innerLabel->Font()->SetColor(clBlack);
    innerLabel->SetParent(inner);
    inner->SetParent(dialog);
    SetItemsFontColor(dialog);
    EXPECT_EQ(label->Font()->Color(), kTextColor);
    EXPECT_EQ(list->Font()->Color(), kTextColor);
    EXPECT_EQ(inner->Font()->Color(), kTextColor);
    EXPECT_EQ(innerLabel->Font()->Color(), clBlack);
    EXPECT_EQ(dialog->Font()->Color(), clBlack);
}
