// Hints: which control's hint shows at a point, where and in which window
// class, and every way a showing hint goes away again.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "WindowTestSupport.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

namespace {

// A hint window that counts how many were made and remembers the last text.
class CountingHint : public THintWindow {
public:
    explicit CountingHint(TComponent* owner) : THintWindow(owner) { ++made; }
    ~CountingHint() override { ++destroyed; }
    const char* ClassName() const override { return "CountingHint"; }
    static int made;
    static int destroyed;
};
int CountingHint::made = 0;
int CountingHint::destroyed = 0;

class HintWindowTest : public testing::Test {
protected:
    void SetUp() override {
        Application->SetShowHint(true);
        Application->SetHintWindowClass(nullptr);
        keptColor = Application->HintColor;
        keptPause = Application->HintHidePause;
        form = NewForm<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        // Away from the middle of the screen, where the test display keeps its pointer.
        form->SetBounds(40, 60, 300, 200);
        box = new TPaintBox(form);
        box->SetParent(form);
        box->SetBounds(10, 20, 100, 50);
        box->Hint = "Box hint";
        box->ShowHint = true;
        list = new TListBox(form);
        list->SetParent(form);
        list->SetBounds(150, 20, 120, 100);
        list->Hint = "List hint";
        list->ShowHint = true;
        form->Show();
        PumpUntilIdle();
    }

    void TearDown() override {
        Application->CancelHint();
        FreeForm(form);
        Application->SetHintWindowClass(nullptr);
        Application->SetShowHint(true);
        Application->HintColor = keptColor;
        Application->HintHidePause = keptPause;
        PumpUntilIdle();
    }

    // Lets the loop go idle once. The real pointer is elsewhere: the leave
    // messages the system posts for it are dropped, the sent moves count.
    void IdleOnce() {
        auto dropLeaves = [] {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, WM_MOUSELEAVE, WM_MOUSELEAVE, PM_REMOVE)) {
            }
        };
        dropLeaves();
        PumpUntilIdle();
        dropLeaves();
        // Idling posts a message, so that the wait after it returns at once.
        Application->OnIdle = [](TObject*) { PostMessageA(Application->Handle(), WM_NULL, 0, 0); };
        Application->HandleMessage();
        Application->OnIdle = nullptr;
        PumpUntilIdle();
    }

    POINT ScreenPoint(TControl* control, int x, int y) { return control->ClientToScreen(POINT{x, y}); }

    bool HintShowing() { return Application->HintWindow() && Application->HintWindow()->IsShowing(); }

    RECT HintRect() {
        RECT rect{};
        GetWindowRect(Application->HintWindow()->Handle(), &rect);
        return rect;
    }

    std::string HintText() {
        char text[256] = {0};
        GetWindowTextA(Application->HintWindow()->Handle(), text, sizeof(text));
        return text;
    }

    TForm* form = nullptr;
    TPaintBox* box = nullptr;
    TListBox* list = nullptr;
    TColor keptColor = 0;
    int keptPause = 0;
    ExceptionRecorder errors;
};

}  // namespace

TEST_F(HintWindowTest, TheHintOfTheControlUnderThePointShowsBelowItAndHidesAfterThePause) {
    EXPECT_EQ(Application->HintHidePause, 2500);  // the library's default
    Application->HintColor = RGB(1, 2, 3);
    Application->HintHidePause = 9000;
    const POINT point = ScreenPoint(box, 30, 10);
    Application->ActivateHint(point);
    ASSERT_TRUE(HintShowing());
    THintWindow* window = Application->HintWindow();
    EXPECT_STREQ(window->ClassName(), "THintWindow");
    EXPECT_EQ(Application->HintControl(), box);
    EXPECT_EQ(HintText(), "Box hint");
    EXPECT_EQ(window->Color(), RGB(1, 2, 3));
    EXPECT_EQ(window->HidePause(), 9000u);
    // Below the point, in front of everything, never the active window.
    const RECT rect = HintRect();
    EXPECT_EQ(rect.left, point.x);
    EXPECT_EQ(rect.top, point.y + 20);
    EXPECT_GT(rect.right - rect.left, 10);
    EXPECT_TRUE(GetWindowLongA(window->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(GetActiveWindow(), window->Handle());

    // The hide pause runs out.
    SendMessageA(window->Handle(), WM_TIMER, THintWindow::kHideTimerId, 0);
    EXPECT_FALSE(HintShowing());
    EXPECT_EQ(window->HidePause(), 0u);

    // A windowed control (a system list box) shows its hint too, in the same window.
    Application->ActivateHint(ScreenPoint(list, 20, 20));
    ASSERT_TRUE(HintShowing());
    EXPECT_EQ(Application->HintWindow(), window);
    EXPECT_EQ(HintText(), "List hint");
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(HintWindowTest, NothingShowsWithoutAHintOrWhereHintsAreOff) {
    // A place of the form outside its controls: the form has no hint.
    Application->ActivateHint(ScreenPoint(form, 5, 150));
    EXPECT_FALSE(HintShowing());
    box->ShowHint = false;
    Application->ActivateHint(ScreenPoint(box, 5, 5));
    EXPECT_FALSE(HintShowing());
    box->ShowHint = true;
    box->Hint.clear();
    Application->ActivateHint(ScreenPoint(box, 5, 5));
    EXPECT_FALSE(HintShowing());
    box->Hint = "Box hint";
    Application->SetShowHint(false);
    Application->ActivateHint(ScreenPoint(box, 5, 5));
    EXPECT_EQ(Application->HintWindow(), nullptr);
    Application->SetShowHint(true);
    Application->ActivateHint(ScreenPoint(box, 5, 5));
    EXPECT_TRUE(HintShowing());
    // A point where nothing of ours lies takes a showing hint away.
    Application->ActivateHint(POINT{-5000, -5000});
    EXPECT_FALSE(HintShowing());
    EXPECT_EQ(Application->HintControl(), nullptr);
}

TEST_F(HintWindowTest, SwitchingHintsOffDropsTheWindowAndTheNextHintComesInANewOneOfTheClass) {
    CountingHint::made = CountingHint::destroyed = 0;
    Application->SetHintWindowClass<CountingHint>();
    Application->ActivateHint(ScreenPoint(box, 5, 5));
    ASSERT_TRUE(HintShowing());
    EXPECT_STREQ(Application->HintWindow()->ClassName(), "CountingHint");
    EXPECT_EQ(CountingHint::made, 1);
    // Showing again reuses the window.
    Application->ActivateHint(ScreenPoint(box, 50, 5));
    EXPECT_EQ(CountingHint::made, 1);
    // Hints off: the showing hint goes with its window.
    Application->SetShowHint(false);
    EXPECT_EQ(Application->HintWindow(), nullptr);
    EXPECT_EQ(CountingHint::destroyed, 1);
    Application->SetShowHint(false);  // again: nothing more
    EXPECT_EQ(CountingHint::destroyed, 1);
    Application->SetShowHint(true);
    EXPECT_EQ(CountingHint::made, 1);  // made only when a hint is to show
    Application->ActivateHint(ScreenPoint(box, 5, 5));
    EXPECT_EQ(CountingHint::made, 2);
    EXPECT_TRUE(HintShowing());
    // Another class replaces the window of the old one.
    Application->SetHintWindowClass(nullptr);
    EXPECT_EQ(CountingHint::destroyed, 2);
    Application->ActivateHint(ScreenPoint(box, 5, 5));
    EXPECT_STREQ(Application->HintWindow()->ClassName(), "THintWindow");
}

TEST_F(HintWindowTest, AButtonOrKeyThroughTheLoopTheControlGoingOrThePointerLeavingHideIt) {
    Application->ActivateHint(ScreenPoint(box, 5, 5));
    ASSERT_TRUE(HintShowing());
    PostMessageA(form->Handle(), WM_KEYDOWN, VK_SHIFT, 0);
    PumpUntilIdle();
    EXPECT_FALSE(HintShowing());

    Application->ActivateHint(ScreenPoint(box, 5, 5));
    ASSERT_TRUE(HintShowing());
    PostMessageA(form->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, Point(200, 150));
    PostMessageA(form->Handle(), WM_RBUTTONUP, 0, Point(200, 150));
    PumpUntilIdle();
    EXPECT_FALSE(HintShowing());

    // The pointer was last over the box: the hint stays while the loop idles,
    // and goes once the pointer is seen over the form itself.
    SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, Point(20, 30));
    Application->ActivateHint(ScreenPoint(box, 5, 5));
    IdleOnce();
    EXPECT_TRUE(HintShowing());
    SendMessageA(form->Handle(), WM_MOUSEMOVE, 0, Point(200, 150));
    IdleOnce();
    EXPECT_FALSE(HintShowing());

    // The control whose hint shows is destroyed.
    Application->ActivateHint(ScreenPoint(box, 5, 5));
    ASSERT_TRUE(HintShowing());
    delete box;
    box = nullptr;
    EXPECT_EQ(Application->HintControl(), nullptr);
    EXPECT_FALSE(HintShowing());
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(HintWindowTest, TheHintFitsItsTextAndStaysOnTheScreen) {
    THintWindow window(nullptr);
    const RECT one = window.CalcHintRect(400, "Dentist");
    const RECT two = window.CalcHintRect(400, "Dentist\nCall Bob");
    EXPECT_GT(two.bottom, one.bottom);
    // No prefix processing: the ampersand takes room of its own.
    EXPECT_GT(window.CalcHintRect(400, "A&B").right, window.CalcHintRect(400, "AB").right);
    // A long text wraps at the width given.
    const std::string words = "one two three four five six seven eight nine ten eleven twelve";
    const RECT narrow = window.CalcHintRect(80, words);
    EXPECT_LE(narrow.right, 80 + 8);
    EXPECT_GT(narrow.bottom, one.bottom);

    // At the screen's bottom right corner the hint moves left and above the point.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    form->SetBounds(screenWidth - 60, screenHeight - 40, 60, 40);
    box->SetBounds(0, 0, 60, 40);
    PumpUntilIdle();
    const POINT point = ScreenPoint(box, 50, 30);
    Application->ActivateHint(point);
    ASSERT_TRUE(HintShowing());
    const RECT rect = HintRect();
    EXPECT_LE(rect.right, screenWidth);
    EXPECT_LE(rect.bottom, point.y);
    EXPECT_GE(rect.left, 0);
}
