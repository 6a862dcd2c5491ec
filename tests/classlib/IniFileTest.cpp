// INI files over the private-profile calls.
#include <gtest/gtest.h>

#include "classlib/IniFiles.h"
#include "tests/TestFolder.h"

TEST(IniFile, ValuesRoundTripAndMissingOnesGiveTheDefault) {
    TestFolder folder;
    const std::string name = folder.File("settings.ini");
    {
        TIniFile ini(name);
        EXPECT_EQ("none", ini.ReadString("Main", "Text", "none"));
        EXPECT_EQ(-5, ini.ReadInteger("Main", "Number", -5));
        EXPECT_TRUE(ini.ReadBool("Main", "Flag", true));
        ini.WriteString("Main", "Text", "hello world");
        ini.WriteInteger("Main", "Number", -42);
        ini.WriteBool("Main", "Flag", false);
        ini.WriteBool("Other", "Flag", true);
        ini.UpdateFile();
    }
    TIniFile ini(name);
    EXPECT_EQ("hello world", ini.ReadString("main", "text", ""));
    EXPECT_EQ(-42, ini.ReadInteger("Main", "Number", 0));
    EXPECT_FALSE(ini.ReadBool("Main", "Flag", true));
    EXPECT_TRUE(ini.ReadBool("Other", "Flag", false));
    EXPECT_EQ("", ini.ReadString("Main", "Missing", ""));
    EXPECT_NE(std::string::npos, TestFolder::ReadBytes(name).find("Flag=1"));
}

TEST(IniFile, IntegersAcceptHexadecimalAndFallBackOnOtherTexts) {
    TestFolder folder;
    TIniFile ini(folder.File("numbers.ini"));
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"17", 17},  {" 17 ", 17}, {"0x1F", 31}, {"0XfF", 255}, {"$10", 16}, {"0xFFFFFFFF", -1},
        {"abc", -9}, {"0x", -9},   {"0xG1", -9}, {"", -9},      {"1.5", -9}, {"0x123456789", -9},
    };
    for (const auto& c : cases) {
        ini.WriteString("N", "v", c.text);
        EXPECT_EQ(c.expected, ini.ReadInteger("N", "v", -9)) << c.text;
    }
    ini.WriteString("N", "b", "0x0");
    EXPECT_FALSE(ini.ReadBool("N", "b", true));
    ini.WriteString("N", "b", "yes");
    EXPECT_TRUE(ini.ReadBool("N", "b", true));
}

TEST(IniFile, LongValuesAreReadWhole) {
    TestFolder folder;
    TIniFile ini(folder.File("long.ini"));
    const std::string value(5000, 'x');
    ini.WriteString("S", "long", value);
    EXPECT_EQ(value, ini.ReadString("S", "long", ""));
}

TEST(IniFile, AFileThatCannotBeWrittenRaises) {
    TestFolder folder;
    TIniFile ini(folder.File("no\\such\\folder\\x.ini"));
    EXPECT_THROW(ini.WriteString("S", "k", "v"), EIniFileException);
}
