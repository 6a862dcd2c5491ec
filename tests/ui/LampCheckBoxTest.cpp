// The lamp check box, which no window places: its look in each state, and
// the mouse and the Return key turning it over.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "classlib/Forms.h"
#include "ui/UTransparentCheckBox.h"

namespace {

class Lamp : public TTransparentCheckBox {
public:
    using TTransparentCheckBox::TTransparentCheckBox;
    // Paints as the window does, into a bitmap of the control's size.
    void PaintInto(TBitmap& bitmap) {
        auto* canvas = static_cast<TControlCanvas*>(Canvas());
        canvas->UsePaintDC(bitmap.Canvas()->Handle());
        Paint();
        canvas->FreeDeviceContext();
    }
};

class LampCheckBoxTest : public testing::Test {
protected:
    void SetUp() override {
        form = NewForm<TForm>(nullptr);
        form->SetBounds(0, 0, 300, 200);
        lamp = new Lamp(form);
        lamp->SetParent(form);
        lamp->SetCaption("Lamp");
    }
    void TearDown() override {
        FreeForm(form);
        PumpUntilIdle();
    }
    COLORREF PixelAt(int x, int y) {
        TBitmap bitmap(lamp->Width(), lamp->Height());
        lamp->PaintInto(bitmap);
        return bitmap.GetPixel(x, y);
    }
    bool CaptionHas(COLORREF color) {
        TBitmap bitmap(lamp->Width(), lamp->Height());
        lamp->PaintInto(bitmap);
        const RECT caption = lamp->CaptionRect();
        for (int y = caption.top; y < caption.bottom; ++y)
            for (int x = caption.left; x < caption.right; ++x)
                if (bitmap.GetPixel(x, y) == color) return true;
        return false;
    }
    void Press(UINT message, int x, int y) {
        SendMessageA(lamp->Handle(), message, 0, Point(x, y));
        SendMessageA(lamp->Handle(), message + 1, 0, Point(x, y));
    }

    TForm* form = nullptr;
    Lamp* lamp = nullptr;
};

}  // namespace

TEST_F(LampCheckBoxTest, ALampOfTheControlsHeightShowsTheStateInItsColour) {
    EXPECT_EQ(100, lamp->Width());
    EXPECT_EQ(30, lamp->Height());
    EXPECT_TRUE(GetWindowLongA(lamp->Handle(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    // Unchecked: a red lamp of diameter 30 with its highlight up and left of
    // the centre, the button face around it, the caption from x = 30.
    EXPECT_EQ(RGB(255, 0, 0), PixelAt(15, 24));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), PixelAt(11, 11));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), PixelAt(1, 1));
    EXPECT_EQ(30, lamp->CaptionRect().left);
    EXPECT_TRUE(CaptionHas(GetSysColor(COLOR_BTNTEXT)));
    lamp->Checked = true;
    EXPECT_EQ(RGB(0, 128, 0), PixelAt(15, 24));
    // Disabled: silver and grey text, whatever the state.
    lamp->SetEnabled(false);
    EXPECT_EQ(RGB(192, 192, 192), PixelAt(15, 24));
    lamp->Checked = false;
    EXPECT_EQ(RGB(192, 192, 192), PixelAt(15, 24));
    EXPECT_TRUE(CaptionHas(GetSysColor(COLOR_GRAYTEXT)));
    EXPECT_FALSE(CaptionHas(GetSysColor(COLOR_BTNTEXT)));
}

TEST_F(LampCheckBoxTest, APressOnTheLampOrAnywhereWhileFocusedAndReturnTurnItOver) {
    form->Show();
    PumpUntilIdle();
    // Any button on the lamp's square.
    Press(WM_LBUTTONDOWN, 10, 10);
    EXPECT_TRUE(lamp->Checked);
    Press(WM_RBUTTONDOWN, 30, 30);
    EXPECT_FALSE(lamp->Checked);
    // Beside the lamp only while the control has the focus.
    Press(WM_LBUTTONDOWN, 60, 10);
    EXPECT_FALSE(lamp->Checked);
    SendMessageA(lamp->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(lamp->Checked);
    SendMessageA(lamp->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(lamp->Checked);
    SetForegroundWindow(form->Handle());
    lamp->SetFocus();
    PumpUntilIdle();
    if (!lamp->Focused()) GTEST_SKIP() << "the display gives the test window no keyboard focus";
    Press(WM_LBUTTONDOWN, 60, 10);
    EXPECT_FALSE(lamp->Checked);
}
