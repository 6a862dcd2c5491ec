// One day cell of the month grid.
#include "model/Uweekday.h"

#include "model/Ueintrag.h"
#include "model/Ufunction.h"

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
    // -1 is "no representable date", never a day that two records share.
    if (cellValue != -1 && cellValue == recordValue) Append(record);
    return true;
}

bool TWeekDay::Append(const Eintrag* record) {
    if (!Head->Next) m_tail = Head;  // the sentinel was emptied from outside
    Eintrag* last = m_tail;
    Eintrag* copy = new Eintrag;
    copy->Assign(*record);
    copy->Prev = last;
    last->Next = copy;
    m_tail = copy;
    return true;
}

void TWeekDay::Clear() {
    Eintrag* record = Head->Next;
    while (record) {
        Eintrag* next = record->Next;
        delete record;
        record = next;
    }
    Head->Next = nullptr;
    m_tail = Head;
}

Eintrag* TWeekDay::First() const {
    return Head->Next;
}
