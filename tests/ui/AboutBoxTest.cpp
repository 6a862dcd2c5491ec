// The about box, opened from the Help menu and driven with messages inside
// its modal loop: its texts, its close button, every way of closing it (each
// letting the box go), and the home page's link, whose opening is recorded.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "SkinTestSupport.h"
#include "ui/UAbout.h"
#include "ui/Umainbutton.h"

namespace {

void PostKey(HWND window, WORD key) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(window, WM_KEYDOWN, key, scan | 1);
    PostMessageA(window, WM_KEYUP, key, scan | 1 | (1 << 30) | (1u << 31));
}

TFormAbout* OpenBox() {
    HWND window = FindWindowA("TFormAbout", nullptr);
    if (!window || !IsWindowVisible(window)) return nullptr;
    return dynamic_cast<TFormAbout*>(TWinControl::FindControl(window));
}

class AboutBoxTest : public SkinnedTest {
protected:
    void SetUp() override {
        SkinnedTest::SetUp();
        SetShellExecuteFunction([this](const TShellExecuteRequest& request) { opened.push_back(request); });
        MainForm->TimerCheckForReminders->SetEnabled(false);
        MainForm->Show();
        PumpUntilIdle();
    }
    void TearDown() override {
        SetShellExecuteFunction(nullptr);
        SkinnedTest::TearDown();
    }

    // Opens the box from its menu item and acts on it once it is up; the
    // action must close it.
    void Run(const std::function<void(TFormAbout*)>& action) {
        const int components = MainForm->ComponentCount();
        int stage = 0;
        Application->OnIdle = [&stage, &action](TObject*) {
            TFormAbout* box = OpenBox();
            if (!box) return;
            if (stage++ == 0) {
                action(box);
            } else {
                ADD_FAILURE() << "the box stayed open";
                box->SetModalResult(mrOk);
                box->Release();
            }
            PostMessageA(box->Handle(), WM_NULL, 0, 0);  // the loop waits for a message after idling
        };
        MainForm->About1->Click();
        Application->OnIdle = nullptr;
        PumpUntilIdle();
        // The box let itself go.
        EXPECT_EQ(nullptr, FindWindowA("TFormAbout", nullptr));
        EXPECT_EQ(components, MainForm->ComponentCount());
        EXPECT_TRUE(IsWindowEnabled(MainForm->Handle()));
    }

    static void Mouse(TFormAbout* box, UINT down, UINT up, int x, int y) {
        SendMessageA(box->Handle(), down, down == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON, Point(x, y));
        SendMessageA(box->Handle(), up, 0, Point(x, y));
    }

    std::vector<TShellExecuteRequest> opened;
};

}  // namespace

TEST_F(AboutBoxTest, ShowsTheProgramsTextsAndOpensTheHomePageWithoutClosing) {
    Run([this](TFormAbout* box) {
        EXPECT_EQ(325, box->ClientWidth());
        EXPECT_EQ(200, box->ClientHeight());
        struct Line {
            TLabel* label;
            int left;
            int top;
            std::string text;
        };
        for (const Line& line :
             {Line{box->LabelQuibReminder, 112, 32, "Quib Reminder"}, Line{box->LabelVersion, 140, 48, "Version 1.3.1"},
              Line{box->LabelCopyright, 108, 64, WideToAnsi(TextCopyright)}, Line{box->Label1, 64, 88, "Home:"},
              Line{box->LabelHome, 112, 88, WideToAnsi(TextHomePage)}}) {
            SCOPED_TRACE(line.text);
            EXPECT_EQ(line.text, line.label->Caption());
            EXPECT_EQ(line.left, line.label->Left());
            EXPECT_EQ(line.top, line.label->Top());
            EXPECT_TRUE(line.label->Transparent());
            EXPECT_EQ(static_cast<TColor>(kTextColor), line.label->Font()->Color());
            // Every line fits into the box.
            EXPECT_LE(line.label->Left() + line.label->Width(), box->ClientWidth() - 10);
        }
        EXPECT_FALSE(TextCopyright.empty());
        EXPECT_EQ(0u, TextHomePage.find(L"https://"));
        EXPECT_TRUE(box->LabelQuibReminder->Font()->Style() & fsBold);
        EXPECT_EQ(-13, box->LabelQuibReminder->Font()->Height());
        EXPECT_TRUE(box->LabelHome->Font()->Style() & fsUnderline);
        EXPECT_EQ(crHandPoint, box->LabelHome->Cursor);
        // The close button.
        TImageButton* close = box->ButtonClose;
        ASSERT_NE(nullptr, close);
        const RECT bounds = close->BoundsRect();
        const RECT expected{200, 150, 275, 175};
        EXPECT_TRUE(EqualRect(&expected, &bounds));
        EXPECT_EQ(L"Cancel", close->CaptionText);
        EXPECT_TRUE(close->Cancel);
        EXPECT_TRUE(close->DrawShadow);
        EXPECT_EQ(box, close->OwnerForm);

        // The link opens the page with any button; the box stays.
        const int x = box->LabelHome->Left() + 5;
        const int y = box->LabelHome->Top() + 5;
        Mouse(box, WM_RBUTTONDOWN, WM_RBUTTONUP, x, y);
        Mouse(box, WM_LBUTTONDOWN, WM_LBUTTONUP, x, y);
        ASSERT_EQ(2u, opened.size());
        for (const TShellExecuteRequest& request : opened) {
            EXPECT_EQ(nullptr, request.Owner);
            EXPECT_EQ("open", request.Verb);
            EXPECT_EQ(WideToAnsi(TextHomePage), request.File);
            EXPECT_EQ("", request.Parameters);
            EXPECT_EQ("", request.Directory);
            EXPECT_EQ(SW_SHOWNORMAL, request.Show);
        }
        EXPECT_TRUE(IsWindowVisible(box->Handle()));
        // The link is no place to drag the box from; the background is.
        EXPECT_TRUE(drags.empty());
        Mouse(box, WM_LBUTTONDOWN, WM_LBUTTONUP, 30, 150);
        EXPECT_EQ(std::vector<TCustomForm*>{box}, drags);

        SendMessageA(close->Handle(), BM_CLICK, 0, 0);
    });
}

TEST_F(AboutBoxTest, EscAltF4AndALeftClickOnTheGlyphCloseItARightClickDoesNot) {
    Run([](TFormAbout* box) { PostKey(box->Handle(), VK_ESCAPE); });
    Run([](TFormAbout* box) { SendMessageA(box->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); });
    Run([](TFormAbout* box) { SendMessageA(box->Handle(), WM_CLOSE, 0, 0); });
    Run([](TFormAbout* box) {
        const int x = box->ClientWidth() - 12;
        Mouse(box, WM_RBUTTONDOWN, WM_RBUTTONUP, x, 10);
        EXPECT_TRUE(IsWindowVisible(box->Handle()));
        Mouse(box, WM_LBUTTONDOWN, WM_LBUTTONUP, x, 10);
    });
    EXPECT_TRUE(opened.empty());
}
