// Date helpers on the C run-time's broken-down date record.
#include "model/Ufunction.h"

#include <cstdint>


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
