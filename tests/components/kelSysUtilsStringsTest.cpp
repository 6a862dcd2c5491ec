// String routines of kelSysUtils: arithmetic, searching and editing, conversions
// to and from text, string lists.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"

namespace {

using V = std::vector<std::string>;

V Lines(const TStrings& list) {
    V lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
    return lines;
}

// The message of the EConvertError the call raises, or "" when it raises none.
template <class F>
std::string ConvertErrorOf(F call) {
    try {
        call();
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return std::string();
}

class FormatScope {
public:
    FormatScope() : m_saved(FormatSettings()) {}
    ~FormatScope() { FormatSettings() = m_saved; }

private:
    TFormatSettings m_saved;
};

}  // namespace

//--- Arithmetic and ports

TEST(kelArithmetic, MaxMinAndPowers) {
    EXPECT_EQ(3, Max(3, -5));
    EXPECT_EQ(-5, Min(3, -5));
    EXPECT_EQ(INT32_MIN, Min(INT32_MIN, INT32_MAX));

    EXPECT_EQ(1.0L, IntPower(7.5L, 0));
    EXPECT_EQ(1024.0L, IntPower(2.0L, 10));
    EXPECT_EQ(0.125L, IntPower(2.0L, -3));
    EXPECT_EQ(-27.0L, IntPower(-3.0L, 3));
    EXPECT_EQ(1.0L, IntPower(1.0L, INT32_MIN));  // the most negative exponent has a magnitude too
    EXPECT_TRUE(std::isinf(static_cast<double>(IntPower(0.0L, -1))));

    EXPECT_EQ(1.0L, Power(0.0L, 0.0L));
    EXPECT_EQ(0.0L, Power(0.0L, 2.5L));
    EXPECT_EQ(-8.0L, Power(-2.0L, 3.0L));  // a whole exponent works for a negative base
    EXPECT_NEAR(1.4142135623730950488L, Power(2.0L, 0.5L), 1e-15L);
    EXPECT_NEAR(0.25L, Power(16.0L, -0.5L), 1e-15L);
    EXPECT_NEAR(std::exp(3e9L * std::log(1.0000000001L)), Power(1.0000000001L, 3e9L), 1e-6L);
    EXPECT_TRUE(std::isnan(static_cast<double>(Power(-2.0L, 0.5L))));
}

TEST(kelArithmetic, AlignRectInRect) {
    const RECT rect{100, 100, 110, 104};  // 10 x 4
    const RECT bounds{0, 0, 25, 9};
    const struct {
        TkelHorzAlign horz;
        TkelVertAlign vert;
        LONG left, top;
    } cases[] = {
        {haLeft, vaTop, 0, 0},   {haCenter, vaCenter, 7, 2}, {haRight, vaBottom, 15, 5},
        {haRight, vaTop, 15, 0}, {haLeft, vaBottom, 0, 5},   {haCenter, vaTop, 7, 0},
    };
    for (const auto& c : cases) {
        const RECT r = kelAlignRectInRect(rect, bounds, c.horz, c.vert);
        EXPECT_EQ(c.left, r.left) << c.horz << c.vert;
        EXPECT_EQ(c.top, r.top) << c.horz << c.vert;
        EXPECT_EQ(c.left + 10, r.right);
        EXPECT_EQ(c.top + 4, r.bottom);
    }
    // A rectangle larger than the bounds: the centre division rounds toward zero.
    const RECT wide = kelAlignRectInRect(RECT{0, 0, 13, 1}, RECT{10, 10, 20, 20}, haCenter, vaTop);
    EXPECT_EQ(9, wide.left);  // 10 + (10 - 13) / 2 = 10 - 1
}

TEST(kelArithmetic, PortsGoThroughThePlatformHooks) {
    std::vector<std::pair<int, int>> written;
    kelPlatformHooks().PortOut = [&](uint16_t port, uint8_t value) { written.push_back({port, value}); };
    kelPlatformHooks().PortIn = [](uint16_t port) { return static_cast<uint8_t>(port + 1); };
    PortOut(0x43, 0xB6);
    EXPECT_EQ(0x62, PortIn(0x61));
    kelPlatformHooks().PortOut = nullptr;
    kelPlatformHooks().PortIn = nullptr;
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0x43, 0xB6}}), written);
}

//--- Searching

TEST(kelSearch, PosExAndBackPos) {
    const struct {
        const char* sub;
        const char* s;
        int index;
        int pos;
        int back;
    } cases[] = {
        {"bc", "abcbc", 1, 2, 0}, {"bc", "abcbc", 3, 4, 2}, {"bc", "abcbc", 5, 0, 4}, {"bc", "abcbc", 4, 4, 2},
        {"bc", "abcbc", 6, 0, 4}, {"", "abc", 1, 0, 0},     {"a", "", 1, 0, 0},       {"abc", "ab", 1, 0, 0},
        {"a", "aaa", 0, 0, 0},    {"a", "aaa", -5, 0, 0},   {"aa", "aaa", 2, 2, 1},   {"x", "abc", 1, 0, 0},
        {"abc", "abc", 1, 1, 0},  {"abc", "abc", 3, 0, 1},  {"c", "abc", 3, 3, 3},    {"c", "abc", 2, 3, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.pos, kelPosEx(c.sub, c.s, c.index)) << c.sub << " in " << c.s << " from " << c.index;
        EXPECT_EQ(c.back, kelBackPosEx(c.sub, c.s, c.index)) << c.sub << " in " << c.s << " to " << c.index;
    }
    EXPECT_EQ(4, kelBackPos("bc", "abcbc"));
    EXPECT_EQ(4, kelBackPosEx("bc", "abcbc", 100));  // an index beyond the text counts as its end
}

TEST(kelSearch, IgnoringCaseUsesTheLocale) {
    EXPECT_EQ(3, kelPosIgnoreCase("CD", "abcdcd"));
    EXPECT_EQ(5, kelPosIgnoreCaseEx("Cd", "abcdcd", 4));
    EXPECT_EQ(2, kelPosIgnoreCase("\xC9T", "\xE9\xE9t"));  // accented letters too
    EXPECT_EQ(0, kelPosIgnoreCase("", "abc"));
    EXPECT_EQ(0, kelPosIgnoreCaseEx("a", "abc", 0));
}

//--- Editing

TEST(kelEdit, ReplaceAtAPosition) {
    const struct {
        const char* s;
        int index;
        const char* oldSub;
        const char* newSub;
        const char* result;
    } cases[] = {
        {"hello world", 7, "world", "there", "hello there"},
        {"abc", 2, "b", "XYZ", "aXYZc"},
        {"abc", 3, "cde", "Z", "abZ"},  // deletes what there is
        {"abc", 4, "x", "Z", "abcZ"},   // past the end: nothing deleted, appended
        {"abc", 0, "a", "Z", "Zabc"},   // before the start: nothing deleted, put in front
        {"abc", 1, "", "Z", "Zabc"},
    };
    for (const auto& c : cases) {
        std::string s = c.s;
        kelReplace(s, c.index, c.oldSub, c.newSub);
        EXPECT_EQ(c.result, s) << c.s << " at " << c.index;
    }
}

TEST(kelEdit, ReplaceSubStringsNeverSearchesInsertedText) {
    const struct {
        const char* s;
        const char* oldSub;
        const char* newSub;
        bool ignoreCase;
        const char* result;
    } cases[] = {
        {"aaa", "a", "aa", false, "aaaaaa"},
        {"abcabc", "bc", "", false, "aa"},
        {"aaaa", "aa", "a", false, "aa"},
        {"xAbxaBx", "ab", "-", true, "x-x-x"},
        {"xAbxaBx", "ab", "-", false, "xAbxaBx"},
        {"ab", "ab", "AB", true, "AB"},
        {"abab", "ab", "bab", true, "babbab"},
        {"abc", "", "x", false, "abc"},
        {"", "a", "b", false, ""},
        {"\xE9t\xE9", "\xC9", "e", true, "ete"},
    };
    for (const auto& c : cases) {
        std::string s = c.s;
        kelReplaceSubStringsEx(s, c.oldSub, c.newSub, c.ignoreCase);
        EXPECT_EQ(c.result, s) << c.s << ": " << c.oldSub << " -> " << c.newSub;
    }
    std::string s = "a.b.c";
    kelReplaceSubStrings(s, ".", "::");
    EXPECT_EQ("a::b::c", s);
    kelReplaceChars(s, ':', '/');
    EXPECT_EQ("a//b//c", s);
}

TEST(kelEdit, CharacterSetsAndTrimming) {
    const TkelCharSet digits = TkelCharSet::Range('0', '9');
    EXPECT_EQ("abc", kelRemoveCharSet(digits, "a1b22c3"));
    EXPECT_EQ("1223", kelLeaveCharSet(digits, "a1b22c3"));
    EXPECT_EQ("", kelLeaveCharSet(digits, ""));
    const TkelCharSet blanks{' ', '\t', '*'};
    EXPECT_EQ("x* y", kelTrimLeft("\t *x* y", blanks));
    EXPECT_EQ("\t *x* y", kelTrimRight("\t *x* y* ", blanks));
    EXPECT_EQ("x* y", kelTrim(" *x* y**\t", blanks));
    EXPECT_EQ("", kelTrim("** *", blanks));
    EXPECT_EQ("abc", kelTrim("abc", TkelCharSet()));
    // The upper half of the code page is in range too.
    EXPECT_EQ("a", kelRemoveCharSet(TkelCharSet::Range(0x80, 0xFF),
                                    "\x80"
                                    "a\xFF"));
    EXPECT_TRUE((TkelCharSet{'a'} + TkelCharSet(std::string("b"))).Contains('b'));
}

TEST(kelEdit, AddingAndEnclosingCharacters) {
    EXPECT_EQ("abc;", kelAddChar("abc", ';'));
    EXPECT_EQ("abc;", kelAddChar("abc;", ';'));
    EXPECT_EQ("", kelAddChar("", ';'));
    EXPECT_EQ(";abc", kelAddCharBefore("abc", ';'));
    EXPECT_EQ(";abc", kelAddCharBefore(";abc", ';'));
    EXPECT_EQ("", kelAddCharBefore("", ';'));

    const struct {
        const char* s;
        bool always;
        const char* result;
    } cases[] = {
        {"abc", false, "\"abc\""},   {"\"abc\"", false, "\"abc\""},    {"", false, ""},
        {"\"abc", false, "\"abc\""}, {"abc\"", false, "\"abc\""},      {"\"", false, "\""},
        {"abc", true, "\"abc\""},    {"\"abc\"", true, "\"\"abc\"\""}, {"", true, "\"\""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.result, kelEncloseStringEx(c.s, '"', c.always)) << c.s << c.always;
    EXPECT_EQ("'x'", kelEncloseString("x", '\''));
}

TEST(kelEdit, DeletingAroundACharacter) {
    const struct {
        const char* s;
        int index;
        const char* after;
        const char* before;
    } cases[] = {
        {"key=value=x", 1, "key", "value=x"},
        {"key=value=x", 5, "key=value", "x"},
        {"key=value=x", 11, "key=value=x", "key=value=x"},
        {"novalue", 1, "novalue", "novalue"},
        {"=x", 1, "", "x"},
        {"x=", 1, "x", ""},
        {"", 1, "", ""},
    };
    for (const auto& c : cases) {
        std::string after = c.s;
        std::string before = c.s;
        kelDeleteAfterCharEx(after, '=', c.index);
        kelDeleteBeforeCharEx(before, '=', c.index);
        EXPECT_EQ(c.after, after) << c.s << " from " << c.index;
        EXPECT_EQ(c.before, before) << c.s << " from " << c.index;
    }
    std::string s = "a.b.c";
    kelDeleteAfterChar(s, '.');
    EXPECT_EQ("a", s);
    s = "a.b.c";
    kelDeleteBeforeChar(s, '.');
    EXPECT_EQ("b.c", s);
}

TEST(kelEdit, ChangeParams) {
    TStringList params;
    params.Add(" Name = Smith ");
    params.Add("CITY=Berlin");
    params.Add("no parameter here");
    params.Add("empty=");
    EXPECT_EQ("Dear Smith from Berlin, %unknown% ",
              kelChangeParams("Dear %name% from %City%, %unknown% %empty%", params, '%'));
    // Lines without a name leave doubled delimiters alone.
    EXPECT_EQ("100%% sure", kelChangeParams("100%% sure", params, '%'));
    EXPECT_EQ("$Smith$", kelChangeParams("$$Name$$", params, '$'));
    EXPECT_EQ("", kelChangeParams("", params, '%'));
    TStringList none;
    EXPECT_EQ("%name%", kelChangeParams("%name%", none, '%'));
}

//--- Conversions

TEST(kelConvert, BinaryDigits) {
    EXPECT_EQ("00000000", kelByteToBin(0));
    EXPECT_EQ("10100101", kelByteToBin(0xA5));
    EXPECT_EQ("11111111", kelByteToBin(255));

    const struct {
        int32_t value;
        int digits;
        const char* text;
    } cases[] = {
        {5, 8, "00000101"},
        {0, 0, "0"},
        {0, 3, "000"},
        {5, 2, "101"},
        {1, -4, "1"},
        {-1, 0, "11111111111111111111111111111111"},
        {INT32_MIN, 0, "10000000000000000000000000000000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, kelIntToBin(c.value, c.digits)) << c.value;
        EXPECT_EQ(c.value, kelBinToInt(c.text)) << c.text;
    }
    EXPECT_EQ(0, kelBinToInt(""));
    EXPECT_EQ(6, kelBinToInt("0000110"));
    EXPECT_EQ("102 is not valid Binary value", ConvertErrorOf([] { kelBinToInt("102"); }));
    EXPECT_EQ(" 1 is not valid Binary value", ConvertErrorOf([] { kelBinToInt(" 1"); }));
    // Digits beyond 32 bits wrap instead of overrunning.
    EXPECT_EQ(1, kelBinToInt("1" + std::string(32, '0') + "1"));
}

TEST(kelConvert, OctalDigits) {
    const struct {
        int32_t value;
        int digits;
        const char* text;
    } cases[] = {
        {0, 0, ""},
        {0, 2, "00"},
        {8, 4, "0010"},
        {8, 0, "10"},
        {511, 0, "777"},
        {-8, 0, "10"},
        {7, 1, "7"},
        {64, 2, "100"},
        {1 << 30, 0, "10000000000"},
        {INT32_MAX, 0, "17777777777"},
        {INT32_MIN, 0, "20000000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, kelIntToOct(c.value, c.digits)) << c.value;
    EXPECT_EQ(0, kelOctToInt(""));
    EXPECT_EQ(8, kelOctToInt("010"));
    EXPECT_EQ(511, kelOctToInt("777"));
    EXPECT_EQ(INT32_MAX, kelOctToInt("17777777777"));
    EXPECT_EQ("78 is not valid Octal value", ConvertErrorOf([] { kelOctToInt("78"); }));
    EXPECT_EQ("-1 is not valid Octal value", ConvertErrorOf([] { kelOctToInt("-1"); }));
}

TEST(kelConvert, RomanNumerals) {
    const struct {
        int32_t value;
        const char* text;
    } cases[] = {
        {0, ""},         {1, "I"},    {4, "IV"},           {9, "IX"},
        {14, "XIV"},     {40, "XL"},  {90, "XC"},          {400, "CD"},
        {444, "CDXLIV"}, {900, "CM"}, {1994, "MCMXCIV"},   {3999, "MMMCMXCIX"},
        {4000, "MMMM"},  {-4, "-IV"}, {-1994, "-MCMXCIV"}, {888, "DCCCLXXXVIII"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, kelIntToRoman(c.value)) << c.value;
        EXPECT_EQ(c.value, kelRomanToInt(c.text)) << c.text;
    }
    EXPECT_EQ(1994, kelRomanToInt("MCM XCIV"));
    EXPECT_EQ(-12, kelRomanToInt(" - X II"));
    EXPECT_EQ(0, kelRomanToInt("-"));
    EXPECT_EQ(5, kelRomanToInt("IIV"));  // read left to right: 1, 1, then 5 less twice 1
    EXPECT_EQ("mc is not valid Roman value", ConvertErrorOf([] { kelRomanToInt("mc"); }));
    EXPECT_EQ("X-I is not valid Roman value", ConvertErrorOf([] { kelRomanToInt("X-I"); }));
    EXPECT_EQ("12 is not valid Roman value", ConvertErrorOf([] { kelRomanToInt("12"); }));
    EXPECT_EQ(size_t(2147483), kelIntToRoman(INT32_MIN).find_first_not_of('M', 1) - 1);
}

TEST(kelConvert, Booleans) {
    EXPECT_EQ("True", kelBooleanToStr(true));
    EXPECT_EQ("False", kelBooleanToStr(false));
    for (const char* yes : {"True", "TRUE", "true", "tRUE"}) EXPECT_TRUE(kelStrToBoolean(yes)) << yes;
    for (const char* no : {"yes", "1", "", "True ", " True", "False", "T"}) EXPECT_FALSE(kelStrToBoolean(no)) << no;
}

TEST(kelConvert, Versions) {
    EXPECT_EQ("1.2.3.4", kelVersionToStr(0x01020304));
    EXPECT_EQ("255.0.0.255", kelVersionToStr(0xFF0000FF));
    EXPECT_EQ("0.0.0.0", kelVersionToStr(0));
    const struct {
        const char* text;
        uint32_t version;
    } cases[] = {
        {"1.2.3.4", 0x01020304},
        {"1.2", 0x01020000},
        {"1.2.3.4.5", 0x01020304},
        {"7", 0x07000000},
        {"", 0},
        {"1..3", 0x01000300},
        {"x.2", 0x00020000},
        {"1.300", 0x012C0000},
        {"2.256", 0x03000000},
        {"1.2.3.", 0x01020300},
        {"1.2.3.4.", 0x01020304},
        {"255.255.255.255", 0xFFFFFFFF},
    };
    for (const auto& c : cases) EXPECT_EQ(c.version, kelStrToVersion(c.text)) << c.text;
}

TEST(kelConvert, PointsAndRectangles) {
    EXPECT_EQ("10,-3", kelPointToStr(POINT{10, -3}));
    const struct {
        const char* text;
        LONG x, y;
    } points[] = {
        {"10,-3", 10, -3}, {" 4 , 5 ", 4, 5}, {"7", 0, 0}, {"", 0, 0}, {",", 0, 0}, {"a,2", 0, 2}, {"1,2,3", 1, 0},
    };
    for (const auto& p : points) {
        const POINT point = kelStrToPoint(p.text);
        EXPECT_EQ(p.x, point.x) << p.text;
        EXPECT_EQ(p.y, point.y) << p.text;
    }
    const RECT rect{-1, 2, 300, 40};
    EXPECT_EQ("-1,2,300,40", kelRectToStr(rect));
    const RECT back = kelStrToRect(kelRectToStr(rect));
    EXPECT_TRUE(EqualRect(&rect, &back));
    const RECT half = kelStrToRect("5,6");
    EXPECT_EQ(5, half.left);
    EXPECT_EQ(6, half.top);
    EXPECT_EQ(0, half.right);
    EXPECT_EQ(0, half.bottom);
}

TEST(kelConvert, DatesAndTimesInAGivenFormat) {
    FormatScope formats;
    TFormatSettings& settings = FormatSettings();
    settings.DateSeparator = '/';
    settings.TimeSeparator = ':';
    settings.ShortDateFormat = "M/d/yyyy";
    settings.ShortTimeFormat = "h:mm AMPM";
    const struct {
        const char* text;
        const char* format;
        int year, month, day;
    } dates[] = {
        {"20240315", "yyyymmdd", 2024, 3, 15},
        {"15032024", "ddmmyyyy", 2024, 3, 15},
        {"15.03.2024", "dd.mm.yyyy", 0, 0, 0},
        {"15-03-2024", "dd.mm.yyyy", 2024, 3, 15},
        {"2024\\03\\15", "yyyy-mm-dd", 2024, 3, 15},
        {"03 15 2024", "mm/dd/yyyy", 2024, 3, 15},
        {"2024:3:15", "y", 2024, 3, 15},
    };
    for (const auto& d : dates) {
        if (d.year == 0) {
            // Only the separators listed become the locale's: "." is not one of them.
            EXPECT_THROW(kelStrToDate(d.text, d.format), EConvertError) << d.text;
        } else {
            EXPECT_EQ(EncodeDate(d.year, d.month, d.day), kelStrToDate(d.text, d.format)) << d.text;
        }
        EXPECT_EQ("M/d/yyyy", settings.ShortDateFormat) << "the process-wide format is put back";
    }
    EXPECT_THROW(kelStrToDate("20241315", "yyyymmdd"), EConvertError);
    EXPECT_EQ("M/d/yyyy", settings.ShortDateFormat);

    EXPECT_DOUBLE_EQ(EncodeTime(10, 30, 0, 0), kelStrToTime("1030", "hhnn"));
    EXPECT_DOUBLE_EQ(EncodeTime(10, 30, 15, 0), kelStrToTime("103015", "hhnnss"));
    EXPECT_DOUBLE_EQ(EncodeTime(22, 5, 0, 0), kelStrToTime("22-05", "hh:nn"));
    EXPECT_DOUBLE_EQ(EncodeTime(9, 0, 0, 0), kelStrToTime("9", "h"));
    EXPECT_THROW(kelStrToTime("2561", "hhnn"), EConvertError);
    EXPECT_EQ("h:mm AMPM", settings.ShortTimeFormat);

    // The separator of the locale, whatever it is.
    settings.DateSeparator = '.';
    EXPECT_EQ(EncodeDate(2024, 3, 15), kelStrToDate("15/03/2024", "dd.mm.yyyy"));
    EXPECT_EQ(EncodeDate(2024, 3, 15), kelStrToDate("15032024", "ddmmyyyy"));
}

TEST(kelConvert, HexadecimalBytes) {
    const uint8_t bytes[] = {0x00, 0x0A, 0xFF, 0x7e};
    EXPECT_EQ("000AFF7E", kelBinaryToString(bytes, 4));
    EXPECT_EQ("", kelBinaryToString(bytes, 0));
    EXPECT_EQ("", kelBinaryToString(bytes, -1));
    EXPECT_EQ("", kelBinaryToString(nullptr, 4));

    uint8_t buffer[8];
    std::memset(buffer, 0xCC, sizeof buffer);
    EXPECT_EQ(2, kelStringToBinary("0a-FF", buffer, 8));
    EXPECT_EQ(0x0A, buffer[0]);
    EXPECT_EQ(0xFF, buffer[1]);
    EXPECT_EQ(0xCC, buffer[2]);
    // Never more than the buffer holds.
    EXPECT_EQ(2, kelStringToBinary("0102030405", buffer, 2));
    EXPECT_EQ(0xCC, buffer[2]);
    EXPECT_EQ(1, kelStringToBinary("abc", buffer, 8));  // an odd digit is left over
    EXPECT_EQ(0xAB, buffer[0]);
    EXPECT_EQ(0, kelStringToBinary("xyz", buffer, 8));
    EXPECT_EQ(-1, kelStringToBinary("00", nullptr, 8));
    EXPECT_EQ(-1, kelStringToBinary("00", buffer, 0));
    EXPECT_EQ(4, kelStringToBinary(kelBinaryToString(bytes, 4), buffer, 8));
    EXPECT_EQ(0, std::memcmp(bytes, buffer, 4));
}

//--- Lists and records

TEST(kelLists, ParseAndUnparse) {
    TStringList list;
    kelParseString("a;b;;c", ";", &list);
    EXPECT_EQ((V{"a", "b", "", "c"}), Lines(list));
    kelParseString("d", ";", &list);  // appended, not cleared
    EXPECT_EQ((V{"a", "b", "", "c", "d"}), Lines(list));
    list.Clear();
    kelParseString("x<>y<>", "<>", &list);
    EXPECT_EQ((V{"x", "y"}), Lines(list));
    list.Clear();
    kelParseString("", ";", &list);
    EXPECT_EQ(0, list.Count());
    kelParseString("one\r\ntwo;three", ";", &list);  // line breaks split too
    EXPECT_EQ((V{"one", "two", "three"}), Lines(list));
    kelParseString("a;b", ";", nullptr);

    EXPECT_EQ("one, two, three", kelUnParseString(&list, ", "));
    EXPECT_EQ("onetwothree", kelUnParseString(&list, ""));
    TStringList empty;
    EXPECT_EQ("", kelUnParseString(&empty, ";"));
    EXPECT_EQ("", kelUnParseString(nullptr, ";"));
    list.Clear();
    list.Add("");
    list.Add("");
    EXPECT_EQ(";", kelUnParseString(&list, ";"));
}

TEST(kelLists, RemoveStringFromList) {
    TStringList list;
    for (const char* s : {"C:\\Dir", "c:\\dir", "C:\\Other", "C:\\DIR", "\xC9t\xE9"}) list.Add(s);
    kelRemoveStringFromList("c:\\DIR", &list);
    EXPECT_EQ((V{"C:\\Other", "\xC9t\xE9"}), Lines(list));
    kelRemoveStringFromList("\xE9T\xC9", &list);
    EXPECT_EQ((V{"C:\\Other"}), Lines(list));
    kelRemoveStringFromList("missing", &list);
    EXPECT_EQ(1, list.Count());
    kelRemoveStringFromList("x", nullptr);
}

TEST(kelLists, InitRecordStoresItsSizeOnlyWhereItFits) {
    struct Record {
        int32_t size;
        char data[12];
    } record;
    std::memset(&record, 0xAB, sizeof record);
    kelInitRecord(&record, sizeof record);
    EXPECT_EQ(int32_t(sizeof record), record.size);
    for (char c : record.data) EXPECT_EQ(0, c);

    uint8_t small[6];
    std::memset(small, 0xAB, sizeof small);
    kelInitRecord(small, 2);  // no room for the size: zeroed, nothing beyond touched
    EXPECT_EQ(0, small[0]);
    EXPECT_EQ(0, small[1]);
    EXPECT_EQ(0xAB, small[2]);
    kelInitRecord(small, 0);
    kelInitRecord(nullptr, 8);
    EXPECT_EQ(0xAB, small[5]);
}
