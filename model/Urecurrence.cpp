// Recurrence of reminders: stepping dates by intervals, and the occurrences of each
// repeating master remembered between the grid's refreshes and the due check's ticks.
#include "model/Urecurrence.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/Uconverter.h"
#include "model/Ueintrag.h"
#include "model/Ufunction.h"

namespace {

// A reader's run of consecutive occurrences never grows beyond this: enough for a
// daily reminder over the 42 days of a grid.
constexpr size_t kRunLimit = 64;

int32_t Saturated(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// The fields NormalizeDate and a step read: minute, hour, day, month and year.
void KeyOf(const tm& t, int32_t key[5]) {
    key[0] = t.tm_min;
    key[1] = t.tm_hour;
    key[2] = t.tm_mday;
    key[3] = t.tm_mon;
    key[4] = t.tm_year;
}

bool SameKey(const tm& t, const int32_t key[5]) {
    return t.tm_min == key[0] && t.tm_hour == key[1] && t.tm_mday == key[2] && t.tm_mon == key[3] &&
           t.tm_year == key[4];
}

bool SameFields(const tm& a, const tm& b) {
    int32_t key[5];
    KeyOf(b, key);
    return SameKey(a, key);
}

// An occurrence with its compared values, from a normalised date.
TOccurrence MakeOccurrence(const tm& date, int32_t seconds) {
    TOccurrence o;
    o.Date = date;
    o.Planned = 0;
    o.Seconds = seconds;
    o.Value = Converter::TmToDateTime(date);
    o.Day = static_cast<int32_t>(Converter::TmToDate(date));
    return o;
}

}  // namespace

//--- Stepping

namespace {

void MoveByInterval(tm& date, int32_t count, int32_t kind) {
    switch (kind) {
        case kIntervalDays: date.tm_mday = Saturated(int64_t(date.tm_mday) + count); break;
        case kIntervalWeeks: date.tm_mday = Saturated(int64_t(date.tm_mday) + 7 * int64_t(count)); break;
        case kIntervalMonths: date.tm_mon = Saturated(int64_t(date.tm_mon) + count); break;
        case kIntervalYears: date.tm_year = Saturated(int64_t(date.tm_year) + count); break;
        default: break;
    }
}

// The date to step on from after normalising gave a record: the record itself, or,
// where normalising moved the clock (a daylight-saving gap), the date as the calendar
// alone carries it. Both are the same wherever the clock does not change.
tm PlannedAfter(const tm& date, const tm& normalised) {
    tm carried = date;
    if (CarryByCalendar(&carried) && !SameFields(carried, normalised)) return carried;
    return normalised;
}

}  // namespace

int32_t StepDate(tm& date, int32_t count, int32_t kind) {
    MoveByInterval(date, count, kind);
    return NormalizeDate(&date);
}

int32_t StepPlanned(tm& planned, tm& occurrence, int32_t count, int32_t kind) {
    MoveByInterval(planned, count, kind);
    occurrence = planned;
    const int32_t seconds = NormalizeDate(&occurrence);
    if (seconds != -1) planned = PlannedAfter(planned, occurrence);
    return seconds;
}

tm PlannedStart(const tm& start, const tm& normalised, int32_t seconds) {
    return seconds == -1 ? normalised : PlannedAfter(start, normalised);
}

//--- TOccurrenceSeries

namespace {

// The years a planned date may lie in: a step from a date of another year cannot
// be normalised.
bool InRepresentableYears(const tm& t) {
    return t.tm_year >= 70 && t.tm_year <= 138;
}

// The planned date after one more interval: the calendar alone carries it.
bool StepByCalendar(tm& planned, int32_t count, int32_t kind) {
    MoveByInterval(planned, count, kind);
    return CarryByCalendar(&planned) && InRepresentableYears(planned);
}

}  // namespace

TOccurrenceSeries::TOccurrenceSeries(const tm& start, int32_t count, int32_t kind)
    : m_count(count), m_kind(kind), m_startDate(start) {
    KeyOf(start, m_start);
    if (kind < kIntervalDays || kind > kIntervalYears || count < 1) {
        m_end = 1;  // not a repeating record: no occurrence after the start
        return;
    }
    m_byDays = kind == kIntervalDays || kind == kIntervalWeeks;
    m_stepLength = int64_t(count) * (kind == kIntervalWeeks ? 7 : kind == kIntervalYears ? 12 : 1);
    m_first = start;
    if (!StepByCalendar(m_first, count, kind)) {
        m_lastPlanned = 0;
    } else if (m_byDays) {
        m_firstDay = DayNumber(m_first.tm_year + 1900, m_first.tm_mon + 1, m_first.tm_mday);
        const int64_t steps = (int64_t(DayNumber(2038, 12, 31)) - m_firstDay) / m_stepLength;
        m_lastPlanned = int32_t(std::min<int64_t>(1 + steps, std::numeric_limits<int32_t>::max() - 1));
    } else {
        m_checkpoints.push_back(Pack(m_first));
    }
    // Every later step lands later than the one before it, so past o[2] a step that
    // fails (past 2038) fails for good, and the series ends at the first one. Only
    // the first two can fail and be followed by one that would not (a start stored
    // with its clock outside the day, carried back into 1969).
    TOccurrence o;
    if (!OccurrenceAt(1, o))
        m_end = 1;
    else if (!OccurrenceAt(2, o))
        m_end = 2;
}

bool TOccurrenceSeries::IsSeriesOf(const tm& start, int32_t count, int32_t kind) const {
    return count == m_count && kind == m_kind && SameKey(start, m_start);
}

uint32_t TOccurrenceSeries::Pack(const tm& t) {
    // Normalised fields of a representable date: year 70..138, month, day, hour, minute.
    return ((((uint32_t(t.tm_year) << 4 | uint32_t(t.tm_mon)) << 5 | uint32_t(t.tm_mday)) << 5 |
             uint32_t(t.tm_hour))
            << 6) |
           uint32_t(t.tm_min);
}

tm TOccurrenceSeries::Unpack(uint32_t packed) {
    tm t;
    ClearDateRecord(&t);
    t.tm_sec = 1;
    t.tm_min = int(packed & 63);
    t.tm_hour = int(packed >> 6 & 31);
    t.tm_mday = int(packed >> 11 & 31);
    t.tm_mon = int(packed >> 16 & 15);
    t.tm_year = int(packed >> 20);
    return t;
}

bool TOccurrenceSeries::PlannedAt(int32_t j, tm& planned) {
    if (j == 0) {
        planned = m_startDate;
        return true;
    }
    if (j < 0 || j > m_lastPlanned) return false;
    if (m_byDays) {
        int32_t year = 0, month = 0, day = 0;
        DateOfDayNumber(m_firstDay + int32_t((j - 1) * m_stepLength), year, month, day);
        planned = m_first;
        planned.tm_mday = day;
        planned.tm_mon = month - 1;
        planned.tm_year = year - 1900;
        return true;
    }
    // Months and years: a step from 31 January lands on 3 March, and every step after
    // it keeps the 3rd, so each date comes from the one before, from a checkpoint on.
    const size_t checkpoint = size_t(j - 1) / kCheckpointSpacing;
    while (m_checkpoints.size() <= checkpoint) {
        tm next = Unpack(m_checkpoints.back());
        const int32_t base = 1 + int32_t(m_checkpoints.size() - 1) * kCheckpointSpacing;
        for (int32_t n = 1; n <= kCheckpointSpacing; ++n) {
            if (!StepByCalendar(next, m_count, m_kind)) {
                m_lastPlanned = base + n - 1;
                return false;
            }
        }
        m_checkpoints.push_back(Pack(next));
    }
    planned = Unpack(m_checkpoints[checkpoint]);
    for (int32_t index = 1 + int32_t(checkpoint) * kCheckpointSpacing; index < j; ++index) {
        if (!StepByCalendar(planned, m_count, m_kind)) {
            m_lastPlanned = index;
            return false;
        }
    }
    return true;
}

bool TOccurrenceSeries::OccurrenceAt(int32_t k, TOccurrence& o, const tm* planned) {
    if (k < 1 || k >= m_end) return false;
    tm date;
    if (planned) {
        date = *planned;
    } else if (!PlannedAt(k - 1, date)) {
        m_end = std::min(m_end, k);
        return false;
    }
    ++m_steps;
    MoveByInterval(date, m_count, m_kind);
    tm aimed = date;
    const int32_t seconds = NormalizeDate(&date);
    if (seconds == -1) {
        m_end = std::min(m_end, k);
        return false;
    }
    o = MakeOccurrence(date, seconds);
    if (CarryByCalendar(&aimed)) o.Planned = Pack(aimed);
    return true;
}

int32_t TOccurrenceSeries::Estimate(int64_t day) const {
    // The k whose planned date is the last on or before the day, give or take a step.
    int64_t steps = 0;
    if (m_byDays) {
        steps = (day - m_firstDay) / m_stepLength;
    } else if (day >= kFirstDayNumber && day <= kLastDayNumber) {
        int32_t year = 0, month = 0, dayOfMonth = 0;
        DateOfDayNumber(int32_t(day), year, month, dayOfMonth);
        const int64_t months = (int64_t(year) - 1900 - m_first.tm_year) * 12 + (month - 1 - m_first.tm_mon);
        steps = months / m_stepLength;
    } else if (day > kLastDayNumber) {
        steps = std::numeric_limits<int32_t>::max();
    }
    return int32_t(std::max<int64_t>(1, std::min<int64_t>(1 + steps, std::numeric_limits<int32_t>::max() - 1)));
}

void TOccurrenceSeries::SetRun(Reader reader, int32_t first, const TOccurrence* items, int count) {
    // The run keeps its room: look-ups replace it all the time, and a heap asked for
    // a block on every one of them spends the grid's time searching.
    Run& run = m_runs[reader];
    run.First = first;
    run.Items.clear();
    run.Items.insert(run.Items.end(), items, items + count);
}

const TOccurrence* TOccurrenceSeries::At(int32_t k, Reader reader) {
    if (k < 1) return nullptr;
    Run& run = m_runs[reader];
    const int32_t size = int32_t(run.Items.size());
    if (size > 0 && k >= run.First && k < run.First + size) return &run.Items[k - run.First];

    TOccurrence next;
    if (size > 0 && k == run.First + size) {
        // The one after the run: readers walk forward one occurrence at a time.
        const tm planned = Unpack(run.Items.back().Planned);
        if (!OccurrenceAt(k, next, &planned)) return nullptr;
        if (run.Items.size() >= kRunLimit) {
            const size_t dropped = run.Items.size() / 2;
            run.Items.erase(run.Items.begin(), run.Items.begin() + dropped);
            run.First += int32_t(dropped);
        } else if (run.Items.size() == run.Items.capacity()) {
            run.Items.reserve(kRunLimit);  // a walk through a month: room for it at once
        }
        run.Items.push_back(next);
        return &run.Items.back();
    }
    if (!OccurrenceAt(k, next)) return nullptr;
    SetRun(reader, k, &next, 1);
    return &run.Items[0];
}

template <class IsBefore>
int32_t TOccurrenceSeries::LastWhere(IsBefore isBefore, int64_t estimateDay, Reader reader) {
    // Near this reader's last look-up: the same place again, or a step or two further on.
    Run& run = m_runs[reader];
    if (!run.Items.empty() && isBefore(run.Items.front())) {
        size_t i = 0;
        while (i + 1 < run.Items.size() && isBefore(run.Items[i + 1])) ++i;
        if (i + 1 < run.Items.size()) return run.First + int32_t(i);
        for (int n = 0; n < 2; ++n) {
            const int32_t k = run.First + int32_t(run.Items.size());
            const TOccurrence* next = At(k, reader);
            if (!next || !isBefore(*next)) return k - 1;
        }
    }

    // Elsewhere: from the estimate, corrected by the occurrences themselves.
    if (m_end <= 1) return 0;
    int32_t k = std::min(Estimate(estimateDay), m_end - 1);
    TOccurrence pair[2];
    if (!OccurrenceAt(k, pair[0])) {
        // Past the end, which is not known yet: o[1] exists, o[k] does not.
        int32_t low = 1, high = k;
        while (high - low > 1) {
            const int32_t middle = low + (high - low) / 2;
            if (OccurrenceAt(middle, pair[0]))
                low = middle;
            else
                high = middle;
        }
        k = low;
        OccurrenceAt(k, pair[0]);
    }
    while (!isBefore(pair[0])) {
        if (--k == 0) return 0;
        OccurrenceAt(k, pair[0]);
    }
    for (;;) {
        const tm planned = Unpack(pair[0].Planned);
        if (!OccurrenceAt(k + 1, pair[1], &planned)) {
            SetRun(reader, k, pair, 1);
            return k;
        }
        if (!isBefore(pair[1])) {
            SetRun(reader, k, pair, 2);
            return k;
        }
        pair[0] = pair[1];
        ++k;
    }
}

int32_t TOccurrenceSeries::LastBefore(TDateTime value, Reader reader) {
    // An instant outside the calendar (no clock gives one) is estimated at its end.
    const double day = std::floor(value);
    const int64_t estimate = day >= kFirstDayNumber && day <= kLastDayNumber ? int64_t(day)
                             : day > 0                                        ? kLastDayNumber
                                                                              : kFirstDayNumber;
    return LastWhere([value](const TOccurrence& o) { return o.Value < value; }, estimate, reader);
}

int32_t TOccurrenceSeries::LastBeforeDay(int32_t day, Reader reader) {
    return LastWhere([day](const TOccurrence& o) { return o.Day < day; }, int64_t(day) - 1, reader);
}

//--- TNormalizeMemo

int32_t TNormalizeMemo::Normalize(tm& t) {
    if (!m_valid || !SameKey(t, m_key)) {
        tm work = t;
        m_seconds = NormalizeDate(&work);
        m_result = work;
        KeyOf(t, m_key);
        m_valid = true;
    }
    if (m_seconds == -1) {
        // What NormalizeDate leaves of a date it cannot represent.
        t.tm_isdst = -1;
        t.tm_sec = 1;
        return -1;
    }
    t = m_result;
    return m_seconds;
}

//--- TRecurrenceEntry

TOccurrenceSeries& TRecurrenceEntry::GridSeries(const Eintrag& master) {
    if (!m_grid || !m_grid->IsSeriesOf(master.StartTime, master.IntervalCount, master.IntervalKind))
        m_grid = std::make_unique<TOccurrenceSeries>(master.StartTime, master.IntervalCount, master.IntervalKind);
    return *m_grid;
}

const tm& TRecurrenceEntry::PlannedStartOf(const tm& start, const tm& normalised, int32_t seconds) {
    if (!m_plannedValid || !SameKey(start, m_plannedKey)) {
        m_planned = PlannedStart(start, normalised, seconds);
        KeyOf(start, m_plannedKey);
        m_plannedValid = true;
    }
    return m_planned;
}

TOccurrenceSeries& TRecurrenceEntry::DueSeries(const Eintrag& master, const tm& plannedStart) {
    if (SameFields(plannedStart, master.StartTime)) return GridSeries(master);
    if (!m_due || !m_due->IsSeriesOf(plannedStart, master.IntervalCount, master.IntervalKind))
        m_due = std::make_unique<TOccurrenceSeries>(plannedStart, master.IntervalCount, master.IntervalKind);
    return *m_due;
}

//--- TRecurrenceCache

TRecurrenceEntry& TRecurrenceCache::For(const Eintrag* master) {
    return m_entries[master];
}

TRecurrenceEntry& TRecurrenceCache::For(const Eintrag* master, Walker walker) {
    Walk& walk = m_walks[walker];
    if (walk.Next < walk.Order.size() && walk.Order[walk.Next].first == master)
        return *walk.Order[walk.Next++].second;
    if (!walk.Order.empty() && walk.Order.front().first == master) {
        walk.Next = 1;  // a new walk from the top of the list
        return *walk.Order.front().second;
    }
    TRecurrenceEntry& entry = m_entries[master];
    if (walk.Next < walk.Order.size())
        walk.Order[walk.Next] = {master, &entry};
    else
        walk.Order.push_back({master, &entry});
    ++walk.Next;
    return entry;
}

void TRecurrenceCache::Clear() {
    for (Walk& walk : m_walks) walk = Walk();
    m_entries.clear();
}

void TRecurrenceCache::Prune(const Eintrag* first) {
    if (m_entries.size() <= 2 * m_live + 64) return;
    ++m_generation;
    size_t live = 0;
    for (const Eintrag* e = first; e; e = e->Next) {
        const auto found = m_entries.find(e);
        if (found == m_entries.end()) continue;
        found->second.Generation = m_generation;
        ++live;
    }
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->second.Generation != m_generation)
            it = m_entries.erase(it);
        else
            ++it;
    }
    for (Walk& walk : m_walks) walk = Walk();  // they may name entries just erased
    m_live = live;
}
