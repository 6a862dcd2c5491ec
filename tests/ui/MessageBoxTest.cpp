// The skinned message box: its result for every mode and every way of closing
// it, its buttons and painting, the model's messages through it, and a box
// over a modal dialog while a timer ticks.
#include <gtest/gtest.h>

#include <functional>

#include "SkinTestSupport.h"
#include "classlib/ExtCtrls.h"
#include "ui/UFormMessageBox.h"
#include "ui/Umainbutton.h"
#include "ui/UprogramHost.h"

namespace {

void PostKey(HWND window, WORD key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(window, WM_KEYDOWN, key, scan | 1);
    PostMessageA(window, WM_KEYUP, key, scan | 1 | (1 << 30) | (1u << 31));
}

TFormMessageBox* OpenBox() {
    HWND window = FindWindowA("TFormMessageBox", nullptr);
    if (!window || !IsWindowVisible(window)) return nullptr;
    return dynamic_cast<TFormMessageBox*>(TWinControl::FindControl(window));
}

class MessageBoxTest : public SkinnedTest {
protected:
    // Shows a box and, once it is up, acts on it; a box still open when the
    // action's messages are handled is ended with the result -1.
    int32_t Run(int32_t mode, const std::function<void(TFormMessageBox*)>& action) {
        int stage = 0;
        Application->OnIdle = [&stage, &action](TObject*) {
            TFormMessageBox* box = OpenBox();
            if (!box) return;
            if (stage++ == 0) {
                action(box);
            } else {
                box->Mode = -1;
                box->SetModalResult(mrOk);
            }
            PostMessageA(box->Handle(), WM_NULL, 0, 0);  // the loop waits for a message after idling
        };
        const int32_t result = ShowMessageBox(L"Something went wrong.", L"Error", mode);
        Application->OnIdle = nullptr;
        EXPECT_EQ(FindWindowA("TFormMessageBox", nullptr), nullptr);
        return result;
    }

    static void Click(TImageButton* button) {
        ASSERT_NE(button, nullptr);
        SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    }
    static void ClickGlyph(TFormMessageBox* box) {
        const int x = box->ClientWidth() - 12;
        SendMessageA(box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(x, 10));
        SendMessageA(box->Handle(), WM_LBUTTONUP, 0, Point(x, 10));
    }
};

}  // namespace

TEST(MessageBoxPlaces, ButtonsFollowTheClientWidth) {
    const TMessageBoxButtonPlaces places = MessageBoxButtonPlaces(357);
    EXPECT_EQ(places.Ok, 141);
    EXPECT_EQ(places.Yes, 70);
    EXPECT_EQ(places.No, 211);
    EXPECT_EQ(MessageBoxButtonPlaces(75).Ok, 0);
    EXPECT_EQ(MessageBoxButtonPlaces(74).Ok, 0);  // 37 - 37
    EXPECT_EQ(MessageBoxButtonPlaces(72).Ok, -1);
}

TEST_F(MessageBoxTest, ButtonsOfEachModeStandWhereTheyBelongAndTheBoxHasTheFocus) {
    MainForm->Show();
    PumpUntilIdle();
    Run(0, [](TFormMessageBox* box) {
        EXPECT_EQ(box->ClientWidth(), 357);
        EXPECT_EQ(box->ClientHeight(), 169);
        ASSERT_NE(box->ButtonOK, nullptr);
        EXPECT_EQ(box->ButtonYes, nullptr);
        EXPECT_EQ(box->ButtonNo, nullptr);
        const RECT ok = box->ButtonOK->BoundsRect();
        EXPECT_EQ(ok.left, 141);
        EXPECT_EQ(ok.top, 130);
        EXPECT_EQ(ok.right - ok.left, 75);
        EXPECT_EQ(ok.bottom - ok.top, 25);
        EXPECT_EQ(box->ButtonOK->CaptionText, L"OK");
        EXPECT_TRUE(box->ButtonOK->Cancel);
        EXPECT_TRUE(box->ButtonOK->DrawShadow);
        EXPECT_EQ(box->ButtonOK->OwnerForm, box);
        EXPECT_EQ(GetFocus(), box->Handle());
        EXPECT_FALSE(IsWindowEnabled(MainForm->Handle()));
        Click(box->ButtonOK);
    });
    Run(1, [](TFormMessageBox* box) {
        EXPECT_EQ(box->ButtonOK, nullptr);
        ASSERT_NE(box->ButtonYes, nullptr);
        ASSERT_NE(box->ButtonNo, nullptr);
        EXPECT_EQ(box->ButtonYes->Left(), 70);
        EXPECT_EQ(box->ButtonNo->Left(), 211);
        EXPECT_EQ(box->ButtonYes->Top(), 130);
        EXPECT_EQ(box->ButtonYes->CaptionText, L"Yes");
        EXPECT_EQ(box->ButtonNo->CaptionText, L"No");
        EXPECT_FALSE(box->ButtonYes->Cancel);
        EXPECT_TRUE(box->ButtonNo->Cancel);
        EXPECT_EQ(GetFocus(), box->Handle());
        Click(box->ButtonNo);
    });
    Run(16, [](TFormMessageBox* box) {
        EXPECT_EQ(box->ButtonOK, nullptr);
        EXPECT_EQ(box->ButtonYes, nullptr);
        EXPECT_EQ(box->ButtonNo, nullptr);
        EXPECT_EQ(box->ControlCount(), 0);
        EXPECT_EQ(GetFocus(), box->Handle());
        ClickGlyph(box);
    });
    EXPECT_TRUE(IsWindowEnabled(MainForm->Handle()));
}

TEST_F(MessageBoxTest, ResultForEveryModeAndEveryWayOfClosing) {
    // The buttons.
    EXPECT_EQ(Run(0, [](TFormMessageBox* box) { Click(box->ButtonOK); }), 0);
    EXPECT_EQ(Run(1, [](TFormMessageBox* box) { Click(box->ButtonYes); }), 1);
    EXPECT_EQ(Run(1, [](TFormMessageBox* box) { Click(box->ButtonNo); }), 0);
    // The close glyph gives the mode back, but never answers a question with "Yes".
    EXPECT_EQ(Run(0, [](TFormMessageBox* box) { ClickGlyph(box); }), 0);
    EXPECT_EQ(Run(1, [](TFormMessageBox* box) { ClickGlyph(box); }), 0);
    EXPECT_EQ(Run(16, [](TFormMessageBox* box) { ClickGlyph(box); }), 16);
    EXPECT_EQ(Run(2, [](TFormMessageBox* box) { ClickGlyph(box); }), 2);
    // Alt+F4 (the system menu's Close is the same command) and a close request act as the glyph.
    for (int32_t mode : {0, 1, 16}) {
        SCOPED_TRACE(mode);
        const int32_t glyph = mode == 1 ? 0 : mode;
        EXPECT_EQ(Run(mode, [](TFormMessageBox* box) { SendMessageA(box->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }),
                  glyph);
        EXPECT_EQ(Run(mode, [](TFormMessageBox* box) { SendMessageA(box->Handle(), WM_CLOSE, 0, 0); }), glyph);
    }
    // Esc clicks the Cancel button wherever the focus is: "OK", or "No".
    EXPECT_EQ(Run(0, [](TFormMessageBox* box) { PostKey(box->ButtonOK->Handle(), VK_ESCAPE); }), 0);
    EXPECT_EQ(Run(1, [](TFormMessageBox* box) { PostKey(box->ButtonYes->Handle(), VK_ESCAPE); }), 0);
    EXPECT_EQ(Run(1, [](TFormMessageBox* box) { PostKey(box->Handle(), VK_ESCAPE); }), 0);
    // Enter and Esc typed into the box itself end it with 0 in every mode.
    for (int32_t mode : {0, 1, 16, 2}) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(Run(mode, [](TFormMessageBox* box) { PostKey(box->Handle(), VK_RETURN); }), 0);
        EXPECT_EQ(Run(mode, [](TFormMessageBox* box) { PostKey(box->Handle(), VK_ESCAPE); }), 0);
    }
    // Enter typed into a focused button clicks that button.
    EXPECT_EQ(Run(0, [](TFormMessageBox* box) { PostKey(box->ButtonOK->Handle(), VK_RETURN); }), 0);
    EXPECT_EQ(Run(1, [](TFormMessageBox* box) { PostKey(box->ButtonYes->Handle(), VK_RETURN); }), 1);
    EXPECT_EQ(Run(1, [](TFormMessageBox* box) { PostKey(box->ButtonNo->Handle(), VK_RETURN); }), 0);
    // Other keys, the right button on the glyph and a click beside it leave it open.
    EXPECT_EQ(Run(1,
                  [](TFormMessageBox* box) {
                      PostKey(box->Handle(), 'Y');
                      PostKey(box->ButtonYes->Handle(), 'N');
                      const int x = box->ClientWidth() - 12;
                      SendMessageA(box->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, Point(x, 10));
                      SendMessageA(box->Handle(), WM_RBUTTONUP, 0, Point(x, 10));
                      SendMessageA(box->Handle(), WM_LBUTTONUP, 0, Point(x - 16, 10));
                  }),
              -1);
    EXPECT_TRUE(drags.empty());
}

TEST_F(MessageBoxTest, DraggingStartsOutsideTheGlyphAndThePressedGlyphShowsOnIt) {
    Run(0, [this](TFormMessageBox* box) {
        SendMessageA(box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Point(100, 100));
        SendMessageA(box->Handle(), WM_LBUTTONUP, 0, Point(100, 100));
        EXPECT_EQ(drags, std::vector<TCustomForm*>{box});
        const int x = box->ClientWidth() - 12;
        SendMessageA(box->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, Point(x, 10));
        HDC dc = GetDC(box->Handle());
        EXPECT_EQ(GetPixel(dc, box->ClientWidth() - 20, 2), TopPixel(241, 160));
        ReleaseDC(box->Handle(), dc);
        SendMessageA(box->Handle(), WM_RBUTTONUP, 0, Point(x, 10));
        EXPECT_EQ(drags.size(), 1u);
        Click(box->ButtonOK);
    });
}

TEST_F(MessageBoxTest, PaintsBackgroundGlyphIconTitleAndMessage) {
    Run(0, [](TFormMessageBox* box) {
        TBitmap background(357, 169);
        PaintInto(box, background, [box] { DrawDialogBackground(box); });
        TBitmap bitmap(357, 169);
        PaintInto(box, bitmap, [box] { box->FormPaint(box); });
        // The glyph at the top right; the icon ANDed onto the background.
        EXPECT_EQ(bitmap.GetPixel(357 - 20, 2), TopPixel(209, 160));
        EXPECT_EQ(bitmap.GetPixel(357 - 5, 17), TopPixel(224, 175));
        for (const POINT p : {POINT{0, 0}, POINT{31, 31}, POINT{5, 20}})
            EXPECT_EQ(bitmap.GetPixel(20 + p.x, 55 + p.y),
                      background.GetPixel(20 + p.x, 55 + p.y) & TopPixel(558 + p.x, 100 + p.y));
        EXPECT_EQ(bitmap.GetPixel(19, 70), background.GetPixel(19, 70));
        // On a plain background: the bold title in its strip and the message
        // beside the icon, each with its shadow, and nothing else.
        Fill(*MainForm->BitmapSkinBG, kPaper);
        PaintInto(box, bitmap, [box] { box->FormPaint(box); });
        auto drawnIn = [&](const RECT& area, bool (*test)(COLORREF)) {
            int count = 0;
            for (int y = area.top; y < area.bottom; ++y)
                for (int x = area.left; x < area.right; ++x) count += test(bitmap.GetPixel(x, y));
            return count;
        };
        EXPECT_GT(drawnIn(RECT{19, 4, 297, 25}, &IsReddish), 20);
        EXPECT_GT(drawnIn(RECT{20, 5, 297, 25}, &IsGreenish), 20);
        EXPECT_GT(drawnIn(RECT{64, 54, 317, 120}, &IsReddish), 20);
        EXPECT_GT(drawnIn(RECT{65, 55, 317, 120}, &IsGreenish), 20);
        EXPECT_LE(DrawnBounds(bitmap, kPaper).bottom, 120);
        // The title is bold: wider than the same text in the plain font.
        TBitmap plain(357, 169);
        Fill(plain, kPaper);
        PaintInto(box, plain, [box] {
            DrawShadowedText(box->Canvas(), box->MessageTitle, RECT{19, 4, 297, 40}, DT_NOPREFIX | DT_WORDBREAK,
                             kTextColor, kShadowColor);
        });
        EXPECT_GT(BoundsWhere(bitmap, &IsReddish).left, 0);
        const RECT title = BoundsWhere(plain, &IsReddish);
        int boldRight = 0;
        for (int y = title.top; y < title.bottom; ++y)
            for (int x = 19; x < 297; ++x)
                if (IsReddish(bitmap.GetPixel(x, y))) boldRight = std::max(boldRight, x + 1);
        EXPECT_GT(boldRight, title.right);
        Click(box->ButtonOK);
    });
}

TEST_F(MessageBoxTest, AnAmpersandInTheMessageIsShownAsTyped) {
    Run(0, [](TFormMessageBox* box) {
        Fill(*MainForm->BitmapSkinBG, kPaper);
        // The width the message's text takes beside the icon.
        auto messageWidth = [box](const std::wstring& text) {
            box->MessageText = text;
            TBitmap bitmap(357, 169);
            PaintInto(box, bitmap, [box] { box->FormPaint(box); });
            int left = INT_MAX, right = INT_MIN;
            for (int y = 54; y < 120; ++y)
                for (int x = 64; x < 317; ++x)
                    if (IsReddish(bitmap.GetPixel(x, y))) {
                        left = std::min(left, x);
                        right = std::max(right, x + 1);
                    }
            return right - left;
        };
        // As typed the "&" takes a place of its own; eaten, it would only underline the next letter.
        EXPECT_GT(messageWidth(L"W&W"), messageWidth(L"WW") + 3);
        EXPECT_GT(messageWidth(L"W&&W"), messageWidth(L"W&W") + 3);
        Click(box->ButtonOK);
    });
}

TEST_F(MessageBoxTest, ModelMessagesGoThroughTheBox) {
    TProgramHost programHost;
    SetModelHost(&programHost);
    std::wstring shown;
    Application->OnIdle = [&shown](TObject*) {
        TFormMessageBox* box = OpenBox();
        if (!box || !shown.empty()) return;
        shown = box->MessageTitle + L": " + box->MessageText;
        SendMessageA(box->ButtonYes->Handle(), BM_CLICK, 0, 0);
    };
    EXPECT_EQ(ModelHost().ShowMessage(L"Drop the stop date?", L"Warning", 1), 1);
    Application->OnIdle = nullptr;
    EXPECT_EQ(shown, L"Warning: Drop the stop date?");
    SetModelHost(&host);
}

TEST_F(MessageBoxTest, ABoxOverAModalDialogWhileATimerTicks) {
    auto* dialog = NewForm<TForm>(MainForm);
    dialog->SetBorderStyle(bsNone);
    dialog->SetBounds(50, 50, 300, 200);
    TTimer timer(nullptr);
    timer.SetEnabled(false);
    timer.SetInterval(1);
    int ticksWhileOpen = 0;
    bool wasDialogDisabled = false;
    int32_t result = -1;
    // The timer ends the box after three ticks while the box is open.
    timer.OnTimer = [&](TObject*) {
        TFormMessageBox* box = OpenBox();
        if (!box) return;
        wasDialogDisabled = !IsWindowEnabled(dialog->Handle());
        if (++ticksWhileOpen == 3) SendMessageA(box->ButtonYes->Handle(), BM_CLICK, 0, 0);
    };
    dialog->OnShow = [&](TObject*) { PostMessageA(dialog->Handle(), WM_NULL, 0, 0); };
    bool hasRun = false;
    Application->OnIdle = [&](TObject*) {
        if (hasRun || !dialog->Visible()) return;
        hasRun = true;
        timer.SetEnabled(true);
        result = ShowMessageBox(L"Question", L"Warning", 1);
        timer.SetEnabled(false);
        dialog->SetModalResult(mrOk);
        PostMessageA(dialog->Handle(), WM_NULL, 0, 0);
    };
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    Application->OnIdle = nullptr;
    EXPECT_EQ(result, 1);
    EXPECT_EQ(ticksWhileOpen, 3);
    EXPECT_TRUE(wasDialogDisabled);
    EXPECT_TRUE(IsWindowEnabled(dialog->Handle()));
    FreeForm(dialog);
}
