// The month grid through the remembered occurrences: stop dates at the edges, the
// cost of refreshing, and the first month of the representable range.
#include <gtest/gtest.h>

#include <vector>

#include "ModelTestSupport.h"

namespace {

class GridOccurrences : public testing::Test {
protected:
    Converter converter;

    Eintrag* Add(tm start, int kind, int count) {
        Eintrag* e = new Eintrag;
        e->SetMaster(e);
        e->StartTime = start;
        e->IntervalKind = kind;
        e->IntervalCount = count;
        converter.Append(e);
        return e;
    }

    void Show(int year, int month, bool sundayFirst = true) {
        BuildMonthGrid(converter, year - 1900, month - 1, sundayFirst);
        converter.BuildGrid();
    }

    // "YYYY-MM-DD hh:mm" of every copy of a master, in grid order.
    std::vector<std::string> CopiesOf(const Eintrag* master) const {
        std::vector<std::string> copies;
        for (const auto& row : converter.Cells)
            for (const TWeekDay& cell : row)
                for (const Eintrag* copy = cell.First(); copy; copy = copy->Next)
                    if (copy->GetMaster() == master)
                        copies.push_back(DayText(copy->StartTime) + " " + IntToStr2(copy->StartTime.tm_hour) + ":" +
                                         IntToStr2(copy->StartTime.tm_min));
        return copies;
    }

    int64_t Steps(Eintrag* e) { return converter.Recurrence().For(e).GridSeries(*e).StepCount(); }
};

using Copies = std::vector<std::string>;

}  // namespace

TEST_F(GridOccurrences, AStopDateBeforeARepeatingStartPlacesNothing) {
    Eintrag* e = Add(MakeDate(2024, 3, 10, 9, 0), kIntervalDays, 1);
    e->StopAfter = Normalized(MakeDate(2024, 3, 9, 23, 59));
    Show(2024, 3);
    EXPECT_TRUE(CopiesOf(e).empty());
}

TEST_F(GridOccurrences, AnOccurrenceAtTheStopMinuteIsPlaced) {
    Eintrag* e = Add(MakeDate(2024, 3, 1, 23, 59), kIntervalDays, 2);
    e->StopAfter = Normalized(MakeDate(2024, 3, 5, 23, 59));
    Show(2024, 3);
    EXPECT_EQ((Copies{"2024-03-01 23:59", "2024-03-03 23:59", "2024-03-05 23:59"}), CopiesOf(e));
}

TEST_F(GridOccurrences, RefreshingCostsNoStepsWhateverTheAge) {
    Eintrag* e = Add(MakeDate(1990, 1, 1, 8, 0), kIntervalDays, 1);
    Show(2026, 3);
    const int64_t first = Steps(e);
    EXPECT_LT(first, 60);  // a step per copy and a few more, not one per day since 1990
    ASSERT_EQ(42u, CopiesOf(e).size());
    for (int refresh = 0; refresh < 10; ++refresh) converter.BuildGrid();
    Show(2026, 3);
    EXPECT_EQ(first, Steps(e));

    // Elsewhere within what was stepped: from a checkpoint, not from 1990.
    const int64_t bound = 2 * TOccurrenceSeries::kCheckpointSpacing + 44;
    Show(2026, 3, false);
    EXPECT_EQ("2026-02-23 08:00", CopiesOf(e).front());
    EXPECT_LE(Steps(e) - first, bound);
    int64_t before = Steps(e);
    Show(2026, 2);
    EXPECT_EQ("2026-02-01 08:00", CopiesOf(e).front());
    EXPECT_LE(Steps(e) - before, bound);
    before = Steps(e);
    Show(2016, 7);
    Show(2026, 3);
    EXPECT_LE(Steps(e) - before, 2 * bound);
    EXPECT_EQ(42u, CopiesOf(e).size());
}

TEST_F(GridOccurrences, January1970IsStillPlaced) {
    // January 1970 begins with December days the run-time cannot represent.
    Eintrag* daily = Add(MakeDate(1970, 1, 1, 12, 0), kIntervalDays, 1);
    Show(1970, 1);
    const Copies copies = CopiesOf(daily);
    ASSERT_EQ(38u, copies.size());
    EXPECT_EQ("1970-01-01 12:00", copies.front());
    EXPECT_EQ("1970-02-07 12:00", copies.back());
}

// Under EST5EDT: a daily reminder stored at 02:30 on the day of the spring gap. The
// grid steps from the stored start: its first copy keeps 02:30 as stored and the
// next days stay at 02:30.
using DstGridOccurrences = GridOccurrences;
TEST_F(DstGridOccurrences, AStartInTheGapIsSteppedAsStored) {
    tm gapDay = MakeDate(2024, 3, 10, 2, 30);
    tm normalised = Normalized(gapDay);
    ASSERT_NE(2, normalised.tm_hour) << "no gap at 02:30 on 10 March 2024 in this zone";
    Eintrag* e = Add(gapDay, kIntervalDays, 1);
    Show(2024, 3);
    const Copies copies = CopiesOf(e);
    ASSERT_EQ(28u, copies.size());  // 10 March to 6 April
    EXPECT_EQ("2024-03-10 02:30", copies[0]);
    EXPECT_EQ("2024-03-11 02:30", copies[1]);
}
