// Storing the add/modify dialog's values into the reminder list, and deleting
// a reminder from it.
#include <memory>

#include "model/Uconverter.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "model/UmodelHost.h"

namespace {

// A reminder's fields as the dialog gives them, every one converted and
// checked, so that no record is created or changed before all of them are good.
struct TDialogFields {
    int32_t IntervalCount = 0;
    int32_t IntervalKind = 0;
    int32_t AdvanceDays = 0;
    std::string Title;
    std::string Text;
    int32_t PictureIndex = 0;
    bool ExactlyAt = false;
    tm StartTime{};
    tm StopAfter{};
};

// Raises the class library's conversion error for a number field that holds no
// number (an emptied interval field, for one), in the order the fields are stored.
TDialogFields ConvertDialogValues(const TItemDialogValues& values) {
    TDialogFields fields;
    fields.IntervalCount = StrToInt(values.IntervalText);
    fields.IntervalKind = values.IntervalIndex;
    fields.AdvanceDays = StrToInt(values.AdvanceDaysText);
    fields.Title = values.Title;
    fields.Text = values.Text;
    fields.PictureIndex = values.PictureColumn;
    fields.ExactlyAt = values.ExactlyAt;
    // The start keeps the dialog's values as they are: it is not normalised.
    ClearDateRecord(&fields.StartTime);
    fields.StartTime.tm_year = values.StartYear - 1900;
    fields.StartTime.tm_mon = values.StartMonth - 1;
    fields.StartTime.tm_mday = values.StartDay;
    fields.StartTime.tm_hour = StrToInt(values.HourText);
    fields.StartTime.tm_min = StrToInt(values.MinuteText);
    ClearDateRecord(&fields.StopAfter);
    if (values.StopChecked) {
        fields.StopAfter.tm_year = values.StopYear - 1900;
        fields.StopAfter.tm_mon = values.StopMonth - 1;
        fields.StopAfter.tm_mday = values.StopDay;
        fields.StopAfter.tm_hour = 23;
        fields.StopAfter.tm_min = 59;
        NormalizeDate(&fields.StopAfter);
    }
    return fields;
}

// Due, the postponement and the open-alarm mark are left as they are: a new
// record keeps its construction values, an edited one its own.
void ApplyFields(Eintrag& record, const TDialogFields& fields) {
    record.IntervalCount = fields.IntervalCount;
    record.IntervalKind = fields.IntervalKind;
    record.AdvanceDays = fields.AdvanceDays;
    record.SetTitle(fields.Title.c_str());
    record.SetText(fields.Text.c_str());
    record.PictureIndex = fields.PictureIndex;
    record.ExactlyAt = fields.ExactlyAt;
    record.StartTime = fields.StartTime;
    record.StopAfter = fields.StopAfter;
    // Every store makes the reminder due again for an occurrence already confirmed.
    ClearDateRecord(&record.LastReminded);
    record.Acknowledged = false;
}

}  // namespace

bool Converter::StoreFromDialog(int32_t mode) {
    TItemDialogValues values;
    if (!ModelHost().ReadItemDialog(values)) return false;
    const TDialogFields fields = ConvertDialogValues(values);

    if (mode == 1) {
        // The reminder the dialog was filled from, or the master of the day copy it was filled from.
        Eintrag* target = SelectedEntry ? SelectedEntry->GetMaster() : nullptr;
        if (!target) return false;
        ApplyFields(*target, fields);
        return true;
    }

    auto record = std::make_unique<Eintrag>();
    record->SetMaster(record.get());
    ApplyFields(*record, fields);
    for (const Eintrag* master = First(); master; master = master->Next) {
        if (master->IsSame(*record)) {
            ModelHost().ShowMessage(MsgItemExists, TextError, 0);
            return false;
        }
    }
    Append(record.release());
    return true;
}

void Converter::DeleteEntry(Eintrag* record) {
    if (!record || record == Head) return;
    // Windows still showing the reminder let go of it first.
    ModelHost().ReminderDeleted(record);
    if (record->Prev) record->Prev->Next = record->Next;
    if (record->Next) record->Next->Prev = record->Prev;
    record->Next = nullptr;
    record->Prev = nullptr;
    delete record;
    // The grid is built again below, which frees every day copy: a selection or
    // drag that names no listed master would name freed memory afterwards.
    if (!IsListedMaster(*this, SelectedEntry)) SelectedEntry = nullptr;
    if (!IsListedMaster(*this, DragEntry)) {
        DragEntry = nullptr;
        Dragging = false;
    }
    ModelHost().CloseDeleteDialog();
    BuildMonthGrid(*this, ShownYear - 1900, ShownMonth, Calendar_Settings.Calendar_First_Column != 0);
    ModelHost().RefreshCalendarAndDayList();
}
