// The taskbar button (the application window) and the main form, shown and hidden together.
#include <gtest/gtest.h>

#include "components/kelVclUtils.h"
#include "kelTestSupport.h"

namespace {

class TaskbarRoutines : public ::testing::Test {
protected:
    void SetUp() override {
        m_app = MakeTestWindow("Application", WS_POPUP);
        m_form = MakeTestWindow("Main form", WS_POPUP);
        ASSERT_TRUE(m_app && m_form);
        TkelApplicationLink& link = kelApplicationLink();
        link.Handle = [this] { return m_app; };
        link.HasMainForm = [this] { return m_hasMainForm; };
        link.SetMainFormVisible = [this](bool visible) { ShowWindow(m_form, visible ? SW_SHOW : SW_HIDE); };
    }
    void TearDown() override {
        DestroyWindow(m_form);
        DestroyWindow(m_app);
    }
    bool AppVisible() const { return IsWindowVisible(m_app) != 0; }
    bool FormVisible() const { return IsWindowVisible(m_form) != 0; }

    ApplicationLinkScope m_scope;
    HWND m_app = nullptr;
    HWND m_form = nullptr;
    bool m_hasMainForm = true;
};

}  // namespace

TEST_F(TaskbarRoutines, ShowAndHideTheButtonWithTheMainForm) {
    kelMainFormShow();
    EXPECT_TRUE(AppVisible());
    EXPECT_TRUE(FormVisible());
    kelMainFormHide();
    EXPECT_FALSE(AppVisible());
    EXPECT_FALSE(FormVisible());

    // A hidden application window stays as it is; only the form goes.
    ShowWindow(m_form, SW_SHOW);
    kelMainFormHide();
    EXPECT_FALSE(AppVisible());
    EXPECT_FALSE(FormVisible());

    kelApplicationTaskBarButtonShow();
    EXPECT_TRUE(AppVisible());
    EXPECT_FALSE(FormVisible());
    kelApplicationTaskBarButtonHide();
    EXPECT_FALSE(AppVisible());
}

TEST_F(TaskbarRoutines, WithoutAMainFormOnlyTheButtonChanges) {
    m_hasMainForm = false;
    kelMainFormShow();
    EXPECT_TRUE(AppVisible());
    EXPECT_FALSE(FormVisible());
    kelMainFormHide();
    EXPECT_FALSE(AppVisible());

    // Without an application window nothing happens at all.
    kelApplicationLink().Handle = nullptr;
    m_hasMainForm = true;
    kelMainFormShow();
    EXPECT_TRUE(FormVisible());
}
