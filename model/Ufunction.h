// Date helpers on the C run-time's broken-down date record, shared by the whole program.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// Clears a date record: tm_sec to tm_yday 0, tm_isdst -1. A cleared record stands for "no date".
void ClearDateRecord(tm* t);

// Normalises a record in place with the run-time's mktime and returns its result:
// seconds since 1970-01-01 UTC, or -1 when the date cannot be represented.
// tm_isdst := -1 and tm_sec := 1 are written first and stay even on failure. Only
// tm_year 70..138 is accepted, tested before months are carried into years, and a
// failure leaves every other field as it was (msvcrt would rewrite some of them).
// This is the only place in the program that calls mktime.
int32_t NormalizeDate(tm* t);

// Two-digit decimal text of every displayed date and time: "07", "00", "10", "2024".
std::string IntToStr2(int32_t n);
