// The month grid: cell dates, the distribution of occurrences, and termination.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "model/Uglobals.h"

namespace {

class Grid : public testing::Test {
protected:
    Converter converter;

    // Adds a master to the list and returns it.
    Eintrag* Add(tm start, int kind = kIntervalOnce, int count = 0, const char* title = "") {
        Eintrag* e = new Eintrag;
        e->SetMaster(e);
        e->StartTime = start;
        e->IntervalKind = kind;
        e->IntervalCount = count;
        e->SetTitle(title);
        converter.Append(e);
        return e;
    }

    void Show(int year, int month, bool sundayFirst = true) {
        BuildMonthGrid(converter, year - 1900, month - 1, sundayFirst);
        converter.BuildGrid();
    }

    const TWeekDay& Cell(int row, int column) const { return converter.Cells[row][column]; }

    // The days ("YYYY-MM-DD") on which a master has a copy, in grid order.
    std::vector<std::string> DaysOf(const Eintrag* master) const {
        std::vector<std::string> days;
        for (const auto& row : converter.Cells)
            for (const TWeekDay& cell : row)
                for (const Eintrag* copy = cell.First(); copy; copy = copy->Next)
                    if (copy->GetMaster() == master) days.push_back(DayText(cell.GetDate()));
        return days;
    }

    int CopyCount() const {
        int count = 0;
        for (const auto& row : converter.Cells)
            for (const TWeekDay& cell : row)
                for (const Eintrag* copy = cell.First(); copy; copy = copy->Next) ++count;
        return count;
    }
};

using Days = std::vector<std::string>;

// Puts the C run-time into another time zone (Windows syntax) for a scope.
class ScopedZone {
public:
    explicit ScopedZone(const char* zone) {
        if (const char* kept = std::getenv("TZ")) m_kept = kept;
        _putenv_s("TZ", zone);
        _tzset();
    }
    ~ScopedZone() {
        _putenv_s("TZ", m_kept.c_str());
        _tzset();
    }
    ScopedZone(const ScopedZone&) = delete;
    ScopedZone& operator=(const ScopedZone&) = delete;

private:
    std::string m_kept;
};

}  // namespace

TEST_F(Grid, March2024SundayFirst) {
    Show(2024, 3, true);
    EXPECT_EQ("2024-02-25", DayText(Cell(0, 0).GetDate()));
    for (int column = 0; column < 5; ++column) EXPECT_FALSE(Cell(0, column).IsInMonth()) << column;
    EXPECT_TRUE(Cell(0, 5).IsInMonth());
    EXPECT_EQ(1, Cell(0, 5).GetDay());
    EXPECT_EQ("2024-04-06", DayText(Cell(5, 6).GetDate()));
    EXPECT_TRUE(Cell(5, 0).IsInMonth());  // 31 March
    EXPECT_FALSE(Cell(5, 1).IsInMonth());
    // Cell dates are normalised records at 00:00:01.
    EXPECT_EQ(1, Cell(2, 3).GetDate().tm_sec);
    EXPECT_EQ(0, Cell(2, 3).GetDate().tm_hour);
}

TEST_F(Grid, March2024MondayFirst) {
    Show(2024, 3, false);
    EXPECT_EQ("2024-02-26", DayText(Cell(0, 0).GetDate()));
    EXPECT_EQ(1, Cell(0, 4).GetDay());
    EXPECT_TRUE(Cell(0, 4).IsInMonth());
    EXPECT_FALSE(Cell(0, 3).IsInMonth());
}

TEST_F(Grid, February2015BothFirstWeekdays) {
    Show(2015, 2, true);  // 1 February 2015 was a Sunday
    EXPECT_EQ("2015-02-01", DayText(Cell(0, 0).GetDate()));
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 7; ++column) EXPECT_TRUE(Cell(row, column).IsInMonth());
    EXPECT_EQ("2015-03-01", DayText(Cell(4, 0).GetDate()));
    EXPECT_EQ("2015-03-14", DayText(Cell(5, 6).GetDate()));
    EXPECT_FALSE(Cell(4, 0).IsInMonth());

    Show(2015, 2, false);  // Monday first: the first sits in the last column
    EXPECT_EQ("2015-01-26", DayText(Cell(0, 0).GetDate()));
    EXPECT_EQ("2015-02-01", DayText(Cell(0, 6).GetDate()));
    EXPECT_TRUE(Cell(0, 6).IsInMonth());
    EXPECT_FALSE(Cell(0, 5).IsInMonth());
}

TEST_F(Grid, FortyTwoConsecutiveDaysInEveryMonth) {
    for (int year : {1970, 2000, 2024, 2035}) {
        for (int month = 1; month <= 12; ++month) {
            for (bool sundayFirst : {true, false}) {
                Show(year, month, sundayFirst);
                const TDateTime first = Converter::TmToDate(Cell(0, 0).GetDate());
                for (int i = 0; i < 42; ++i)
                    ASSERT_EQ(first + i, Converter::TmToDate(Cell(i / 7, i % 7).GetDate()))
                        << year << "-" << month << " cell " << i;
                EXPECT_EQ(sundayFirst ? 0 : 1, Cell(0, 0).GetDate().tm_wday);
            }
        }
    }
}

TEST_F(Grid, OnceReminderOnItsDayEvenWithAStopDateBeforeIt) {
    Eintrag* e = Add(MakeDate(2024, 3, 15, 10, 0), kIntervalOnce, 0, "Dentist");
    e->StopAfter = Normalized(MakeDate(2024, 3, 1, 23, 59));
    Show(2024, 3);
    EXPECT_EQ(Days{"2024-03-15"}, DaysOf(e));
    const Eintrag* copy = Cell(2, 5).First();
    ASSERT_NE(nullptr, copy);
    EXPECT_STREQ("Dentist", copy->GetTitle());
    EXPECT_EQ(10, copy->StartTime.tm_hour);
    // The first occurrence's copy carries the stored start unchanged.
    EXPECT_TRUE(Converter::SameDateRecord(e->StartTime, copy->StartTime));
}

TEST_F(Grid, WeeklyReminderStopsOnItsStopDay) {
    // Tuesdays from 5 March 2024, stopping on Tuesday 12 March.
    Eintrag* e = Add(MakeDate(2024, 3, 5, 9, 0), kIntervalWeeks, 1);
    e->StopAfter = Normalized(MakeDate(2024, 3, 12, 23, 59));
    Show(2024, 3);
    EXPECT_EQ((Days{"2024-03-05", "2024-03-12"}), DaysOf(e));
}

TEST_F(Grid, RepeatingReminderCoversNeighbouringMonthsAndLaterCopiesAreStepped) {
    Eintrag* e = Add(MakeDate(2023, 6, 10, 8, 15), kIntervalWeeks, 2);
    Show(2024, 3);
    // Every second Saturday from 10 June 2023: 17 Feb 2024 lies before the grid.
    EXPECT_EQ((Days{"2024-03-02", "2024-03-16", "2024-03-30"}), DaysOf(e));
    const Eintrag* copy = Cell(2, 6).First();
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(1, copy->StartTime.tm_sec);
    EXPECT_EQ(8, copy->StartTime.tm_hour);
    EXPECT_EQ(15, copy->StartTime.tm_min);
}

TEST_F(Grid, ReminderStartingAfterTheGridIsPlacedNowhere) {
    Eintrag* e = Add(MakeDate(2024, 4, 7), kIntervalDays, 1);
    Show(2024, 3);
    EXPECT_TRUE(DaysOf(e).empty());
}

TEST_F(Grid, MonthlyFromTheThirtyFirstDrifts) {
    Eintrag* e2023 = Add(MakeDate(2023, 1, 31, 12, 0), kIntervalMonths, 1);
    Show(2023, 1);
    EXPECT_EQ((Days{"2023-01-31"}), DaysOf(e2023));
    Show(2023, 3);
    EXPECT_EQ((Days{"2023-03-03", "2023-04-03"}), DaysOf(e2023));

    Eintrag* e2024 = Add(MakeDate(2024, 1, 31, 12, 0), kIntervalMonths, 1);
    Show(2024, 3);
    EXPECT_EQ((Days{"2024-03-02", "2024-04-02"}), DaysOf(e2024));
}

TEST_F(Grid, MastersKeepTheirStartAndOrderIsListOrder) {
    Eintrag* a = Add(MakeDate(2024, 1, 1, 7, 0), kIntervalDays, 1, "a");
    Eintrag* b = Add(MakeDate(2024, 3, 10, 6, 0), kIntervalOnce, 0, "b");
    const tm aStart = a->StartTime;
    Show(2024, 3);
    EXPECT_TRUE(Converter::SameDateRecord(aStart, a->StartTime));
    EXPECT_EQ(42, static_cast<int>(DaysOf(a).size()));
    const Eintrag* first = Cell(2, 0).First();  // 10 March
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(a, first->GetMaster());
    ASSERT_NE(nullptr, first->Next);
    EXPECT_EQ(b, first->Next->GetMaster());
    EXPECT_EQ(first, first->Next->Prev);
}

TEST_F(Grid, RebuildingReplacesTheCopies) {
    Add(MakeDate(2024, 3, 10), kIntervalDays, 1);
    Show(2024, 3);
    // Daily from 10 March to the grid's last day, Saturday 6 April.
    ASSERT_EQ(28, CopyCount());
    converter.BuildGrid();
    EXPECT_EQ(28, CopyCount());
    BuildMonthGrid(converter, 124, 2, true);
    EXPECT_EQ(0, CopyCount());
}

TEST_F(Grid, RecordsThatDoNotAdvanceArePlacedAtTheirStartOnly) {
    Eintrag* unknownKind = Add(MakeDate(2024, 3, 5), 7, 2);
    Eintrag* zeroCount = Add(MakeDate(2024, 3, 6), kIntervalDays, 0);
    Eintrag* negative = Add(MakeDate(2024, 3, 7), kIntervalMonths, -1);
    Eintrag* onceWithCount = Add(MakeDate(2024, 3, 8), kIntervalOnce, 3);
    const auto started = std::chrono::steady_clock::now();
    Show(2024, 3);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(Days{"2024-03-05"}, DaysOf(unknownKind));
    EXPECT_EQ(Days{"2024-03-06"}, DaysOf(zeroCount));
    EXPECT_EQ(Days{"2024-03-07"}, DaysOf(negative));
    EXPECT_EQ(Days{"2024-03-08"}, DaysOf(onceWithCount));
}

TEST_F(Grid, SteppingEndsWhereDatesStopBeingRepresentable) {
    // Every 3 years from 1 March 2035: the next step lies past 2038.
    Eintrag* e = Add(MakeDate(2035, 3, 1, 10, 0), kIntervalYears, 3);
    for (int month = 1; month <= 12; ++month) {
        Show(2035, month);
        EXPECT_EQ(month == 2 || month == 3 ? Days{"2035-03-01"} : Days{}, DaysOf(e)) << month;
    }
    Eintrag* five = Add(MakeDate(2034, 12, 31, 23, 59), kIntervalYears, 5);
    Show(2035, 12);
    EXPECT_TRUE(DaysOf(five).empty());
}

TEST_F(Grid, DamagedRecordsAreSkipped) {
    Add(MakeDate(2024, 3, 0), kIntervalDays, 1);     // no day
    Add(MakeDate(2024, 14, 3), kIntervalOnce, 0);    // month 14
    Eintrag* badStop = Add(MakeDate(2024, 3, 4), kIntervalDays, 1);
    badStop->StopAfter = MakeDate(2024, 2, 30, 23, 59);
    Eintrag* before1970 = Add(MakeDate(1969, 12, 31), kIntervalDays, 1);
    Eintrag* good = Add(MakeDate(2024, 3, 10));
    const tm badStart = converter.First()->StartTime;
    Show(2024, 3);
    EXPECT_TRUE(DaysOf(badStop).empty());
    EXPECT_TRUE(DaysOf(before1970).empty());
    EXPECT_EQ(Days{"2024-03-10"}, DaysOf(good));
    EXPECT_EQ(1, CopyCount());
    EXPECT_TRUE(Converter::SameDateRecord(badStart, converter.First()->StartTime));
}

TEST_F(Grid, January1970ShowsRealDecemberDaysWithNothingOnThem) {
    // 1 January 1970 was a Thursday: four December days come first.
    Eintrag* once = Add(MakeDate(1970, 1, 1, 12, 0));
    Add(MakeDate(1969, 12, 29));  // not representable: never placed
    Show(1970, 1, true);
    const char* december[4] = {"1969-12-28", "1969-12-29", "1969-12-30", "1969-12-31"};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(december[column], DayText(Cell(0, column).GetDate()));
        EXPECT_FALSE(Cell(0, column).IsInMonth());
        EXPECT_EQ(nullptr, Cell(0, column).First());
        EXPECT_EQ(column, Cell(0, column).GetDate().tm_wday);
    }
    EXPECT_EQ("1970-01-01", DayText(Cell(0, 4).GetDate()));
    EXPECT_TRUE(Cell(0, 4).IsInMonth());
    EXPECT_EQ(Days{"1970-01-01"}, DaysOf(once));
    EXPECT_EQ(1, CopyCount());
}

// East of UTC the first hours of 1970 lie before the run-time's range,
// although the day is in it: that day still holds its reminders.
TEST_F(Grid, TheFirstOf1970HoldsItsRemindersInEveryZone) {
    for (const char* zoneName : {"UTC0", "CET-1", "JST-9", "EST5"}) {
        SCOPED_TRACE(zoneName);
        const ScopedZone zone(zoneName);
        converter.Clear();
        Eintrag* once = Add(MakeDate(1970, 1, 1, 0, 30));
        Eintrag* daily = Add(MakeDate(1970, 1, 1, 12, 0), kIntervalDays, 1);
        Show(1970, 1);
        EXPECT_EQ(Days{"1970-01-01"}, DaysOf(once));
        const Days dailyDays = DaysOf(daily);
        EXPECT_EQ(38u, dailyDays.size());
        if (!dailyDays.empty()) {
            EXPECT_EQ("1970-01-01", dailyDays.front());
        }
    }
}

TEST_F(Grid, ProgramGridUsesTheOneConverter) {
    ASSERT_NE(nullptr, gConverter);
    BuildMonthGrid(124, 2, false);
    EXPECT_EQ("2024-02-26", DayText(gConverter->Cells[0][0].GetDate()));
}

// The program's grid frees its day copies on every rebuild: the calendar's
// selection of a copy (the day list selects one) names its master afterwards,
// and a selection or drag naming no listed master is let go.
TEST_F(Grid, RebuildingTheProgramGridKeepsTheSelectionOnMasters) {
    Converter& program = *gConverter;
    auto* first = new Eintrag;
    first->SetMaster(first);
    first->StartTime = MakeDate(2024, 3, 1, 8, 0);
    first->IntervalKind = kIntervalDays;
    first->IntervalCount = 1;
    program.Append(first);
    auto* second = new Eintrag;
    second->SetMaster(second);
    second->StartTime = MakeDate(2024, 3, 20, 9, 0);
    program.Append(second);
    BuildMonthGrid(124, 2, true);
    program.BuildGrid();

    SelectedEntry = program.Cells[2][3].First();  // a copy of the daily reminder
    ASSERT_NE(SelectedEntry, first);
    DragEntry = second;
    Dragging = true;
    program.BuildGrid();
    EXPECT_EQ(SelectedEntry, first);
    EXPECT_EQ(DragEntry, second);
    EXPECT_TRUE(Dragging);

    // Over a month change too.
    SelectedEntry = program.Cells[3][3].First()->Next;  // the 20th: the copy of the second
    ASSERT_EQ(SelectedEntry->GetMaster(), second);
    BuildMonthGrid(124, 3, true);
    EXPECT_EQ(SelectedEntry, second);

    // Deleted masters: neither the selection of a copy of one, nor a drag of one, stays.
    program.BuildGrid();
    SelectedEntry = program.Cells[0][1].First();  // 1 April: a copy of the daily reminder
    ASSERT_EQ(SelectedEntry->GetMaster(), first);
    DragEntry = first;
    program.First()->Next->Prev = program.Head;
    program.Head->Next = program.First()->Next;
    delete first;
    program.BuildGrid();
    EXPECT_EQ(SelectedEntry, nullptr);
    EXPECT_EQ(DragEntry, nullptr);
    EXPECT_FALSE(Dragging);

    // Another converter leaves the program's selection alone.
    SelectedEntry = second;
    Show(2024, 3);
    EXPECT_EQ(SelectedEntry, second);
    SelectedEntry = nullptr;
    program.Clear();
    BuildMonthGrid(124, 2, true);
}

// Under EST5EDT: the spring and autumn changes neither skip nor repeat a cell, and
// a daily reminder lies in every cell once.
using DstGrid = Grid;
TEST_F(DstGrid, MarchAndNovemberStayConsecutive) {
    Eintrag* daily = Add(MakeDate(2024, 1, 1, 0, 30), kIntervalDays, 1);
    for (int month : {3, 11}) {
        Show(2024, month);
        const TDateTime first = Converter::TmToDate(Cell(0, 0).GetDate());
        for (int i = 0; i < 42; ++i) ASSERT_EQ(first + i, Converter::TmToDate(Cell(i / 7, i % 7).GetDate())) << i;
        EXPECT_EQ(42u, DaysOf(daily).size());
    }
}

// Under a zone whose clocks move from 00:00 to 01:00 (Beirut: on 31 March 2024, and
// back on 27 October): that day has no 00:00:01, yet the grid still holds 42
// consecutive days, each once, and a day's own date is its own even in the gap. A
// daily reminder at 00:30 keeps 00:30 after the gap; only the gap's occurrence moves,
// to 23:30 on the evening before, where its alarm comes.
using DstMidnightGrid = Grid;
TEST_F(DstMidnightGrid, MarchAndOctoberStayConsecutiveAndKeepTheHour) {
    ASSERT_EQ("2024-03-30", DayText(Normalized(MakeDate(2024, 3, 31, 0, 30))))
        << "the clock of this zone does not move forward at midnight on 31 March 2024";
    Eintrag* once = Add(MakeDate(2024, 3, 30, 12, 0));
    Eintrag* daily = Add(MakeDate(2024, 3, 1, 0, 30), kIntervalDays, 1);
    for (int month : {3, 10}) {
        for (bool sundayFirst : {true, false}) {
            Show(2024, month, sundayFirst);
            const TDateTime first = Converter::TmToDate(Cell(0, 0).GetDate());
            EXPECT_EQ(sundayFirst ? 0 : 1, Cell(0, 0).GetDate().tm_wday);
            for (int i = 0; i < 42; ++i) {
                ASSERT_EQ(first + i, Converter::TmToDate(Cell(i / 7, i % 7).GetDate())) << month << " " << i;
                ASSERT_EQ(first + i, Converter::TmToDate(Cell(i / 7, i % 7).GetDateOnly())) << month << " " << i;
            }
        }
    }
    Show(2024, 3);  // 25 February to 6 April
    EXPECT_EQ((Days{"2024-03-30"}), DaysOf(once));
    const Days days = DaysOf(daily);
    EXPECT_EQ(2, std::count(days.begin(), days.end(), "2024-03-30"));
    EXPECT_EQ(0, std::count(days.begin(), days.end(), "2024-03-31"));
    const Eintrag* last = Cell(5, 6).First();
    ASSERT_NE(nullptr, last);
    EXPECT_EQ("2024-04-06", DayText(last->StartTime));
    EXPECT_EQ(0, last->StartTime.tm_hour);
    EXPECT_EQ(30, last->StartTime.tm_min);
}
