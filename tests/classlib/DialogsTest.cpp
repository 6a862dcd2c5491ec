// The open and save dialogs, answered through the real common dialogs.
#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/Dialogs.h"
#include "classlib/FileUtils.h"
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
