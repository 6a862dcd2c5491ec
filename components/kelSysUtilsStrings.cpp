// kelSysUtils: arithmetic, searching and editing strings, conversions to and from
// text, and string lists.
#include <windows.h>

#include <cmath>
#include <cstring>

#include "components/kelConsts.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"

namespace {

// Deletes count characters from the 1-based index; nothing for an index outside
// the text (the way the string routines of the class library delete).
void DeleteAt(std::string& s, int index, int count) {
    if (index < 1 || static_cast<size_t>(index) > s.size() || count <= 0) return;
    s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

// Inserts before the 1-based index; an index before the start inserts at the
// start, one past the end appends.
void InsertAt(std::string& s, int index, const std::string& text) {
    size_t at = index < 1 ? 0 : static_cast<size_t>(index - 1);
    if (at > s.size()) at = s.size();
    s.insert(at, text);
}

int Length(const std::string& s) {
    return static_cast<int>(s.size());
}

// Zeros before the number's digits up to the given width.
void PadWithZeros(std::string& digits, int width) {
    if (width > Length(digits)) digits.insert(0, static_cast<size_t>(width - Length(digits)), '0');
}

// The digits of s in the base (2 to 10) as a 32-bit pattern; a character that is
// no digit of the base raises the error of the given format.
int32_t DigitsToInt(const std::string& s, uint32_t base, const char* errorFormat) {
    uint32_t result = 0;
    uint32_t weight = 1;
    for (size_t i = s.size(); i > 0; --i) {
        const char c = s[i - 1];
        if (c < '0' || uint32_t(c - '0') >= base) throw EConvertError(Format(errorFormat, s));
        result += uint32_t(c - '0') * weight;
        weight *= base;
    }
    return static_cast<int32_t>(result);
}

const char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Roman numerals of one decimal place: one, five and ten of that place.
void AppendRomanDigit(std::string& result, int digit, char one, char five, char ten) {
    if (digit == 9) {
        result += one;
        result += ten;
    } else if (digit >= 5) {
        result += five;
        result.append(static_cast<size_t>(digit - 5), one);
    } else if (digit == 4) {
        result += one;
        result += five;
    } else {
        result.append(static_cast<size_t>(digit), one);
    }
}

int RomanValue(char c) {
    switch (c) {
        case 'C': return 100;
        case 'D': return 500;
        case 'I': return 1;
        case 'L': return 50;
        case 'M': return 1000;
        case 'V': return 5;
        case 'X': return 10;
        default: return -1;
    }
}

// Puts the process-wide date or time format back when the parse is over, also
// when it raises.
class FormatRestorer {
public:
    explicit FormatRestorer(std::string& format) : m_format(format), m_saved(format) {}
    ~FormatRestorer() { m_format = m_saved; }
    FormatRestorer(const FormatRestorer&) = delete;
    FormatRestorer& operator=(const FormatRestorer&) = delete;

private:
    std::string& m_format;
    std::string m_saved;
};

// The text and the format made ready for the class library's parser: every
// common separator in the text becomes sep, and a format and text that have no
// separator at all get one wherever the format's letter changes.
void PrepareDateText(std::string& text, std::string& format, char sep) {
    for (char& c : text)
        if (c == '/' || c == '\\' || c == ' ' || c == ':' || c == '-') c = sep;
    if (format.find(sep) != std::string::npos || text.find(sep) != std::string::npos || format.size() < 2) return;
    const std::string separator(1, sep);
    for (int i = Length(format); i >= 2; --i) {
        if (format[static_cast<size_t>(i - 1)] != format[static_cast<size_t>(i - 2)]) {
            InsertAt(format, i, separator);
            InsertAt(text, i, separator);
        }
    }
}

}  // namespace

//=== Arithmetic and port access

int32_t Max(int32_t a, int32_t b) {
    return a > b ? a : b;
}

int32_t Min(int32_t a, int32_t b) {
    return a < b ? a : b;
}

long double IntPower(long double base, int32_t exponent) {
    // The magnitude in unsigned arithmetic, so that the most negative exponent works too.
    uint32_t e = exponent < 0 ? 0u - static_cast<uint32_t>(exponent) : static_cast<uint32_t>(exponent);
    long double result = 1.0L;
    long double factor = base;
    while (e != 0) {
        if (e & 1) result *= factor;
        factor *= factor;
        e >>= 1;
    }
    return exponent < 0 ? 1.0L / result : result;
}

long double Power(long double base, long double exponent) {
    if (exponent == 0.0L) return 1.0L;
    if (base == 0.0L && exponent > 0.0L) return 0.0L;
    if (std::floor(exponent) == exponent && std::fabs(exponent) <= 2147483647.0L)
        return IntPower(base, static_cast<int32_t>(std::llround(exponent)));
    return std::exp(exponent * std::log(base));
}

RECT kelAlignRectInRect(const RECT& rect, const RECT& bounds, TkelHorzAlign horz, TkelVertAlign vert) {
    const LONG w = rect.right - rect.left;
    const LONG h = rect.bottom - rect.top;
    RECT result;
    switch (horz) {
        case haCenter: result.left = bounds.left + (bounds.right - bounds.left - w) / 2; break;
        case haRight: result.left = bounds.right - w; break;
        default: result.left = bounds.left; break;
    }
    switch (vert) {
        case vaCenter: result.top = bounds.top + (bounds.bottom - bounds.top - h) / 2; break;
        case vaBottom: result.top = bounds.bottom - h; break;
        default: result.top = bounds.top; break;
    }
    result.right = result.left + w;
    result.bottom = result.top + h;
    return result;
}

void PortOut(uint16_t port, uint8_t value) {
    kelPortOut(port, value);
}

uint8_t PortIn(uint16_t port) {
    return kelPortIn(port);
}

//=== Search and edit

TkelCharSet::TkelCharSet(std::initializer_list<char> chars) {
    for (char c : chars) Include(c);
}

TkelCharSet::TkelCharSet(const std::string& chars) {
    for (char c : chars) Include(c);
}

TkelCharSet TkelCharSet::Range(unsigned char first, unsigned char last) {
    TkelCharSet set;
    for (unsigned c = first; c <= last; ++c) set.m_bits.set(c);
    return set;
}

TkelCharSet& TkelCharSet::Include(char c) {
    m_bits.set(static_cast<unsigned char>(c));
    return *this;
}

TkelCharSet TkelCharSet::operator+(const TkelCharSet& other) const {
    TkelCharSet set;
    set.m_bits = m_bits | other.m_bits;
    return set;
}

int kelPosEx(const std::string& subStr, const std::string& s, int index) {
    if (subStr.empty() || s.empty() || index < 1) return 0;
    if (static_cast<int64_t>(index) + Length(subStr) - 1 > Length(s)) return 0;
    const size_t found = s.find(subStr, static_cast<size_t>(index - 1));
    return found == std::string::npos ? 0 : static_cast<int>(found) + 1;
}

int kelBackPosEx(const std::string& subStr, const std::string& s, int index) {
    if (subStr.empty()) return 0;
    const int limit = index < Length(s) ? index : Length(s);
    for (int p = limit - Length(subStr) + 1; p >= 1; --p)
        if (s.compare(static_cast<size_t>(p - 1), subStr.size(), subStr) == 0) return p;
    return 0;
}

int kelBackPos(const std::string& subStr, const std::string& s) {
    return kelBackPosEx(subStr, s, Length(s));
}

int kelPosIgnoreCaseEx(const std::string& subStr, const std::string& s, int index) {
    return kelPosEx(AnsiUpperCase(subStr), AnsiUpperCase(s), index);
}

int kelPosIgnoreCase(const std::string& subStr, const std::string& s) {
    return kelPosIgnoreCaseEx(subStr, s, 1);
}

void kelReplace(std::string& s, int index, const std::string& oldSubStr, const std::string& newSubStr) {
    DeleteAt(s, index, Length(oldSubStr));
    InsertAt(s, index, newSubStr);
}

void kelReplaceSubStringsEx(std::string& s,
                            const std::string& oldSubStr,
                            const std::string& newSubStr,
                            bool ignoreCase) {
    if (oldSubStr.empty()) return;
    // With ignoreCase the search runs on an upper-case copy kept in step with s.
    std::string upper = ignoreCase ? AnsiUpperCase(s) : std::string();
    const std::string wanted = ignoreCase ? AnsiUpperCase(oldSubStr) : oldSubStr;
    std::string& searched = ignoreCase ? upper : s;
    int p = kelPosEx(wanted, searched, 1);
    while (p > 0) {
        kelReplace(s, p, oldSubStr, newSubStr);
        if (ignoreCase) kelReplace(upper, p, oldSubStr, newSubStr);
        p = kelPosEx(wanted, searched, p + Length(newSubStr));
    }
}

void kelReplaceSubStrings(std::string& s, const std::string& oldSubStr, const std::string& newSubStr) {
    kelReplaceSubStringsEx(s, oldSubStr, newSubStr, false);
}

void kelReplaceChars(std::string& s, char oldChar, char newChar) {
    for (char& c : s)
        if (c == oldChar) c = newChar;
}

std::string kelRemoveCharSet(const TkelCharSet& set, const std::string& s) {
    std::string result;
    for (char c : s)
        if (!set.Contains(c)) result += c;
    return result;
}

std::string kelLeaveCharSet(const TkelCharSet& set, const std::string& s) {
    std::string result;
    for (char c : s)
        if (set.Contains(c)) result += c;
    return result;
}

std::string kelAddChar(const std::string& s, char c) {
    if (s.empty() || s.back() == c) return s;
    return s + c;
}

std::string kelAddCharBefore(const std::string& s, char c) {
    if (s.empty() || s.front() == c) return s;
    return c + s;
}

void kelDeleteAfterCharEx(std::string& s, char c, int index) {
    const int p = kelPosEx(std::string(1, c), s, index);
    if (p > 0) s.erase(static_cast<size_t>(p - 1));
}

void kelDeleteBeforeCharEx(std::string& s, char c, int index) {
    const int p = kelPosEx(std::string(1, c), s, index);
    if (p > 0) s.erase(0, static_cast<size_t>(p));
}

void kelDeleteAfterChar(std::string& s, char c) {
    kelDeleteAfterCharEx(s, c, 1);
}

void kelDeleteBeforeChar(std::string& s, char c) {
    kelDeleteBeforeCharEx(s, c, 1);
}

std::string kelChangeParams(const std::string& s, const TStrings& params, char delimiter) {
    std::string result = s;
    const std::string d(1, delimiter);
    for (int i = 0; i < params.Count(); ++i) {
        const std::string name = params.Names(i);
        const std::string key = Trim(name);
        // A line without a name is no parameter: its empty name would turn every
        // doubled delimiter of the text into nothing.
        if (key.empty()) continue;
        kelReplaceSubStringsEx(result, d + key + d, Trim(params.Values(name)), true);
    }
    return result;
}

std::string kelEncloseStringEx(const std::string& s, char c, bool always) {
    if (always) return c + s + c;
    if (s.empty()) return s;
    std::string result = s;
    if (result.front() != c) result.insert(result.begin(), c);
    if (s.back() != c) result += c;
    return result;
}

std::string kelEncloseString(const std::string& s, char c) {
    return kelEncloseStringEx(s, c, false);
}

std::string kelTrimLeft(const std::string& s, const TkelCharSet& set) {
    size_t i = 0;
    while (i < s.size() && set.Contains(s[i])) ++i;
    return s.substr(i);
}

std::string kelTrimRight(const std::string& s, const TkelCharSet& set) {
    size_t n = s.size();
    while (n > 0 && set.Contains(s[n - 1])) --n;
    return s.substr(0, n);
}

std::string kelTrim(const std::string& s, const TkelCharSet& set) {
    return kelTrimLeft(kelTrimRight(s, set), set);
}

//=== Conversions

std::string kelByteToBin(uint8_t value) {
    std::string result(8, '0');
    for (int bit = 0; bit < 8; ++bit)
        if (value & (1u << bit)) result[static_cast<size_t>(7 - bit)] = '1';
    return result;
}

std::string kelIntToBin(int32_t value, int digits) {
    uint32_t bits = static_cast<uint32_t>(value);
    std::string result;
    do {
        result.insert(result.begin(), (bits & 1) ? '1' : '0');
        bits >>= 1;
    } while (bits != 0);
    PadWithZeros(result, digits);
    return result;
}

int32_t kelBinToInt(const std::string& s) {
    return DigitsToInt(s, 2, "%s is not valid Binary value");
}

std::string kelIntToOct(int32_t value, int digits) {
    // The magnitude in 64 bits: the most negative value has no 32-bit magnitude.
    uint64_t magnitude = value < 0 ? uint64_t(0) - uint64_t(int64_t(value)) : uint64_t(value);
    std::string result;
    while (magnitude != 0) {
        result.insert(result.begin(), static_cast<char>('0' + magnitude % 8));
        magnitude /= 8;
    }
    PadWithZeros(result, digits);
    return result;
}

int32_t kelOctToInt(const std::string& s) {
    return DigitsToInt(s, 8, "%s is not valid Octal value");
}

std::string kelIntToRoman(int32_t value) {
    uint64_t n = value < 0 ? uint64_t(0) - uint64_t(int64_t(value)) : uint64_t(value);
    std::string result(static_cast<size_t>(n / 1000), 'M');
    n %= 1000;
    AppendRomanDigit(result, int(n / 100), 'C', 'D', 'M');
    AppendRomanDigit(result, int(n / 10 % 10), 'X', 'L', 'C');
    AppendRomanDigit(result, int(n % 10), 'I', 'V', 'X');
    if (value < 0) result.insert(result.begin(), '-');
    return result;
}

int32_t kelRomanToInt(const std::string& s) {
    std::string text = kelRemoveCharSet(TkelCharSet{' '}, s);
    bool negative = false;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        text.erase(0, 1);
    }
    int64_t result = 0;
    int previous = 10000;
    for (char c : text) {
        const int value = RomanValue(c);
        if (value < 0) throw EConvertError(Format("%s is not valid Roman value", s));
        // A smaller numeral before a larger one was added; take it back twice.
        result += value > previous ? value - 2 * previous : value;
        previous = value;
    }
    return static_cast<int32_t>(negative ? -result : result);
}

std::string kelBooleanToStr(bool value) {
    return CkelBooleanValues[value ? 1 : 0];
}

bool kelStrToBoolean(const std::string& s) {
    return SameText(s, CkelBooleanValues[1]);
}

std::string kelVersionToStr(uint32_t version) {
    return Format("%d.%d.%d.%d", int(version >> 24), int((version >> 16) & 0xFF), int((version >> 8) & 0xFF),
                  int(version & 0xFF));
}

uint32_t kelStrToVersion(const std::string& s) {
    std::string rest = s;
    uint32_t result = 0;
    int shift = 3;
    size_t dot;
    while (shift >= 0 && (dot = rest.find('.')) != std::string::npos) {
        result |= static_cast<uint32_t>(StrToIntDef(rest.substr(0, dot), 0)) << (8 * shift);
        rest.erase(0, dot + 1);
        --shift;
    }
    // What follows the fourth dot has no byte left.
    if (shift >= 0) result |= static_cast<uint32_t>(StrToIntDef(rest, 0)) << (8 * shift);
    return result;
}

std::string kelPointToStr(const POINT& point) {
    return IntToStr(int32_t(point.x)) + "," + IntToStr(int32_t(point.y));
}

POINT kelStrToPoint(const std::string& s) {
    POINT point = {0, 0};
    const size_t comma = s.find(',');
    if (comma == std::string::npos) return point;
    point.x = StrToIntDef(Trim(s.substr(0, comma)), 0);
    point.y = StrToIntDef(Trim(s.substr(comma + 1)), 0);
    return point;
}

std::string kelRectToStr(const RECT& rect) {
    return kelPointToStr(POINT{rect.left, rect.top}) + "," + kelPointToStr(POINT{rect.right, rect.bottom});
}

RECT kelStrToRect(const std::string& s) {
    size_t second = s.find(',');
    if (second != std::string::npos) second = s.find(',', second + 1);
    const POINT topLeft = kelStrToPoint(second == std::string::npos ? s : s.substr(0, second));
    const POINT bottomRight = second == std::string::npos ? POINT{0, 0} : kelStrToPoint(s.substr(second + 1));
    return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

TDateTime kelStrToDate(const std::string& s, const std::string& format) {
    TFormatSettings& settings = FormatSettings();
    std::string text = s;
    std::string dateFormat = format;
    PrepareDateText(text, dateFormat, settings.DateSeparator);
    FormatRestorer restorer(settings.ShortDateFormat);
    settings.ShortDateFormat = dateFormat;
    return StrToDate(text);
}

TDateTime kelStrToTime(const std::string& s, const std::string& format) {
    TFormatSettings& settings = FormatSettings();
    std::string text = s;
    std::string timeFormat = format;
    PrepareDateText(text, timeFormat, settings.TimeSeparator);
    FormatRestorer restorer(settings.ShortTimeFormat);
    settings.ShortTimeFormat = timeFormat;
    return StrToTime(text);
}

std::string kelBinaryToString(const void* buffer, int32_t size) {
    if (!buffer || size <= 0) return std::string();
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    std::string result;
    result.reserve(static_cast<size_t>(size) * 2);
    for (int32_t i = 0; i < size; ++i) {
        result += kHexDigits[bytes[i] >> 4];
        result += kHexDigits[bytes[i] & 15];
    }
    return result;
}

int32_t kelStringToBinary(const std::string& s, void* buffer, int32_t size) {
    if (!buffer || size < 1) return -1;
    std::string digits;
    for (char c : s)
        if (HexValue(c) >= 0) digits += c;
    const int32_t count = Min(size, Length(digits) / 2);
    auto* bytes = static_cast<uint8_t*>(buffer);
    for (int32_t k = 0; k < count; ++k)
        bytes[k] = static_cast<uint8_t>(HexValue(digits[size_t(2 * k)]) * 16 + HexValue(digits[size_t(2 * k + 1)]));
    return count;
}

//=== Lists and records

void kelParseString(const std::string& s, const std::string& delimiter, TStrings* list) {
    if (!list) return;
    std::string text = s;
    if (delimiter.size() == 1)
        kelReplaceChars(text, delimiter[0], '\n');
    else
        kelReplaceSubStrings(text, delimiter, "\n");
    TStringList lines;
    lines.SetText(text);
    list->AddStrings(lines);
}

std::string kelUnParseString(const TStrings* list, const std::string& delimiter) {
    std::string result;
    if (!list) return result;
    for (int i = 0; i < list->Count(); ++i) {
        if (i > 0) result += delimiter;
        result += list->Get(i);
    }
    return result;
}

void kelRemoveStringFromList(const std::string& s, TStrings* list) {
    if (!list) return;
    for (int i = list->Count() - 1; i >= 0; --i)
        if (AnsiSameText(list->Get(i), s)) list->Delete(i);
}

void kelInitRecord(void* record, int32_t size) {
    if (!record || size <= 0) return;
    std::memset(record, 0, static_cast<size_t>(size));
    // A record too small for its size field gets none: storing it would write past its end.
    if (size >= int32_t(sizeof(int32_t))) std::memcpy(record, &size, sizeof size);
}
