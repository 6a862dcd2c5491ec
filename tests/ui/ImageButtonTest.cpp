// The skinned push button: its four states and caption drawn into bitmaps,
// the focus frame, the message map's flags, the clicks, and the face on the
// screen.
#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "ui/Umainbutton.h"

namespace {

class ImageButtonTest : public SkinnedTest {
protected:
    void SetUp() override {
        SkinnedTest::SetUp();
        dialog = NewForm<TForm>(nullptr);
        dialog->SetBorderStyle(bsNone);
        dialog->SetBounds(100, 100, 400, 200);
    }
    void TearDown() override {
        FreeForm(dialog);
        SkinnedTest::TearDown();
    }

    TImageButton* MakeButton(int width, const std::wstring& caption = L"OK", bool shadow = true) {
        const RECT rect{20, 30, width, 25};
        auto* button = new TImageButton(dialog, &rect, caption, shadow);
        button->OnClick = [this, button](TObject* sender) {
            EXPECT_EQ(sender, button);
            ++clicks;
        };
        return button;
    }

    // The face for the button's flags, drawn into a bitmap of its size.
    std::unique_ptr<TBitmap> Face(TImageButton* button, bool isFocused = false) {
        auto bitmap = std::make_unique<TBitmap>(button->Width(), button->Height());
        button->PaintFace(bitmap->Canvas(), isFocused);
        return bitmap;
    }

    TForm* dialog = nullptr;
    int clicks = 0;
};

// The state images of the test skin: pixel (x, y) of state i is ButtonPixel(x, 25 i + y).
enum State { kNormal, kHot, kPressed, kDisabled };

void ExpectState(const TBitmap& face, State state) {
    const int right = face.Width() - 1;
    EXPECT_EQ(face.GetPixel(0, 0), ButtonPixel(0, 25 * state));
    EXPECT_EQ(face.GetPixel(right, 0), ButtonPixel(74, 25 * state));
    EXPECT_EQ(face.GetPixel(0, 24), ButtonPixel(0, 25 * state + 24));
    EXPECT_EQ(face.GetPixel(right, 24), ButtonPixel(74, 25 * state + 24));
}

}  // namespace

TEST_F(ImageButtonTest, TheRectangleGivesLeftTopWidthAndHeightAndTheBaseCaptionStaysEmpty) {
    TImageButton* button = MakeButton(145, L"Change Text Color ...");
    EXPECT_EQ(button->Parent(), dialog);
    EXPECT_EQ(button->Owner(), nullptr);
    EXPECT_EQ(button->Left(), 20);
    EXPECT_EQ(button->Top(), 30);
    EXPECT_EQ(button->Width(), 145);
    EXPECT_EQ(button->Height(), 25);
    EXPECT_EQ(button->CaptionText, L"Change Text Color ...");
    EXPECT_TRUE(button->DrawShadow);
    EXPECT_EQ(button->OwnerForm, nullptr);
    EXPECT_EQ(GetWindowTextLengthA(button->Handle()), 0);
    EXPECT_TRUE(button->TabStop);
    EXPECT_FALSE(button->IsMouseDown || button->IsMouseOver || button->IsSpaceDown);
    EXPECT_EQ(button->ButtonCanvas->Brush()->Style(), bsClear);
}

TEST_F(ImageButtonTest, FourStatesStretchedOverTheWholeButton) {
    for (int width : {75, 145}) {
        SCOPED_TRACE(width);
        TImageButton* button = MakeButton(width, L"");
        ExpectState(*Face(button), kNormal);
        button->IsMouseOver = true;
        ExpectState(*Face(button), kHot);
        button->IsMouseDown = true;
        ExpectState(*Face(button), kPressed);
        // Held down and dragged off: the normal look.
        button->IsMouseOver = false;
        ExpectState(*Face(button), kNormal);
        button->IsMouseDown = false;
        button->IsSpaceDown = true;  // wherever the mouse is
        ExpectState(*Face(button), kPressed);
        button->SetEnabled(false);
        ExpectState(*Face(button), kDisabled);
        // The middle of the wide button shows the middle of the state image.
        if (width == 145) {
            const COLORREF middle = Face(button)->GetPixel(72, 12);
            EXPECT_GE(GetRValue(middle), 35);
            EXPECT_LE(GetRValue(middle), 39);
        }
        delete button;
    }
}

TEST_F(ImageButtonTest, CaptionIsCentredWithItsShadowAndMovesWhenPressed) {
    TImageButton* button = MakeButton(145, L"Test Sound");
    // Draw on a plain face so that only the caption differs from the paper.
    for (TBitmap* state : {MainForm->BitmapButtonNormal.get(), MainForm->BitmapButtonPressed.get(),
                           MainForm->BitmapButtonDisabled.get()})
        Fill(*state, kPaper);
    auto normal = Face(button);
    ExpectShadowAt(*normal, kPaper, 1, 1);
    const RECT drawn = DrawnBounds(*normal, kPaper);
    // Centred: as much room left of it as right of it (the shadow adds one pixel,
    // and the glyphs' side bearings put the ink up to two more off the text box).
    EXPECT_LE(std::abs(drawn.left - (145 - drawn.right + 1)), 3);
    EXPECT_LE(std::abs(drawn.top - (25 - drawn.bottom + 1)), 2);

    button->IsSpaceDown = true;
    auto pressed = Face(button);
    const RECT moved = DrawnBounds(*pressed, kPaper);
    EXPECT_EQ(moved.left, drawn.left + 1);
    EXPECT_EQ(moved.top, drawn.top + 1);

    // Without the shadow only the text colour is drawn.
    button->IsSpaceDown = false;
    button->DrawShadow = false;
    auto plain = Face(button);
    EXPECT_TRUE(PixelsOf(*plain, RGB(0, 255, 0)).empty());
    EXPECT_FALSE(PixelsOf(*plain, RGB(255, 0, 0)).empty());

    // Disabled: the caption in the inactive border colour over a white shadow.
    button->DrawShadow = true;
    button->SetEnabled(false);
    auto disabled = Face(button, true);
    EXPECT_FALSE(PixelsOf(*disabled, ColorToRGB(SystemColor(COLOR_INACTIVEBORDER))).empty());
    EXPECT_FALSE(PixelsOf(*disabled, RGB(255, 255, 255)).empty());
    EXPECT_TRUE(PixelsOf(*disabled, RGB(255, 0, 0)).empty());

    // One line, ending in an ellipsis, however long the caption.
    button->SetEnabled(true);
    button->CaptionText = std::wstring(60, L'W') + L" and more words to wrap";
    const RECT long1 = DrawnBounds(*Face(button), kPaper);
    EXPECT_LT(long1.bottom - long1.top, 20);
    EXPECT_LE(long1.right, 146);
}

TEST_F(ImageButtonTest, FocusFrameIsDottedInTheTextColourThreePixelsInside) {
    TImageButton* button = MakeButton(75, L"");
    for (TBitmap* state : {MainForm->BitmapButtonNormal.get(), MainForm->BitmapButtonDisabled.get()})
        Fill(*state, kPaper);
    auto face = Face(button, true);
    const COLORREF text = RGB(255, 0, 0);
    int onTop = 0, onLeft = 0;
    for (int x = 3; x <= 71; ++x) onTop += face->GetPixel(x, 3) == text;
    for (int y = 3; y <= 21; ++y) onLeft += face->GetPixel(3, y) == text;
    EXPECT_GT(onTop, 10);
    EXPECT_LT(onTop, 69);  // dotted, not solid
    EXPECT_GT(onLeft, 3);
    int onBottom = 0, onRight = 0;
    for (int x = 3; x <= 71; ++x) onBottom += face->GetPixel(x, 21) == text;
    for (int y = 3; y <= 21; ++y) onRight += face->GetPixel(71, y) == text;
    EXPECT_GT(onBottom, 10);
    EXPECT_GT(onRight, 3);
    // Nothing outside the frame's line, nothing inside it; on the line only the
    // dots and, between them, the face left as it was.
    for (int x = 0; x < 75; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(face->GetPixel(x, 2), kPaper);
        EXPECT_EQ(face->GetPixel(x, 22), kPaper);
        const COLORREF middle = face->GetPixel(x, 12);
        if (x == 3 || x == 71)
            EXPECT_TRUE(middle == text || middle == kPaper);
        else
            EXPECT_EQ(middle, kPaper);
    }
    // No frame without the focus, nor on a disabled button.
    EXPECT_TRUE(PixelsOf(*Face(button, false), text).empty());
    button->SetEnabled(false);
    EXPECT_TRUE(PixelsOf(*Face(button, true), text).empty());
}

TEST_F(ImageButtonTest, TextSettingsAreReadAtEveryPaint) {
    TImageButton* button = MakeButton(75, L"OK");
    Fill(*MainForm->BitmapButtonNormal, kPaper);
    EXPECT_FALSE(PixelsOf(*Face(button), RGB(255, 0, 0)).empty());
    Text_Settings.Font_Color = 0xFF0000;         // blue
    Text_Settings.Font_Shadow_Color = 0xFFFF00;  // cyan
    auto face = Face(button);
    EXPECT_TRUE(PixelsOf(*face, RGB(255, 0, 0)).empty());
    EXPECT_FALSE(PixelsOf(*face, RGB(0, 0, 255)).empty());
    EXPECT_FALSE(PixelsOf(*face, RGB(0, 255, 255)).empty());
}

TEST_F(ImageButtonTest, MessagesSetTheFlagsAndTheMouseAndSpaceClick) {
    dialog->Show();
    TImageButton* button = MakeButton(75);
    HWND window = button->Handle();
    std::string typed;
    button->OnKeyPress = [&typed](TObject*, char& key) { typed += key; };
    int keyUps = 0;
    button->OnKeyUp = [&keyUps](TObject*, WORD&, TShiftState) { ++keyUps; };

    // Hot tracking from the pointer's moves over the dialog and the button.
    SendMessageA(window, WM_MOUSEMOVE, 0, Point(5, 5));
    EXPECT_TRUE(button->IsMouseOver);
    SendMessageA(window, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(button->IsMouseOver);
    button->Perform(CM_MOUSEENTER);
    EXPECT_TRUE(button->IsMouseOver);
    button->Perform(CM_MOUSELEAVE);
    EXPECT_FALSE(button->IsMouseOver);
    SendMessageA(window, WM_MOUSEMOVE, 0, Point(5, 5));

    // Down inside, dragged off (the pointer leaves while held), up outside: no click.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    EXPECT_TRUE(button->IsMouseDown);
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, Point(200, 5));
    EXPECT_FALSE(button->IsMouseOver);
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, Point(6, 6));
    EXPECT_TRUE(button->IsMouseOver);
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, Point(200, 5));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(200, 5));
    EXPECT_FALSE(button->IsMouseDown);
    EXPECT_EQ(clicks, 0);
    // Down and up inside: one click, and the flag is down again when the handler runs.
    bool wasDownInHandler = true;
    button->OnClick = [&](TObject*) {
        ++clicks;
        wasDownInHandler = button->IsMouseDown;
    };
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(wasDownInHandler);
    // A double click presses the button once more, as a plain push button.
    SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(5, 5));
    SendMessageA(window, WM_LBUTTONUP, 0, Point(5, 5));
    EXPECT_EQ(clicks, 2);

    // The space key: pressed look from its character on, a click on its release.
    SendMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(window, WM_CHAR, ' ', 0);
    EXPECT_TRUE(button->IsSpaceDown);
    SendMessageA(window, WM_KEYUP, VK_SPACE, 0);
    EXPECT_FALSE(button->IsSpaceDown);
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(typed, " ");
    EXPECT_EQ(keyUps, 1);
    // Other characters and key releases end at the button: no key-press event.
    SendMessageA(window, WM_CHAR, 'a', 0);
    SendMessageA(window, WM_CHAR, 13, 0);
    SendMessageA(window, WM_KEYUP, 'A', 0);
    EXPECT_EQ(typed, " ");
    EXPECT_EQ(keyUps, 1);
    EXPECT_EQ(clicks, 3);
}

TEST_F(ImageButtonTest, TheWindowShowsTheSkinAlsoAfterFocusAndPushChanges) {
    TImageButton* button = MakeButton(75, L"");
    dialog->Show();
    PumpUntilIdle();
    HWND window = button->Handle();
    auto pixel = [window](int x, int y) {
        HDC dc = GetDC(window);
        const COLORREF color = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return color;
    };
    EXPECT_EQ(pixel(1, 1), ButtonPixel(1, 1));
    // The system button's own drawing on focus and push shows the skin too.
    SetFocus(window);
    EXPECT_EQ(pixel(1, 1), ButtonPixel(1, 1));
    EXPECT_EQ(pixel(3, 3), RGB(255, 0, 0));  // the focus frame's first dot
    SendMessageA(window, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(pixel(1, 1), ButtonPixel(1, 1));
    button->IsMouseOver = true;
    button->Perform(CM_MOUSEENTER);
    EXPECT_EQ(pixel(1, 1), ButtonPixel(1, 26));
    button->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(pixel(1, 1), ButtonPixel(1, 1));
    button->SetEnabled(false);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    EXPECT_EQ(pixel(1, 1), ButtonPixel(1, 76));
}
