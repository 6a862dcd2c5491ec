// Date helpers: normalising, stepping by intervals, conversion and comparison.
#include <gtest/gtest.h>

#include "ModelTestSupport.h"

TEST(NormalizeDate, ClearedRecordFailsAndKeepsItsFields) {
    tm t = Cleared();
    EXPECT_EQ(-1, NormalizeDate(&t));
    EXPECT_EQ(1, t.tm_sec);
    EXPECT_EQ(-1, t.tm_isdst);
    EXPECT_EQ(0, t.tm_mday);
    EXPECT_EQ(0, t.tm_year);
}

TEST(NormalizeDate, YearIsTestedBeforeMonthsAreCarried) {
    tm t = MakeDate(1969, 1, 1);
    EXPECT_EQ(-1, NormalizeDate(&t));

    tm carried = MakeDate(1969, 13, 1);  // would carry into January 1970
    EXPECT_EQ(-1, NormalizeDate(&carried));
    EXPECT_EQ(69, carried.tm_year);
    EXPECT_EQ(12, carried.tm_mon);

    tm late = MakeDate(2039, 1, 1);
    EXPECT_EQ(-1, NormalizeDate(&late));
}

TEST(NormalizeDate, DatesEndWhereA32BitTimeEndsInEveryBuild) {
    struct Case { int year, month, day, hour, minute; int32_t seconds; };
    const Case cases[] = {
        {2038, 1, 19, 3, 14, 2147483641},  // 03:14:01, the last minute that fits
        {2038, 1, 19, 3, 15, -1},
        {2038, 12, 31, 23, 59, -1},
        {2038, 1, 20, 0, 0, -1},
    };
    for (const Case& c : cases) {
        tm t = MakeDate(c.year, c.month, c.day, c.hour, c.minute);
        EXPECT_EQ(c.seconds, NormalizeDate(&t)) << c.year << "-" << c.month << "-" << c.day << " " << c.hour << ":" << c.minute;
    }
}

TEST(NormalizeDate, FailureLeavesOtherFieldsAsTheyWere) {
    tm t = MakeDate(1970, 1, -3, 5, 6);  // before the epoch after carrying
    t.tm_wday = 4;
    t.tm_yday = 9;
    EXPECT_EQ(-1, NormalizeDate(&t));
    EXPECT_EQ(-3, t.tm_mday);
    EXPECT_EQ(0, t.tm_mon);
    EXPECT_EQ(70, t.tm_year);
    EXPECT_EQ(5, t.tm_hour);
    EXPECT_EQ(4, t.tm_wday);
    EXPECT_EQ(9, t.tm_yday);
    EXPECT_EQ(1, t.tm_sec);
}

TEST(NormalizeDate, CarriesFieldsAndFillsWeekdayAndSecondsOne) {
    tm t = MakeDate(2024, 1, 32, 10, 30);
    const int32_t seconds = NormalizeDate(&t);
    EXPECT_EQ("2024-02-01", DayText(t));
    EXPECT_EQ(1, t.tm_sec);
    EXPECT_EQ(4, t.tm_wday);  // Thursday
    EXPECT_EQ(31, t.tm_yday);
    EXPECT_EQ(0, t.tm_isdst);
    EXPECT_EQ(1706783401, seconds);  // 2024-02-01 10:30:01 UTC

    tm december = MakeDate(2023, 13, 5);
    NormalizeDate(&december);
    EXPECT_EQ("2024-01-05", DayText(december));
}

TEST(AddInterval, MonthEndsDriftForward) {
    EXPECT_EQ("2023-03-03", DayText(Converter::AddInterval(MakeDate(2023, 1, 31), 1, kIntervalMonths)));
    EXPECT_EQ("2024-03-02", DayText(Converter::AddInterval(MakeDate(2024, 1, 31), 1, kIntervalMonths)));
    EXPECT_EQ("2025-03-01", DayText(Converter::AddInterval(MakeDate(2024, 2, 29), 1, kIntervalYears)));
    EXPECT_EQ("2024-01-08", DayText(Converter::AddInterval(MakeDate(2023, 12, 25), 2, kIntervalWeeks)));
    EXPECT_EQ("2024-03-04", DayText(Converter::AddInterval(MakeDate(2024, 2, 28), 5, kIntervalDays)));
}

TEST(AddInterval, KeepsHourAndMinuteAndSetsSecondsOne) {
    const tm t = Converter::AddInterval(MakeDate(2024, 3, 15, 9, 7), 1, kIntervalDays);
    EXPECT_EQ(9, t.tm_hour);
    EXPECT_EQ(7, t.tm_min);
    EXPECT_EQ(1, t.tm_sec);
}

TEST(AddInterval, OnceAndUnknownKindsOnlyNormalise) {
    for (int kind : {int(kIntervalOnce), 5, -1}) {
        const tm t = Converter::AddInterval(MakeDate(2024, 3, 15, 10, 30), 3, kind);
        EXPECT_EQ("2024-03-15", DayText(t));
        EXPECT_EQ(1, t.tm_sec);
        EXPECT_EQ(5, t.tm_wday);  // Friday, filled in
    }
}

TEST(TmToDateTime, DropsSecondsAndTreatsEmptyAsZero) {
    EXPECT_DOUBLE_EQ(45366.4375, Converter::TmToDateTime(MakeDate(2024, 3, 15, 10, 30)));
    tm withSeconds = MakeDate(2024, 3, 15, 10, 30);
    withSeconds.tm_sec = 45;
    EXPECT_DOUBLE_EQ(45366.4375, Converter::TmToDateTime(withSeconds));
    EXPECT_EQ(45366.0, Converter::TmToDate(withSeconds));
    EXPECT_EQ(0.0, Converter::TmToDateTime(Cleared()));
    EXPECT_EQ(0.0, Converter::TmToDate(Cleared()));
}

TEST(TmToDateTime, InvalidDatesRaiseTheConversionError) {
    tm noDay = MakeDate(2024, 3, 0);
    EXPECT_THROW(Converter::TmToDateTime(noDay), EConvertError);
    EXPECT_THROW(Converter::TmToDate(noDay), EConvertError);
    tm normalisedEmpty = Cleared();
    NormalizeDate(&normalisedEmpty);  // seconds 1: no longer "empty"
    EXPECT_THROW(Converter::TmToDateTime(normalisedEmpty), EConvertError);
    EXPECT_THROW(Converter::CompareDateTime(MakeDate(2024, 13, 1), Cleared()), EConvertError);
}

TEST(CompareDateTime, OrdersByDateHourAndMinute) {
    const tm a = MakeDate(2024, 3, 15, 10, 30);
    EXPECT_EQ(1, Converter::CompareDateTime(a, Cleared()));
    EXPECT_EQ(-1, Converter::CompareDateTime(Cleared(), a));
    EXPECT_EQ(0, Converter::CompareDateTime(Cleared(), Cleared()));
    EXPECT_EQ(1, Converter::CompareDateTime(a, MakeDate(2024, 3, 15, 10, 29)));
    EXPECT_EQ(-1, Converter::CompareDateTime(a, MakeDate(2024, 3, 16)));

    // Differences only in seconds, weekday or daylight flag compare equal but are no same record.
    tm b = a;
    b.tm_sec = 1;
    b.tm_wday = 5;
    b.tm_isdst = 0;
    EXPECT_EQ(0, Converter::CompareDateTime(a, b));
    EXPECT_FALSE(Converter::SameDateRecord(a, b));
    EXPECT_TRUE(Converter::SameDateRecord(Cleared(), Cleared()));

    // A date-less record with a time still counts as empty.
    tm timeOnly = Cleared();
    timeOnly.tm_hour = 5;
    EXPECT_EQ(0, Converter::CompareDateTime(timeOnly, Cleared()));
}

TEST(IntToStr2, PadsBelowTen) {
    EXPECT_EQ("09", IntToStr2(9));
    EXPECT_EQ("10", IntToStr2(10));
    EXPECT_EQ("00", IntToStr2(0));
    EXPECT_EQ("2024", IntToStr2(2024));
    EXPECT_EQ("0-5", IntToStr2(-5));
}

// Under EST5EDT (US rules): the same wall-clock time is a different record on
// either side of a change, and the stepping keeps the hour.
TEST(DstDates, NormalisedRecordsCarryTheDaylightFlag) {
    const tm winter = Normalized(MakeDate(2024, 3, 9, 10, 0));
    const tm summer = Normalized(MakeDate(2024, 3, 11, 10, 0));
    EXPECT_EQ(0, winter.tm_isdst);
    EXPECT_EQ(1, summer.tm_isdst);
    const tm stepped = Converter::AddInterval(winter, 2, kIntervalDays);
    EXPECT_EQ("2024-03-11", DayText(stepped));
    EXPECT_EQ(10, stepped.tm_hour);
    EXPECT_EQ(1, stepped.tm_isdst);
    EXPECT_EQ(winter.tm_hour, Converter::AddInterval(stepped, 8, kIntervalMonths).tm_hour);
}
