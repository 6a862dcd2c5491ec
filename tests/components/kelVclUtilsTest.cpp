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
