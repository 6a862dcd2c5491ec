// The due check and the alarm it opens, at chosen instants.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "DueTestSupport.h"
#include "model/Uglobals.h"

namespace {

class DueCheck : public testing::Test {
protected:
    Converter converter;
    AlarmHost host;

    // Adds a master to the list and returns it.
    Eintrag* Add(tm start, int kind = kIntervalOnce, int count = 0, bool exactly = true, int advanceDays = 0,
                 const char* title = "") {
        Eintrag* e = new Eintrag;
        e->SetMaster(e);
        e->StartTime = start;
        e->IntervalKind = kind;
        e->IntervalCount = count;
        e->ExactlyAt = exactly;
        e->AdvanceDays = advanceDays;
        e->SetTitle(title);
        converter.Append(e);
        return e;
    }

    FakeAlarmWindow* Pass() { return host.Pass(converter); }

    // Runs passes until one opens an alarm; the number of passes run (0 when none did within limit).
    int PassesUntilAlarm(int limit) {
        for (int pass = 1; pass <= limit; ++pass)
            if (Pass()) return pass;
        return 0;
    }
};

}  // namespace

TEST_F(DueCheck, OnceAtTenWithTheExactTimeRule) {
    Eintrag* e = Add(MakeDate(2024, 3, 5, 10, 0));
    SetNow(2024, 3, 5, 9, 59, 59, 900);
    EXPECT_EQ(nullptr, Pass());
    SetNow(2024, 3, 5, 10, 0, 0, 250);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ(e, alarm->Entry);
    EXPECT_EQ("05.03.2024 : 10.00", AlarmWhen(alarm));
    EXPECT_TRUE(e->AlertOpen);
    alarm->Ok();
    for (int day : {5, 6, 20}) {
        SetNow(2024, 3, day, 10, 0, 45);
        EXPECT_EQ(nullptr, Pass()) << day;
    }
    SetNow(2025, 1, 1, 0, 0);
    EXPECT_EQ(nullptr, Pass());
}

TEST_F(DueCheck, OnceAtTenWithTheAdvanceDaysRuleFiresAtTheStartOfItsDay) {
    Eintrag* e = Add(MakeDate(2024, 3, 5, 10, 0), kIntervalOnce, 0, false, 0);
    SetNow(2024, 3, 4, 23, 59, 59);
    EXPECT_EQ(nullptr, Pass());
    SetNow(2024, 3, 5, 0, 0, 0, 500);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ("05.03.2024 : 10.00", AlarmWhen(alarm));
    alarm->Ok();
    SetNow(2024, 3, 5, 10, 0, 30);
    EXPECT_EQ(nullptr, Pass());
    SetNow(2024, 3, 6, 0, 0, 30);
    EXPECT_EQ(nullptr, Pass());
    EXPECT_FALSE(e->AlertOpen);
}

TEST_F(DueCheck, AdvanceThreeDaysBeforeTheTwentieth) {
    Add(MakeDate(2024, 3, 20, 10, 0), kIntervalOnce, 0, false, 3);
    SetNow(2024, 3, 16, 23, 59, 59);
    EXPECT_EQ(nullptr, Pass());
    SetNow(2024, 3, 17, 0, 0, 1);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ("20.03.2024 : 10.00", AlarmWhen(alarm));
    alarm->Ok();
    for (int day : {17, 18, 19, 20, 21}) {
        SetNow(2024, 3, day, 10, 0, 30);
        EXPECT_EQ(nullptr, Pass()) << day;
    }
}

TEST_F(DueCheck, RepeatingAdvanceDaysAnnouncesEachOccurrenceOnce) {
    // Weekly on Wednesdays, two days ahead.
    Add(MakeDate(2024, 3, 6, 9, 0), kIntervalWeeks, 1, false, 2);
    SetNow(2024, 3, 6, 8, 0);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ("06.03.2024 : 09.00", AlarmWhen(alarm));
    alarm->Ok();
    SetNow(2024, 3, 10, 23, 59);
    EXPECT_EQ(nullptr, Pass());
    SetNow(2024, 3, 11, 0, 0, 5);
    alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ("13.03.2024 : 09.00", AlarmWhen(alarm));
    alarm->Ok();
    for (int day : {11, 12, 13}) {
        SetNow(2024, 3, day, 12, 0);
        EXPECT_EQ(nullptr, Pass()) << day;
    }
}

TEST_F(DueCheck, DailyStartedAYearAgoFiresOnceForTodayOnly) {
    Eintrag* e = Add(MakeDate(2023, 3, 5, 8, 0), kIntervalDays, 1, true, 0, "Pills");
    e->SetText("Two of them.");
    SetNow(2024, 3, 5, 12, 0, 7);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ("             Reminder for 05.03.2024 : 08.00\n\n             Pills\n\n Two of them.",
              alarm->MessageText);
    alarm->Ok();
    for (int pass = 0; pass < 5; ++pass) EXPECT_EQ(nullptr, Pass());
    SetNow(2024, 3, 6, 7, 59, 59);
    EXPECT_EQ(nullptr, Pass());
    SetNow(2024, 3, 6, 8, 0, 0, 100);
    alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ("06.03.2024 : 08.00", AlarmWhen(alarm));
    EXPECT_EQ(1, alarm->Occurrence.tm_sec);  // a normalised occurrence
}

TEST_F(DueCheck, MonthlyFromTheThirtyFirstOfJanuary) {
    Add(MakeDate(2023, 1, 31, 10, 0), kIntervalMonths, 1);
    const char* expected[] = {"31.01.2023 : 10.00", "03.03.2023 : 10.00", "03.04.2023 : 10.00",
                              "03.05.2023 : 10.00"};
    const int months[] = {1, 3, 4, 5};
    const int days[] = {31, 3, 3, 3};
    for (int i = 0; i < 4; ++i) {
        SetNow(2023, months[i], days[i], 9, 59, 50);
        EXPECT_EQ(nullptr, Pass()) << i;
        SetNow(2023, months[i], days[i], 10, 0, 10);
        FakeAlarmWindow* alarm = Pass();
        ASSERT_NE(nullptr, alarm) << i;
        EXPECT_EQ(expected[i], AlarmWhen(alarm));
        alarm->Ok();
        if (i == 1) {
            SetNow(2023, 3, 31, 10, 0, 30);  // the series does not return to the 31st
            EXPECT_EQ(nullptr, Pass());
        }
    }
}

TEST_F(DueCheck, MonthlyAfterAShorterMonthFiresOnTime) {
    // Monthly from 15 January: the first interval has 31 days, February's 28.
    Eintrag* monthly = Add(MakeDate(2023, 1, 15, 10, 0), kIntervalMonths, 1);
    monthly->LastReminded = Normalized(MakeDate(2023, 2, 15, 10, 0));
    SetNow(2023, 3, 15, 9, 59, 30);
    EXPECT_EQ(nullptr, Pass());
    SetNow(2023, 3, 15, 10, 0, 30);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ("15.03.2023 : 10.00", AlarmWhen(alarm));
}

TEST_F(DueCheck, YearlyAfterALeapDayFiresOnTime) {
    // Yearly from 1 March 2023: the first interval spans 29 February 2024.
    Eintrag* yearly = Add(MakeDate(2023, 3, 1, 10, 0), kIntervalYears, 1);
    yearly->LastReminded = Normalized(MakeDate(2024, 3, 1, 10, 0));
    SetNow(2025, 3, 1, 10, 0, 30);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ("01.03.2025 : 10.00", AlarmWhen(alarm));
}

TEST_F(DueCheck, AMissedMonthlyOccurrenceIsNotSkipped) {
    // Monthly from 28 February (first interval 28 days); the program did not run
    // on 28 March, and on 27 April the missed occurrence is still announced.
    Eintrag* e = Add(MakeDate(2023, 2, 28, 10, 0), kIntervalMonths, 1);
    e->LastReminded = Normalized(MakeDate(2023, 2, 28, 10, 0));
    SetNow(2023, 4, 27, 10, 30);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ("28.03.2023 : 10.00", AlarmWhen(alarm));
    alarm->Ok();
    EXPECT_EQ(nullptr, Pass());
    SetNow(2023, 4, 28, 10, 0, 1);
    alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ("28.04.2023 : 10.00", AlarmWhen(alarm));
}

TEST_F(DueCheck, StopDateAtTheEndOfItsDay) {
    Eintrag* e = Add(MakeDate(2024, 3, 1, 10, 0), kIntervalDays, 1);
    e->StopAfter = Normalized(MakeDate(2024, 3, 5, 23, 59));
    SetNow(2024, 3, 5, 10, 0, 30);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ("05.03.2024 : 10.00", AlarmWhen(alarm));
    alarm->Ok();
    SetNow(2024, 3, 6, 10, 0, 30);
    EXPECT_EQ(nullptr, Pass());

    // With the advance-days rule the next occurrence past the stop date is not announced.
    Eintrag* ahead = Add(MakeDate(2024, 3, 1, 10, 0), kIntervalDays, 1, false, 1);
    ahead->StopAfter = Normalized(MakeDate(2024, 3, 5, 23, 59));
    ahead->LastReminded = Normalized(MakeDate(2024, 3, 5, 10, 0));
    SetNow(2024, 3, 5, 12, 0);
    EXPECT_EQ(nullptr, Pass());
}

TEST_F(DueCheck, TwoDueInOneMinuteOpenOnConsecutivePasses) {
    Eintrag* first = Add(MakeDate(2024, 3, 5, 10, 0), kIntervalOnce, 0, true, 0, "first");
    Eintrag* second = Add(MakeDate(2024, 3, 5, 10, 0), kIntervalOnce, 0, true, 0, "second");
    SetNow(2024, 3, 5, 10, 0, 20);
    FakeAlarmWindow* a = Pass();
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(first, a->Entry);
    EXPECT_FALSE(second->AlertOpen);
    FakeAlarmWindow* b = Pass();
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(second, b->Entry);
    EXPECT_EQ(nullptr, Pass());
    EXPECT_EQ(2u, host.Windows.size());
}

TEST_F(DueCheck, SnoozeOfSixtySecondsReturnsOnTheSixtiethPass) {
    Eintrag* e = Add(MakeDate(2024, 3, 5, 10, 0), kIntervalDays, 1, true, 0, "Tea");
    SetNow(2024, 3, 5, 10, 0, 5);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    const std::string text = alarm->MessageText;
    alarm->Snooze(60);
    EXPECT_EQ(60, e->SnoozeSeconds);
    for (int pass = 1; pass <= 59; ++pass) {
        SetNow(2024, 3, 5, 10, 1 + pass / 60, pass % 60);
        ASSERT_EQ(nullptr, Pass()) << pass;
    }
    EXPECT_EQ(1, e->SnoozeSeconds);
    EXPECT_FALSE(e->Due);
    alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ(text, alarm->MessageText);
    EXPECT_EQ(1, e->SnoozeSeconds);

    // A second postponement adds to the 1 left by the first: back on pass 61.
    alarm->Snooze(60);
    EXPECT_EQ(61, e->SnoozeSeconds);
    EXPECT_EQ(61, PassesUntilAlarm(100));
}

TEST_F(DueCheck, PostponementsCountWholeSecondsPerTick) {
    Eintrag* e = Add(MakeDate(2024, 3, 5, 10, 0));
    SetNow(2024, 3, 5, 10, 0, 5);
    host.Interval = 2000;
    e->SnoozeSeconds = 5;  // 5 -> 3 -> 1, tested on the third pass
    EXPECT_EQ(3, PassesUntilAlarm(10));

    // A tick shorter than a second still counts one second down.
    Eintrag* other = Add(MakeDate(2024, 3, 5, 10, 0));
    other->SnoozeSeconds = 3;
    host.Interval = 500;
    EXPECT_EQ(3, PassesUntilAlarm(10));
    EXPECT_EQ(other, host.Windows.back()->Entry);
}

TEST_F(DueCheck, AnOpenAlarmSkipsItsReminder) {
    Eintrag* daily = Add(MakeDate(2024, 3, 1, 10, 0), kIntervalDays, 1, true, 0, "daily");
    SetNow(2024, 3, 5, 10, 0, 30);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ(daily, alarm->Entry);
    // Left open overnight: the next occurrence falls due, the reminder is still skipped,
    // and the reminders after it are tested.
    Eintrag* later = Add(MakeDate(2024, 3, 6, 10, 0), kIntervalOnce, 0, true, 0, "later");
    SetNow(2024, 3, 6, 10, 0, 30);
    FakeAlarmWindow* next = Pass();
    ASSERT_NE(nullptr, next);
    EXPECT_EQ(later, next->Entry);
    EXPECT_EQ(nullptr, Pass());
    alarm->Ok();
    next = Pass();
    ASSERT_NE(nullptr, next);
    EXPECT_EQ(daily, next->Entry);
    EXPECT_EQ("06.03.2024 : 10.00", AlarmWhen(next));
}

TEST_F(DueCheck, ShowReminderFillsTheWindowInOrder) {
    host.Pictures = 10;
    const TGeneralSettingValues saved = General_Settings;
    General_Settings.AlertForm_Width = 600;
    General_Settings.AlertForm_Height = 400;
    Eintrag* e = Add(MakeDate(2024, 3, 5, 9, 7), kIntervalOnce, 0, true, 0, "Dentist");
    e->SetText("Bring the card.\nAnd the letter.");
    e->PictureIndex = 12;
    SetNow(2024, 3, 5, 9, 7, 30);
    FakeAlarmWindow* alarm = Pass();
    General_Settings = saved;
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ(1, host.Refreshes);
    EXPECT_EQ((std::vector<std::string>{"SetSize", "Place", "SetEntry", "SetMessageText", "Show", "SetOccurrence",
                                        "SetIconIndex", "BringToForeground"}),
              alarm->Calls);
    EXPECT_EQ(600, alarm->Width);
    EXPECT_EQ(400, alarm->Height);
    EXPECT_EQ(e, alarm->Entry);
    EXPECT_EQ(
        "             Reminder for 05.03.2024 : 09.07\n\n             Dentist\n\n Bring the card.\nAnd the letter.",
        alarm->MessageText);
    EXPECT_FALSE(alarm->DueWhenShown);
    EXPECT_FALSE(alarm->AlertOpenWhenShown);
    EXPECT_EQ(9, alarm->IconIndex);  // limited by the picture collection
    EXPECT_TRUE(Converter::SameDateRecord(Normalized(MakeDate(2024, 3, 5, 9, 7)), alarm->Occurrence));
    EXPECT_FALSE(e->Due);
    EXPECT_TRUE(e->AlertOpen);

    // Empty title and text keep their line breaks and blanks.
    Eintrag* empty = Add(MakeDate(2030, 12, 31, 23, 59));
    converter.ShowReminder(empty, Normalized(MakeDate(2030, 12, 31, 23, 59)));
    EXPECT_EQ("             Reminder for 31.12.2030 : 23.59\n\n             \n\n ", host.Windows.back()->MessageText);
}

TEST_F(DueCheck, AFailureWhileTheWindowShowsStillMarksTheAlarmOpen) {
    Eintrag* e = Add(MakeDate(2024, 3, 5, 10, 0));
    SetNow(2024, 3, 5, 10, 0, 30);
    host.FailNextShow = true;
    EXPECT_THROW(converter.CheckDueReminders(), std::runtime_error);
    ASSERT_EQ(1u, host.Windows.size());
    EXPECT_TRUE(e->AlertOpen);
    EXPECT_FALSE(e->Due);
    const FakeAlarmWindow& window = *host.Windows[0];
    EXPECT_EQ("BringToForeground", window.Calls.back());
    EXPECT_EQ("05.03.2024 : 10.00", AlarmWhen(&window));
    EXPECT_EQ(nullptr, Pass());  // no second window on the next tick
}

TEST_F(DueCheck, WithoutWindowsTheAlarmIsMarkedOpen) {
    SetModelHost(nullptr);
    Eintrag* e = Add(MakeDate(2024, 3, 5, 10, 0));
    SetNow(2024, 3, 5, 10, 0, 30);
    converter.CheckDueReminders();
    EXPECT_TRUE(e->AlertOpen);
    EXPECT_FALSE(e->Due);
    SetModelHost(&host);
}

TEST_F(DueCheck, RecordsThatDoNotAdvanceAreTestedAsOneTime) {
    Eintrag* unknownKind = Add(MakeDate(2024, 3, 1, 10, 0), 9, 2);
    Eintrag* negative = Add(MakeDate(2024, 3, 2, 10, 0), kIntervalMonths, -1);
    Eintrag* onceWithCount = Add(MakeDate(2024, 3, 3, 10, 0), kIntervalOnce, 3);
    Eintrag* zeroCount = Add(MakeDate(2024, 3, 4, 10, 0), kIntervalDays, 0, false, 0);
    Eintrag* hugeCount = Add(MakeDate(2024, 3, 5, 10, 0), kIntervalWeeks, 2147483647);
    SetNow(2024, 6, 1, 12, 0);
    const auto started = std::chrono::steady_clock::now();
    std::vector<Eintrag*> order;
    for (int pass = 0; pass < 10; ++pass) {
        FakeAlarmWindow* alarm = Pass();
        if (!alarm) break;
        order.push_back(alarm->Entry);
        EXPECT_EQ(alarm->Entry->StartTime.tm_mday, alarm->Occurrence.tm_mday);
        EXPECT_EQ(2, alarm->Occurrence.tm_mon);
        alarm->Ok();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ((std::vector<Eintrag*>{unknownKind, negative, onceWithCount, zeroCount, hugeCount}), order);
    SetNow(2024, 9, 1, 12, 0);
    EXPECT_EQ(nullptr, Pass());
}

TEST_F(DueCheck, DamagedRecordsAreSkippedWithoutAnError) {
    Eintrag* noDay = Add(MakeDate(2024, 3, 0, 10, 0), kIntervalDays, 1);
    Eintrag* month14 = Add(MakeDate(2024, 14, 3, 10, 0));
    Eintrag* badStop = Add(MakeDate(2024, 3, 4, 10, 0), kIntervalDays, 1);
    badStop->StopAfter = MakeDate(2024, 2, 30, 23, 59);
    Eintrag* badLast = Add(MakeDate(2024, 3, 4, 10, 0), kIntervalDays, 1, false, 0);
    badLast->LastReminded = MakeDate(2024, 4, 31, 10, 0);
    Eintrag* good = Add(MakeDate(2024, 3, 5, 10, 0), kIntervalOnce, 0, true, 0, "good");
    const tm noDayStart = noDay->StartTime;
    SetNow(2024, 3, 5, 10, 0, 30);
    FakeAlarmWindow* alarm = nullptr;
    EXPECT_NO_THROW(alarm = Pass());
    ASSERT_NE(nullptr, alarm);
    EXPECT_EQ(good, alarm->Entry);
    alarm->Ok();
    EXPECT_NO_THROW(EXPECT_EQ(nullptr, Pass()));
    EXPECT_TRUE(Converter::SameDateRecord(noDayStart, noDay->StartTime));
    EXPECT_FALSE(month14->AlertOpen);
}

TEST_F(DueCheck, AnEditedMasterIsNoticedAtOnce) {
    Eintrag* e = Add(MakeDate(2024, 1, 1, 9, 0), kIntervalDays, 1);
    SetNow(2024, 3, 5, 9, 0, 30);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    alarm->Ok();
    // Dragged to start later, at another hour: the remembered occurrences no longer hold.
    e->StartTime = MakeDate(2024, 3, 4, 11, 0);
    e->LastReminded = Cleared();
    SetNow(2024, 3, 5, 10, 59, 30);
    EXPECT_EQ("04.03.2024 : 11.00", AlarmWhen(Pass()));
    host.Windows.back()->Ok();
    // Now every second day: 6 March is the next.
    e->IntervalCount = 2;
    SetNow(2024, 3, 5, 11, 0, 30);
    EXPECT_EQ(nullptr, Pass());
    SetNow(2024, 3, 6, 11, 0, 30);
    EXPECT_EQ("06.03.2024 : 11.00", AlarmWhen(Pass()));
    host.Windows.back()->Ok();
    // Weekly instead; then a stop date before the next occurrence.
    e->IntervalKind = kIntervalWeeks;
    e->IntervalCount = 1;
    e->StopAfter = Normalized(MakeDate(2024, 3, 10, 23, 59));
    SetNow(2024, 3, 11, 11, 0, 30);
    EXPECT_EQ(nullptr, Pass());
    e->StopAfter = Cleared();
    EXPECT_EQ("11.03.2024 : 11.00", AlarmWhen(Pass()));
}

TEST_F(DueCheck, AReplacedMasterAtTheSameAddressIsNoticed) {
    // Deleting and creating records reuses addresses; what is remembered follows the
    // record's fields, not its address.
    for (int round = 0; round < 20; ++round) {
        Eintrag* e = Add(MakeDate(2024, 1, 1 + round, 8 + round % 5, 0), kIntervalDays, 1 + round % 3);
        SetNow(2024, 3, 20, 23, 0);
        FakeAlarmWindow* alarm = Pass();
        ASSERT_NE(nullptr, alarm);
        tm expected = Normalized(e->StartTime);
        for (;;) {
            tm next = Converter::AddInterval(expected, e->IntervalCount, e->IntervalKind);
            if (Converter::TmToDateTime(next) >= Now()) break;
            expected = next;
        }
        EXPECT_TRUE(Converter::SameDateRecord(expected, alarm->Occurrence)) << round;
        // Unlinked and freed as a deletion does, without telling anyone.
        converter.Head->Next = nullptr;
        delete e;
        host.Windows.clear();
    }
}

TEST_F(DueCheck, AnIdleReminderCostsNoStepsWhateverItsAge) {
    Eintrag* e = Add(MakeDate(1990, 1, 1, 8, 0), kIntervalDays, 1);
    SetNow(2026, 3, 5, 12, 0, 0, 500);
    FakeAlarmWindow* alarm = Pass();
    ASSERT_NE(nullptr, alarm);
    alarm->Ok();
    TOccurrenceSeries& series = converter.Recurrence().For(e).GridSeries(*e);
    const int64_t stepsAfterFirstPass = series.StepCount();
    EXPECT_LT(stepsAfterFirstPass, 10);  // not one step per day since 1990
    for (int second = 1; second <= 300; ++second) {
        SetNow(2026, 3, 5, 12, second / 60, second % 60, 500);
        ASSERT_EQ(nullptr, Pass());
    }
    EXPECT_LE(series.StepCount() - stepsAfterFirstPass, 1);
    // The next day costs one more step.
    SetNow(2026, 3, 6, 8, 0, 30);
    ASSERT_NE(nullptr, Pass());
    EXPECT_LE(series.StepCount() - stepsAfterFirstPass, 2);
    // Going back in time (a clock set back) costs at most a checkpoint spacing.
    host.Windows.back()->Ok();
    const int64_t before = series.StepCount();
    SetNow(2020, 6, 1, 8, 0, 30);
    Pass();
    EXPECT_LE(series.StepCount() - before, 2 * TOccurrenceSeries::kCheckpointSpacing);
}

namespace {

// A repeating reminder never acknowledged, and the alarm it gives at an instant: the
// latest of its occurrences that has begun. Across a spring gap every occurrence keeps
// the start's hour and minute, but the one that falls into the gap, which the run-time
// moves an hour back.
struct ClockChangeRow {
    tm Start;
    int Kind;
    int Count;
    int Now[5];  // year, month, day, hour, minute
    const char* Alarm;
};

void ExpectAlarms(const std::vector<ClockChangeRow>& rows) {
    for (const ClockChangeRow& row : rows) {
        Converter converter;
        AlarmHost host;
        Eintrag* e = new Eintrag;
        e->SetMaster(e);
        e->StartTime = row.Start;
        e->IntervalKind = row.Kind;
        e->IntervalCount = row.Count;
        e->ExactlyAt = true;
        converter.Append(e);
        SetNow(row.Now[0], row.Now[1], row.Now[2], row.Now[3], row.Now[4]);
        EXPECT_EQ(row.Alarm, AlarmWhen(host.Pass(converter)))
            << DayText(row.Start) << " kind " << row.Kind << ", at " << row.Now[2] << "." << row.Now[1] << "."
            << row.Now[0] << " " << row.Now[3] << ":" << row.Now[4];
    }
}

}  // namespace

// Under EST5EDT: clocks move from 02:00 to 03:00 on 10 March 2024.
TEST(DstDueCheck, RepeatingThroughTheSpringGapKeepsTheHour) {
    ASSERT_EQ(1, Normalized(MakeDate(2024, 3, 10, 2, 30)).tm_hour) << "no gap at 02:00 on 10 March 2024 in this zone";
    ExpectAlarms({
        {MakeDate(2024, 3, 8, 2, 30), kIntervalDays, 1, {2024, 3, 10, 1, 30}, "10.03.2024 : 01.30"},
        {MakeDate(2024, 3, 8, 2, 30), kIntervalDays, 1, {2024, 3, 12, 2, 30}, "12.03.2024 : 02.30"},
        {MakeDate(2024, 3, 8, 2, 30), kIntervalDays, 1, {2024, 3, 12, 2, 29}, "11.03.2024 : 02.30"},
        // Started in the gap itself: the start moves, the days after it do not.
        {MakeDate(2024, 3, 10, 2, 30), kIntervalDays, 1, {2024, 3, 10, 1, 30}, "10.03.2024 : 01.30"},
        {MakeDate(2024, 3, 10, 2, 30), kIntervalDays, 1, {2024, 3, 11, 2, 30}, "11.03.2024 : 02.30"},
        {MakeDate(2024, 2, 10, 2, 30), kIntervalMonths, 1, {2024, 4, 10, 2, 30}, "10.04.2024 : 02.30"},
        {MakeDate(2024, 3, 3, 2, 15), kIntervalWeeks, 1, {2024, 3, 17, 2, 15}, "17.03.2024 : 02.15"},
    });
}

// Under a zone whose clocks move from 00:00 to 01:00 (Beirut: on 31 March 2024 and
// 30 March 2025): the gap's occurrence lands on the evening before, and the next
// ones are back on their own days at their own time.
TEST(DstMidnightDueCheck, RepeatingThroughTheSpringGapKeepsTheHour) {
    ASSERT_EQ("2024-03-30", DayText(Normalized(MakeDate(2024, 3, 31, 0, 30))))
        << "the clock of this zone does not move forward at midnight on 31 March 2024";
    ExpectAlarms({
        {MakeDate(2024, 3, 1, 0, 30), kIntervalDays, 1, {2024, 3, 30, 0, 30}, "30.03.2024 : 00.30"},
        {MakeDate(2024, 3, 1, 0, 30), kIntervalDays, 1, {2024, 3, 30, 23, 30}, "30.03.2024 : 23.30"},
        {MakeDate(2024, 3, 1, 0, 30), kIntervalDays, 1, {2024, 4, 1, 0, 30}, "01.04.2024 : 00.30"},
        {MakeDate(2024, 3, 1, 0, 30), kIntervalDays, 1, {2024, 4, 1, 0, 29}, "30.03.2024 : 23.30"},
        {MakeDate(2023, 3, 31, 0, 30), kIntervalYears, 1, {2025, 3, 31, 0, 30}, "31.03.2025 : 00.30"},
        {MakeDate(2024, 3, 24, 0, 45), kIntervalWeeks, 1, {2024, 4, 7, 0, 45}, "07.04.2024 : 00.45"},
    });
}
