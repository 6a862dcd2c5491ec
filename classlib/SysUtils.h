// System utilities of the class library: the exception classes, number and text
// conversion, and the date-time value with the current-time clock.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <type_traits>

//--- Exceptions

// Base of every error the class library raises. Carries a message meant for the user.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : m_message(std::move(message)) {}
    const std::string& Message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

// Raised when a text or a date cannot be converted (StrToInt, EncodeDate).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Raised when the system refuses a resource: a window, a timer.
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

//--- Numbers and texts

std::string IntToStr(int32_t value);
std::string IntToStr(int64_t value);

// Decimal text to a signed 32-bit number. Accepts leading blanks and an optional
// sign followed by decimal digits, nothing after them. Anything else, including
// an empty text and values outside 32 bits, raises EConvertError.
int32_t StrToInt(const std::string& text);
bool TryStrToInt(const std::string& text, int32_t& value);

// Conversions between the ANSI code page (8-bit strings) and UTF-16 (wide strings).
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

//--- Colours

// A 32-bit colour: 0x00BBGGRR, or a system colour index in the low byte with the top bit set.
using TColor = int32_t;

//--- Date and time

// Days since 30 December 1899 as the whole part; the time of day as the fraction.
using TDateTime = double;

constexpr int kMinutesPerDay = 1440;
constexpr int kSecondsPerDay = 86400;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // month 1..12

// Whole days since 1899-12-30 for a Gregorian date (year 1..9999, month 1..12,
// day 1..days in that month). Any other combination raises EConvertError.
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
// The fraction of a day for a time of day. Invalid parts raise EConvertError.
TDateTime EncodeTime(int hour, int minute, int second, int msec);

void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);

// The current local date and time, and today's date (whole days). Both read the
// clock installed by SetClock; the default clock is the system's local time.
TDateTime Now();
TDateTime Date();

using ClockFunction = std::function<TDateTime()>;
// Replaces the clock (tests set chosen instants); an empty function restores the system clock.
void SetClock(ClockFunction clock);

//--- Texts: comparison, case, formatting, resources

// ASCII case-insensitive equality (names of classes, properties and components).
bool SameText(const std::string& a, const std::string& b);
// ASCII upper case; other bytes unchanged.
std::string UpperCase(const std::string& text);
// ASCII lower case; other bytes unchanged.
std::string LowerCase(const std::string& text);
// A letter or underscore, then letters, digits and underscores.
bool IsValidIdent(const std::string& text);

//--- File names (a backslash, a slash and the drive's colon end a folder)

// The folder part with its trailing separator ("C:\Prog\" of "C:\Prog\a.chm").
std::string ExtractFilePath(const std::string& fileName);
// The name after the folder part.
std::string ExtractFileName(const std::string& fileName);
// The extension with its dot (".chm"), or empty; a dot in a folder name is none.
std::string ExtractFileExt(const std::string& fileName);
// The name with its extension replaced by extension (which brings its own dot),
// or with extension appended when it had none.
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);

namespace sysutils_detail {
std::string FormatPrintf(const char* format, ...);
inline const char* FormatArg(const std::string& value) {
    return value.c_str();
}
template <class T>
T FormatArg(T value) {
    static_assert(std::is_arithmetic_v<T> || std::is_pointer_v<T>, "Format takes numbers, pointers and strings");
    return value;
}
}  // namespace sysutils_detail

// printf-style formatting that also takes std::string for %s ("%s.InsertToTray failed").
template <class... Args>
std::string Format(const std::string& format, const Args&... args) {
    return sysutils_detail::FormatPrintf(format.c_str(), sysutils_detail::FormatArg(args)...);
}

// A text of the program's string-table resources, or an empty text when it has none of that id.
std::string LoadResString(uint32_t id);

// A resource string: the identifier of a text in the program's own string table,
// fetched each time it is needed so that a translated table takes effect.
struct TResStringRec {
    uint32_t Identifier;
};
inline std::string LoadResString(const TResStringRec& rec) {
    return LoadResString(rec.Identifier);
}
