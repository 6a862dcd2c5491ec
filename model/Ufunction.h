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

// Carries the minute, hour, day and month of a record into range by the calendar
// alone, as mktime carries them but without any daylight-saving change: the date a
// record stands for whatever the clock does on it. Sets tm_sec to 1 and the weekday
// and day of the year; leaves tm_isdst. False, with the record unchanged, when the
// carried date lies outside the years 1 to 9999.
bool CarryByCalendar(tm* t);

// NormalizeDate for a record that stands for a whole day (its date at 00:00:01, as
// the grid's cells and a reminder's start day are). Where the clock changes at
// midnight the run-time moves the day's first moment to the evening before; the
// record then keeps its own date (fields carried by the calendar, tm_isdst -1),
// and the result is still NormalizeDate's, so two records of one day compare equal.
int32_t NormalizeDay(tm* t);

// Two-digit decimal text of every displayed date and time: "07", "00", "10", "2024".
std::string IntToStr2(int32_t n);
