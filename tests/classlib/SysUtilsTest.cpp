// Number conversion and the date-time value.
#include <gtest/gtest.h>

#include "classlib/SysUtils.h"

TEST(StrToInt, AcceptsSignedDecimalWithLeadingBlanks) {
    EXPECT_EQ(42, StrToInt("42"));
    EXPECT_EQ(-7, StrToInt("-7"));
    EXPECT_EQ(5, StrToInt("+5"));
    EXPECT_EQ(12, StrToInt("  12"));
    EXPECT_EQ(INT32_MAX, StrToInt("2147483647"));
    EXPECT_EQ(INT32_MIN, StrToInt("-2147483648"));
}

TEST(StrToInt, RefusesEverythingElseWithConvertError) {
    for (const char* text : {"", " ", "abc", "12a", "1 2", "12 ", "-", "+", "0x10", "$10", "2147483648",
                             "-2147483649", "99999999999999999999"}) {
        int32_t value = 0;
        EXPECT_FALSE(TryStrToInt(text, value)) << text;
        EXPECT_THROW(StrToInt(text), EConvertError) << text;
    }
}

TEST(StrToInt, ErrorMessageNamesTheText) {
    try {
        StrToInt("");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ("'' is not a valid integer value", e.Message());
    }
}

TEST(EncodeDate, KnownDays) {
    EXPECT_EQ(0.0, EncodeDate(1899, 12, 30));
    EXPECT_EQ(2.0, EncodeDate(1900, 1, 1));
    EXPECT_EQ(25569.0, EncodeDate(1970, 1, 1));
    EXPECT_EQ(45366.0, EncodeDate(2024, 3, 15));
    EXPECT_EQ(45351.0, EncodeDate(2024, 2, 29));
    EXPECT_EQ(-693593.0, EncodeDate(1, 1, 1));
}

TEST(EncodeDate, InvalidDatesRaiseConvertError) {
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(1900, 2, 29), EConvertError);  // not a leap year
    EXPECT_NO_THROW(EncodeDate(2000, 2, 29));               // a leap year
    EXPECT_THROW(EncodeDate(2024, 0, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2024, 4, 31), EConvertError);
    EXPECT_THROW(EncodeDate(2024, 1, 0), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
}

TEST(DecodeDate, InvertsEncodeDateOverCenturies) {
    for (int year : {1, 4, 100, 1600, 1899, 1900, 1970, 2000, 2024, 2038, 2100, 2400, 9999}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day : {1, 15, DaysInMonth(year, month)}) {
                int y = 0, m = 0, d = 0;
                DecodeDate(EncodeDate(year, month, day) + 0.75, y, m, d);
                ASSERT_EQ(year, y);
                ASSERT_EQ(month, m);
                ASSERT_EQ(day, d);
            }
        }
    }
}

TEST(DecodeTime, SplitsTheFraction) {
    int h = 0, m = 0, s = 0, ms = 0;
    DecodeTime(45366.0 + EncodeTime(10, 30, 45, 250), h, m, s, ms);
    EXPECT_EQ(10, h);
    EXPECT_EQ(30, m);
    EXPECT_EQ(45, s);
    EXPECT_EQ(250, ms);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
}

TEST(Clock, NowAndDateFollowAnInstalledClock) {
    SetClock([] { return 45366.4375; });
    EXPECT_EQ(45366.4375, Now());
    EXPECT_EQ(45366.0, Date());
    SetClock(nullptr);
    // Back on the system clock: some day after 2020.
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
}

TEST(Strings, AnsiAndUtf8RoundTrips) {
    EXPECT_EQ(L"Arial", AnsiToWide("Arial"));
    EXPECT_EQ("Arial", WideToAnsi(L"Arial"));
    const std::wstring wide = L"Stra\u00dfe \u65e5\u672c";
    EXPECT_EQ(wide, Utf8ToWide(WideToUtf8(wide)));
    EXPECT_EQ("Stra\xc3\x9f" "e", WideToUtf8(L"Stra\u00dfe"));
}

TEST(FileNames, FolderNameAndExtensionParts) {
    EXPECT_EQ("C:\\Prog\\", ExtractFilePath("C:\\Prog\\Help.chm"));
    EXPECT_EQ("Help.chm", ExtractFileName("C:\\Prog\\Help.chm"));
    EXPECT_EQ(".chm", ExtractFileExt("C:\\Prog\\Help.chm"));
    EXPECT_EQ("C:", ExtractFilePath("C:Help.chm").substr(0, 2));
    EXPECT_EQ("", ExtractFilePath("Help.chm"));
    // A dot in a folder name is no extension; the last dot counts.
    EXPECT_EQ("", ExtractFileExt("C:\\my.folder\\readme"));
    EXPECT_EQ(".gz", ExtractFileExt("a.tar.gz"));
    EXPECT_EQ(".", ExtractFileExt("name."));
    EXPECT_EQ("", ExtractFileExt(""));
}

TEST(FileNames, ChangeFileExtReplacesOrAppends) {
    EXPECT_EQ("Help.hlp", ChangeFileExt("Help.chm", ".hlp"));
    EXPECT_EQ("C:\\my.folder\\Help.chm", ChangeFileExt("C:\\my.folder\\Help", ".chm"));
    EXPECT_EQ("a.tar.zip", ChangeFileExt("a.tar.gz", ".zip"));
    EXPECT_EQ(".chm", ChangeFileExt("", ".chm"));
    EXPECT_EQ("Help", ChangeFileExt("Help.chm", ""));
}

TEST(LowerCase, ChangesOnlyAsciiLetters) {
    EXPECT_EQ("abc.htm 1\xC4", LowerCase("ABC.Htm 1\xC4"));
}
