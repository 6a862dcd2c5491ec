// The taskbar button (the application window) and the main form, shown and hidden together.
#include <gtest/gtest.h>

#include "components/kelVclUtils.h"
#include "kelTestSupport.h"

namespace {

bool AppVisible() {
    return IsWindowVisible(Application->Handle()) != 0;
}

bool FormVisible(TForm* form) {
    return form->Visible() && IsWindowVisible(form->Handle());
}

}  // namespace

TEST(TaskbarRoutines, ShowAndHideTheButtonWithTheMainForm) {
    TForm* form = nullptr;
    Application->CreateForm(form);
    ASSERT_EQ(form, Application->MainForm());
    kelMainFormShow();
    EXPECT_TRUE(AppVisible());
    EXPECT_TRUE(FormVisible(form));
    kelMainFormHide();
    EXPECT_FALSE(AppVisible());
    EXPECT_FALSE(FormVisible(form));

    // A hidden application window stays as it is; only the form goes.
    ShowWindow(form->Handle(), SW_SHOW);
    form->SetVisible(true);
    ShowWindow(Application->Handle(), SW_HIDE);
    kelMainFormHide();
    EXPECT_FALSE(AppVisible());
    EXPECT_FALSE(FormVisible(form));

    kelApplicationTaskBarButtonShow();
    EXPECT_TRUE(AppVisible());
    EXPECT_FALSE(FormVisible(form));
    kelApplicationTaskBarButtonHide();
    EXPECT_FALSE(AppVisible());
    FreeForm(form);
}

TEST(TaskbarRoutines, WithoutAMainFormOnlyTheButtonChanges) {
    ASSERT_EQ(nullptr, Application->MainForm());
    TForm* other = NewForm<TForm>(nullptr);  // a form, but not the main form
    kelMainFormShow();
    EXPECT_TRUE(AppVisible());
    EXPECT_FALSE(other->Visible());
    kelMainFormHide();
    EXPECT_FALSE(AppVisible());
    FreeForm(other);
}

TEST(PrevInstance, FindsAndRestoresAnotherWindowOfTheApplicationsClassAndTitle) {
    const std::string savedTitle = Application->Title();
    const std::string title = "kelPrevInstance " + std::to_string(GetCurrentProcessId());
    Application->SetTitle(title);
    EXPECT_EQ(nullptr, kelFindPrevInstance());  // our own window does not count
    EXPECT_FALSE(kelActivatePrevInstance());

    char className[256] = {};
    ASSERT_NE(0, GetClassNameA(Application->Handle(), className, sizeof className));
    // Another copy's application window: same class and title (another title does not count).
    HWND stranger = CreateWindowExA(0, className, "another program", WS_POPUP | WS_CAPTION, 10, 10, 100, 50,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND other = CreateWindowExA(0, className, title.c_str(), WS_POPUP | WS_CAPTION | WS_MINIMIZEBOX, 10, 10, 100,
                                 50, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, other);
    EXPECT_EQ(other, kelFindPrevInstance());

    ShowWindow(other, SW_SHOWMINIMIZED);
    ASSERT_TRUE(IsIconic(other));
    EXPECT_TRUE(kelActivatePrevInstance());
    PumpMessages();
    EXPECT_FALSE(IsIconic(other));

    DestroyWindow(other);
    DestroyWindow(stranger);
    Application->SetTitle(savedTitle);
}
