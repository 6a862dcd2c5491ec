// One day cell of the month grid.
#pragma once

#include <cstdint>
#include <ctime>

class Eintrag;

// A day cell: its date (kept in its sentinel's StartTime), whether it lies in the
// month laid out, and a chain of copies of the reminders that fall on it.
class TWeekDay {
public:
    TWeekDay();
    ~TWeekDay();
    TWeekDay(const TWeekDay&) = delete;
    TWeekDay& operator=(const TWeekDay&) = delete;

    void SetInMonth(bool inMonth) { InMonth = inMonth; }
    bool IsInMonth() const { return InMonth; }
    void SetDate(tm date);
    tm GetDate() const;
    tm GetDateOnly() const;
    int32_t GetDay() const;

    // Appends a copy when the record's start falls on the cell's date. Always true.
    bool AddIfSameDate(const Eintrag* record);
    // Appends a copy of the record at the end of the chain. Always true.
    bool Append(const Eintrag* record);
    // Deletes every copy; the chain is empty afterwards.
    void Clear();
    // Empties the chain but keeps its copies for the appends that follow: a grid
    // refreshed holds as many copies as before, and a new one from the heap for each
    // costs more than the copying itself. ReleaseSpare frees those not taken again.
    void Recycle();
    void ReleaseSpare();

    // The first copy of the chain, or null.
    Eintrag* First() const;

    bool InMonth;
    Eintrag* Head;

private:
    // Last record of the chain, so that filling a busy day stays linear.
    Eintrag* m_tail;
    // Copies of an emptied chain, linked by Next, to be taken again by Append.
    Eintrag* m_spare = nullptr;
};
