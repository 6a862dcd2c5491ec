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
// once, o[k+1] is the date o[k] aimed at stepped once (StepPlanned), and the series
// ends before the first step that cannot be represented. The date each step aims at
// is carried by the calendar alone, whatever the clock does on the way, so it needs
// no normalising: for days and weeks it is the start carried on by k intervals, and
// months and years step it from a checkpoint kept every kCheckpointSpacing steps (no
// such date can be had without those before it: a monthly series from 31 January
// drifts to the 3rd). Only the occurrences a look-up needs are normalised, and each
// reader keeps the few around its last look-up, so a look-up near the previous one
// costs nothing and one elsewhere a few steps, at any age of the reminder. The dates
// are those a plain loop stepping from the start gives.
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
    // The date the step to o[j + 1] starts from: the start as stored for j = 0, else
    // carried by the calendar; false once it lies past the years a date can have.
    bool PlannedAt(int32_t j, tm& planned);
    // o[k] by one step from its planned date (planned: PlannedAt(k - 1), when the
    // caller has it); false past the end of the series.
    bool OccurrenceAt(int32_t k, TOccurrence& o, const tm* planned = nullptr);
    // The k whose occurrence lies on or next to a day number.
    int32_t Estimate(int64_t day) const;
    void SetRun(Reader reader, int32_t first, const TOccurrence* items, int count);
    static uint32_t Pack(const tm& t);
    static tm Unpack(uint32_t packed);

    int32_t m_start[5];  // minute, hour, day, month, year of the start
    int32_t m_count;
    int32_t m_kind;
    tm m_startDate;
    bool m_byDays = false;    // days and weeks
    int64_t m_stepLength = 1;  // days (days, weeks) or months (months, years) per step
    tm m_first{};              // the date the second step starts from (PlannedAt(1))
    int32_t m_firstDay = 0;    // its day number (days and weeks)
    int32_t m_lastPlanned = INT32_MAX;  // the last j PlannedAt can give, once known
    std::vector<uint32_t> m_checkpoints;  // PlannedAt(1 + i * kCheckpointSpacing), packed (months, years)
    int32_t m_end = INT32_MAX;  // the first k known to lie past the series
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

    // PlannedStart(start, normalised, seconds), remembered by the start's fields:
    // normalised and seconds are the Start memo's result for the same start.
    const tm& PlannedStartOf(const tm& start, const tm& normalised, int32_t seconds);

private:
    bool m_plannedValid = false;
    int32_t m_plannedKey[5] = {};
    tm m_planned{};
    std::unique_ptr<TOccurrenceSeries> m_grid;
    std::unique_ptr<TOccurrenceSeries> m_due;
};

// The remembered state of every master of one list.
class TRecurrenceCache {
public:
    // Who walks the list: each walks it in its order, and for each the next master
    // looked up is most often the one after the last, found without hashing.
    enum Walker { kGridWalk = 0, kDueWalk = 1, kWalkerCount = 2 };

    TRecurrenceEntry& For(const Eintrag* master);
    TRecurrenceEntry& For(const Eintrag* master, Walker walker);
    // Forgets masters that left the list, once enough have gone to be worth a walk
    // over the list (first: the list's first master).
    void Prune(const Eintrag* first);
    void Clear();
    size_t Size() const { return m_entries.size(); }

private:
    // By value: an entry's place never moves while it is in the map.
    std::unordered_map<const Eintrag*, TRecurrenceEntry> m_entries;
    // Each walker's masters in the order of its last walk, with their entries.
    struct Walk {
        std::vector<std::pair<const Eintrag*, TRecurrenceEntry*>> Order;
        size_t Next = 0;
    };
    Walk m_walks[kWalkerCount];
    uint32_t m_generation = 0;
    size_t m_live = 0;  // masters found in the list by the last pruning
};
