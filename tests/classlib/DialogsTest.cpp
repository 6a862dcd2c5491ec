// The open and save dialogs, answered through the real common dialogs; the
// colour dialog through its replaceable call; the screen's fonts.
#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/Dialogs.h"
#include "classlib/FileUtils.h"
#include "classlib/Forms.h"
#include "classlib/Graphics.h"
#include "tests/FileDialogAnswer.h"
#include "tests/TestFolder.h"

TEST(FileDialogs, FilterBecomesNulSeparatedPairs) {
    EXPECT_EQ(std::string("Quib Reminder Backup\0*.qbr\0\0", 28), MakeFilterString("Quib Reminder Backup|*.qbr"));
    EXPECT_EQ(std::string("A\0*.a\0B\0*.b;*.c\0\0", 17), MakeFilterString("A|*.a|B|*.b;*.c"));
    EXPECT_EQ("", MakeFilterString(""));
}

TEST(FileDialogs, SaveDialogAddsTheDefaultExtensionInTheInitialFolder) {
    TestFolder folder;
    TSaveDialog dialog(nullptr);
    dialog.Filter = "Quib Reminder Backup|*.qbr";
    dialog.DefaultExt = "qbr";
    dialog.InitialDir = folder.Path();
    DialogAnswer answer("backup");
    ASSERT_TRUE(dialog.Execute());
    EXPECT_TRUE(DialogAnswer::Answered());
    EXPECT_TRUE(SameFileName(folder.File("backup.qbr"), dialog.FileName)) << dialog.FileName;
    EXPECT_EQ(1, dialog.FilterIndex);
}

TEST(FileDialogs, OpenDialogGivesTheFullPathOrNothingWhenCancelled) {
    TestFolder folder;
    const std::string existing = folder.File("old.qbr");
    TestFolder::WriteBytes(existing, "");
    TOpenDialog dialog(nullptr);
    dialog.Filter = "Quib Reminder Backup|*.qbr";
    dialog.DefaultExt = "qbr";
    {
        DialogAnswer answer(existing);
        ASSERT_TRUE(dialog.Execute());
    }
    EXPECT_TRUE(SameFileName(existing, dialog.FileName)) << dialog.FileName;

    dialog.FileName = "unchanged";
    DialogAnswer cancel("");
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(DialogAnswer::Answered());
    EXPECT_EQ("unchanged", dialog.FileName);
}

TEST(ColorDialog, OpensOnTheResolvedColourAndTakesTheAnswerOnlyWhenConfirmed) {
    TColorDialog dialog(nullptr);
    dialog.Color = clBtnFace;
    COLORREF shown = 0;
    SetChooseColorFunction([&](CHOOSECOLORA& choice) {
        shown = choice.rgbResult;
        EXPECT_TRUE(choice.Flags & CC_RGBINIT);
        choice.rgbResult = RGB(1, 2, 3);
        choice.lpCustColors[0] = RGB(9, 9, 9);
        return TRUE;
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(shown, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(dialog.Color, static_cast<TColor>(RGB(1, 2, 3)));
    // The user's custom colours stay for the next showing.
    EXPECT_EQ(dialog.CustomColors[0], RGB(9, 9, 9));

    SetChooseColorFunction([](CHOOSECOLORA& choice) {
        choice.rgbResult = RGB(4, 5, 6);
        return FALSE;
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.Color, static_cast<TColor>(RGB(1, 2, 3)));
    SetChooseColorFunction(nullptr);
}

TEST(ScreenFonts, EachFaceIsListedOnceInOrderWithoutVerticalForms) {
    const std::vector<std::string>& fonts = Screen->Fonts();
    ASSERT_FALSE(fonts.empty());
    for (size_t i = 0; i < fonts.size(); ++i) {
        EXPECT_NE(fonts[i][0], '@') << fonts[i];
        // A face is enumerated once for each of its character sets.
        if (i > 0) {
            EXPECT_LT(AnsiCompareText(fonts[i - 1], fonts[i]), 0) << fonts[i - 1] << " / " << fonts[i];
        }
    }
}
