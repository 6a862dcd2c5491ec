// Date helpers on the C run-time's broken-down date record.
#include "model/Ufunction.h"

#include <cstdint>

#include "classlib/SysUtils.h"

void ClearDateRecord(tm* t) {
    t->tm_sec = 0;
    t->tm_min = 0;
    t->tm_hour = 0;
    t->tm_mday = 0;
    t->tm_mon = 0;
    t->tm_year = 0;
    t->tm_wday = 0;
    t->tm_yday = 0;
    t->tm_isdst = -1;
}

int32_t NormalizeDate(tm* t) {
    t->tm_isdst = -1;
    t->tm_sec = 1;
    // msvcrt tests the year only after carrying months and rewrites fields on
    // failure, so the year is tested here and mktime works on a copy.
    if (t->tm_year < 70 || t->tm_year > 138) return -1;
    tm work = *t;
    const time_t result = mktime(&work);
    // The 64-bit build's mktime goes past 2038; the program's dates end where a
    // 32-bit time does, in both builds.
    const long long seconds = result;
    if (seconds < 0 || seconds > INT32_MAX) return -1;
    *t = work;
    return static_cast<int32_t>(result);
}

std::string IntToStr2(int32_t n) {
    std::string text = std::to_string(n);
    return n >= 10 ? text : "0" + text;
}

namespace {

int32_t FloorDiv(int32_t a, int32_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

bool SameClockFields(const tm& a, const tm& b) {
    return a.tm_min == b.tm_min && a.tm_hour == b.tm_hour && a.tm_mday == b.tm_mday && a.tm_mon == b.tm_mon &&
           a.tm_year == b.tm_year;
}

}  // namespace

bool CarryByCalendar(tm* t) {
    const int32_t yearCarry = FloorDiv(int32_t(t->tm_mon), 12);
    const int32_t month = t->tm_mon - 12 * yearCarry;
    const int64_t year = int64_t(t->tm_year) + 1900 + yearCarry;
    if (year < 1 || year > 9999) return false;
    // A clock inside its day, as every stored and stepped date has it, carries nothing.
    int64_t dayCarry = 0;
    int32_t minuteOfDay = 0;
    if (t->tm_hour >= 0 && t->tm_hour < 24 && t->tm_min >= 0 && t->tm_min < 60) {
        minuteOfDay = t->tm_hour * 60 + t->tm_min;
    } else {
        const int64_t minutes = int64_t(t->tm_hour) * 60 + t->tm_min;
        dayCarry = FloorDiv(minutes, int64_t(1440));
        minuteOfDay = int32_t(minutes - 1440 * dayCarry);
    }
    const int64_t number = int64_t(DayNumber(int32_t(year), month + 1, 1)) + t->tm_mday - 1 + dayCarry;
    if (number < kFirstDayNumber || number > kLastDayNumber) return false;
    int32_t y = 0, m = 0, d = 0;
    DateOfDayNumber(int32_t(number), y, m, d);
    t->tm_sec = 1;
    t->tm_min = minuteOfDay % 60;
    t->tm_hour = minuteOfDay / 60;
    t->tm_mday = d;
    t->tm_mon = m - 1;
    t->tm_year = y - 1900;
    t->tm_wday = int((number % 7 + 7 + 6) % 7);  // day 0 (1899-12-30) was a Saturday
    t->tm_yday = int32_t(number) - DayNumber(y, 1, 1);
    return true;
}

int32_t NormalizeDay(tm* t) {
    tm day = *t;
    const int32_t result = NormalizeDate(t);
    if (result != -1 && CarryByCalendar(&day) && !SameClockFields(*t, day)) {
        day.tm_isdst = -1;
        *t = day;
    }
    return result;
}
