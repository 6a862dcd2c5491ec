// The due check: on every tick of the reminder timer, which reminder falls due now,
// and the alarm that announces it.
#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

#include "model/Uconverter.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "model/UmodelHost.h"

namespace {

// The alarm window of a model without windows (tests without a host, start-up):
// the alarm is given to nobody, and the reminder waits as if its window were open.
class TNoAlarmWindow final : public IAlarmWindow {
public:
    void SetSize(int32_t, int32_t) override {}
    void Place() override {}
    void SetEntry(Eintrag*) override {}
    void SetMessageText(const std::string&) override {}
    void Show() override {}
    void SetOccurrence(const tm&) override {}
    void SetIconIndex(int32_t) override {}
    void BringToForeground() override {}
};

// Blanks that move the date line and the title past the alarm window's picture.
const std::string kAlarmIndent(13, ' ');

// The alarm text: date and time of the occurrence, the title, the text.
std::string AlarmText(const Eintrag& entry, const tm& occurrence) {
    return kAlarmIndent + "Reminder for " + IntToStr2(occurrence.tm_mday) + "." + IntToStr2(occurrence.tm_mon + 1) +
           "." + IntToStr2(occurrence.tm_year + 1900) + " : " + IntToStr2(occurrence.tm_hour) + "." +
           IntToStr2(occurrence.tm_min) + "\n\n" + kAlarmIndent + entry.GetTitle() + "\n\n" + " " + entry.GetText();
}

// Whether an occurrence lies after a set stop date (whose time is 23:59).
bool PastStop(const tm& occurrence, const tm& stopAfter) {
    return Converter::CompareDateTime(occurrence, stopAfter) == 1 && std::trunc(Converter::TmToDate(stopAfter)) != 0;
}

// Steps 4 to 8 of the check for one reminder: true, with the occurrence to announce,
// when it falls due. The occurrences come from the master's remembered series (the
// same dates as stepping from the start), and every normalisation of an unchanged
// field from the master's memos, so an idle reminder costs no call of the run-time.
bool FindDueOccurrence(TRecurrenceEntry& memo, const Eintrag& e, TDateTime now, TDateTime today, tm& due) {
    const bool repeating = IsRepeating(e);

    // 4. The occurrence starts as a normalised copy of the start.
    tm occurrence = e.StartTime;
    int32_t occurrenceSeconds = memo.Start.Normalize(occurrence);

    // 5. Advancing, by whole intervals, while the next occurrence has already begun:
    // the result is the latest occurrence that has begun, or the start while that
    // lies ahead. (Comparing with the first interval's length instead would let a
    // monthly or yearly reminder fire late once its intervals get shorter.)
    TOccurrenceSeries* series = nullptr;
    int32_t index = 0;
    if (repeating) {
        series = &memo.DueSeries(e, memo.PlannedStartOf(e.StartTime, occurrence, occurrenceSeconds));
        index = series->LastBefore(now, TOccurrenceSeries::kDueReader);
        if (index > 0) {
            const TOccurrence* o = series->At(index, TOccurrenceSeries::kDueReader);
            occurrence = o->Date;
            occurrenceSeconds = o->Seconds;
        }
    }

    // 6. Stop date.
    if (PastStop(occurrence, e.StopAfter)) return false;

    const TDateTime occurrenceValue = Converter::TmToDateTime(occurrence);
    const TDateTime lastValue = Converter::TmToDateTime(e.LastReminded);

    // 7. Exact-time rule: once the occurrence's minute has begun, unless acknowledged.
    if (e.ExactlyAt) {
        if (now - occurrenceValue > 0 && occurrenceValue - lastValue > 0) {
            due = occurrence;
            return true;
        }
        return false;
    }

    // 8. Advance-days rule.
    tm lastReminded = e.LastReminded;
    int32_t lastSeconds = memo.LastReminded.Normalize(lastReminded);
    if (lastSeconds == -1) lastSeconds = 0;

    // 8.1 An occurrence of today or the past, never acknowledged.
    if (occurrenceSeconds > lastSeconds && today - Converter::TmToDate(occurrence) >= 0) {
        due = occurrence;
        return true;
    }
    // 8.2 Otherwise the one after it, announced in advance.
    if (Converter::CompareDateTime(occurrence, e.StartTime) != 0 ||
        std::trunc(Converter::TmToDate(occurrence)) < today) {
        if (repeating) {
            const TOccurrence* next = series->At(index + 1, TOccurrenceSeries::kDueReader);
            if (!next) return false;  // no occurrence after this one can be represented
            occurrence = next->Date;
        } else {
            memo.Occurrence.Normalize(occurrence);  // a one-time reminder's step only normalises
        }
    }
    // 8.3
    if (PastStop(occurrence, e.StopAfter)) return false;
    // 8.4
    memo.Occurrence.Normalize(occurrence);
    // 8.5
    const TDateTime daysLeft = std::trunc(Converter::TmToDate(occurrence) - today);
    if (daysLeft > e.AdvanceDays) return false;
    // 8.6
    if (Converter::TmToDateTime(occurrence) > lastValue) {
        due = occurrence;
        return true;
    }
    return false;
}

}  // namespace

void Converter::CheckDueReminders() {
    const TDateTime now = Now();
    const TDateTime today = std::floor(now);
    // Postponements count whole seconds per tick, and at least one: a tick shorter
    // than a second must not hold a postponed reminder back for ever.
    const int32_t step = std::max<int32_t>(1, ModelHost().ReminderTimerInterval() / 1000);

    for (Eintrag* e = First(); e; e = e->Next) {
        // 1. A running postponement counts down; the reminder is not tested meanwhile.
        if (e->SnoozeSeconds > 1) {
            e->SnoozeSeconds -= step;
            if (step > e->SnoozeSeconds) e->SnoozeSeconds = 1;
            continue;
        }
        // 2. A postponement that has run out stays at 1 and lets the reminder through.
        if (e->SnoozeSeconds == 1 && !e->AlertOpen) e->Due = true;
        // 3. Its alarm is still open.
        if (e->AlertOpen) continue;
        // A damaged record whose dates cannot be encoded would raise an error on every tick.
        if (!HasUsableDates(*e)) continue;

        tm occurrence;
        if (FindDueOccurrence(m_recurrence->For(e, TRecurrenceCache::kDueWalk), *e, now, today, occurrence)) {
            ShowReminder(e, occurrence);
            break;  // at most one alarm per pass; the next one opens on the next tick
        }
    }
    m_recurrence->Prune(First());
}

void Converter::ShowReminder(Eintrag* entry, tm occurrence) {
    IModelHost& host = ModelHost();
    // 1.
    host.RefreshMainWindow();
    // 2.
    TNoAlarmWindow noWindow;
    IAlarmWindow* created = host.CreateAlarmWindow();
    IAlarmWindow& window = created ? *created : noWindow;
    // 3.
    window.SetSize(General_Settings.AlertForm_Width, General_Settings.AlertForm_Height);
    window.Place();
    // 4.
    window.SetEntry(entry);
    // 5.
    window.SetMessageText(AlarmText(*entry, occurrence));
    // 6.
    entry->Due = false;
    // 7. Whatever fails while the window shows (its sound), the alarm is open and is
    // marked so below, or a new window would open on every tick; the failure is
    // passed on once the window is complete.
    std::exception_ptr showFailure;
    try {
        window.Show();
    } catch (...) {
        showFailure = std::current_exception();
    }
    // 8.
    entry->AlertOpen = true;
    // 9.
    window.SetOccurrence(occurrence);
    window.SetIconIndex(entry->GetPictureIndex());
    // 10.
    window.BringToForeground();
    if (showFailure) std::rethrow_exception(showFailure);
}
