// The remembered occurrences against plain stepping from the start: random masters
// and random sequences of instants and months must give identical occurrences,
// identical alarms and identical grids. The suites run under UTC0 and, as Dst*,
// under EST5EDT and under a zone whose clocks change at midnight, with starts in the
// spring gap and in the autumn's repeated hour.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <sstream>

#include "DueTestSupport.h"

namespace {

//--- Plain stepping from the start on every call: what the remembered series must equal

bool SameClock(const tm& a, const tm& b) {
    return a.tm_min == b.tm_min && a.tm_hour == b.tm_hour && a.tm_mday == b.tm_mday && a.tm_mon == b.tm_mon &&
           a.tm_year == b.tm_year;
}

// The date a step aims at, carried as the run-time carries a date of a zone without
// daylight saving.
tm CarriedAsUniversal(tm t) {
    t.tm_sec = 1;
    t.tm_isdst = 0;
    _mkgmtime64(&t);
    return t;
}

// After normalising moved a date's clock (a daylight-saving gap), the next step starts
// from the date aimed at; otherwise from the normalised date, as it always did.
tm PlainPlanned(const tm& aimed, const tm& normalised, int32_t seconds) {
    if (seconds == -1) return normalised;
    const tm carried = CarriedAsUniversal(aimed);
    return SameClock(carried, normalised) ? normalised : carried;
}

// One step of a series: occurrence := the planned date stepped once and normalised.
int32_t PlainStep(tm& planned, tm& occurrence, int32_t count, int32_t kind) {
    occurrence = planned;
    const int32_t seconds = StepDate(occurrence, count, kind);
    tm aimed = planned;
    if (kind == kIntervalDays) aimed.tm_mday += count;
    if (kind == kIntervalWeeks) aimed.tm_mday += 7 * count;
    if (kind == kIntervalMonths) aimed.tm_mon += count;
    if (kind == kIntervalYears) aimed.tm_year += count;
    planned = PlainPlanned(aimed, occurrence, seconds);
    return seconds;
}

int32_t PlainDayValue(const tm& date) {
    tm day = Cleared();
    day.tm_mday = date.tm_mday;
    day.tm_mon = date.tm_mon;
    day.tm_year = date.tm_year;
    return NormalizeDate(&day);
}

// The month grid, each master stepped from its stored start on every call.
void PlainBuildGrid(Converter& c) {
    for (auto& row : c.Cells)
        for (TWeekDay& cell : row) cell.Clear();
    const int32_t firstDay = PlainDayValue(c.Cells[0][0].GetDate());
    const int32_t lastDay = PlainDayValue(c.Cells[kGridRows - 1][kGridColumns - 1].GetDate());
    for (const Eintrag* e = c.First(); e; e = e->Next) {
        if (!HasUsableDates(*e)) continue;
        if (!IsRepeating(*e)) {
            c.AddToCells(e);
            continue;
        }
        tm stop = e->StopAfter;
        const bool hasStop = NormalizeDate(&stop) != -1;
        Eintrag work;
        work.Assign(*e);
        tm planned = e->StartTime;
        if (PlainDayValue(work.StartTime) > lastDay) continue;
        for (;;) {
            const int32_t day = PlainDayValue(work.StartTime);
            if (day > lastDay) break;
            if (hasStop && Converter::CompareDateTime(work.StartTime, e->StopAfter) == 1) break;
            if (day >= firstDay) c.AddToCells(&work);
            if (PlainStep(planned, work.StartTime, e->IntervalCount, e->IntervalKind) == -1) break;
        }
    }
}

bool PlainPastStop(const tm& occurrence, const tm& stop) {
    return Converter::CompareDateTime(occurrence, stop) == 1 && std::trunc(Converter::TmToDate(stop)) != 0;
}

// The due check, each occurrence stepped from the start on every pass.
void PlainCheckDueReminders(Converter& c) {
    const TDateTime now = Now();
    const TDateTime today = std::floor(now);
    const int32_t step = std::max<int32_t>(1, ModelHost().ReminderTimerInterval() / 1000);
    for (Eintrag* e = c.First(); e; e = e->Next) {
        if (e->SnoozeSeconds > 1) {
            e->SnoozeSeconds -= step;
            if (step > e->SnoozeSeconds) e->SnoozeSeconds = 1;
            continue;
        }
        if (e->SnoozeSeconds == 1 && !e->AlertOpen) e->Due = true;
        if (e->AlertOpen) continue;
        if (!HasUsableDates(*e)) continue;
        const bool repeating = IsRepeating(*e);
        const int32_t count = repeating ? e->IntervalCount : 0;
        const int32_t kind = repeating ? e->IntervalKind : kIntervalOnce;
        // 4.
        tm occurrence = e->StartTime;
        int32_t occurrenceSeconds = NormalizeDate(&occurrence);
        tm planned = PlainPlanned(e->StartTime, occurrence, occurrenceSeconds);
        tm last = e->LastReminded;
        int32_t lastSeconds = NormalizeDate(&last);
        if (lastSeconds == -1) lastSeconds = 0;
        // 5. While the next occurrence has begun.
        while (repeating) {
            tm nextPlanned = planned;
            tm next;
            if (PlainStep(nextPlanned, next, count, kind) == -1) break;
            if (!(Converter::TmToDateTime(next) < now)) break;
            occurrence = next;
            planned = nextPlanned;
            occurrenceSeconds = NormalizeDate(&occurrence);
        }
        // 6.
        if (PlainPastStop(occurrence, e->StopAfter)) continue;
        // 7.
        if (e->ExactlyAt) {
            if (now - Converter::TmToDateTime(occurrence) > 0 &&
                Converter::TmToDateTime(occurrence) - Converter::TmToDateTime(e->LastReminded) > 0) {
                c.ShowReminder(e, occurrence);
                return;
            }
            continue;
        }
        // 8.
        if (occurrenceSeconds > lastSeconds && today - Converter::TmToDate(occurrence) >= 0) {
            c.ShowReminder(e, occurrence);
            return;
        }
        if (Converter::CompareDateTime(occurrence, e->StartTime) != 0 ||
            std::trunc(Converter::TmToDate(occurrence)) < today) {
            if (!repeating)
                NormalizeDate(&occurrence);
            else if (PlainStep(planned, occurrence, count, kind) == -1)
                continue;
        }
        if (PlainPastStop(occurrence, e->StopAfter)) continue;
        NormalizeDate(&occurrence);
        if (std::trunc(Converter::TmToDate(occurrence) - today) > e->AdvanceDays) continue;
        if (Converter::TmToDateTime(occurrence) > Converter::TmToDateTime(e->LastReminded)) {
            c.ShowReminder(e, occurrence);
            return;
        }
    }
}

//--- Texts to compare

std::string Fields(const tm& t) {
    std::ostringstream s;
    s << t.tm_year + 1900 << "-" << t.tm_mon + 1 << "-" << t.tm_mday << " " << t.tm_hour << ":" << t.tm_min << ":"
      << t.tm_sec << " w" << t.tm_wday << " y" << t.tm_yday << " d" << t.tm_isdst;
    return s.str();
}

int IndexOf(const Converter& c, const Eintrag* e) {
    int i = 0;
    for (const Eintrag* m = c.First(); m; m = m->Next, ++i)
        if (m == e) return i;
    return -1;
}

std::vector<std::string> GridText(const Converter& c) {
    std::vector<std::string> lines;
    for (int i = 0; i < kGridRows * kGridColumns; ++i) {
        const TWeekDay& cell = c.Cells[i / kGridColumns][i % kGridColumns];
        std::ostringstream s;
        s << i << " " << Fields(cell.GetDate()) << (cell.IsInMonth() ? " in" : " out") << ":";
        for (const Eintrag* copy = cell.First(); copy; copy = copy->Next)
            s << " [" << IndexOf(c, copy->GetMaster()) << " " << Fields(copy->StartTime) << " " << copy->GetTitle()
              << " due" << copy->Due << " open" << copy->AlertOpen << " snooze" << copy->SnoozeSeconds << "]";
        lines.push_back(s.str());
    }
    return lines;
}

std::vector<std::string> StateText(const Converter& c) {
    std::vector<std::string> lines;
    for (const Eintrag* e = c.First(); e; e = e->Next) {
        std::ostringstream s;
        s << e->GetTitle() << " due" << e->Due << " open" << e->AlertOpen << " snooze" << e->SnoozeSeconds << " last "
          << Fields(e->LastReminded) << " start " << Fields(e->StartTime);
        lines.push_back(s.str());
    }
    return lines;
}

std::string AlarmText(const Converter& c, const FakeAlarmWindow* w) {
    if (!w) return "none";
    return std::to_string(IndexOf(c, w->Entry)) + " " + Fields(w->Occurrence) + " icon" +
           std::to_string(w->IconIndex) + " " + w->MessageText;
}

// The lines where two texts differ (empty when they are equal), for short failure reports.
std::string Differences(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
    std::string report;
    for (size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
        const std::string a = i < expected.size() ? expected[i] : "(missing)";
        const std::string b = i < actual.size() ? actual[i] : "(missing)";
        if (a != b) report += "\n  plain: " + a + "\n  fast:  " + b;
    }
    return report;
}

//--- Random masters and instants

class Random {
public:
    explicit Random(uint32_t seed) : m_engine(seed) {}
    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_engine); }
    bool Chance(int percent) { return Int(1, 100) <= percent; }

private:
    std::mt19937 m_engine;
};

constexpr int64_t kMsPerDay = 86400000;

int64_t MsOf(int year, int month, int day) {
    return int64_t(EncodeDate(year, month, day)) * kMsPerDay;
}

// The hour of the spring gap in this zone (2 under US rules, 0 where the clocks
// change at midnight), found by asking the run-time once.
int GapHour() {
    static const int gapHour = [] {
        for (int hour = 0; hour <= 3; ++hour)
            for (int month = 3; month <= 4; ++month)
                for (int day = 1; day <= DaysInMonth(2024, month); ++day) {
                    tm t = MakeDate(2024, month, day, hour, 30);
                    if (NormalizeDate(&t) != -1 && t.tm_hour != hour) return hour;
                }
        return 2;
    }();
    return gapHour;
}

// The day of a year whose gap hour the run-time moves, found by asking it.
int GapDayOfYear(int year, int& month) {
    for (month = 3; month <= 4; ++month)
        for (int day = 1; day <= DaysInMonth(year, month); ++day) {
            tm t = MakeDate(year, month, day, GapHour(), 30);
            if (NormalizeDate(&t) != -1 && t.tm_hour != GapHour()) return day;
        }
    month = 0;
    return 0;
}

tm RandomDate(Random& r, int fromYear, int toYear, bool dst) {
    const int year = r.Int(fromYear, toYear);
    if (dst && r.Chance(15)) {
        // In the gap itself: the start normalises to another hour than it was stored with.
        int month = 0;
        const int day = GapDayOfYear(year, month);
        if (day) return MakeDate(year, month, day, GapHour(), r.Int(0, 59));
    }
    const int month = r.Int(1, 12);
    int day = r.Chance(75) ? r.Int(28, 31) : r.Int(1, 27);
    if (day > DaysInMonth(year, month) && r.Chance(85)) day = DaysInMonth(year, month);  // else damaged
    int hour = r.Int(0, 23);
    if (dst) {
        const int pick = r.Int(1, 10);
        if (pick <= 4) hour = GapHour();                   // the spring gap
        else if (pick <= 6) hour = (GapHour() + 23) % 24;  // the autumn's repeated hour
    }
    if (r.Chance(8)) return MakeDate(year, month, day, 23, 59);  // the stop date's own minute
    return MakeDate(year, month, day, hour, r.Int(0, 59));
}

void Randomize(Random& r, Eintrag& e, bool dst) {
    const int pick = r.Int(1, 20);
    if (pick <= 4) {
        e.IntervalKind = kIntervalOnce;
        e.IntervalCount = 0;
    } else if (pick <= 19) {
        e.IntervalKind = kIntervalDays + (pick - 5) / 4 % 4;
        e.IntervalCount = r.Int(1, 5);
    } else {
        const int damaged[4][2] = {{7, 2}, {kIntervalMonths, -1}, {kIntervalOnce, 3}, {kIntervalWeeks, 0}};
        const int which = r.Int(0, 3);
        e.IntervalKind = damaged[which][0];
        e.IntervalCount = damaged[which][1];
    }
    e.StartTime = RandomDate(r, 1970, 2035, dst);
    e.ExactlyAt = r.Chance(50);
    e.AdvanceDays = r.Int(0, 5);
    e.StopAfter = Cleared();
    if (r.Chance(30)) {
        tm stop = e.StartTime;
        stop.tm_mday += r.Chance(25) ? r.Int(-40, -1) : r.Int(0, 3000);
        stop.tm_hour = 23;
        stop.tm_min = 59;
        NormalizeDate(&stop);
        e.StopAfter = stop;
    }
    e.LastReminded = Cleared();
    if (r.Chance(15)) e.LastReminded = Normalized(RandomDate(r, 1975, 2030, dst));
}

// Two lists holding the same masters: one checked through the remembered series,
// one by plain stepping.
class Twins {
public:
    Twins(Random& r, bool dst, int count) : m_r(r), m_dst(dst) {
        for (int i = 0; i < count; ++i) AppendRandom(i);
    }

    void AppendRandom(int number) {
        Eintrag* e = new Eintrag;
        e->SetMaster(e);
        Randomize(m_r, *e, m_dst);
        e->SetTitle(("m" + std::to_string(number)).c_str());
        e->SetText("text");
        Eintrag* twin = new Eintrag;
        twin->Assign(*e);
        twin->SetMaster(twin);
        Fast.Append(e);
        Plain.Append(twin);
    }

    // Changes the stored fields of master i in both lists, as storing or dragging would.
    void Edit(int i) {
        Eintrag* e = At(Fast, i);
        Eintrag* twin = At(Plain, i);
        Randomize(m_r, *e, m_dst);
        twin->IntervalKind = e->IntervalKind;
        twin->IntervalCount = e->IntervalCount;
        twin->StartTime = e->StartTime;
        twin->ExactlyAt = e->ExactlyAt;
        twin->AdvanceDays = e->AdvanceDays;
        twin->StopAfter = e->StopAfter;
        twin->LastReminded = e->LastReminded;
    }

    // Deletes master i from both lists (unlinked and freed, as a deletion does).
    void Remove(int i) {
        for (Converter* c : {&Fast, &Plain}) {
            Eintrag* e = At(*c, i);
            e->Prev->Next = e->Next;
            if (e->Next) e->Next->Prev = e->Prev;
            delete e;
        }
    }

    static Eintrag* At(Converter& c, int i) {
        Eintrag* e = c.First();
        while (i-- > 0) e = e->Next;
        return e;
    }

    Converter Fast;
    Converter Plain;

private:
    Random& m_r;
    bool m_dst;
};

struct OpenAlarm {
    FakeAlarmWindow* Fast;
    FakeAlarmWindow* Plain;
};

void Respond(Random& r, OpenAlarm alarm, std::vector<OpenAlarm>& open) {
    const int pick = r.Int(1, 100);
    if (pick <= 55) {
        alarm.Fast->Ok();
        alarm.Plain->Ok();
    } else if (pick <= 80) {
        const int choices[] = {60, 300, 600, 1200, 3600, 86400};
        const int seconds = choices[r.Int(0, 5)];
        alarm.Fast->Snooze(seconds);
        alarm.Plain->Snooze(seconds);
    } else {
        open.push_back(alarm);  // left open for a while
    }
}

struct Compared {
    int Grids = 0;
    int Alarms = 0;
};

// One scenario: masters, then a random walk of ticks, jumps, grids and edits.
void RunScenario(uint32_t seed, bool dst, int masters, int operations, Compared& compared) {
    Random r(seed);
    AlarmHost host;
    Twins twins(r, dst, masters);
    int next = masters;
    std::vector<OpenAlarm> open;

    const int64_t earliest = MsOf(1970, 1, 2);
    const int64_t latest = MsOf(2037, 6, 30);
    int64_t now = MsOf(r.Int(1971, 2036), r.Int(1, 12), r.Int(1, 28)) + int64_t(r.Int(0, 86399)) * 1000 +
                  r.Int(1, 999);

    for (int op = 0; op < operations; ++op) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " operation " + std::to_string(op));
        const int pick = r.Int(1, 100);
        if (pick <= 78) {
            // A tick after a move of the clock: mostly one second, sometimes far.
            if (pick <= 40) now += 1000;
            else if (pick <= 55) now += int64_t(r.Int(1, 600)) * 60000;
            else if (pick <= 65) now += int64_t(r.Int(1, 60)) * kMsPerDay + r.Int(0, 86399) * 1000;
            else if (pick <= 70) now += int64_t(r.Int(1, 3650)) * kMsPerDay;
            else now -= int64_t(r.Int(1, 4000)) * kMsPerDay + r.Int(0, 86399) * 1000;
            now = std::min(std::max(now, earliest), latest);
            const TDateTime value = double(now) / double(kMsPerDay);
            SetClock([value] { return value; });

            // Now and then an open alarm is answered before the tick.
            if (!open.empty() && r.Chance(30)) {
                const size_t i = size_t(r.Int(0, int(open.size()) - 1));
                const OpenAlarm alarm = open[i];
                open.erase(open.begin() + long(i));
                Respond(r, alarm, open);
            }
            FakeAlarmWindow* fast = host.Pass(twins.Fast);
            const size_t before = host.Windows.size();
            PlainCheckDueReminders(twins.Plain);
            FakeAlarmWindow* plain = host.Windows.size() > before ? host.Windows.back().get() : nullptr;
            ASSERT_EQ(AlarmText(twins.Plain, plain), AlarmText(twins.Fast, fast));
            ASSERT_EQ("", Differences(StateText(twins.Plain), StateText(twins.Fast)));
            if (fast) {
                ++compared.Alarms;
                Respond(r, {fast, plain}, open);
            }
        } else if (pick <= 92) {
            // A month of the calendar: near now, or anywhere the calendar can show.
            int year, month;
            const int where = r.Int(1, 100);
            if (where <= 25) {
                // Around a master's start or stop date, where the placing begins or ends.
                const Eintrag* e = Twins::At(twins.Fast, r.Int(0, twins.Fast.Count() - 1));
                const tm& date = r.Chance(50) || e->StopAfter.tm_year == 0 ? e->StartTime : e->StopAfter;
                year = std::min(std::max(date.tm_year + 1900, 1970), 2035);
                month = std::min(std::max(date.tm_mon + 1 + r.Int(-1, 1), 1), 12);
            } else if (where <= 60) {
                int day;
                DecodeDate(double(now) / double(kMsPerDay), year, month, day);
                month += r.Int(-2, 2);
                if (month < 1) month += 12, --year;
                if (month > 12) month -= 12, ++year;
                year = std::min(std::max(year, 1970), 2035);
            } else {
                year = r.Int(1970, 2035);
                month = r.Int(1, 12);
            }
            const bool sundayFirst = r.Chance(50);
            BuildMonthGrid(twins.Fast, year - 1900, month - 1, sundayFirst);
            BuildMonthGrid(twins.Plain, year - 1900, month - 1, sundayFirst);
            twins.Fast.BuildGrid();
            PlainBuildGrid(twins.Plain);
            ASSERT_EQ("", Differences(GridText(twins.Plain), GridText(twins.Fast))) << year << "-" << month;
            ++compared.Grids;
        } else if (pick <= 97) {
            const int i = r.Int(0, twins.Fast.Count() - 1);
            twins.Edit(i);
        } else {
            // A master deleted and a new one added: the new record may take the old address.
            const int i = r.Int(0, twins.Fast.Count() - 1);
            const Eintrag* gone = Twins::At(twins.Fast, i);
            open.erase(std::remove_if(open.begin(), open.end(), [gone](const OpenAlarm& a) { return a.Fast->Entry == gone; }),
                       open.end());
            twins.Remove(i);
            twins.AppendRandom(next++);
        }
    }
}

struct PlainOccurrence {
    tm Date;
    tm Planned;
    int32_t Seconds;
    TDateTime Value;
    int32_t Day;
};

// Occurrence k of a series, stepped plainly from the start (index 0 is the start).
std::vector<PlainOccurrence> PlainSeries(const tm& start, int32_t count, int32_t kind, int limit) {
    std::vector<PlainOccurrence> series;
    tm planned = start;
    for (int k = 1; k <= limit; ++k) {
        tm date;
        const int32_t seconds = PlainStep(planned, date, count, kind);
        if (seconds == -1) break;
        series.push_back({date, planned, seconds, Converter::TmToDateTime(date), int32_t(Converter::TmToDate(date))});
    }
    return series;
}

// The number of occurrences of a plain series before the first one a gap moves: up to
// there a series is what stepping each time from the result before gives, as the
// program always stepped.
size_t BeforeTheFirstMoved(const std::vector<PlainOccurrence>& series, const tm& start, int32_t count, int32_t kind) {
    tm date = start;
    size_t k = 0;
    while (k < series.size() && SameClock(series[k].Planned, series[k].Date)) {
        EXPECT_EQ(series[k].Seconds, StepDate(date, count, kind)) << k;
        EXPECT_EQ(Fields(series[k].Date), Fields(date)) << k;
        ++k;
    }
    return k;
}

// Counts in moved the series that had an occurrence moved by a gap.
void CompareSeries(uint32_t seed, bool dst, int& moved) {
    Random r(seed);
    for (int round = 0; round < 12; ++round) {
        const tm start = RandomDate(r, 1970, 2035, dst);
        TDateTime unused;
        if (!TryEncodeDate(start.tm_year + 1900, start.tm_mon + 1, start.tm_mday, unused)) continue;
        const int32_t kind = r.Int(kIntervalDays, kIntervalYears);
        const int32_t count = r.Int(1, 5);
        SCOPED_TRACE(Fields(start) + " every " + std::to_string(count) + " of kind " + std::to_string(kind));
        const std::vector<PlainOccurrence> plain = PlainSeries(start, count, kind, 30000);
        moved += BeforeTheFirstMoved(plain, start, count, kind) < plain.size();
        TOccurrenceSeries series(start, count, kind);
        const int32_t size = int32_t(plain.size());
        for (int probe = 0; probe < 300; ++probe) {
            const auto reader = TOccurrenceSeries::Reader(r.Int(0, 1));
            const int32_t k = r.Chance(60) ? r.Int(1, size + 2) : std::max(1, std::min(size + 2, int32_t(probe)));
            const TOccurrence* o = series.At(k, reader);
            if (k > size) {
                ASSERT_EQ(nullptr, o) << k;
            } else {
                ASSERT_NE(nullptr, o) << k;
                ASSERT_EQ(Fields(plain[k - 1].Date), Fields(o->Date)) << k;
                ASSERT_EQ(plain[k - 1].Seconds, o->Seconds) << k;
            }
            // The last occurrence before a random instant or day.
            const TDateTime value = EncodeDate(r.Int(1969, 2039), r.Int(1, 12), r.Int(1, 28)) + r.Int(0, 1439) / 1440.0 +
                                    0.5 / 86400;
            int32_t expected = 0;
            while (expected < size && plain[expected].Value < value) ++expected;
            ASSERT_EQ(expected, series.LastBefore(value, reader)) << value;
            const int32_t day = int32_t(value);
            expected = 0;
            while (expected < size && plain[expected].Day < day) ++expected;
            ASSERT_EQ(expected, series.LastBeforeDay(day, reader)) << day;
        }
        // A long walk forward, as the grid reads a month and the due check follows the
        // clock: one reader walks occurrence by occurrence, the other by instants.
        const int32_t from = r.Int(1, std::max(1, size));
        for (int32_t k = from; k <= std::min(size, from + 300); ++k) {
            const TOccurrence* o = series.At(k, TOccurrenceSeries::kGridReader);
            ASSERT_NE(nullptr, o) << k;
            ASSERT_EQ(Fields(plain[k - 1].Date), Fields(o->Date)) << k;
            const TDateTime value = plain[k - 1].Value + 0.5 / 86400;
            ASSERT_EQ(k, series.LastBefore(value, TOccurrenceSeries::kDueReader)) << k;
            ASSERT_EQ(k, series.LastBefore(value, TOccurrenceSeries::kDueReader)) << k;
        }
    }
}

// Whole series whose start carries a clock outside its day (as a damaged file may
// hold), which the calendar carries back into 1969 or on; months that drift; series
// that reach the end of 2038; counts too large for the calendar.
void CompareWholeSeries() {
    struct Row {
        tm Start;
        int32_t Count, Kind;
    };
    const Row rows[] = {
        {MakeDate(1970, 1, 1, -28, 0), 1, kIntervalDays},  {MakeDate(1970, 1, 1, -3, 0), 1, kIntervalDays},
        {MakeDate(1969, 12, 31, 30, 0), 1, kIntervalDays}, {MakeDate(2026, 5, 31, 25, 75), 2, kIntervalWeeks},
        {MakeDate(2000, 2, 29, 0, -10), 3, kIntervalDays}, {MakeDate(2038, 1, 10, 23, 59), 1, kIntervalDays},
        {MakeDate(1990, 1, 1, 8, 0), 5000, kIntervalDays}, {MakeDate(1990, 1, 1, 8, 0), 0x7fffffff, kIntervalWeeks},
        {MakeDate(1970, 1, 31, 25, 0), 1, kIntervalMonths}, {MakeDate(2000, 2, 29, 12, 0), 1, kIntervalYears},
        {MakeDate(1999, 10, 31, 0, -1), 5, kIntervalMonths}, {MakeDate(2037, 11, 30, 23, 59), 1, kIntervalMonths},
        {MakeDate(1980, 5, 31, 9, 0), 0x7fffffff, kIntervalMonths},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Fields(row.Start) + " every " + std::to_string(row.Count) + " of kind " +
                     std::to_string(row.Kind));
        const std::vector<PlainOccurrence> plain = PlainSeries(row.Start, row.Count, row.Kind, 30000);
        const int32_t size = int32_t(plain.size());
        TOccurrenceSeries series(row.Start, row.Count, row.Kind);
        for (const int year : {2039, 2038, 2026, 1990, 1970, 1969}) {
            const TDateTime value = EncodeDate(year, 1, 1) + 0.5;
            int32_t expected = 0;
            while (expected < size && plain[expected].Value < value) ++expected;
            EXPECT_EQ(expected, series.LastBefore(value, TOccurrenceSeries::kDueReader)) << year;
        }
        for (int32_t k = 1; k <= size + 1; ++k) {
            const TOccurrence* o = series.At(k, TOccurrenceSeries::kGridReader);
            if (k > size) {
                ASSERT_EQ(nullptr, o);
                break;
            }
            ASSERT_NE(nullptr, o) << k;
            ASSERT_EQ(Fields(plain[k - 1].Date), Fields(o->Date)) << k;
        }
    }
}

}  // namespace

TEST(RecurrenceDifferential, WholeSeriesFromOddStartsMatchPlainStepping) {
    CompareWholeSeries();
}

TEST(DstRecurrenceDifferential, WholeSeriesFromOddStartsMatchPlainStepping) {
    CompareWholeSeries();
}

TEST(RecurrenceDifferential, SeriesMatchesPlainStepping) {
    int moved = 0;
    CompareSeries(11, false, moved);
    EXPECT_EQ(0, moved);
}

TEST(RecurrenceDifferential, AlarmsAndGridsMatchPlainStepping) {
    Compared compared;
    for (uint32_t seed = 1; seed <= 6; ++seed) RunScenario(seed, false, 14, 260, compared);
    EXPECT_GT(compared.Grids, 100);
    EXPECT_GT(compared.Alarms, 50);
}

TEST(DstRecurrenceDifferential, SeriesMatchesPlainStepping) {
    int moved = 0;
    CompareSeries(12, true, moved);
    EXPECT_GT(moved, 0);
}

TEST(DstRecurrenceDifferential, AlarmsAndGridsMatchPlainStepping) {
    Compared compared;
    for (uint32_t seed = 101; seed <= 106; ++seed) RunScenario(seed, true, 14, 260, compared);
    EXPECT_GT(compared.Grids, 100);
    EXPECT_GT(compared.Alarms, 50);
}

TEST(DstMidnightRecurrenceDifferential, SeriesMatchesPlainStepping) {
    ASSERT_EQ(0, GapHour()) << "the clock of this zone does not move forward at midnight";
    int moved = 0;
    CompareSeries(13, true, moved);
    EXPECT_GT(moved, 0);
}

TEST(DstMidnightRecurrenceDifferential, AlarmsAndGridsMatchPlainStepping) {
    Compared compared;
    for (uint32_t seed = 201; seed <= 206; ++seed) RunScenario(seed, true, 14, 260, compared);
    EXPECT_GT(compared.Grids, 100);
    EXPECT_GT(compared.Alarms, 50);
}
