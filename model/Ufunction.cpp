// Date helpers on the C run-time's broken-down date record.
#include "model/Ufunction.h"

// The 2038 limit the program relies on comes from the 32-bit time of msvcrt.
static_assert(sizeof(time_t) == 4, "build against msvcrt with a 32-bit time_t");

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
    if (result == static_cast<time_t>(-1)) return -1;
    *t = work;
    return static_cast<int32_t>(result);
}

std::string IntToStr2(int32_t n) {
    std::string text = std::to_string(n);
    return n >= 10 ? text : "0" + text;
}
