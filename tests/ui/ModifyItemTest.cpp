// The add/modify dialog: its resource and defaults, the interval rules, the
// keys, the picture strip, and whole add and edit runs driven with messages
// inside its modal loop, down to the reminder list, the day list and the grid.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "UiTestSupport.h"
#include "model/Uconverter.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "ui/UFormModifyItem.h"
#include "ui/UMain.h"
#include "ui/Ugraphic.h"
#include "ui/Umainbutton.h"
#include "ui/Upictures.h"

namespace {

// The program's host as far as the dialog needs it, with the messages recorded
// instead of shown.
class DialogHost : public RecordingHost {
public:
    bool ReadItemDialog(TItemDialogValues& values) override { return ReadModifyItemDialog(values); }
    void RefreshCalendarAndDayList() override {
        gCalendarView->Refresh();
        gCalendarView->FillDayList();
    }
};

class ModifyItemTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        EnterProgramFolder("qr-modify", &host, [] { return EncodeDate(2024, 3, 15) + 0.5; });
        Application->CreateForm(MainForm);
        // No alarm may open while the dialog is driven.
        MainForm->TimerCheckForReminders->SetEnabled(false);
        MainForm->Show();
        Application->CreateForm(FormModifyItem);
        PumpUntilIdle();
        ShowMonth(2024, 3);
        SelectDay(20);
        Application->OnIdle = [this](TObject*) { RunNextStep(); };
    }

    void TearDown() override {
        Application->OnIdle = nullptr;
        if (FormModifyItem) FreeForm(FormModifyItem);
        if (MainForm) FreeForm(MainForm);
        gConverter->Clear();
        SelectedEntry = nullptr;
        PumpUntilIdle();
        LeaveProgramFolder();
    }

    void ShowMonth(int year, int month) {
        ShownYear = year;
        ShownMonth = month - 1;
        BuildMonthGrid(year - 1900, month - 1, Calendar_Settings.Calendar_First_Column != 0);
        gCalendarView->Refresh();
    }

    // Selects the cell of a day of the shown month, as a click on the grid does.
    void SelectDay(int day) {
        for (int row = 0; row < kGridRows; ++row)
            for (int column = 0; column < kGridColumns; ++column) {
                const TWeekDay& cell = gConverter->Cells[row][column];
                if (cell.IsInMonth() && cell.GetDay() == day) {
                    SelectedRow = row;
                    SelectedColumn = column;
                }
            }
    }

    TWeekDay& SelectedCell() { return gConverter->Cells[SelectedRow][SelectedColumn]; }

    // Runs the dialog modally; the steps run one at a time inside its loop.
    // A dialog still open when the steps are done is a failure and is closed.
    void RunModal(std::function<void()> open, std::vector<std::function<void()>> script) {
        steps.assign(script.begin(), script.end());
        open();
        EXPECT_TRUE(steps.empty()) << steps.size() << " steps left";
        steps.clear();
    }

    void RunNextStep() {
        if (!FormModifyItem || !FormModifyItem->IsModal()) return;
        if (steps.empty()) {
            ADD_FAILURE() << "the dialog is still open";
            FormModifyItem->SetModalResult(1);
        } else {
            const std::function<void()> step = steps.front();
            steps.pop_front();
            step();
        }
        // Wakes the loop for the next step.
        PostMessageA(Application->Handle(), WM_NULL, 0, 0);
    }

    //--- Driving the controls with messages

    void Click(TWinControl* control) { SendMessageA(control->Handle(), BM_CLICK, 0, 0); }
    void ClickOK() { Click(FormModifyItem->OKButton()); }
    void ClickCancel() { Click(FormModifyItem->CancelButton()); }
    void Type(TWinControl* control, const std::string& text) {
        for (char ch : text) SendMessageA(control->Handle(), WM_CHAR, static_cast<unsigned char>(ch), 0);
    }
    void SetText(TWinControl* control, const std::string& text) {
        SendMessageA(control->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::string Text(TWinControl* control) {
        char text[1100] = {0};
        GetWindowTextA(control->Handle(), text, sizeof(text));
        return text;
    }
    void KeyUp(TWinControl* control) { SendMessageA(control->Handle(), WM_KEYUP, '0', 0); }
    // A choice in the interval list as the user makes it.
    void ChooseInterval(int index) {
        TComboBox* combo = FormModifyItem->ComboBoxInterval;
        SendMessageA(combo->Handle(), CB_SETCURSEL, index, 0);
        SendMessageA(FormModifyItem->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo->Handle()), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo->Handle()));
    }
    void SetPickerDate(TDateTimePicker* picker, int year, int month, int day) {
        SYSTEMTIME time{};
        time.wYear = static_cast<WORD>(year);
        time.wMonth = static_cast<WORD>(month);
        time.wDay = static_cast<WORD>(day);
        SendMessageA(picker->Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    }
    // A click on a column of the picture strip.
    void ClickPicture(int column) {
        HWND grid = FormModifyItem->StringGridPictures->Handle();
        SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, Point(column * 33 + 10, 10));
        SendMessageA(grid, WM_LBUTTONUP, 0, Point(column * 33 + 10, 10));
    }

    bool IsOpen() { return FormModifyItem->IsModal() && IsWindowVisible(FormModifyItem->Handle()); }

    std::vector<std::string> Titles() {
        std::vector<std::string> titles;
        for (const Eintrag* e = gConverter->First(); e; e = e->Next) titles.push_back(e->GetTitle());
        return titles;
    }
    std::vector<std::string> DayList() {
        std::vector<std::string> lines;
        TListBoxStrings* items = MainForm->ListBoxInfo->Items();
        for (int i = 0; i < items->Count(); ++i) lines.push_back(items->Strings(i));
        return lines;
    }
    std::vector<std::wstring> Messages() { return host.messages; }

    DialogHost host;
    std::deque<std::function<void()>> steps;
};

using Lines = std::vector<std::string>;
using Texts = std::vector<std::wstring>;

}  // namespace

TEST_F(ModifyItemTest, ResourceButtonsAndPictureList) {
    TFormModifyItem* form = FormModifyItem;
    EXPECT_EQ(form->ClientWidth(), 498);
    EXPECT_EQ(form->ClientHeight(), 501);
    EXPECT_EQ(form->BorderStyle(), bsNone);
    EXPECT_EQ(form->Position, poScreenCenter);
    struct Place {
        TControl* control;
        RECT rect;
        int tab;
    };
    const Place places[] = {
        {form->DateTimePickerNewDate, {16, 44, 161, 65}, 0},
        {form->CheckBoxRemindeExactlyAt, {180, 48, 193, 61}, 1},
        {form->CSpinEditAddHour, {368, 44, 409, 66}, 2},
        {form->CSpinEditAddMin, {424, 44, 465, 66}, 3},
        {form->ComboBoxInterval, {104, 104, 164, 0}, 4},
        {form->CheckBoxStopAfterDate, {180, 106, 193, 119}, 5},
        {form->DateTimePickerStopAfterDate, {328, 104, 465, 125}, 6},
        {form->CSpinEditInterval, {104, 152, 164, 174}, 7},
        {form->CSpinEditRemindeInAdvance, {328, 152, 388, 174}, 8},
        {form->StringGridPictures, {24, 208, 473, 261}, 9},
        {form->EditTitel, {96, 298, 473, 319}, 10},
        {form->MemoText, {24, 338, 473, 435}, 11},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.control->Name());
        const RECT rect = place.control->BoundsRect();
        EXPECT_EQ(rect.left, place.rect.left);
        EXPECT_EQ(rect.top, place.rect.top);
        EXPECT_EQ(rect.right, place.rect.right);
        if (place.rect.bottom) {
            EXPECT_EQ(rect.bottom, place.rect.bottom);
        }
        EXPECT_EQ(static_cast<TWinControl*>(place.control)->TabOrder, place.tab);
    }
    EXPECT_EQ(form->ExtnImageForIcon->BoundsRect().left, 40);
    EXPECT_EQ(form->ExtnImageForIcon->Width(), 32);
    EXPECT_EQ(form->Label1->Caption(), "How often:");
    EXPECT_EQ(form->Label2->Caption(), "Remind in advance (days):");
    // Its text ends before its field.
    EXPECT_LT(form->Label2->Left() + form->Label2->Width(), form->CSpinEditRemindeInAdvance->Left());
    EXPECT_EQ(form->CSpinEditInterval->MinValue, 1);
    EXPECT_EQ(form->CSpinEditInterval->MaxValue, 365);
    EXPECT_EQ(form->CSpinEditAddMin->MaxValue, 59);

    // The buttons of the creation handler; Cancel is the cancelling one.
    TImageButton* ok = form->OKButton();
    TImageButton* cancel = form->CancelButton();
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(ok->CaptionText, L"OK");
    EXPECT_EQ(cancel->CaptionText, L"Cancel");
    EXPECT_EQ(ok->BoundsRect().left, 72);
    EXPECT_EQ(ok->BoundsRect().top, 460);
    EXPECT_EQ(ok->Width(), 75);
    EXPECT_EQ(cancel->BoundsRect().left, 342);
    EXPECT_TRUE(cancel->Cancel);
    EXPECT_FALSE(ok->Cancel);
    EXPECT_TRUE(ok->DrawShadow);

    // The built-in pictures are the picture collection.
    EXPECT_EQ(form->ImageListForMessages->Count(), 10);
    EXPECT_EQ(form->ImageListForMessages->Width(), 32);
    EXPECT_FALSE(form->ImageListForMessages->Masked());
    EXPECT_EQ(PictureCollection(), form->ImageListForMessages);
}

TEST_F(ModifyItemTest, ANewReminderStartsOnTheSelectedDayAtTenOnceAndExactly) {
    ShowMonth(2024, 2);
    SelectDay(29);
    FormModifyItem->CSpinEditAddHour->SetText("3");
    FormModifyItem->EditTitel->SetText("left over");
    ResetModifyItemForm();
    TFormModifyItem* form = FormModifyItem;
    EXPECT_EQ(form->Caption(), "Add New Reminder");
    EXPECT_EQ(form->IntervalLabel->Caption(), "Interval:");
    EXPECT_EQ(form->CheckBoxStopAfterDateText->Caption(), "   Stop remind after:");
    EXPECT_EQ(form->DateTimePickerNewDate->Date(), EncodeDate(2024, 2, 29));
    EXPECT_EQ(form->DateTimePickerStopAfterDate->Date(), EncodeDate(2024, 3, 1));
    EXPECT_FALSE(form->DateTimePickerStopAfterDate->Enabled());
    EXPECT_FALSE(form->CheckBoxStopAfterDate->Checked());
    EXPECT_FALSE(form->CheckBoxStopAfterDate->Enabled());
    EXPECT_EQ(form->CSpinEditAddHour->Text(), "10");
    EXPECT_EQ(form->CSpinEditAddMin->Text(), "0");
    ASSERT_EQ(form->ComboBoxInterval->Items()->Count(), 5);
    EXPECT_EQ(form->ComboBoxInterval->Items()->Strings(4), "Yearly");
    EXPECT_EQ(form->ComboBoxInterval->Text(), "Once");
    EXPECT_EQ(form->CSpinEditInterval->Text(), "0");
    EXPECT_FALSE(form->CSpinEditInterval->Enabled());
    EXPECT_TRUE(form->CheckBoxRemindeExactlyAt->Checked());
    EXPECT_EQ(form->CSpinEditRemindeInAdvance->Text(), "0");
    EXPECT_FALSE(form->CSpinEditRemindeInAdvance->Enabled());
    EXPECT_EQ(form->StringGridPictures->ColCount(), 10);
    EXPECT_EQ(form->StringGridPictures->Col(), 0);
    EXPECT_EQ(form->EditTitel->Text(), "");
    EXPECT_EQ(form->MemoText->Text(), "");
}

TEST_F(ModifyItemTest, IntervalKindsSetLimitsAndTheKeysLimitTheFields) {
    ResetModifyItemForm();
    TFormModifyItem* form = FormModifyItem;
    struct Row {
        int kind;
        int intervalMax;
        int advanceMax;
    };
    for (const Row& row : {Row{1, 90, 1}, Row{2, 10, 6}, Row{3, 6, 30}, Row{4, 5, 365}}) {
        SCOPED_TRACE(row.kind);
        form->CSpinEditRemindeInAdvance->SetText("7");
        ChooseInterval(row.kind);
        EXPECT_EQ(form->CSpinEditInterval->Text(), "1");
        EXPECT_TRUE(form->CSpinEditInterval->Enabled());
        EXPECT_EQ(form->CSpinEditInterval->MaxValue, row.intervalMax);
        EXPECT_EQ(form->CSpinEditRemindeInAdvance->Text(), "0");
        EXPECT_EQ(form->CSpinEditRemindeInAdvance->MaxValue, row.advanceMax);
        EXPECT_TRUE(form->CheckBoxStopAfterDate->Enabled());
        EXPECT_FALSE(form->CSpinEditRemindeInAdvance->Enabled());  // still exactly at the time
    }

    // Weekly: typing "15" into the interval makes it "10" on the key's release;
    // "0" becomes the minimum 1.
    ChooseInterval(2);
    SetText(form->CSpinEditInterval, "15");
    KeyUp(form->CSpinEditInterval);
    EXPECT_EQ(form->CSpinEditInterval->Text(), "10");
    SetText(form->CSpinEditInterval, "0");
    KeyUp(form->CSpinEditInterval);
    EXPECT_EQ(form->CSpinEditInterval->Text(), "1");
    // An emptied interval stays empty; an emptied hour shows "0".
    SetText(form->CSpinEditInterval, "");
    KeyUp(form->CSpinEditInterval);
    EXPECT_EQ(form->CSpinEditInterval->Text(), "");
    SetText(form->CSpinEditAddHour, "75");
    KeyUp(form->CSpinEditAddHour);
    EXPECT_EQ(form->CSpinEditAddHour->Text(), "23");
    SetText(form->CSpinEditAddHour, "");
    KeyUp(form->CSpinEditAddHour);
    EXPECT_EQ(form->CSpinEditAddHour->Text(), "0");
    // Typing "08" over the selected hour gives 8: the typed "0" is not rewritten
    // with the caret put before it (which made "80", then 23).
    SetText(form->CSpinEditAddHour, "10");
    SendMessageA(form->CSpinEditAddHour->Handle(), EM_SETSEL, 0, -1);
    Type(form->CSpinEditAddHour, "0");
    KeyUp(form->CSpinEditAddHour);
    Type(form->CSpinEditAddHour, "8");
    KeyUp(form->CSpinEditAddHour);
    EXPECT_EQ(form->CSpinEditAddHour->Text(), "08");
    EXPECT_EQ(form->CSpinEditAddHour->Value(), 8);
    // A limited value keeps the caret at its end.
    SetText(form->CSpinEditAddHour, "75");
    KeyUp(form->CSpinEditAddHour);
    DWORD selEnd = 0;
    SendMessageA(form->CSpinEditAddHour->Handle(), EM_GETSEL, 0, reinterpret_cast<LPARAM>(&selEnd));
    EXPECT_EQ(selEnd, 2u);

    // Leaving the hour with "5" shows "05"; the minute keeps "5".
    SetText(form->CSpinEditAddHour, "5");
    SendMessageA(form->CSpinEditAddHour->Handle(), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(form->CSpinEditAddHour->Text(), "05");
    SetText(form->CSpinEditAddMin, "5");
    SendMessageA(form->CSpinEditAddMin->Handle(), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(form->CSpinEditAddMin->Text(), "5");

    // Not exactly at the time: the advance days are usable, within the kind's limit.
    Click(form->CheckBoxRemindeExactlyAt);
    EXPECT_FALSE(form->CheckBoxRemindeExactlyAt->Checked());
    EXPECT_TRUE(form->CSpinEditRemindeInAdvance->Enabled());
    SetText(form->CSpinEditRemindeInAdvance, "9");
    KeyUp(form->CSpinEditRemindeInAdvance);
    EXPECT_EQ(form->CSpinEditRemindeInAdvance->Text(), "6");
    // The label beside the box toggles it too, which clears the advance days.
    form->LabelRemindeExactlyAt->OnClick(form->LabelRemindeExactlyAt);
    EXPECT_TRUE(form->CheckBoxRemindeExactlyAt->Checked());
    EXPECT_EQ(form->CSpinEditRemindeInAdvance->Text(), "0");
    EXPECT_FALSE(form->CSpinEditRemindeInAdvance->Enabled());

    // The stop date: its box enables the picker; its label toggles the box only while the box is enabled.
    Click(form->CheckBoxStopAfterDate);
    EXPECT_TRUE(form->DateTimePickerStopAfterDate->Enabled());
    form->CheckBoxStopAfterDateText->OnClick(form->CheckBoxStopAfterDateText);
    EXPECT_FALSE(form->CheckBoxStopAfterDate->Checked());
    EXPECT_FALSE(form->DateTimePickerStopAfterDate->Enabled());
    form->CheckBoxStopAfterDateText->OnClick(form->CheckBoxStopAfterDateText);
    EXPECT_TRUE(form->CheckBoxStopAfterDate->Checked());
    // "Once" unchecks and disables the box; the label then does nothing.
    ChooseInterval(0);
    EXPECT_EQ(form->CSpinEditInterval->Text(), "0");
    EXPECT_FALSE(form->CSpinEditInterval->Enabled());
    EXPECT_FALSE(form->CheckBoxStopAfterDate->Checked());
    EXPECT_FALSE(form->CheckBoxStopAfterDate->Enabled());
    EXPECT_FALSE(form->DateTimePickerStopAfterDate->Enabled());
    form->CheckBoxStopAfterDateText->OnClick(form->CheckBoxStopAfterDateText);
    EXPECT_FALSE(form->CheckBoxStopAfterDate->Checked());
}

TEST_F(ModifyItemTest, LettersAreIgnoredInNumberFieldsPickersAndTheStripButTakenInTheTexts) {
    ResetModifyItemForm();
    TFormModifyItem* form = FormModifyItem;
    ChooseInterval(1);
    SetText(form->CSpinEditAddHour, "");
    Type(form->CSpinEditAddHour, "1a-2");
    EXPECT_EQ(form->CSpinEditAddHour->Text(), "12");
    SetText(form->CSpinEditInterval, "");
    Type(form->CSpinEditInterval, "x3");
    EXPECT_EQ(form->CSpinEditInterval->Text(), "3");
    std::vector<int> passed;
    auto recordPassed = [&passed, form](TWinControl* control) {
        char key = 'q';
        form->CSpinEditRemindeInAdvanceKeyPress(control, key);
        passed.push_back(key);
        key = '4';
        form->CSpinEditRemindeInAdvanceKeyPress(control, key);
        passed.push_back(key);
        key = VK_BACK;
        form->CSpinEditRemindeInAdvanceKeyPress(control, key);
        passed.push_back(key);
    };
    recordPassed(form->DateTimePickerNewDate);
    EXPECT_EQ(passed, (std::vector<int>{0, '4', VK_BACK}));
    // The pickers and the strip have the handler bound.
    for (TWinControl* control :
         std::vector<TWinControl*>{form->DateTimePickerNewDate, form->DateTimePickerStopAfterDate,
                                   form->StringGridPictures, form->ComboBoxInterval, form->CSpinEditRemindeInAdvance}) {
        char key = 'z';
        control->OnKeyPress(control, key);
        EXPECT_EQ(key, 0) << control->Name();
    }
    Type(form->EditTitel, "Call Bob 2x");
    EXPECT_EQ(form->EditTitel->Text(), "Call Bob 2x");
    Type(form->MemoText, "a-b");
    EXPECT_EQ(form->MemoText->Text(), "a-b");
}

TEST_F(ModifyItemTest, AddedReminderIsInTheListTheDayListAndTheGrid) {
    FormModifyItem->Label2->SetCaption("Remind in advance (days), at the latest:");
    RunModal(OpenModifyItemForNew, {
                                       [&] {
                                           EXPECT_TRUE(IsOpen());
                                           EXPECT_EQ(FormModifyItem->Tag, 0);
                                           // The advance-days label keeps the resource's place,
                                           // however wide its text.
                                           EXPECT_EQ(FormModifyItem->Label2->Left(), 184);
                                           EXPECT_EQ(FormModifyItem->Label2->Top(), 155);
                                           SetText(FormModifyItem->EditTitel, "Dentist");
                                           FormModifyItem->MemoText->SetText("Bring the card\nand the letter");
                                           SetText(FormModifyItem->CSpinEditAddMin, "30");
                                           ClickOK();
                                       },
                                   });
    EXPECT_FALSE(IsWindowVisible(FormModifyItem->Handle()));
    ASSERT_EQ(Titles(), (Lines{"Dentist"}));
    const Eintrag* e = gConverter->First();
    EXPECT_TRUE(Converter::SameDateRecord(e->StartTime, Date(2024, 3, 20, 10, 30)));
    EXPECT_EQ(e->IntervalKind, kIntervalOnce);
    EXPECT_EQ(e->IntervalCount, 0);
    EXPECT_TRUE(e->ExactlyAt);
    EXPECT_EQ(e->PictureIndex, 0);
    EXPECT_STREQ(e->GetText(), "Bring the card\r\nand the letter");
    EXPECT_EQ(DayList(), (Lines{"10.30 Dentist"}));
    // Stored at once, not only when the window hides.
    EXPECT_EQ(SavedReminders(folder), (Lines{"20.03 10.30 Dentist"}));
    const Eintrag* copy = SelectedCell().First();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetMaster(), e);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(errors.empty());
}

TEST_F(ModifyItemTest, TheSameReminderAgainIsRefusedAndTheDialogStaysOpenUntilTheMinuteDiffers) {
    auto fill = [&] { SetText(FormModifyItem->EditTitel, "Dentist"); };
    RunModal(OpenModifyItemForNew, {[&] {
                 fill();
                 ClickOK();
             }});
    RunModal(OpenModifyItemForNew, {
                                       [&] {
                                           fill();
                                           ClickOK();
                                       },
                                       [&] {
                                           EXPECT_TRUE(IsOpen());
                                           EXPECT_EQ(Messages(),
                                                     (Texts{L"Error: The entered item allready exists!!!"}));
                                           // The values stay as the user left them.
                                           EXPECT_EQ(Text(FormModifyItem->EditTitel), "Dentist");
                                           EXPECT_EQ(Text(FormModifyItem->CSpinEditAddHour), "10");
                                           // Enter after the refusal leaves it open too.
                                           SendMessageA(FormModifyItem->EditTitel->Handle(), WM_CHAR, VK_RETURN, 0);
                                       },
                                       [&] {
                                           EXPECT_TRUE(IsOpen());
                                           EXPECT_EQ(Messages().size(), 2u);
                                           SetText(FormModifyItem->CSpinEditAddMin, "1");
                                           ClickOK();
                                       },
                                   });
    EXPECT_EQ(Titles(), (Lines{"Dentist", "Dentist"}));
    EXPECT_EQ(DayList(), (Lines{"10.00 Dentist", "10.01 Dentist"}));
    EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(ModifyItemTest, EditingFromADayCopyOfTheTenthMovesTheStartToTheTenth) {
    // A daily reminder from the 1st, not exactly at its time but 1 day ahead.
    auto* master = new Eintrag;
    master->SetMaster(master);
    master->StartTime = Date(2024, 3, 1, 8, 15);
    master->IntervalKind = kIntervalDays;
    master->IntervalCount = 1;
    master->AdvanceDays = 1;
    master->ExactlyAt = false;
    master->PictureIndex = 6;
    master->SetTitle("Pills");
    gConverter->Append(master);
    ShowMonth(2024, 3);
    SelectDay(10);
    SelectedEntry = SelectedCell().First();
    ASSERT_NE(SelectedEntry, nullptr);
    ASSERT_NE(SelectedEntry, master);

    RunModal(OpenModifyItemForEdit, {[&] {
                 TFormModifyItem* form = FormModifyItem;
                 EXPECT_EQ(form->Tag, 1);
                 EXPECT_EQ(form->ComboBoxInterval->Text(), "Daily");
                 EXPECT_EQ(form->CSpinEditInterval->Text(), "1");
                 EXPECT_EQ(form->DateTimePickerNewDate->Date(), EncodeDate(2024, 3, 10));
                 EXPECT_EQ(form->CSpinEditAddHour->Text(), "8");
                 EXPECT_EQ(form->CSpinEditAddMin->Text(), "15");
                 EXPECT_EQ(form->EditTitel->Text(), "Pills");
                 EXPECT_EQ(form->StringGridPictures->Col(), 6);
                 // The advance days survive the reminding mode being filled in.
                 EXPECT_FALSE(form->CheckBoxRemindeExactlyAt->Checked());
                 EXPECT_TRUE(form->CSpinEditRemindeInAdvance->Enabled());
                 EXPECT_EQ(form->CSpinEditRemindeInAdvance->Text(), "1");
                 EXPECT_FALSE(form->CheckBoxStopAfterDate->Checked());
                 ClickOK();
             }});
    ASSERT_EQ(gConverter->Count(), 1);
    EXPECT_TRUE(Converter::SameDateRecord(master->StartTime, Date(2024, 3, 10, 8, 15)));
    EXPECT_EQ(master->AdvanceDays, 1);
    EXPECT_FALSE(master->ExactlyAt);
    // The day copy went with the old grid: the selection names the master now.
    EXPECT_EQ(SelectedEntry, master);
    EXPECT_EQ(DayList(), (Lines{"08.15 Pills"}));
    EXPECT_EQ(SavedReminders(folder), (Lines{"10.03 08.15 Pills"}));
    SelectDay(9);
    EXPECT_EQ(SelectedCell().First(), nullptr);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ModifyItemTest, AnEditShowsTheStoredKindCountAndStopDate) {
    auto* master = new Eintrag;
    master->SetMaster(master);
    master->StartTime = Date(2024, 3, 4, 9, 5);
    master->IntervalKind = kIntervalWeeks;
    master->IntervalCount = 3;
    master->ExactlyAt = true;
    master->StopAfter = Date(2024, 6, 30, 23, 59);
    NormalizeDate(&master->StopAfter);
    gConverter->Append(master);
    SelectedEntry = master;
    RunModal(OpenModifyItemForEdit, {[&] {
                 TFormModifyItem* form = FormModifyItem;
                 EXPECT_EQ(form->ComboBoxInterval->Text(), "Weekly");
                 EXPECT_EQ(form->CSpinEditInterval->Text(), "3");
                 EXPECT_EQ(form->CSpinEditInterval->MaxValue, 10);
                 EXPECT_TRUE(form->CheckBoxStopAfterDate->Checked());
                 EXPECT_TRUE(form->DateTimePickerStopAfterDate->Enabled());
                 EXPECT_EQ(form->DateTimePickerStopAfterDate->Date(), EncodeDate(2024, 6, 30));
                 EXPECT_EQ(form->DateTimePickerNewDate->Date(), EncodeDate(2024, 3, 4));
                 ClickCancel();
             }});
    EXPECT_EQ(master->IntervalCount, 3);
}

TEST_F(ModifyItemTest, YearsOutsideTheRangeAndAStopDateNotAfterTheStartAreRefused) {
    RunModal(OpenModifyItemForNew,
             {
                 [&] {
                     SetText(FormModifyItem->EditTitel, "Old");
                     SetPickerDate(FormModifyItem->DateTimePickerNewDate, 1969, 12, 31);
                     ClickOK();
                 },
                 [&] {
                     EXPECT_TRUE(IsOpen());
                     EXPECT_EQ(Messages(), (Texts{L"Error: The Year is out of Range 1970 - 2035"}));
                     SetPickerDate(FormModifyItem->DateTimePickerNewDate, 2036, 1, 1);
                     ClickOK();
                 },
                 [&] {
                     EXPECT_TRUE(IsOpen());
                     EXPECT_EQ(Messages().size(), 2u);
                     // A stop date equal to the start.
                     SetPickerDate(FormModifyItem->DateTimePickerNewDate, 2035, 12, 30);
                     ChooseInterval(1);
                     Click(FormModifyItem->CheckBoxStopAfterDate);
                     SetPickerDate(FormModifyItem->DateTimePickerStopAfterDate, 2035, 12, 30);
                     ClickOK();
                 },
                 [&] {
                     EXPECT_TRUE(IsOpen());
                     ASSERT_EQ(Messages().size(), 3u);
                     EXPECT_EQ(Messages()[2], L"Error: The Stopdate must be later than the Itemdate!");
                     SetPickerDate(FormModifyItem->DateTimePickerStopAfterDate, 2035, 12, 1);
                     ClickOK();
                 },
                 [&] {
                     ASSERT_EQ(Messages().size(), 4u);
                     EXPECT_EQ(Messages()[3], L"Error: The Stopdate must be later than the Itemdate!");
                     // A stop date after the start, but past the range.
                     SetPickerDate(FormModifyItem->DateTimePickerStopAfterDate, 2036, 1, 2);
                     ClickOK();
                 },
                 [&] {
                     ASSERT_EQ(Messages().size(), 5u);
                     EXPECT_EQ(Messages()[4], L"Error: The Year is out of Range 1970 - 2035");
                     EXPECT_TRUE(gConverter->First() == nullptr);
                     SetPickerDate(FormModifyItem->DateTimePickerStopAfterDate, 2035, 12, 31);
                     ClickOK();
                 },
             });
    ASSERT_EQ(Titles(), (Lines{"Old"}));
    const Eintrag* e = gConverter->First();
    EXPECT_TRUE(Converter::SameDateRecord(e->StartTime, Date(2035, 12, 30, 10, 0)));
    EXPECT_EQ(e->StopAfter.tm_mday, 31);
    EXPECT_EQ(e->StopAfter.tm_hour, 23);
    EXPECT_EQ(e->StopAfter.tm_min, 59);
    EXPECT_EQ(Messages().size(), 5u);
    EXPECT_TRUE(errors.empty());
}

TEST_F(ModifyItemTest, AnEmptyIntervalFieldStoresNothingAndKeepsTheDialogOpenWithOneMessage) {
    // An edited reminder stays exactly as it was.
    auto* master = new Eintrag;
    master->SetMaster(master);
    master->StartTime = Date(2024, 3, 20, 7, 0);
    master->IntervalKind = kIntervalDays;
    master->IntervalCount = 2;
    master->SetTitle("Water the plants");
    gConverter->Append(master);
    uint8_t before[Eintrag::kImageSize];
    master->WriteImage(before);
    SelectedEntry = master;
    RunModal(OpenModifyItemForEdit, {
                                        [&] {
                                            SetText(FormModifyItem->EditTitel, "Changed");
                                            SetText(FormModifyItem->CSpinEditInterval, "");
                                            KeyUp(FormModifyItem->CSpinEditInterval);
                                            ClickOK();
                                        },
                                        [&] {
                                            EXPECT_TRUE(IsOpen());
                                            ASSERT_EQ(errors.size(), 1u);
                                            EXPECT_EQ(errors[0], "'' is not a valid integer value");
                                            EXPECT_EQ(Text(FormModifyItem->EditTitel), "Changed");
                                            EXPECT_EQ(Text(FormModifyItem->CSpinEditInterval), "");
                                            ClickCancel();
                                        },
                                    });
    uint8_t after[Eintrag::kImageSize];
    master->WriteImage(after);
    EXPECT_EQ(0, memcmp(before, after, sizeof before));

    // A new one is not added, by the button or by Enter.
    errors.clear();
    RunModal(OpenModifyItemForNew, {
                                       [&] {
                                           ChooseInterval(2);
                                           SetText(FormModifyItem->CSpinEditInterval, "");
                                           ClickOK();
                                       },
                                       [&] {
                                           EXPECT_TRUE(IsOpen());
                                           EXPECT_EQ(errors.size(), 1u);
                                           SendMessageA(FormModifyItem->EditTitel->Handle(), WM_CHAR, VK_RETURN, 0);
                                       },
                                       [&] {
                                           EXPECT_TRUE(IsOpen());
                                           EXPECT_EQ(errors.size(), 2u);
                                           SendMessageA(FormModifyItem->EditTitel->Handle(), WM_CHAR, VK_ESCAPE, 0);
                                       },
                                   });
    EXPECT_EQ(gConverter->Count(), 1);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ModifyItemTest, EnterAcceptsAndEscCancelsFromEveryKindOfField) {
    // Enter in the title stores and closes.
    RunModal(OpenModifyItemForNew, {[&] {
                 Type(FormModifyItem->EditTitel, "By Enter");
                 SendMessageA(FormModifyItem->EditTitel->Handle(), WM_CHAR, VK_RETURN, 0);
             }});
    EXPECT_EQ(Titles(), (Lines{"By Enter"}));
    // Esc in the message text closes and stores nothing.
    RunModal(OpenModifyItemForNew, {[&] {
                 Type(FormModifyItem->EditTitel, "By Esc");
                 SendMessageA(FormModifyItem->MemoText->Handle(), WM_CHAR, VK_ESCAPE, 0);
             }});
    EXPECT_EQ(Titles(), (Lines{"By Enter"}));
    // Enter in the hour and in the picture strip, Esc in the interval list.
    RunModal(OpenModifyItemForNew, {[&] {
                 Type(FormModifyItem->EditTitel, "From the hour");
                 SendMessageA(FormModifyItem->CSpinEditAddHour->Handle(), WM_CHAR, VK_RETURN, 0);
             }});
    RunModal(OpenModifyItemForNew, {[&] {
                 Type(FormModifyItem->EditTitel, "From the strip");
                 SendMessageA(FormModifyItem->StringGridPictures->Handle(), WM_CHAR, VK_RETURN, 0);
             }});
    RunModal(OpenModifyItemForNew, {[&] {
                 Type(FormModifyItem->EditTitel, "Cancelled");
                 SendMessageA(FormModifyItem->ComboBoxInterval->Handle(), WM_CHAR, VK_ESCAPE, 0);
             }});
    // The Cancel button, and the close glyph released with the left button.
    RunModal(OpenModifyItemForNew, {[&] {
                 Type(FormModifyItem->EditTitel, "Cancelled");
                 ClickCancel();
             }});
    RunModal(OpenModifyItemForNew, {[&] {
                 Type(FormModifyItem->EditTitel, "Cancelled");
                 const int x = FormModifyItem->ClientWidth() - 12;
                 SendMessageA(FormModifyItem->Handle(), WM_LBUTTONUP, 0, Point(x, 10));
             }});
    EXPECT_EQ(Titles(), (Lines{"By Enter", "From the hour", "From the strip"}));
    EXPECT_TRUE(errors.empty());
}

TEST_F(ModifyItemTest, ThePictureStripsSelectionIsTheStoredPictureAndShowsInThePreview) {
    RunModal(OpenModifyItemForNew, {[&] {
                 TFormModifyItem* form = FormModifyItem;
                 // The preview shows picture 0 on opening.
                 TBitmap expected(32, 32);
                 form->ImageListForMessages->GetBitmap(0, &expected);
                 int x = 0, y = 0;
                 for (int i = 0; i < 32 * 32; ++i)
                     if (expected.GetPixel(i % 32, i / 32) != RGB(255, 255, 255)) {
                         x = i % 32;
                         y = i / 32;
                         break;
                     }
                 EXPECT_EQ(form->ExtnImageForIcon->Picture()->Bitmap()->GetPixel(x, y), expected.GetPixel(x, y));

                 ClickPicture(4);
                 EXPECT_EQ(form->StringGridPictures->Col(), 4);
                 form->ImageListForMessages->GetBitmap(4, &expected);
                 int whites = 0;
                 for (int i = 0; i < 32 * 32; ++i) {
                     const COLORREF pixel = expected.GetPixel(i % 32, i / 32);
                     EXPECT_EQ(form->ExtnImageForIcon->Picture()->Bitmap()->GetPixel(i % 32, i / 32), pixel);
                     if (pixel == RGB(255, 255, 255)) ++whites;
                 }
                 EXPECT_GT(whites, 0);
                 SetText(form->EditTitel, "With a picture");
                 ClickOK();
             }});
    ASSERT_EQ(gConverter->Count(), 1);
    EXPECT_EQ(gConverter->First()->PictureIndex, 4);

    // An edit shows the stored picture selected and keeps it.
    SelectedEntry = gConverter->First();
    RunModal(OpenModifyItemForEdit, {[&] {
                 EXPECT_EQ(FormModifyItem->StringGridPictures->Col(), 4);
                 SendMessageA(FormModifyItem->StringGridPictures->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
                 ClickOK();
             }});
    EXPECT_EQ(gConverter->First()->PictureIndex, 5);
}

TEST_F(ModifyItemTest, ThePaintedDialogShowsItsFramesAndTheStripItsPictures) {
    RunModal(OpenModifyItemForNew, {[&] {
                 TFormModifyItem* form = FormModifyItem;
                 UpdateWindow(form->Handle());
                 HDC dc = GetDC(form->Handle());
                 // The right edge of the "Date and Time" frame: light, with the dark one left of it.
                 const int right = 10 + form->ClientWidth() - 20;
                 EXPECT_EQ(GetPixel(dc, right, 60), ColorToRGB(cl3DLight));
                 EXPECT_EQ(GetPixel(dc, right - 1, 60), ColorToRGB(cl3DDkShadow));
                 ReleaseDC(form->Handle(), dc);

                 // Every cell of the strip shows its picture.
                 TStringGrid* grid = form->StringGridPictures;
                 UpdateWindow(grid->Handle());
                 HDC gridDC = GetDC(grid->Handle());
                 TBitmap expected(32, 32);
                 form->ImageListForMessages->GetBitmap(7, &expected);
                 const RECT cell = grid->CellRect(7, 0);
                 EXPECT_EQ(GetPixel(gridDC, cell.left + 16, 16), expected.GetPixel(16, 16));
                 ReleaseDC(grid->Handle(), gridDC);
                 ClickCancel();
             }});
}

TEST_F(ModifyItemTest, KeysTypedThroughTheMessageLoopReachTheButtonsAndTheTabOrderFollowsTheResource) {
    // Esc typed into the hour is a dialog key: the Cancel button takes it.
    RunModal(OpenModifyItemForNew, {[&] {
                 SetText(FormModifyItem->EditTitel, "Not stored");
                 PostMessageA(FormModifyItem->CSpinEditAddHour->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
             }});
    EXPECT_EQ(gConverter->Count(), 0);
    // Enter typed into the title reaches it as a character: "OK".
    RunModal(OpenModifyItemForNew, {[&] {
                 SetText(FormModifyItem->EditTitel, "Stored");
                 PostMessageA(FormModifyItem->EditTitel->Handle(), WM_KEYDOWN, VK_RETURN, 0);
             }});
    EXPECT_EQ(Titles(), (Lines{"Stored"}));
    // Enter in the picture strip too.
    RunModal(OpenModifyItemForNew, {[&] {
                 SetText(FormModifyItem->EditTitel, "From the strip");
                 PostMessageA(FormModifyItem->StringGridPictures->Handle(), WM_KEYDOWN, VK_RETURN, 0);
             }});
    EXPECT_EQ(Titles(), (Lines{"Stored", "From the strip"}));

    // With every field enabled, Tab walks the fields in the resource's order, then the buttons.
    ResetModifyItemForm();
    ChooseInterval(1);
    Click(FormModifyItem->CheckBoxRemindeExactlyAt);
    Click(FormModifyItem->CheckBoxStopAfterDate);
    TFormModifyItem* form = FormModifyItem;
    const std::vector<TWinControl*> expected = {form->DateTimePickerNewDate,
                                                form->CheckBoxRemindeExactlyAt,
                                                form->CSpinEditAddHour,
                                                form->CSpinEditAddMin,
                                                form->ComboBoxInterval,
                                                form->CheckBoxStopAfterDate,
                                                form->DateTimePickerStopAfterDate,
                                                form->CSpinEditInterval,
                                                form->CSpinEditRemindeInAdvance,
                                                form->StringGridPictures,
                                                form->EditTitel,
                                                form->MemoText,
                                                form->OKButton(),
                                                form->CancelButton()};
    form->Show();
    EXPECT_EQ(form->TabStops(), expected);
    form->Hide();
}
