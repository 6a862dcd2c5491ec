// The reminder list, the month grid and the date operations of the model.
#include "model/Uconverter.h"

#include "model/Ufunction.h"
#include "model/Uglobals.h"

namespace {

// The day value the grid compares: NormalizeDate of the record's date at 00:00:01.
int32_t DayValue(const tm& date) {
    tm day;
    ClearDateRecord(&day);
    day.tm_mday = date.tm_mday;
    day.tm_mon = date.tm_mon;
    day.tm_year = date.tm_year;
    return NormalizeDate(&day);
}

bool IsDayCopy(const Converter& converter, const Eintrag* record) {
    for (const auto& row : converter.Cells)
        for (const TWeekDay& cell : row)
            for (const Eintrag* copy = cell.First(); copy; copy = copy->Next)
                if (copy == record) return true;
    return false;
}

// The day cells are about to be emptied, and every day copy with them. The
// calendar's selection may name a copy (the day list opens the dialog on one):
// from now on it names that copy's master. A selection or drag naming no listed
// master is let go, so that nothing goes on pointing at a record that is gone.
// Only pointers are compared until a record is known to be alive.
void KeepViewOnMasters(const Converter& converter) {
    if (&converter != gConverter) return;
    if (SelectedEntry && !IsListedMaster(converter, SelectedEntry)) {
        Eintrag* master = IsDayCopy(converter, SelectedEntry) ? SelectedEntry->GetMaster() : nullptr;
        SelectedEntry = IsListedMaster(converter, master) ? master : nullptr;
    }
    if (DragEntry && !IsListedMaster(converter, DragEntry)) {
        DragEntry = nullptr;
        Dragging = false;
    }
}

bool DateEncodes(const tm& t) {
    TDateTime unused = 0;
    return TryEncodeDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, unused);
}

bool DatePartEmpty(const tm& t) {
    return t.tm_mday == 0 && t.tm_mon == 0 && t.tm_year == 0;
}

bool DateTimeEmpty(const tm& t) {
    return t.tm_sec == 0 && t.tm_min == 0 && t.tm_hour == 0 && DatePartEmpty(t);
}

// Date plus hour and minute, the factor 1/86400 in extended precision.
TDateTime DateAndTime(const tm& t) {
    const long double date = EncodeDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    return static_cast<TDateTime>(date + (t.tm_hour * 3600 + t.tm_min * 60) * (1.0L / 86400));
}

}  // namespace

//--- Recurrence rules

bool IsRepeating(const Eintrag& record) {
    return record.IntervalKind >= kIntervalDays && record.IntervalKind <= kIntervalYears &&
           record.IntervalCount >= 1;
}

bool HasUsableDates(const Eintrag& record) {
    return DateEncodes(record.StartTime) && (DatePartEmpty(record.StopAfter) || DateEncodes(record.StopAfter)) &&
           (DateTimeEmpty(record.LastReminded) || DateEncodes(record.LastReminded));
}

//--- Construction and the list

bool IsListedMaster(const Converter& converter, const Eintrag* record) {
    for (const Eintrag* master = converter.First(); master; master = master->Next)
        if (master == record) return true;
    return false;
}

Converter::Converter() : Head(new Eintrag), m_recurrence(std::make_unique<TRecurrenceCache>()) {}

Converter::~Converter() {
    Clear();
    delete Head;
}

Eintrag* Converter::Last() const {
    Eintrag* last = Head;
    while (last->Next) last = last->Next;
    return last;
}

void Converter::Append(Eintrag* master) {
    Eintrag* last = Last();
    master->Prev = last;
    master->Next = nullptr;
    last->Next = master;
}

void Converter::Clear() {
    Eintrag* record = Head->Next;
    while (record) {
        Eintrag* next = record->Next;
        delete record;
        record = next;
    }
    Head->Next = nullptr;
    m_recurrence->Clear();
}

int Converter::Count() const {
    int count = 0;
    for (const Eintrag* e = First(); e; e = e->Next) ++count;
    return count;
}

//--- Month grid

void BuildMonthGrid(Converter& converter, int32_t year, int32_t month, bool sundayFirst) {
    KeepViewOnMasters(converter);
    // The cells are laid out by the calendar, day after day, and only then normalised:
    // stepping a normalised date instead repeats a day wherever the clock changes at
    // midnight, since the run-time puts the first moment of that day on the evening before.
    tm first;
    ClearDateRecord(&first);
    first.tm_year = year;
    first.tm_mon = month;
    first.tm_mday = 1;
    CarryByCalendar(&first);
    int shift = sundayFirst ? -first.tm_wday : 1 - first.tm_wday;
    if (shift == 1) shift = -6;
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            tm date = first;
            date.tm_mday = 1 + shift + row * kGridColumns + column;
            // Days the run-time cannot represent (the December days before a January
            // 1970 grid) keep the date the calendar gives them.
            CarryByCalendar(&date);
            NormalizeDay(&date);
            TWeekDay& cell = converter.Cells[row][column];
            cell.Recycle();  // for the grid that follows
            cell.Head->Reset();
            cell.SetInMonth(date.tm_mon == month);
            cell.SetDate(date);
        }
    }
}

void BuildMonthGrid(int32_t year, int32_t month, bool sundayFirst) {
    BuildMonthGrid(*gConverter, year, month, sundayFirst);
}

bool Converter::AddToCells(const Eintrag* master) {
    for (auto& row : Cells)
        for (TWeekDay& cell : row) cell.AddIfSameDate(master);
    return true;
}

namespace {

// The day numbers of the 42 cells, when they are 42 consecutive representable days
// (as BuildMonthGrid lays them out): then a date's cell follows from its day number.
bool CellDayNumbers(const Converter& converter, int32_t& first) {
    for (int i = 0; i < kGridRows * kGridColumns; ++i) {
        const tm date = converter.Cells[i / kGridColumns][i % kGridColumns].GetDate();
        TDateTime day = 0;
        if (!TryEncodeDate(date.tm_year + 1900, date.tm_mon + 1, date.tm_mday, day)) return false;
        if (i == 0) first = static_cast<int32_t>(day);
        if (static_cast<int32_t>(day) != first + i) return false;
    }
    return true;
}

// Places a master by stepping from its start through the grid. Used for grids at the
// ends of the representable range, whose outer days the run-time cannot normalise.
void PlaceByStepping(Converter& converter, const Eintrag& e, int32_t firstDay, int32_t lastDay) {
    if (!IsRepeating(e)) {
        converter.AddToCells(&e);
        return;
    }
    tm stop = e.StopAfter;
    const bool hasStop = NormalizeDate(&stop) != -1;
    // The master's own start never moves: a working copy is stepped.
    Eintrag work;
    work.Assign(e);
    tm planned = e.StartTime;
    int32_t day = DayValue(work.StartTime);
    while (day <= lastDay) {
        if (hasStop && Converter::CompareDateTime(work.StartTime, e.StopAfter) == 1) break;
        if (day >= firstDay) converter.AddToCells(&work);
        if (StepPlanned(planned, work.StartTime, e.IntervalCount, e.IntervalKind) == -1) break;  // past 2038
        day = DayValue(work.StartTime);
    }
}

// Places a master in a grid of consecutive days from day number first: the same
// copies as stepping from the start, found through the master's remembered series.
// Occurrences only grow later, so those before the grid are skipped and the first
// one past the grid or past the stop date ends the placing.
void PlaceOccurrences(Converter& converter, const Eintrag& e, int32_t first, Eintrag& work) {
    const int32_t last = first + kGridRows * kGridColumns - 1;
    auto cellOf = [&converter, first](int32_t day) -> TWeekDay& {
        const int32_t i = day - first;
        return converter.Cells[i / kGridColumns][i % kGridColumns];
    };
    const int32_t startDay = static_cast<int32_t>(Converter::TmToDate(e.StartTime));
    if (!IsRepeating(e)) {
        // A one-time reminder lies on its start date, whatever its stop date.
        if (startDay >= first && startDay <= last) cellOf(startDay).Append(&e);
        return;
    }
    TRecurrenceEntry& memo = converter.Recurrence().For(&e, TRecurrenceCache::kGridWalk);
    tm stop = e.StopAfter;
    const bool hasStop = memo.StopAfter.Normalize(stop) != -1;
    const TDateTime stopValue = hasStop ? Converter::TmToDateTime(e.StopAfter) : 0.0;
    if (hasStop && Converter::CompareDateTime(e.StartTime, e.StopAfter) == 1) return;
    if (startDay > last) return;
    // The first copy carries the stored start unchanged.
    if (startDay >= first) cellOf(startDay).Append(&e);

    TOccurrenceSeries& series = memo.GridSeries(e);
    bool workIsCopy = false;
    for (int32_t k = series.LastBeforeDay(first, TOccurrenceSeries::kGridReader) + 1;; ++k) {
        const TOccurrence* o = series.At(k, TOccurrenceSeries::kGridReader);
        if (!o || o->Day > last) break;
        if (hasStop && o->Value > stopValue) break;
        if (!workIsCopy) {
            work.Assign(e);
            workIsCopy = true;
        }
        work.StartTime = o->Date;
        cellOf(o->Day).Append(&work);
    }
}

}  // namespace

void Converter::BuildGrid() {
    KeepViewOnMasters(*this);
    for (auto& row : Cells)
        for (TWeekDay& cell : row) cell.Recycle();

    const int32_t firstDay = DayValue(Cells[0][0].GetDate());
    const int32_t lastDay = DayValue(Cells[kGridRows - 1][kGridColumns - 1].GetDate());
    int32_t firstNumber = 0;
    const bool byDayNumber = firstDay != -1 && lastDay != -1 && CellDayNumbers(*this, firstNumber);

    Eintrag work;
    for (const Eintrag* e = First(); e; e = e->Next) {
        if (!HasUsableDates(*e)) continue;
        if (byDayNumber)
            PlaceOccurrences(*this, *e, firstNumber, work);
        else
            PlaceByStepping(*this, *e, firstDay, lastDay);
    }
    for (auto& row : Cells)
        for (TWeekDay& cell : row) cell.ReleaseSpare();
    m_recurrence->Prune(First());
}

//--- Date operations

tm Converter::AddInterval(tm date, int32_t count, int32_t kind) {
    StepDate(date, count, kind);
    return date;
}

TDateTime Converter::TmToDateTime(tm t) {
    if (DateTimeEmpty(t)) return 0.0;
    return DateAndTime(t);
}

TDateTime Converter::TmToDate(tm t) {
    if (DatePartEmpty(t)) return 0.0;
    return EncodeDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
}

int32_t Converter::CompareDateTime(tm a, tm b) {
    const TDateTime va = DatePartEmpty(a) ? 0.0 : DateAndTime(a);
    const TDateTime vb = DatePartEmpty(b) ? 0.0 : DateAndTime(b);
    if (va == vb) return 0;
    return va > vb ? 1 : -1;
}

bool Converter::SameDateRecord(tm a, tm b) {
    return a.tm_sec == b.tm_sec && a.tm_min == b.tm_min && a.tm_hour == b.tm_hour && a.tm_mday == b.tm_mday &&
           a.tm_mon == b.tm_mon && a.tm_year == b.tm_year && a.tm_wday == b.tm_wday && a.tm_yday == b.tm_yday &&
           a.tm_isdst == b.tm_isdst;
}
