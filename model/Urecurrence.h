// Recurrence of reminders: which records repeat, which can be read at all, and the
// occurrences of a repeating reminder, remembered between calls so that finding the
// occurrence at an instant or in a month costs the same for a reminder of any age.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <unordered_map>
#include <vector>

#include "classlib/SysUtils.h"

class Eintrag;

//--- Rules shared by the grid and the due check

// Whether a record repeats: a kind of 1 to 4 with a count of 1 or more. Any other
// record (also a damaged one with a count but no valid kind) is placed and tested
// as a one-time reminder, so stepping always moves forward.
bool IsRepeating(const Eintrag& record);
// Whether the record's dates can be converted: a start that encodes, and a stop
// date and last-reminded date that are empty or encode. Damaged records fail and
// are left out of the grid and the due check (they stay in the list unchanged).
bool HasUsableDates(const Eintrag& record);

// Steps a date by one repetition interval (count units of a kind; other kinds leave
// the date) and normalises it. Returns NormalizeDate's result: -1 once the stepped
// date can no longer be represented. A count too large for any date saturates
// instead of overflowing, and then fails like any date past 2038.
int32_t StepDate(tm& date, int32_t count, int32_t kind);

// One step of a series. planned is the date the step before aimed at (the start for
// the first step): it moves by the interval and is carried by the calendar alone, so
// every occurrence keeps the start's hour and minute. occurrence becomes that date
// normalised: the same as planned, except where it falls into a daylight-saving gap,
// which moves that one occurrence and no later one. Returns NormalizeDate's result.
int32_t StepPlanned(tm& planned, tm& occurrence, int32_t count, int32_t kind);

// The date a series steps on from, for a start and its normalised record: the
// normalised record, unless normalising moved the start out of a daylight-saving gap.
tm PlannedStart(const tm& start, const tm& normalised, int32_t seconds);

//--- Occurrences

// One occurrence after the start, with the values the grid and the due check compare.
struct TOccurrence {
    tm Date;           // normalised, seconds 1
    uint32_t Planned;  // the date it was aimed at, which the next step starts from (packed)
    int32_t Seconds;   // NormalizeDate's result for it
    TDateTime Value;   // Converter::TmToDateTime of it
    int32_t Day;       // whole part of Converter::TmToDate of it
};

// The occurrences of one repeating reminder after its start: o[1] is the start stepped
// once, o[k+1] is o[k] stepped once (from the date it aimed at, StepPlanned), and the
// series ends before the first step that cannot be represented. No occurrence can be
// computed without those before it (a monthly series from 31 January drifts to the
// 3rd), so the series is stepped exactly as a plain loop from the start would step it,
// but only once: every kCheckpointSpacing-th occurrence is kept as a point to step on
// from, and each reader keeps the few occurrences around its last look-up. A look-up
// near the previous one costs nothing, one elsewhere within what was stepped before
// costs at most kCheckpointSpacing steps, and only stepping beyond everything stepped
// so far depends on the reminder's age.
//
// A series of days or weeks needs none of that: the date each step aims at is the
// start carried on by k intervals on the calendar, with the start's hour and minute,
// whatever the clock did on the way. Its o[k] is the one step from that date, so a
// look-up anywhere costs a few steps at any age. The dates are the same.
class TOccurrenceSeries {
public:
    // The grid and the due check look at different instants; each keeps its own place.
    enum Reader { kGridReader = 0, kDueReader = 1, kReaderCount = 2 };

    static constexpr int32_t kCheckpointSpacing = 32;

    // The series of a start stepped by count units of kind (a repeating record's).
    TOccurrenceSeries(const tm& start, int32_t count, int32_t kind);
    TOccurrenceSeries(const TOccurrenceSeries&) = delete;
    TOccurrenceSeries& operator=(const TOccurrenceSeries&) = delete;

    // Whether this is the series of that start, count and kind (only the fields a step reads count).
    bool IsSeriesOf(const tm& start, int32_t count, int32_t kind) const;

    // The last k >= 1 whose occurrence lies before the date-time value, or 0 when o[1]
    // does not (or the series is empty).
    int32_t LastBefore(TDateTime value, Reader reader);
    // The last k >= 1 whose occurrence's day lies before the day number, or 0.
    int32_t LastBeforeDay(int32_t day, Reader reader);
    // o[k] for k >= 1, or null when the series ends before k. The pointer is valid
    // until the next call on the series.
    const TOccurrence* At(int32_t k, Reader reader);

    // Occurrences stepped so far (for tests and measurements).
    int32_t Reached() const { return m_reached; }
    // Steps (normalisations of a stepped date) made by this series so far.
    int64_t StepCount() const { return m_steps; }

private:
    struct Run {
        int32_t First = 0;  // index of Items[0]
        std::vector<TOccurrence> Items;
    };

    // estimateDay: a day number whose occurrence is the answer or next to it.
    template <class IsBefore>
    int32_t LastWhere(IsBefore isBefore, int64_t estimateDay, Reader reader);
    template <class IsBefore>
    int32_t DirectLastWhere(IsBefore isBefore, int64_t estimateDay, Reader reader);
    // Day and week series: the date the step to o[j + 1] starts from; false once that
    // lies past the calendar (and so past the series).
    bool DirectPlanned(int32_t j, tm& planned) const;
    // Day and week series: o[k] by one step from its planned date; false past the end.
    bool DirectAt(int32_t k, TOccurrence& o);
    // o[from + 1] from the planned date of o[from]; false at the end of the series.
    // Extends what was reached.
    bool Step(const tm& from, int32_t fromIndex, TOccurrence& next);
    // The point to step on from for an occurrence k >= 1: the last checkpoint before it, or the start.
    int32_t BaseFor(int32_t k, tm& base) const;
    void SetRun(Reader reader, int32_t first, const TOccurrence* items, int count);
    static uint32_t Pack(const tm& t);
    static tm Unpack(uint32_t packed);

    int32_t m_start[5];  // minute, hour, day, month, year of the start
    int32_t m_count;
    int32_t m_kind;
    tm m_startDate;
    // o[1 + i * kCheckpointSpacing], packed (normalised dates sort as their values).
    struct Checkpoint {
        uint32_t Date;     // what look-ups compare
        uint32_t Planned;  // what the next step starts from
    };
    std::vector<Checkpoint> m_checkpoints;
    // Day and week series.
    bool m_direct = false;
    int32_t m_stepDays = 0;        // days per step, while the calendar holds two steps
    int32_t m_baseDay = 0;         // the start carried by the calendar: its day number
    int32_t m_baseHour = 0;        // and its clock
    int32_t m_baseMinute = 0;
    int32_t m_lastPlanned = 0;     // the last j whose planned date the calendar holds
    int32_t m_end = INT32_MAX;     // the first k known to lie past the series
    TOccurrence m_frontier;  // o[m_reached]; its Planned is the start while m_reached is 0
    int32_t m_reached = 0;
    bool m_ended = false;
    int64_t m_steps = 0;
    Run m_runs[kReaderCount];
};

//--- What the grid and the due check remember per master

// NormalizeDate of a copy of one record field, remembered by the fields it reads
// (minute, hour, day, month and year: the seconds and daylight flag are overwritten
// and the weekday and day of the year are not read), so that an unchanged field
// costs no call of the run-time on every tick.
class TNormalizeMemo {
public:
    // Exactly NormalizeDate(&t), including its effect on t.
    int32_t Normalize(tm& t);

private:
    bool m_valid = false;
    int32_t m_key[5] = {};
    tm m_result{};
    int32_t m_seconds = -1;
};

// One master's remembered state. Everything is keyed on the record fields it was
// computed from, so a master whose start, count or kind was changed (by storing,
// dragging or loading) or that was replaced by another at the same address is noticed
// on its next look-up; the stop date and last-reminded date are applied afresh on
// every look-up.
struct TRecurrenceEntry {
    // The series stepped from the stored start, as the grid places it.
    TOccurrenceSeries& GridSeries(const Eintrag& master);
    // The series stepped from the planned start (PlannedStart), as the due check
    // advances it; the grid's series when that has the fields a step reads as stored.
    TOccurrenceSeries& DueSeries(const Eintrag& master, const tm& plannedStart);

    TNormalizeMemo Start;         // the start, normalised (due check step 4)
    TNormalizeMemo LastReminded;  // the last-reminded date, normalised
    TNormalizeMemo StopAfter;     // the stop date, normalised (does it exist?)
    TNormalizeMemo Occurrence;    // an occurrence normalised again (due check step 8)
    uint32_t Generation = 0;

private:
    std::unique_ptr<TOccurrenceSeries> m_grid;
    std::unique_ptr<TOccurrenceSeries> m_due;
};

// The remembered state of every master of one list.
class TRecurrenceCache {
public:
    TRecurrenceEntry& For(const Eintrag* master);
    // Forgets masters that left the list, once enough have gone to be worth a walk
    // over the list (first: the list's first master).
    void Prune(const Eintrag* first);
    void Clear() { m_entries.clear(); }
    size_t Size() const { return m_entries.size(); }

private:
    // By value: an entry's place never moves while it is in the map.
    std::unordered_map<const Eintrag*, TRecurrenceEntry> m_entries;
    uint32_t m_generation = 0;
    size_t m_live = 0;  // masters found in the list by the last pruning
};
