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

// A call of the operating system failed; ErrorCode is the system's error code.
class EOSError : public Exception {
public:
    EOSError(std::string message, uint32_t errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
    uint32_t ErrorCode;
};

// Reading or writing a text file failed; ErrorCode is the system's error code.
class EInOutError : public Exception {
public:
    EInOutError(std::string message, uint32_t errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
    uint32_t ErrorCode;
};

// The class name of an exception object as the program spells it ("EConvertError"),
// without the names of the namespaces it is declared in.
std::string ExceptionClassName(const std::exception& error);

// The system's text for an error code, without its line break; empty when it has none.
std::string SysErrorMessage(uint32_t errorCode);
// Raises EOSError for the calling thread's last error (or the code given).
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(uint32_t errorCode);

//--- Numbers and texts

std::string IntToStr(int32_t value);
std::string IntToStr(int64_t value);

// Decimal text to a signed 32-bit number. Accepts leading blanks and an optional
// sign followed by decimal digits, nothing after them. Anything else, including
// an empty text and values outside 32 bits, raises EConvertError.
int32_t StrToInt(const std::string& text);
bool TryStrToInt(const std::string& text, int32_t& value);
// StrToInt, or the default for any text StrToInt refuses.
int32_t StrToIntDef(const std::string& text, int32_t defaultValue);

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

// The day numbers of 1 January 1 and 31 December 9999, the ends of the calendar.
constexpr int32_t kFirstDayNumber = -693593;
constexpr int32_t kLastDayNumber = 2958465;

// The day number of a date, as TDateTime counts days (0 is 30 December 1899), and
// the date of a day number, in plain 32-bit arithmetic: the proleptic Gregorian
// calendar of the years 1 to 9999, month 1 to 12, day 1 to 31 (a day past the
// month's end counts on into the next month).
int32_t DayNumber(int32_t year, int32_t month, int32_t day);
void DateOfDayNumber(int32_t number, int32_t& year, int32_t& month, int32_t& day);

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

//--- Texts: trimming, locale case and comparison

// The text without the characters up to the blank (control characters and
// blanks) at its start, its end, or both.
std::string Trim(const std::string& text);
std::string TrimLeft(const std::string& text);
std::string TrimRight(const std::string& text);
// Upper and lower case by the user's locale (accented letters too), byte for byte.
std::string AnsiUpperCase(const std::string& text);
std::string AnsiLowerCase(const std::string& text);
// Compares without regard to case by the user's locale: below 0, 0 or above 0.
int AnsiCompareText(const std::string& a, const std::string& b);
bool AnsiSameText(const std::string& a, const std::string& b);

//--- File names

// The drive part: "C:" of "C:\x", "\\server\share" of a network name; empty when none.
std::string ExtractFileDrive(const std::string& fileName);
// The part up to and including the last "\" or ":".
std::string ExtractFilePath(const std::string& fileName);
// The part after the last "\" or ":".
std::string ExtractFileName(const std::string& fileName);
// The extension with its dot, from the last dot of the name part; empty when none.
std::string ExtractFileExt(const std::string& fileName);
// The name with its extension replaced (an empty extension removes it).
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
// The full name of a file, relative names taken from the current directory; "."
// and ".." resolved. The name itself when the system cannot expand it.
std::string ExpandFileName(const std::string& fileName);

std::string GetCurrentDir();
bool SetCurrentDir(const std::string& dir);

//--- Command line

// The number of parameters after the program's name, and parameter `index`: 0 is
// the program's full file name, 1 and on the parameters, split at blanks outside
// double quotes, the quotes removed. Past the last parameter an empty text.
int ParamCount();
std::string ParamStr(int index);
// Replaces the command line that ParamCount and ParamStr read (the program name
// stays the module's); an empty function restores the process's own. For tests.
void SetCommandLineSource(std::function<std::string()> source);

//--- Files: attributes, dates and searching

enum : uint32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faVolumeID = 0x08,
    faDirectory = 0x10,
    faArchive = 0x20,
    faAnyFile = 0x3F,
};

// The attributes of a file or folder; -1 when it cannot be read.
int32_t FileGetAttr(const std::string& fileName);
// 0 on success, else the system's error code.
int32_t FileSetAttr(const std::string& fileName, int32_t attributes);

// A file-system date (date in the high 16 bits, time in the low 16 bits, local
// time, two-second steps) to a date-time value and back. An invalid packed date
// raises EConvertError.
TDateTime FileDateToDateTime(int32_t fileDate);
int32_t DateTimeToFileDate(TDateTime value);

// One file found by FindFirst/FindNext.
struct TSearchRec {
    int32_t Time = 0;  // last write as a file-system date
    int64_t Size = 0;
    uint32_t Attr = 0;
    std::string Name;
    uint32_t ExcludeAttr = 0;
    void* FindHandle = nullptr;
    // The three times as the system keeps them (universal time, 100 ns units).
    uint64_t CreationTime = 0;
    uint64_t LastAccessTime = 0;
    uint64_t LastWriteTime = 0;
};

// Starts a search for the names matching the path's mask. Hidden, system and
// directory entries are found only when `attributes` asks for them. 0 when an
// entry was found, else the system's error code (the search is then closed).
int32_t FindFirst(const std::string& path, uint32_t attributes, TSearchRec& rec);
int32_t FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

//--- Date and time texts

// How dates and times are written and read; process-wide, taken from the user's
// locale at first use.
struct TFormatSettings {
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char DecimalSeparator = '.';
    std::string ShortDateFormat = "M/d/yyyy";
    std::string ShortTimeFormat = "h:mm AMPM";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    // Two-digit years fall into the hundred years that begin this many years before now.
    int TwoDigitYearCenturyWindow = 50;
};
TFormatSettings& FormatSettings();

// A date by the order of day, month and year in ShortDateFormat, the numbers
// separated by DateSeparator: three numbers, or day and month of the current year.
// Raises EConvertError ("'x' is not a valid date").
TDateTime StrToDate(const std::string& text);
bool TryStrToDate(const std::string& text, TDateTime& value);
// A time: hours, then optionally minutes, seconds and milliseconds separated by
// TimeSeparator (DecimalSeparator before the milliseconds), then optionally the
// AM or PM text. Raises EConvertError ("'x' is not a valid time").
TDateTime StrToTime(const std::string& text);
bool TryStrToTime(const std::string& text, TDateTime& value);
