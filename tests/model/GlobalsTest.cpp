// The program-wide values at start and the building and release of the texts.
#include <gtest/gtest.h>

#include "model/Uconverter.h"
#include "model/Uglobals.h"

TEST(Globals, StartValuesBeforeTheFirstWindow) {
    EXPECT_NE(nullptr, gConverter);
    EXPECT_NE(nullptr, gSettings);
    EXPECT_EQ("", AppPath);
    // The layout derived by InitGlobals, before the first layout pass.
    EXPECT_EQ(10, ListLeft);
    EXPECT_EQ(170, GridLeft);
    EXPECT_EQ(47, CellWidth);
    EXPECT_EQ(44, CellHeight);
    EXPECT_EQ(32, IconWidth);
    EXPECT_EQ(32, IconHeight);
    // The program icon's name brings its own separator.
    EXPECT_EQ("C:\\Program\\\\main.ico", "C:\\Program\\" + ProgramIconFileName);
    EXPECT_EQ("Settings.xml", SettingsFileName);
    EXPECT_EQ("icons.bin", IconFileName);
    EXPECT_EQ(L"Arial", Calendar_Settings.Font_Name);
    EXPECT_EQ(L"mv.wav", Calendar_Settings.Calendar_Sound_File_Name);
    EXPECT_EQ("Arial", Text_Settings.Font_Name);
    EXPECT_EQ("Arial", Hint_Settings.Font_Name);
    EXPECT_EQ(-1, DragStartX);
    EXPECT_TRUE(FirstShow);
    EXPECT_TRUE(ReminderTimerWaiting);
}

TEST(Globals, TextsKeepTheirSpellingAndAreRebuiltAfterRelease) {
    EXPECT_EQ(L"The entered item allready exists!!!", MsgItemExists);
    EXPECT_EQ(
        L"The Targetdate is later than the Stopdate of the item.\n"
        L"Do you want to delete the Stopdate and move the item anyway?",
        MsgTargetAfterStop);
    EXPECT_STREQ("Change Hint Backgroud ...", kTextChangeHintBackground);
    EXPECT_EQ(L"SAT", WeekdayHeadings[6]);
    EXPECT_EQ("Bottom Right", PositionModeNames[5]);
    EXPECT_EQ("Disable All Hints", HintGroupNames[3]);
    EXPECT_EQ("Do you really want to delete the following item:\n\n", PromptDeleteItem);

    Converter* converter = gConverter;
    DoneGlobals();
    EXPECT_EQ(L"", MsgItemExists);
    EXPECT_EQ(L"", WeekdayHeadings[0]);
    EXPECT_EQ("", Text_Settings.Font_Name);
    EXPECT_EQ("", SettingsFileName);
    EXPECT_EQ(converter, gConverter);  // the objects stay
    EXPECT_EQ(170, GridLeft);

    InitGlobals();
    EXPECT_EQ(L"The entered item allready exists!!!", MsgItemExists);
    EXPECT_EQ(L"SUN", WeekdayHeadings[0]);
    EXPECT_EQ("Arial", Text_Settings.Font_Name);
    EXPECT_EQ("Settings.xml", SettingsFileName);
}
