// Recurrence of reminders: stepping dates by intervals, and the occurrences of each
// repeating master remembered between the grid's refreshes and the due check's ticks.
#include "model/Urecurrence.h"

#include <algorithm>
#include <cassert>
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

// An occurrence with its compared values, from a normalised date (a date of the
// years 1970 to 2038, so never an empty one): the values Converter::TmToDateTime
// and TmToDate give, without encoding the date twice.
TOccurrence MakeOccurrence(const tm& date, int32_t seconds) {
    TOccurrence o;
    o.Date = date;
    o.Planned = 0;
    o.Seconds = seconds;
    o.Day = DayNumber(date.tm_year + 1900, date.tm_mon + 1, date.tm_mday);
    o.Value = static_cast<TDateTime>(static_cast<long double>(o.Day) +
                                     (date.tm_hour * 3600 + date.tm_min * 60) * (1.0L / 86400));
    return o;
}

// The day numbers of the calendar's ends (1 January 1 and 31 December 9999).
constexpr int32_t kFirstDayNumber = -693593;
constexpr int32_t kLastDayNumber = 2958465;

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

TOccurrenceSeries::TOccurrenceSeries(const tm& start, int32_t count, int32_t kind)
    : m_count(count), m_kind(kind), m_startDate(start) {
    KeyOf(start, m_start);
    m_frontier.Date = start;
    m_frontier.Planned = 0;
    m_frontier.Seconds = -1;
    m_frontier.Value = 0;
    m_frontier.Day = 0;

    tm carried = start;
    if ((kind == kIntervalDays || kind == kIntervalWeeks) && count >= 1 && CarryByCalendar(&carried)) {
        m_direct = true;
        m_baseDay = DayNumber(carried.tm_year + 1900, carried.tm_mon + 1, carried.tm_mday);
        m_baseHour = carried.tm_hour;
        m_baseMinute = carried.tm_min;
        const int64_t stepDays = int64_t(count) * (kind == kIntervalWeeks ? 7 : 1);
        const int64_t span = int64_t(kLastDayNumber) - m_baseDay;
        m_stepDays = int32_t(std::min<int64_t>(stepDays, span + 1));
        m_lastPlanned = int32_t(std::min<int64_t>(span / m_stepDays, std::numeric_limits<int32_t>::max() - 1));
        // Every later step lands later than the one before it, so past o[2] a step that
        // fails (past 2038) fails for good, and the series ends at the first one. Only
        // the first two can fail and be followed by one that would not (a start stored
        // with its clock outside the day, carried back into 1969).
        TOccurrence o;
        if (!DirectAt(1, o))
            m_end = 1;
        else if (!DirectAt(2, o))
            m_end = 2;
    }
}

bool TOccurrenceSeries::DirectPlanned(int32_t j, tm& planned) const {
    if (j == 0) {
        planned = m_startDate;
        return true;
    }
    if (j > m_lastPlanned) return false;
    int32_t year = 0, month = 0, day = 0;
    DateOfDayNumber(m_baseDay + j * m_stepDays, year, month, day);
    ClearDateRecord(&planned);
    planned.tm_sec = 1;
    planned.tm_min = m_baseMinute;
    planned.tm_hour = m_baseHour;
    planned.tm_mday = day;
    planned.tm_mon = month - 1;
    planned.tm_year = year - 1900;
    return true;
}

bool TOccurrenceSeries::DirectAt(int32_t k, TOccurrence& o) {
    if (k < 1 || k >= m_end) return false;
    tm date;
    if (!DirectPlanned(k - 1, date)) {
        m_end = std::min(m_end, k);
        return false;
    }
    ++m_steps;
    MoveByInterval(date, m_count, m_kind);
    const int32_t seconds = NormalizeDate(&date);
    if (seconds == -1) {
        m_end = std::min(m_end, k);
        return false;
    }
    o = MakeOccurrence(date, seconds);
    tm planned;
    if (DirectPlanned(k, planned)) o.Planned = Pack(planned);
    return true;
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

bool TOccurrenceSeries::Step(const tm& from, int32_t fromIndex, TOccurrence& next) {
    assert(!m_direct);
    assert(fromIndex <= m_reached);
    if (fromIndex == m_reached && m_ended) return false;
    tm planned = from;
    tm date;
    ++m_steps;
    const int32_t seconds = StepPlanned(planned, date, m_count, m_kind);
    if (seconds == -1) {
        // A step that failed once fails again: the series ends here.
        if (fromIndex == m_reached) m_ended = true;
        return false;
    }
    next = MakeOccurrence(date, seconds);
    next.Planned = Pack(planned);
    const int32_t index = fromIndex + 1;
    if (index > m_reached) {
        m_reached = index;
        m_frontier = next;
        if ((index - 1) % kCheckpointSpacing == 0) m_checkpoints.push_back({Pack(next.Date), next.Planned});
    }
    return true;
}

int32_t TOccurrenceSeries::BaseFor(int32_t k, tm& base) const {
    if (k <= 1 || m_checkpoints.empty()) {
        base = m_startDate;
        return 0;
    }
    size_t c = size_t(k - 2) / kCheckpointSpacing;
    c = std::min(c, m_checkpoints.size() - 1);
    base = Unpack(m_checkpoints[c].Planned);
    return 1 + int32_t(c) * kCheckpointSpacing;
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

    if (size > 0 && k == run.First + size) {
        // The one after the run: readers walk forward one occurrence at a time.
        TOccurrence next;
        if (m_direct ? !DirectAt(k, next) : !Step(Unpack(run.Items.back().Planned), k - 1, next)) return nullptr;
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

    TOccurrence current;
    if (m_direct) {
        if (!DirectAt(k, current)) return nullptr;
        SetRun(reader, k, &current, 1);
        return &run.Items[0];
    }

    // Elsewhere: beyond what was reached the frontier steps on; within it, from the
    // last checkpoint before k.
    while (m_reached < k - 1) {
        const tm from = m_reached == 0 ? m_startDate : Unpack(m_frontier.Planned);
        TOccurrence next;
        if (!Step(from, m_reached, next)) return nullptr;
    }
    tm from;
    int32_t index = BaseFor(k, from);
    while (index < k) {
        if (!Step(from, index, current)) return nullptr;
        from = Unpack(current.Planned);
        ++index;
    }
    SetRun(reader, k, &current, 1);
    return &run.Items[0];
}

template <class IsBefore>
int32_t TOccurrenceSeries::DirectLastWhere(IsBefore isBefore, int64_t estimateDay, Reader reader) {
    if (m_end <= 1) return 0;
    int64_t estimate = estimateDay - m_baseDay;
    estimate = estimate < 0 ? 0 : estimate / m_stepDays;
    int32_t k = int32_t(std::max<int64_t>(1, std::min<int64_t>(estimate, int64_t(m_end) - 1)));
    k = std::min(k, std::numeric_limits<int32_t>::max() - 1);
    TOccurrence pair[2];
    if (!DirectAt(k, pair[0])) {
        // Past the end, which is not known yet: o[1] exists, o[k] does not.
        int32_t low = 1, high = k;
        while (high - low > 1) {
            const int32_t middle = low + (high - low) / 2;
            if (DirectAt(middle, pair[0]))
                low = middle;
            else
                high = middle;
        }
        k = low;
        DirectAt(k, pair[0]);
    }
    while (!isBefore(pair[0])) {
        if (--k == 0) return 0;
        DirectAt(k, pair[0]);
    }
    for (;;) {
        if (!DirectAt(k + 1, pair[1])) {
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

template <class IsBefore>
int32_t TOccurrenceSeries::LastWhere(IsBefore isBefore, int64_t estimateDay, Reader reader) {
    // 1. Near this reader's last look-up: the same place again, or a little further on.
    Run& run = m_runs[reader];
    if (!run.Items.empty() && isBefore(run.Items.front())) {
        size_t i = 0;
        while (i + 1 < run.Items.size() && isBefore(run.Items[i + 1])) ++i;
        if (i + 1 < run.Items.size()) return run.First + int32_t(i);
        const int32_t walk = m_direct ? 2 : kCheckpointSpacing;
        for (int32_t n = 0; n < walk; ++n) {
            const int32_t k = run.First + int32_t(run.Items.size());
            const TOccurrence* next = At(k, reader);
            if (!next || !isBefore(*next)) return k - 1;
        }
    }
    if (m_direct) return DirectLastWhere(isBefore, estimateDay, reader);

    // 2. Beyond everything stepped so far: the only steps that depend on the age.
    if (m_reached == 0) {
        TOccurrence first;
        if (!Step(m_startDate, 0, first)) return 0;
    }
    if (isBefore(m_frontier)) {
        TOccurrence pair[2] = {m_frontier, m_frontier};
        int32_t index = m_reached;
        for (;;) {
            if (!Step(Unpack(pair[0].Planned), index, pair[1])) {
                SetRun(reader, index, pair, 1);
                return index;
            }
            if (!isBefore(pair[1])) {
                SetRun(reader, index, pair, 2);
                return index;
            }
            pair[0] = pair[1];
            ++index;
        }
    }

    // 3. Within what was stepped: the last checkpoint before, then at most one spacing of steps.
    size_t low = 0, high = m_checkpoints.size();  // checkpoints [0, low) lie before
    while (low < high) {
        const size_t middle = (low + high) / 2;
        const tm date = Unpack(m_checkpoints[middle].Date);
        if (isBefore(MakeOccurrence(date, 0)))
            low = middle + 1;
        else
            high = middle;
    }
    if (low == 0) return 0;  // o[1] itself does not lie before
    int32_t index = 1 + int32_t(low - 1) * kCheckpointSpacing;
    tm from = Unpack(m_checkpoints[low - 1].Planned);
    TOccurrence pair[2];
    bool havePrevious = false;
    for (;;) {
        const bool stepped = Step(from, index, pair[1]);
        if (!stepped || !isBefore(pair[1])) {
            if (!havePrevious) {
                // The answer is the checkpoint itself: its full record comes from the step before it.
                tm base;
                int32_t baseIndex = BaseFor(index, base);
                while (baseIndex < index) {
                    Step(base, baseIndex, pair[0]);
                    base = Unpack(pair[0].Planned);
                    ++baseIndex;
                }
            }
            SetRun(reader, index, pair, stepped ? 2 : 1);
            return index;
        }
        pair[0] = pair[1];
        havePrevious = true;
        from = Unpack(pair[1].Planned);
        ++index;
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
    m_live = live;
}
