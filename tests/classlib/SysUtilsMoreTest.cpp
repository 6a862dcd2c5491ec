// System utilities: trimming, locale case, file names, the command line, file
// dates, the file search, and dates and times read by format.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "classlib/SysUtils.h"
#include "tests/TestFolder.h"

namespace {

// Puts the process-wide formats back when a test changed them.
class FormatScope {
public:
    FormatScope() : m_saved(FormatSettings()) {}
    ~FormatScope() { FormatSettings() = m_saved; }

private:
    TFormatSettings m_saved;
};

class ClockScope {
public:
    explicit ClockScope(TDateTime now) {
        SetClock([now] { return now; });
    }
    ~ClockScope() { SetClock(nullptr); }
};

class CommandLineScope {
public:
    explicit CommandLineScope(std::string line) {
        SetCommandLineSource([line] { return line; });
    }
    ~CommandLineScope() { SetCommandLineSource(nullptr); }
};

}  // namespace

TEST(Texts, TrimAndStrToIntDef) {
    EXPECT_EQ("a b", Trim(" \t a b\r\n "));
    EXPECT_EQ("a b \n", TrimLeft("\x01 a b \n"));
    EXPECT_EQ(" a", TrimRight(" a \x1f"));
    EXPECT_EQ("", Trim(" \t "));
    EXPECT_EQ("\xA0x", Trim("\xA0x"));  // bytes above the blank stay
    EXPECT_EQ(12, StrToIntDef("12", 3));
    EXPECT_EQ(3, StrToIntDef("12x", 3));
    EXPECT_EQ(3, StrToIntDef("", 3));
}

TEST(Texts, LocaleCaseAndComparison) {
    EXPECT_EQ("ABC\xC9", AnsiUpperCase("abc\xE9"));  // e acute in the Western code page
    EXPECT_EQ("abc\xE9", AnsiLowerCase("ABC\xC9"));
    EXPECT_EQ("", AnsiUpperCase(""));
    EXPECT_TRUE(
        AnsiSameText("Stra\xDF"
                     "e",
                     "STRA\xDF"
                     "E"));
    EXPECT_TRUE(AnsiSameText("\xE9t\xE9", "\xC9T\xC9"));
    EXPECT_FALSE(AnsiSameText("abc", "abd"));
    EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
    EXPECT_GT(AnsiCompareText("b", "A"), 0);
    EXPECT_EQ(0, AnsiCompareText("", ""));
}

TEST(FileNameParts, Table) {
    const struct {
        const char* name;
        const char* drive;
        const char* path;
        const char* file;
        const char* ext;
    } cases[] = {
        {"C:\\dir\\file.txt", "C:", "C:\\dir\\", "file.txt", ".txt"},
        {"C:file", "C:", "C:", "file", ""},
        {"\\\\server\\share\\dir\\a.b.c", "\\\\server\\share", "\\\\server\\share\\dir\\", "a.b.c", ".c"},
        {"\\\\server\\share", "\\\\server\\share", "\\\\server\\", "share", ""},
        {"\\\\server", "", "\\\\", "server", ""},
        {"dir.ext\\file", "", "dir.ext\\", "file", ""},
        {"a/b.txt", "", "", "a/b.txt", ".txt"},
        {"name.", "", "", "name.", "."},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.drive, ExtractFileDrive(c.name)) << c.name;
        EXPECT_EQ(c.path, ExtractFilePath(c.name)) << c.name;
        EXPECT_EQ(c.file, ExtractFileName(c.name)) << c.name;
        EXPECT_EQ(c.ext, ExtractFileExt(c.name)) << c.name;
    }
    EXPECT_EQ("C:\\dir\\file.log", ChangeFileExt("C:\\dir\\file.exe", ".log"));
    EXPECT_EQ("C:\\dir.x\\file.log", ChangeFileExt("C:\\dir.x\\file", ".log"));
    EXPECT_EQ("a.b", ChangeFileExt("a.b.c", ""));
}

TEST(FileNameParts, ExpandingAndTheCurrentDirectory) {
    TestFolder folder;
    const std::string saved = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(folder.Path()));
    EXPECT_TRUE(SameText(folder.Path(), GetCurrentDir()));
    EXPECT_TRUE(SameText(folder.File("x.txt"), ExpandFileName("x.txt")));
    EXPECT_TRUE(SameText(folder.File("y"), ExpandFileName("sub\\..\\y")));
    EXPECT_TRUE(SameText(folder.File("sub\\"), ExpandFileName(".\\sub\\")));
    EXPECT_EQ("", ExpandFileName(""));
    EXPECT_FALSE(SetCurrentDir(folder.File("missing")));
    ASSERT_TRUE(SetCurrentDir(saved));
}

TEST(CommandLine, ParametersSplitAtBlanksOutsideQuotes) {
    CommandLineScope scope("\"C:\\My Programs\\app.exe\" /s  -x \"two words\" a\"b c\"d \"\" end");
    EXPECT_EQ(6, ParamCount());
    EXPECT_EQ("/s", ParamStr(1));
    EXPECT_EQ("-x", ParamStr(2));
    EXPECT_EQ("two words", ParamStr(3));
    EXPECT_EQ("ab cd", ParamStr(4));
    EXPECT_EQ("", ParamStr(5));
    EXPECT_EQ("end", ParamStr(6));
    EXPECT_EQ("", ParamStr(7));
    EXPECT_EQ("", ParamStr(-1));
    // Parameter 0 is the module's own name, whatever the line says.
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    EXPECT_EQ(module, ParamStr(0));
}

TEST(CommandLine, AProgramNameAloneHasNoParameters) {
    CommandLineScope scope("app.exe   ");
    EXPECT_EQ(0, ParamCount());
    CommandLineScope empty("");
    EXPECT_EQ(0, ParamCount());
}

TEST(FileDates, PackedDatesConvertBothWays) {
    // 2024-03-15 10:30:58: year 44, month 3, day 15; 10 h, 30 min, 29 two-second steps.
    const int32_t packed = int32_t((uint32_t((44 << 9) | (3 << 5) | 15) << 16) | ((10 << 11) | (30 << 5) | 29));
    EXPECT_DOUBLE_EQ(EncodeDate(2024, 3, 15) + EncodeTime(10, 30, 58, 0), FileDateToDateTime(packed));
    EXPECT_EQ(packed, DateTimeToFileDate(EncodeDate(2024, 3, 15) + EncodeTime(10, 30, 59, 400)));
    EXPECT_EQ(0, DateTimeToFileDate(EncodeDate(1979, 12, 31)));
    EXPECT_THROW(FileDateToDateTime(0), EConvertError);  // month 0
}

TEST(FileSearch, FindsFilesAndLeavesOutWhatTheAttributesDoNotAskFor) {
    TestFolder folder;
    TestFolder::WriteBytes(folder.File("a.txt"), "12345");
    TestFolder::WriteBytes(folder.File("b.txt"), "");
    TestFolder::WriteBytes(folder.File("c.dat"), "");
    SetFileAttributesA(folder.File("b.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    CreateDirectoryA(folder.File("d.txt").c_str(), nullptr);

    auto find = [&](const std::string& mask, uint32_t attributes) {
        std::vector<std::string> names;
        TSearchRec rec;
        if (FindFirst(folder.File(mask), attributes, rec) == 0) {
            do names.push_back(rec.Name);
            while (FindNext(rec) == 0);
            FindClose(rec);
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ((std::vector<std::string>{"a.txt"}), find("*.txt", 0));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), find("*.txt", faHidden));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt", "d.txt"}), find("*.txt", faAnyFile));
    EXPECT_TRUE(find("*.none", faAnyFile).empty());

    TSearchRec rec;
    ASSERT_EQ(0, FindFirst(folder.File("a.txt"), 0, rec));
    EXPECT_EQ(5, rec.Size);
    EXPECT_NE(0, rec.Time);
    EXPECT_NE(0u, rec.LastWriteTime);
    EXPECT_NE(0, FindNext(rec));
    FindClose(rec);
    EXPECT_NE(0, FindFirst(folder.File("missing\\*"), faAnyFile, rec));
    EXPECT_EQ(nullptr, rec.FindHandle);

    EXPECT_EQ(0, FileSetAttr(folder.File("c.dat"), faReadOnly));
    EXPECT_EQ(faReadOnly, FileGetAttr(folder.File("c.dat")) & (faReadOnly | faHidden));
    EXPECT_EQ(-1, FileGetAttr(folder.File("none")));
    EXPECT_NE(0, FileSetAttr(folder.File("none"), 0));
}

TEST(DateTexts, DatesFollowTheOrderOfTheShortFormat) {
    FormatScope formats;
    ClockScope clock(EncodeDate(2024, 6, 1));
    TFormatSettings& settings = FormatSettings();
    settings.DateSeparator = '/';
    settings.TwoDigitYearCenturyWindow = 50;
    const struct {
        const char* format;
        const char* text;
        int year, month, day;
    } cases[] = {
        {"M/d/yyyy", "3/15/2024", 2024, 3, 15},    {"dd/mm/yyyy", "15/03/2024", 2024, 3, 15},
        {"yyyy/mm/dd", "2024/03/15", 2024, 3, 15}, {"yyyy/mm/dd", " 2024 / 3 / 15 ", 2024, 3, 15},
        {"dd/mm/yyyy", "15/03", 2024, 3, 15},      {"M/d/yyyy", "3/15", 2024, 3, 15},
        {"yyyy/mm/dd", "3/15", 2024, 3, 15},       {"dd/mm/yy", "15/03/24", 2024, 3, 15},
        {"dd/mm/yy", "15/03/73", 2073, 3, 15},     {"dd/mm/yy", "15/03/74", 1974, 3, 15},
        {"dd/mm/yyyy", "15/03/0024", 24, 3, 15},   {"ddmmyyyy", "29/02/2024", 2024, 2, 29},
    };
    for (const auto& c : cases) {
        settings.ShortDateFormat = c.format;
        TDateTime value = 0;
        ASSERT_TRUE(TryStrToDate(c.text, value)) << c.format << " " << c.text;
        EXPECT_EQ(EncodeDate(c.year, c.month, c.day), value) << c.format << " " << c.text;
    }
    settings.ShortDateFormat = "dd/mm/yyyy";
    for (const char* bad : {"", "15", "15/", "15/03/", "32/01/2024", "29/02/2023", "15-03-2024", "15/03/2024 x",
                            "15/03/20245", "a/b/c"}) {
        TDateTime value = 0;
        EXPECT_FALSE(TryStrToDate(bad, value)) << bad;
    }
    try {
        StrToDate("31/31/2024");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ("'31/31/2024' is not a valid date", e.Message());
    }
    settings.DateSeparator = '.';
    EXPECT_EQ(EncodeDate(2024, 3, 15), StrToDate("15.3.2024"));
}

TEST(DateTexts, Times) {
    FormatScope formats;
    TFormatSettings& settings = FormatSettings();
    settings.TimeSeparator = ':';
    settings.DecimalSeparator = '.';
    settings.TimeAMString = "AM";
    settings.TimePMString = "PM";
    const struct {
        const char* text;
        int hour, minute, second, msec;
    } cases[] = {
        {"10:30", 10, 30, 0, 0},   {"10:30:15", 10, 30, 15, 0}, {"10:30:15.250", 10, 30, 15, 250},
        {"7", 7, 0, 0, 0},         {" 23 : 59 ", 23, 59, 0, 0}, {"12:00 AM", 0, 0, 0, 0},
        {"12:05 pm", 12, 5, 0, 0}, {"1:05 PM", 13, 5, 0, 0},    {"11 am", 11, 0, 0, 0},
    };
    for (const auto& c : cases) {
        TDateTime value = -1;
        ASSERT_TRUE(TryStrToTime(c.text, value)) << c.text;
        EXPECT_DOUBLE_EQ(EncodeTime(c.hour, c.minute, c.second, c.msec), value) << c.text;
    }
    for (const char* bad : {"", "24:00", "10:60", "10:", "13:00 PM", "0:30 AM", "10:30 xm", "10.30", "ab"}) {
        TDateTime value = 0;
        EXPECT_FALSE(TryStrToTime(bad, value)) << bad;
    }
    EXPECT_THROW(StrToTime("25:00"), EConvertError);
}
