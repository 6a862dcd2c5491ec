// The colour dialog through the system's real colour chooser, answered as a
// user would, and the screen's font list as the system gives it.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "classlib/Dialogs.h"
#include "classlib/Forms.h"
#include "classlib/Graphics.h"
#include "tests/ColorDialogAnswer.h"

TEST(ColorChooser, StartsAtTheColourAndGivesTheChosenOneOrNothingWhenCancelled) {
    TColorDialog dialog(nullptr);
    dialog.Color = RGB(10, 20, 30);
    {
        ColorDialogAnswer answer(RGB(200, 100, 50));
        ASSERT_TRUE(dialog.Execute());
        EXPECT_TRUE(ColorDialogAnswer::Answered());
        EXPECT_EQ(RGB(10, 20, 30), ColorDialogAnswer::Shown());
    }
    EXPECT_EQ(static_cast<TColor>(RGB(200, 100, 50)), dialog.Color);

    {
        ColorDialogAnswer cancel;
        EXPECT_FALSE(dialog.Execute());
        EXPECT_TRUE(ColorDialogAnswer::Answered());
    }
    EXPECT_EQ(static_cast<TColor>(RGB(200, 100, 50)), dialog.Color);

    // A system colour starts the chooser at its present value.
    dialog.Color = clBtnFace;
    ColorDialogAnswer cancel;
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), ColorDialogAnswer::Shown());
    EXPECT_EQ(clBtnFace, dialog.Color);
}

TEST(ScreenFonts, NamesEveryFamilyOnceSortedWithoutVerticalVariants) {
    const std::vector<std::string>& fonts = Screen->Fonts();
    ASSERT_FALSE(fonts.empty());
    std::set<std::string> seen;
    for (size_t i = 0; i < fonts.size(); ++i) {
        EXPECT_FALSE(fonts[i].empty());
        EXPECT_NE('@', fonts[i][0]) << fonts[i];
        EXPECT_TRUE(seen.insert(fonts[i]).second) << fonts[i];
        if (i > 0) {
            EXPECT_EQ(CSTR_LESS_THAN, CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, fonts[i - 1].c_str(), -1,
                                                     fonts[i].c_str(), -1))
                << fonts[i - 1] << " " << fonts[i];
        }
    }
}
