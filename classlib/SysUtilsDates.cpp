// System utilities of the class library: the process-wide date and time formats
// and the parsers that read dates and times by them.
#include <windows.h>

#include <cctype>

#include "classlib/SysUtils.h"

namespace {

std::string LocaleText(LCTYPE type, const std::string& fallback) {
    char buffer[128] = {};
    const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    if (length <= 1) return fallback;
    return std::string(buffer);
}

TFormatSettings ReadLocaleSettings() {
    TFormatSettings settings;
    settings.DateSeparator = LocaleText(LOCALE_SDATE, "/")[0];
    settings.TimeSeparator = LocaleText(LOCALE_STIME, ":")[0];
    settings.DecimalSeparator = LocaleText(LOCALE_SDECIMAL, ".")[0];
    settings.ShortDateFormat = LocaleText(LOCALE_SSHORTDATE, settings.ShortDateFormat);
    settings.TimeAMString = LocaleText(LOCALE_S1159, "AM");
    settings.TimePMString = LocaleText(LOCALE_S2359, "PM");
    // The short time format by the locale's clock: 12 hours with the AM/PM text, or 24.
    const bool twentyFour = LocaleText(LOCALE_ITIME, "0") == "1";
    const bool leadingZero = LocaleText(LOCALE_ITLZERO, "0") == "1";
    settings.ShortTimeFormat = std::string(leadingZero ? "hh" : "h") + settings.TimeSeparator + "mm";
    if (!twentyFour) settings.ShortTimeFormat += " AMPM";
    return settings;
}

enum class DateOrder { MDY, DMY, YMD };

// The order of the parts as the format names them first.
DateOrder GetDateOrder(const std::string& format) {
    for (char c : format) {
        switch (std::toupper(static_cast<unsigned char>(c))) {
            case 'E':
            case 'Y': return DateOrder::YMD;
            case 'M': return DateOrder::MDY;
            case 'D': return DateOrder::DMY;
            default: break;
        }
    }
    return DateOrder::MDY;
}

// Reads the text position by position.
class Scanner {
public:
    explicit Scanner(const std::string& text) : m_text(text) {}

    void SkipBlanks() {
        while (m_pos < m_text.size() && m_text[m_pos] == ' ') ++m_pos;
    }
    // Up to four digits; `digits` tells how many there were.
    bool Number(int& value, int& digits) {
        SkipBlanks();
        value = 0;
        digits = 0;
        while (m_pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_pos]))) {
            if (digits == 4) return false;
            value = value * 10 + (m_text[m_pos] - '0');
            ++digits;
            ++m_pos;
        }
        return digits > 0;
    }
    bool Char(char c) {
        SkipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    // The word, compared without regard to ASCII case.
    bool Word(const std::string& word) {
        SkipBlanks();
        if (word.empty() || m_text.size() - m_pos < word.size()) return false;
        if (!SameText(m_text.substr(m_pos, word.size()), word)) return false;
        m_pos += word.size();
        return true;
    }
    bool AtEnd() {
        SkipBlanks();
        return m_pos >= m_text.size();
    }

private:
    const std::string& m_text;
    size_t m_pos = 0;
};

int CurrentYear() {
    int year = 0, month = 0, day = 0;
    DecodeDate(Now(), year, month, day);
    return year;
}

}  // namespace

TFormatSettings& FormatSettings() {
    static TFormatSettings settings = ReadLocaleSettings();
    return settings;
}

bool TryStrToDate(const std::string& text, TDateTime& value) {
    const TFormatSettings& settings = FormatSettings();
    Scanner scan(text);
    int n1 = 0, n2 = 0, n3 = 0;
    int l1 = 0, l2 = 0, l3 = 0;
    if (!scan.Number(n1, l1) || !scan.Char(settings.DateSeparator) || !scan.Number(n2, l2)) return false;
    const bool hasThird = scan.Char(settings.DateSeparator);
    if (hasThird && !scan.Number(n3, l3)) return false;
    if (!scan.AtEnd()) return false;

    const DateOrder order = GetDateOrder(settings.ShortDateFormat);
    int year = 0, month = 0, day = 0, yearDigits = 4;
    if (!hasThird) {
        year = CurrentYear();
        if (order == DateOrder::DMY) {
            day = n1;
            month = n2;
        } else {
            month = n1;
            day = n2;
        }
    } else {
        switch (order) {
            case DateOrder::MDY: month = n1, day = n2, year = n3, yearDigits = l3; break;
            case DateOrder::DMY: day = n1, month = n2, year = n3, yearDigits = l3; break;
            case DateOrder::YMD: year = n1, month = n2, day = n3, yearDigits = l1; break;
        }
        if (year <= 99 && yearDigits <= 2) {
            const int window = settings.TwoDigitYearCenturyWindow;
            const int centuryBase = CurrentYear() - window;
            year += centuryBase / 100 * 100;
            if (window > 0 && year < centuryBase) year += 100;
        }
    }
    return TryEncodeDate(year, month, day, value);
}

TDateTime StrToDate(const std::string& text) {
    TDateTime value = 0;
    if (!TryStrToDate(text, value)) throw EConvertError("'" + text + "' is not a valid date");
    return value;
}

bool TryStrToTime(const std::string& text, TDateTime& value) {
    const TFormatSettings& settings = FormatSettings();
    Scanner scan(text);
    int hour = 0, minute = 0, second = 0, msec = 0, digits = 0;
    if (!scan.Number(hour, digits)) return false;
    if (scan.Char(settings.TimeSeparator)) {
        if (!scan.Number(minute, digits)) return false;
        if (scan.Char(settings.TimeSeparator)) {
            if (!scan.Number(second, digits)) return false;
            if (scan.Char(settings.DecimalSeparator) && !scan.Number(msec, digits)) return false;
        }
    }
    int baseHour = -1;
    if (scan.Word(settings.TimeAMString) || scan.Word("AM"))
        baseHour = 0;
    else if (scan.Word(settings.TimePMString) || scan.Word("PM"))
        baseHour = 12;
    if (baseHour >= 0) {
        if (hour == 0 || hour > 12) return false;
        if (hour == 12) hour = 0;
        hour += baseHour;
    }
    if (!scan.AtEnd()) return false;
    if (hour > 23 || minute > 59 || second > 59 || msec > 999) return false;
    value = EncodeTime(hour, minute, second, msec);
    return true;
}

TDateTime StrToTime(const std::string& text) {
    TDateTime value = 0;
    if (!TryStrToTime(text, value)) throw EConvertError("'" + text + "' is not a valid time");
    return value;
}
