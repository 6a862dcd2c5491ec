// Keys typed into the program's windows through the application's loop.
#include <gtest/gtest.h>

#include "SkinTestSupport.h"

namespace {

class DialogKeysTest : public SkinnedTest {};

}  // namespace

TEST_F(DialogKeysTest, EscTypedIntoTheMainWindowHidesItUntilAControlHasTheFocus) {
    MainForm->Show();
    PumpUntilIdle();
    ASSERT_EQ(GetFocus(), MainForm->Handle());
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(VK_ESCAPE, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, scan | 1);
    PumpUntilIdle();
    EXPECT_FALSE(IsWindowVisible(MainForm->Handle()));

    // With the day list focused, Esc is the list's key.
    MainForm->Show();
    PumpUntilIdle();
    MainForm->ListBoxInfo->SetFocus();
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, scan | 1);
    PumpUntilIdle();
    EXPECT_TRUE(IsWindowVisible(MainForm->Handle()));
}
