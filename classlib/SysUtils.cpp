// System utilities of the class library.
#include "classlib/SysUtils.h"

#include <windows.h>

#include <cxxabi.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <typeinfo>

//--- Numbers and texts

std::string IntToStr(int32_t value) {
    return std::to_string(value);
}

std::string IntToStr(int64_t value) {
    return std::to_string(value);
}

bool TryStrToInt(const std::string& text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size()) return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        magnitude = magnitude * 10 + (c - '0');
        // One past INT32_MAX is still allowed for the negative limit.
        if (magnitude > int64_t(INT32_MAX) + 1) return false;
    }
    const int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX || result < INT32_MIN) return false;
    value = static_cast<int32_t>(result);
    return true;
}

int32_t StrToInt(const std::string& text) {
    int32_t value = 0;
    if (!TryStrToInt(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

int32_t StrToIntDef(const std::string& text, int32_t defaultValue) {
    int32_t value = 0;
    return TryStrToInt(text, value) ? value : defaultValue;
}

std::string ExceptionClassName(const std::exception& error) {
    const char* mangled = typeid(error).name();
    int status = 0;
    char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = status == 0 && plain ? plain : mangled;
    std::free(plain);
    const size_t colon = name.rfind("::");
    if (colon != std::string::npos) name.erase(0, colon + 2);
    return name;
}

std::string SysErrorMessage(uint32_t errorCode) {
    char buffer[1024] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                       nullptr, errorCode, 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

void RaiseLastOSError() {
    RaiseLastOSError(GetLastError());
}

void RaiseLastOSError(uint32_t errorCode) {
    if (errorCode == 0) throw EOSError("A call to an operating system function failed", 0);
    throw EOSError("System error " + std::to_string(errorCode) + ": " + SysErrorMessage(errorCode), errorCode);
}

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0], length);
    return result;
}

std::string FromWide(UINT codePage, const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length =
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &result[0], length, nullptr,
                        nullptr);
    return result;
}

}  // namespace

std::wstring AnsiToWide(const std::string& text) {
    return ToWide(CP_ACP, text);
}
std::string WideToAnsi(const std::wstring& text) {
    return FromWide(CP_ACP, text);
}
std::wstring Utf8ToWide(const std::string& text) {
    return ToWide(CP_UTF8, text);
}
std::string WideToUtf8(const std::wstring& text) {
    return FromWide(CP_UTF8, text);
}

//--- Date and time

namespace {

// Days from 0001-01-01 to 1899-12-30, the zero of the date-time value.
constexpr int kDayZeroOffset = 693594;
constexpr int64_t kMSecsPerDay = 86400000;

const int kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                               {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

ClockFunction& Clock() {
    static ClockFunction clock;
    return clock;
}

TDateTime SystemNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    const int64_t msecs = ((int64_t(st.wHour) * 60 + st.wMinute) * 60 + st.wSecond) * 1000 + st.wMilliseconds;
    return EncodeDate(st.wYear, st.wMonth, st.wDay) + double(msecs) / double(kMSecsPerDay);
}

}  // namespace

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) return 0;
    return kMonthDays[IsLeapYear(year) ? 1 : 0][month - 1];
}

int32_t DayNumber(int32_t year, int32_t month, int32_t day) {
    // The days before each month from a table: every grid refresh and due check
    // encodes each reminder's dates.
    static constexpr int32_t kDaysBefore[2][12] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
                                                   {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335}};
    const int32_t y = year - 1;
    return y * 365 + y / 4 - y / 100 + y / 400 + kDaysBefore[IsLeapYear(year) ? 1 : 0][month - 1] + day -
           kDayZeroOffset;
}

// Counted from 1 March of the year 0, so that the leap day ends each counted year.
void DateOfDayNumber(int32_t number, int32_t& year, int32_t& month, int32_t& day) {
    const int32_t z = number + 693899;
    const int32_t era = z / 146097;
    const int32_t dayOfEra = z - era * 146097;
    const int32_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int32_t shifted = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    month = shifted < 10 ? shifted + 3 : shifted - 9;
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
    if (day < 1 || day > DaysInMonth(year, month)) return false;
    result = double(DayNumber(year, month, day));
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime result = 0;
    if (!TryEncodeDate(year, month, day, result)) throw EConvertError("Invalid argument to date encode");
    return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        throw EConvertError("Invalid argument to time encode");
    const int64_t msecs = ((int64_t(hour) * 60 + minute) * 60 + second) * 1000 + msec;
    return double(msecs) / double(kMSecsPerDay);
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    // Zero-based days since 0001-01-01, split into 400-, 100-, 4- and 1-year cycles.
    int64_t n = int64_t(std::floor(value)) + kDayZeroOffset - 1;
    if (n < 0) {
        year = month = day = 0;
        return;
    }
    const int64_t y400 = n / 146097;
    n %= 146097;
    int64_t y100 = n / 36524;
    if (y100 == 4) y100 = 3;
    n -= y100 * 36524;
    const int64_t y4 = n / 1461;
    n %= 1461;
    int64_t y1 = n / 365;
    if (y1 == 4) y1 = 3;
    n -= y1 * 365;
    year = int(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
    const int* days = kMonthDays[IsLeapYear(year) ? 1 : 0];
    month = 1;
    while (n >= days[month - 1]) {
        n -= days[month - 1];
        ++month;
    }
    day = int(n) + 1;
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec) {
    int64_t msecs = int64_t(std::llround(std::fabs(value - std::floor(value)) * double(kMSecsPerDay)));
    if (msecs >= kMSecsPerDay) msecs = kMSecsPerDay - 1;
    hour = int(msecs / 3600000);
    minute = int(msecs / 60000 % 60);
    second = int(msecs / 1000 % 60);
    msec = int(msecs % 1000);
}

TDateTime Now() {
    const ClockFunction& clock = Clock();
    return clock ? clock() : SystemNow();
}

TDateTime Date() {
    return std::floor(Now());
}

void SetClock(ClockFunction clock) {
    Clock() = std::move(clock);
}

//--- Texts: comparison, case, formatting, resources

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::string UpperCase(const std::string& text) {
    std::string result = text;
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return result;
}

std::string LowerCase(const std::string& text) {
    std::string result = text;
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return result;
}

bool IsValidIdent(const std::string& text) {
    if (text.empty()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

std::string sysutils_detail::FormatPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string result;
    if (length > 0) {
        result.resize(static_cast<size_t>(length) + 1);
        vsnprintf(&result[0], result.size(), format, again);
        result.resize(static_cast<size_t>(length));
    }
    va_end(again);
    return result;
}

std::string LoadResString(uint32_t id) {
    // With a zero buffer size the wide loader hands out the text in place, so any length works.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return std::string();
    return WideToAnsi(std::wstring(text, static_cast<size_t>(length)));
}

//--- Texts: trimming, locale case and comparison

std::string Trim(const std::string& text) {
    return TrimLeft(TrimRight(text));
}

std::string TrimLeft(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    return text.substr(i);
}

std::string TrimRight(const std::string& text) {
    size_t n = text.size();
    while (n > 0 && static_cast<unsigned char>(text[n - 1]) <= ' ') --n;
    return text.substr(0, n);
}

std::string AnsiUpperCase(const std::string& text) {
    std::string result = text;
    if (!result.empty()) CharUpperBuffA(&result[0], static_cast<DWORD>(result.size()));
    return result;
}

std::string AnsiLowerCase(const std::string& text) {
    std::string result = text;
    if (!result.empty()) CharLowerBuffA(&result[0], static_cast<DWORD>(result.size()));
    return result;
}

int AnsiCompareText(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) -
           CSTR_EQUAL;
}

bool AnsiSameText(const std::string& a, const std::string& b) {
    return AnsiCompareText(a, b) == 0;
}
