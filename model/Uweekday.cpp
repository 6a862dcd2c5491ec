// One day cell of the month grid.
#include "model/Uweekday.h"

#include "classlib/SysUtils.h"
#include "model/Ueintrag.h"
#include "model/Ufunction.h"

namespace {

// The calendar day of a date whose year the run-time covers, 0 for any other.
// Days at the edges of its range (1 January 1970 east of UTC) have no moment
// it can represent, yet they are days of the calendar like any other.
int32_t CalendarDay(const tm& date) {
    if (date.tm_year < 70 || date.tm_year > 138) return 0;
    TDateTime day = 0;
    if (!TryEncodeDate(date.tm_year + 1900, date.tm_mon + 1, date.tm_mday, day)) return 0;
    return static_cast<int32_t>(day);
}

}  // namespace

TWeekDay::TWeekDay() : InMonth(false), Head(new Eintrag), m_tail(Head) {}

TWeekDay::~TWeekDay() {
    Clear();
    delete Head;
}

void TWeekDay::SetDate(tm date) {
    Head->StartTime = date;
}

tm TWeekDay::GetDate() const {
    return Head->StartTime;
}

tm TWeekDay::GetDateOnly() const {
    return Head->GetStartDateOnly();
}

int32_t TWeekDay::GetDay() const {
    return Head->StartTime.tm_mday;
}

bool TWeekDay::AddIfSameDate(const Eintrag* record) {
    tm cellDay = GetDateOnly();
    tm recordDay = record->GetStartDateOnly();
    const int32_t cellValue = NormalizeDate(&cellDay);
    const int32_t recordValue = NormalizeDate(&recordDay);
    // -1 is "no representable moment": such days are compared by the calendar,
    // and a day before 1970 or after 2038 is never one that two records share.
    if (cellValue != -1) {
        if (cellValue == recordValue) Append(record);
    } else if (recordValue == -1) {
        const int32_t day = CalendarDay(cellDay);
        if (day != 0 && day == CalendarDay(recordDay)) Append(record);
    }
    return true;
}

bool TWeekDay::Append(const Eintrag* record) {
    if (!Head->Next) m_tail = Head;  // the sentinel was emptied from outside
    Eintrag* last = m_tail;
    // Nothing writes a copy but Assign and the links here, so a spare copy differs
    // from a new one only in what Assign overwrites.
    Eintrag* copy = m_spare;
    if (copy) {
        m_spare = copy->Next;
        copy->Next = nullptr;
    } else {
        copy = new Eintrag;
    }
    copy->Assign(*record);
    copy->Prev = last;
    last->Next = copy;
    m_tail = copy;
    return true;
}

void TWeekDay::Clear() {
    Recycle();
    ReleaseSpare();
}

void TWeekDay::Recycle() {
    Eintrag* record = Head->Next;
    while (record) {
        Eintrag* next = record->Next;
        record->Prev = nullptr;
        record->Next = m_spare;
        m_spare = record;
        record = next;
    }
    Head->Next = nullptr;
    m_tail = Head;
}

void TWeekDay::ReleaseSpare() {
    while (m_spare) {
        Eintrag* next = m_spare->Next;
        delete m_spare;
        m_spare = next;
    }
}

Eintrag* TWeekDay::First() const {
    return Head->Next;
}
