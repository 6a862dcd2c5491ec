// Storing the add/modify dialog's values into the reminder list, and deleting
// reminders: fields, duplicates, edits of masters and day copies, conversion
// failures that change nothing, and what a deletion leaves behind.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "model/Uglobals.h"

namespace {

// A host whose add/modify dialog shows chosen values; it records the messages
// and the requests a deletion makes of the windows.
class DialogHost : public IModelHost {
public:
    DialogHost() { SetModelHost(this); }
    ~DialogHost() override { SetModelHost(nullptr); }

    bool ReadItemDialog(TItemDialogValues& values) override {
        if (!HasDialog) return false;
        values = Values;
        return true;
    }
    int ShowMessage(const std::wstring& text, const std::wstring& title, int mode) override {
        Log.push_back(L"message " + title + L": " + text + L" " + std::to_wstring(mode));
        return 0;
    }
    void ReminderDeleted(Eintrag* master) override {
        // The record is still whole while the windows let go of it.
        Log.push_back(L"deleted " + AnsiToWide(master->GetTitle()));
    }
    void CloseDeleteDialog() override { Log.push_back(L"close delete dialog"); }
    void RefreshCalendarAndDayList() override { Log.push_back(L"refresh"); }

    bool HasDialog = true;
    TItemDialogValues Values;
    std::vector<std::wstring> Log;
};

// A new reminder's dialog: 10:00 on 15 May 2024, "Once", exactly at its time.
TItemDialogValues NewReminder(const char* title = "Dentist") {
    TItemDialogValues values;
    values.IntervalText = "0";
    values.IntervalIndex = kIntervalOnce;
    values.AdvanceDaysText = "0";
    values.Title = title;
    values.Text = "Bring the card\r\nand the letter";
    values.PictureColumn = 3;
    values.ExactlyAt = true;
    values.StartYear = 2024;
    values.StartMonth = 5;
    values.StartDay = 15;
    values.HourText = "10";
    values.MinuteText = "0";
    return values;
}

std::array<uint8_t, Eintrag::kImageSize> Image(const Eintrag& record) {
    std::array<uint8_t, Eintrag::kImageSize> image{};
    record.WriteImage(image.data());
    return image;
}

class Store : public testing::Test {
protected:
    void SetUp() override {
        m_selected = SelectedEntry;
        m_drag = DragEntry;
        m_year = ShownYear;
        m_month = ShownMonth;
        ShownYear = 2024;
        ShownMonth = 4;
        SelectedEntry = nullptr;
        DragEntry = nullptr;
        host.Values = NewReminder();
    }
    void TearDown() override {
        SelectedEntry = m_selected;
        DragEntry = m_drag;
        ShownYear = m_year;
        ShownMonth = m_month;
        Dragging = false;
    }

    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (const Eintrag* e = converter.First(); e; e = e->Next) titles.push_back(e->GetTitle());
        return titles;
    }

    DialogHost host;
    Converter converter;

private:
    Eintrag* m_selected = nullptr;
    Eintrag* m_drag = nullptr;
    int32_t m_year = 0;
    int32_t m_month = 0;
};

}  // namespace

TEST_F(Store, NewReminderTakesEveryFieldOfTheDialogAndGoesLast) {
    host.Values.Title = "First";
    ASSERT_TRUE(converter.StoreFromDialog(0));
    host.Values = NewReminder();
    host.Values.IntervalText = "3";
    host.Values.IntervalIndex = kIntervalWeeks;
    host.Values.AdvanceDaysText = "2";
    host.Values.ExactlyAt = false;
    host.Values.HourText = "07";
    host.Values.MinuteText = "5";
    host.Values.StopChecked = true;
    host.Values.StopYear = 2024;
    host.Values.StopMonth = 6;
    host.Values.StopDay = 30;
    ASSERT_TRUE(converter.StoreFromDialog(0));

    ASSERT_EQ(Titles(), (std::vector<std::string>{"First", "Dentist"}));
    const Eintrag* e = converter.Last();
    EXPECT_EQ(e->GetMaster(), e);
    EXPECT_EQ(e->Prev, converter.First());
    EXPECT_EQ(e->IntervalCount, 3);
    EXPECT_EQ(e->IntervalKind, kIntervalWeeks);
    EXPECT_EQ(e->AdvanceDays, 2);
    EXPECT_STREQ(e->GetText(), "Bring the card\r\nand the letter");
    EXPECT_EQ(e->PictureIndex, 3);
    EXPECT_FALSE(e->ExactlyAt);
    // The start as the dialog gave it, not normalised.
    EXPECT_TRUE(Converter::SameDateRecord(e->StartTime, MakeDate(2024, 5, 15, 7, 5)));
    // The stop date at 23:59 of its day, normalised.
    EXPECT_TRUE(Converter::SameDateRecord(e->StopAfter, Normalized(MakeDate(2024, 6, 30, 23, 59))));
    EXPECT_EQ(e->StopAfter.tm_wday, 0);  // a Sunday
    EXPECT_TRUE(Converter::SameDateRecord(e->LastReminded, Cleared()));
    // A new record keeps its construction values where the dialog says nothing.
    EXPECT_FALSE(e->Acknowledged);
    EXPECT_TRUE(e->Due);
    EXPECT_EQ(e->SnoozeSeconds, 0);
    EXPECT_FALSE(e->AlertOpen);
    EXPECT_TRUE(host.Log.empty());

    // Without a stop date the record's stop date is cleared.
    EXPECT_TRUE(Converter::SameDateRecord(converter.First()->StopAfter, Cleared()));
}

TEST_F(Store, TextsAreCutToTheirArrays) {
    host.Values.Title = std::string(300, 't');
    host.Values.Text = std::string(2000, 'x');
    ASSERT_TRUE(converter.StoreFromDialog(0));
    EXPECT_EQ(std::string(converter.First()->GetTitle()), std::string(255, 't'));
    EXPECT_EQ(std::string(converter.First()->GetText()), std::string(1023, 'x'));
}

TEST_F(Store, TheSameReminderAgainIsRefusedOnceAndAnotherMinuteIsNew) {
    ASSERT_TRUE(converter.StoreFromDialog(0));
    EXPECT_FALSE(converter.StoreFromDialog(0));
    EXPECT_EQ(converter.Count(), 1);
    ASSERT_EQ(host.Log.size(), 1u);
    EXPECT_EQ(host.Log[0], L"message Error: The entered item allready exists!!! 0");

    host.Values.MinuteText = "1";
    EXPECT_TRUE(converter.StoreFromDialog(0));
    EXPECT_EQ(converter.Count(), 2);
    EXPECT_EQ(host.Log.size(), 1u);

    // A master confirmed with "OK" is no duplicate of a new one.
    converter.First()->Acknowledged = true;
    host.Values.MinuteText = "0";
    EXPECT_TRUE(converter.StoreFromDialog(0));
    // Nor is one that was moved by dragging (its start normalised).
    host.Values.Title = "Moved";
    ASSERT_TRUE(converter.StoreFromDialog(0));
    NormalizeDate(&converter.Last()->StartTime);
    EXPECT_TRUE(converter.StoreFromDialog(0));
    EXPECT_EQ(converter.Count(), 5);
}

TEST_F(Store, EditChangesTheMasterOfTheSelectionInPlace) {
    host.Values.IntervalText = "1";
    host.Values.IntervalIndex = kIntervalDays;
    host.Values.StartDay = 1;
    ASSERT_TRUE(converter.StoreFromDialog(0));
    Eintrag* master = converter.First();
    master->SnoozeSeconds = 300;
    master->AlertOpen = true;
    master->Due = false;
    master->Acknowledged = true;
    master->LastReminded = Normalized(MakeDate(2024, 5, 3, 10, 0));

    // Filled from the day copy of the 10th and confirmed unchanged: the start moves to the 10th.
    BuildMonthGrid(converter, 2024 - 1900, 4, true);
    converter.BuildGrid();
    Eintrag* copy = nullptr;
    for (auto& row : converter.Cells)
        for (TWeekDay& cell : row)
            if (cell.GetDay() == 10 && cell.IsInMonth()) copy = cell.First();
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->GetMaster(), master);
    SelectedEntry = copy;
    host.Values.StartDay = copy->StartTime.tm_mday;
    ASSERT_TRUE(converter.StoreFromDialog(1));
    EXPECT_EQ(converter.Count(), 1);
    EXPECT_TRUE(Converter::SameDateRecord(master->StartTime, MakeDate(2024, 5, 10, 10, 0)));
    // Every store clears the confirmation; the postponement and the alarm mark stay.
    EXPECT_TRUE(Converter::SameDateRecord(master->LastReminded, Cleared()));
    EXPECT_FALSE(master->Acknowledged);
    EXPECT_EQ(master->SnoozeSeconds, 300);
    EXPECT_TRUE(master->AlertOpen);
    EXPECT_FALSE(master->Due);

    // Edits are not tested for duplicates.
    host.Values.Title = "Other";
    ASSERT_TRUE(converter.StoreFromDialog(0));
    SelectedEntry = converter.Last();
    host.Values.Title = "Dentist";
    EXPECT_TRUE(converter.StoreFromDialog(1));
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Dentist", "Dentist"}));
    EXPECT_TRUE(host.Log.empty());
}

TEST_F(Store, AFieldThatIsNoNumberChangesNothingAndAddsNothing) {
    ASSERT_TRUE(converter.StoreFromDialog(0));
    Eintrag* master = converter.First();
    const auto before = Image(*master);

    // An emptied interval field: the conversion error of the class library.
    host.Values = NewReminder("Second");
    host.Values.IntervalIndex = kIntervalDays;
    host.Values.IntervalText = "";
    EXPECT_THROW(converter.StoreFromDialog(0), EConvertError);
    EXPECT_EQ(converter.Count(), 1);
    SelectedEntry = master;
    EXPECT_THROW(converter.StoreFromDialog(1), EConvertError);
    EXPECT_EQ(Image(*master), before);

    // A failure in a later field leaves the earlier ones unstored too.
    host.Values.IntervalText = "5";
    host.Values.AdvanceDaysText = "";
    EXPECT_THROW(converter.StoreFromDialog(1), EConvertError);
    host.Values.AdvanceDaysText = "1";
    host.Values.MinuteText = "x";
    EXPECT_THROW(converter.StoreFromDialog(1), EConvertError);
    EXPECT_THROW(converter.StoreFromDialog(0), EConvertError);
    EXPECT_EQ(Image(*master), before);
    EXPECT_EQ(converter.Count(), 1);
    EXPECT_TRUE(host.Log.empty());
}

TEST_F(Store, NothingIsStoredWithoutTheDialogOrWithoutASelection) {
    host.HasDialog = false;
    EXPECT_FALSE(converter.StoreFromDialog(0));
    EXPECT_EQ(converter.Count(), 0);
    host.HasDialog = true;
    SelectedEntry = nullptr;
    EXPECT_FALSE(converter.StoreFromDialog(1));
    EXPECT_EQ(converter.Count(), 0);
}

TEST_F(Store, DeleteUnlinksTellsTheWindowsAndLaysTheShownMonthOutAgain) {
    for (const char* title : {"A", "B", "C"}) {
        host.Values.Title = title;
        ASSERT_TRUE(converter.StoreFromDialog(0));
    }
    Eintrag* a = converter.First();
    Eintrag* b = a->Next;
    Eintrag* c = b->Next;

    SelectedEntry = b;
    DragEntry = c;
    Dragging = true;
    converter.DeleteEntry(b);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(a->Next, c);
    EXPECT_EQ(c->Prev, a);
    EXPECT_EQ(host.Log, (std::vector<std::wstring>{L"deleted B", L"close delete dialog", L"refresh"}));
    // The selection named the deleted record; the drag names a master that stays.
    EXPECT_EQ(SelectedEntry, nullptr);
    EXPECT_EQ(DragEntry, c);
    EXPECT_TRUE(Dragging);
    // The shown month (May 2024, Sunday first) is laid out again, its cells empty
    // until the calendar fills them.
    EXPECT_EQ(DayText(converter.Cells[0][0].GetDate()), "2024-04-28");
    EXPECT_EQ(converter.Cells[0][0].First(), nullptr);

    // Deleting the last master leaves the one before it without a successor.
    converter.DeleteEntry(c);
    EXPECT_EQ(a->Next, nullptr);
    EXPECT_EQ(DragEntry, nullptr);
    EXPECT_FALSE(Dragging);
    converter.DeleteEntry(a);
    EXPECT_EQ(converter.First(), nullptr);
    EXPECT_EQ(converter.Head->Next, nullptr);
}

TEST_F(Store, DeleteForgetsASelectedDayCopyThatTheNewGridFrees) {
    ASSERT_TRUE(converter.StoreFromDialog(0));
    host.Values.Title = "Kept";
    ASSERT_TRUE(converter.StoreFromDialog(0));
    BuildMonthGrid(converter, 2024 - 1900, 4, true);
    converter.BuildGrid();
    Eintrag* copy = nullptr;
    for (auto& row : converter.Cells)
        for (TWeekDay& cell : row)
            for (Eintrag* e = cell.First(); e; e = e->Next)
                if (std::string(e->GetTitle()) == "Kept") copy = e;
    ASSERT_NE(copy, nullptr);
    SelectedEntry = copy;
    converter.DeleteEntry(converter.First());
    EXPECT_EQ(SelectedEntry, nullptr);

    // A selected master that stays is kept.
    SelectedEntry = converter.First();
    host.Values.Title = "Third";
    ASSERT_TRUE(converter.StoreFromDialog(0));
    converter.DeleteEntry(converter.Last());
    EXPECT_EQ(SelectedEntry, converter.First());
}
