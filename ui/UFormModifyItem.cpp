// The add/modify dialog: its resource, opening for a new or an existing
// reminder, the interval rules, the date checks, the keys, the picture strip
// with its preview, and the two button handlers.
#include "ui/UFormModifyItem.h"

#include <cmath>

#include "model/Uconverter.h"
#include "model/Ueintrag.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "ui/UMain.h"
#include "ui/Ucontrols.h"
#include "ui/Ugraphic.h"
#include "ui/Umainbutton.h"
#include "ui/Upictures.h"

TFormModifyItem* FormModifyItem = nullptr;

namespace {

constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
constexpr char kIndent[] = "   ";

// A transparent label of the resource, sized by its text.
TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const char* name, int left, int top, const char* caption) {
    TLabel* label = new TLabel(owner);
    label->SetName(name);
    label->SetCaption(caption);
    label->SetTransparent(true);
    label->SetBounds(left, top, label->Width(), label->Height());
    label->SetParent(parent);
    return label;
}

// The dialog's messages take the model's way to the user, so that every message
// of the program goes through one place.
void ShowError(const std::wstring& text) {
    ModelHost().ShowMessage(text, TextError, 0);
}

bool YearInRange(int year) {
    return year >= 1970 && year <= 2035;
}

// The whole days of a date record's year, month and day; today for a cell
// whose date cannot be represented.
TDateTime DateOfRecord(const tm& date) {
    TDateTime value = 0;
    if (TryEncodeDate(date.tm_year + 1900, date.tm_mon + 1, date.tm_mday, value)) return value;
    return std::floor(Date());
}

}  // namespace

//--- The form's resource

void TFormModifyItem::CreateComponents() {
    using namespace std::placeholders;
    SetName("FormModifyItem");
    SetBorderStyle(bsNone);
    SetBounds(0, 0, 498, 501);
    Position = poScreenCenter;
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);

    DateTimePickerNewDate = Make<TDateTimePicker>(this, this, "DateTimePickerNewDate", 16, 44, 145, 21);
    DateTimePickerNewDate->TabOrder = 0;
    DateTimePickerNewDate->Font()->SetColor(clHotLight);

    CheckBoxRemindeExactlyAt = Make<TCheckBox>(this, this, "CheckBoxRemindeExactlyAt", 180, 48, 13, 13);
    CheckBoxRemindeExactlyAt->TabOrder = 1;
    CheckBoxRemindeExactlyAt->SetChecked(true);

    LabelRemindeExactlyAt = MakeLabel(this, this, "LabelRemindeExactlyAt", 195, 48, "");

    CSpinEditAddHour = Make<TCSpinEdit>(this, this, "CSpinEditAddHour", 368, 44, 41, 22);
    CSpinEditAddHour->TabOrder = 2;
    CSpinEditAddHour->MaxValue = 23;
    CSpinEditAddHour->SetValue(10);

    CSpinEditAddMin = Make<TCSpinEdit>(this, this, "CSpinEditAddMin", 424, 44, 41, 22);
    CSpinEditAddMin->TabOrder = 3;
    CSpinEditAddMin->MaxValue = 59;

    IntervalLabel = MakeLabel(this, this, "IntervalLabel", 40, 106, "");

    ComboBoxInterval = new TComboBox(this);
    ComboBoxInterval->SetName("ComboBoxInterval");
    ComboBoxInterval->Style = csDropDownList;
    ComboBoxInterval->SetBounds(104, 104, 60, 21);
    ComboBoxInterval->TabOrder = 4;
    ComboBoxInterval->SetParent(this);

    CheckBoxStopAfterDate = Make<TCheckBox>(this, this, "CheckBoxStopAfterDate", 180, 106, 13, 13);
    CheckBoxStopAfterDate->TabOrder = 5;

    CheckBoxStopAfterDateText = MakeLabel(this, this, "CheckBoxStopAfterDateText", 192, 106, "");

    DateTimePickerStopAfterDate = Make<TDateTimePicker>(this, this, "DateTimePickerStopAfterDate", 328, 104, 137, 21);
    DateTimePickerStopAfterDate->TabOrder = 6;

    Label1 = MakeLabel(this, this, "Label1", 40, 155, "How often:");

    CSpinEditInterval = Make<TCSpinEdit>(this, this, "CSpinEditInterval", 104, 152, 60, 22);
    CSpinEditInterval->TabOrder = 7;
    CSpinEditInterval->MinValue = 1;
    CSpinEditInterval->MaxValue = 365;

    Label2 = MakeLabel(this, this, "Label2", 184, 155, "Remind in advance (days):");

    CSpinEditRemindeInAdvance = Make<TCSpinEdit>(this, this, "CSpinEditRemindeInAdvance", 328, 152, 60, 22);
    CSpinEditRemindeInAdvance->TabOrder = 8;

    StringGridPictures = new TStringGrid(this);
    StringGridPictures->SetName("StringGridPictures");
    StringGridPictures->ScrollBars = ssHorizontal;
    StringGridPictures->SetBounds(24, 208, 449, 53);
    StringGridPictures->SetColCount(1);
    StringGridPictures->SetRowCount(1);
    StringGridPictures->SetDefaultColWidth(32);
    StringGridPictures->SetDefaultRowHeight(32);
    StringGridPictures->TabOrder = 9;
    StringGridPictures->SetParent(this);

    ExtnImageForIcon = Make<TExtnImage>(this, this, "ExtnImageForIcon", 40, 295, 32, 32);

    EditTitel = Make<TEdit>(this, this, "EditTitel", 96, 298, 377, 21);
    EditTitel->TabOrder = 10;

    MemoText = Make<TMemo>(this, this, "MemoText", 24, 338, 449, 97);
    MemoText->TabOrder = 11;

    ImageListForMessages = new TImageList(this);
    ImageListForMessages->SetName("ImageListForMessages");
    // The built-in pictures of the program file (32 x 32, not masked, growing by one).
    LoadBuiltInPictures(ImageListForMessages);

    // The events are bound once every property is read, as streaming does: the
    // settings above fire none of them.
    OnCreate = std::bind(&TFormModifyItem::FormCreate, this, _1);
    OnKeyPress = std::bind(&TFormModifyItem::FormKeyPress, this, _1, _2);
    OnMouseDown = std::bind(&TFormModifyItem::FormMouseDown, this, _1, _2, _3, _4, _5);
    OnMouseMove = std::bind(&TFormModifyItem::FormMouseMove, this, _1, _2, _3, _4);
    OnMouseUp = std::bind(&TFormModifyItem::FormMouseUp, this, _1, _2, _3, _4, _5);
    OnPaint = std::bind(&TFormModifyItem::FormPaint, this, _1);
    OnShow = std::bind(&TFormModifyItem::FormShow, this, _1);
    const auto advanceKeyPress = std::bind(&TFormModifyItem::CSpinEditRemindeInAdvanceKeyPress, this, _1, _2);
    const auto hourKeyPress = std::bind(&TFormModifyItem::CSpinEditAddHourKeyPress, this, _1, _2);
    const auto hourKeyUp = std::bind(&TFormModifyItem::CSpinEditAddHourKeyUp, this, _1, _2, _3);
    const auto hourChange = std::bind(&TFormModifyItem::CSpinEditAddHourChange, this, _1);
    DateTimePickerNewDate->OnKeyPress = advanceKeyPress;
    CheckBoxRemindeExactlyAt->OnClick = std::bind(&TFormModifyItem::CheckBoxRemindeExactlyAtClick, this, _1);
    LabelRemindeExactlyAt->OnClick = std::bind(&TFormModifyItem::LabelRemindeExactlyAtClick, this, _1);
    CSpinEditAddHour->OnChange = hourChange;
    CSpinEditAddHour->OnExit = std::bind(&TFormModifyItem::CSpinEditAddHourExit, this, _1);
    CSpinEditAddHour->OnKeyPress = hourKeyPress;
    CSpinEditAddHour->OnKeyUp = hourKeyUp;
    CSpinEditAddMin->OnChange = std::bind(&TFormModifyItem::CSpinEditAddMinChange, this, _1);
    CSpinEditAddMin->OnKeyPress = hourKeyPress;
    CSpinEditAddMin->OnKeyUp = hourKeyUp;
    ComboBoxInterval->OnChange = std::bind(&TFormModifyItem::ComboBoxIntervalChange, this, _1);
    ComboBoxInterval->OnKeyPress = advanceKeyPress;
    CheckBoxStopAfterDate->OnClick = std::bind(&TFormModifyItem::CheckBoxStopAfterDateClick, this, _1);
    CheckBoxStopAfterDateText->OnClick = std::bind(&TFormModifyItem::CheckBoxStopAfterDateTextClick, this, _1);
    DateTimePickerStopAfterDate->OnKeyPress = advanceKeyPress;
    CSpinEditInterval->OnChange = hourChange;
    CSpinEditInterval->OnKeyPress = advanceKeyPress;
    CSpinEditInterval->OnKeyUp = hourKeyUp;
    CSpinEditRemindeInAdvance->OnKeyPress = advanceKeyPress;
    CSpinEditRemindeInAdvance->OnKeyUp = hourKeyUp;
    StringGridPictures->OnDrawCell = std::bind(&TFormModifyItem::StringGridPicturesDrawCell, this, _1, _2, _3, _4, _5);
    StringGridPictures->OnSelectCell = std::bind(&TFormModifyItem::StringGridPicturesSelectCell, this, _1, _2, _3, _4);
    StringGridPictures->OnKeyPress = advanceKeyPress;
    EditTitel->OnKeyPress = std::bind(&TFormModifyItem::EditTitelKeyPress, this, _1, _2);
    MemoText->OnKeyPress = std::bind(&TFormModifyItem::EditTitelKeyPress, this, _1, _2);

    // The window exists once the resource is read.
    HandleNeeded();
    for (int i = 0; i < ComponentCount(); ++i) Components(i)->Loaded();
}

//--- Construction

TFormModifyItem::TFormModifyItem(TComponent* owner) : TForm(owner) {
    CreateComponents();
}

TFormModifyItem::~TFormModifyItem() {
    // The collection goes back to the built-in pictures before this list goes.
    if (PictureCollection() == ImageListForMessages) SetPictureCollection(nullptr);
    DestroyComponents();
    if (FormModifyItem == this) FormModifyItem = nullptr;
}

// Called once after the constructor: the buttons, and the picture collection.
void TFormModifyItem::FormCreate(TObject* sender) {
    (void)sender;
    using namespace std::placeholders;
    const RECT okPlace{72, 460, 75, 25};
    ButtonOK = new TImageButton(this, &okPlace, AnsiToWide(kTextOK), true);
    ButtonOK->OnClick = std::bind(&TImageButton::OnClickFormModifyItemButtonOK, ButtonOK, _1);
    const RECT cancelPlace{342, 460, 75, 25};
    ButtonCancel = new TImageButton(this, &cancelPlace, AnsiToWide(kTextCancel), true);
    ButtonCancel->OnClick = std::bind(&TImageButton::OnClickFormModifyItemButtonCancel, ButtonCancel, _1);
    ButtonCancel->Cancel = true;
    // This dialog's list serves the whole program as the picture collection;
    // "icons.bin" replaces its built-in pictures when it can be read.
    SetPictureCollection(ImageListForMessages);
    gConverter->LoadPictureCollection();
}

// Called on every showing, before the dialog becomes visible.
void TFormModifyItem::FormShow(TObject* sender) {
    (void)sender;
    SetItemsFontColor(this);
    CSpinEditRemindeInAdvance->MinValue = 0;
    ShowPicturePreview(StringGridPictures->Col());
    LabelRemindeExactlyAt->SetCaption(kIndent + WideToAnsi(LabelRemindExactlyAt));
}

// Called when the dialog paints, into its paint buffer.
void TFormModifyItem::FormPaint(TObject* sender) {
    (void)sender;
    DrawDialogBackground(this);
    DrawCloseGlyph(this);
    DrawFormTitle(this, TitleItemManager);
    const int width = ClientWidth() - 20;
    DrawGroupFrame(Canvas(), kTextDateAndTime, 10, 35, width, 45);
    DrawGroupFrame(Canvas(), kTextIntervalAndRecurrence, 10, 90, width, 95);
    DrawGroupFrame(Canvas(), kTextIcon, 10, 195, width, 80);
    DrawGroupFrame(Canvas(), kTextMessage, 10, 285, width, 165);
}

//--- Opening

void ResetModifyItemForm() {
    TFormModifyItem* form = FormModifyItem;
    // 1. Captions.
    form->SetCaption(kTextAddNewReminder);
    form->IntervalLabel->SetCaption(kTextInterval);
    const std::string stopCaption = kIndent + WideToAnsi(LabelStopRemindAfter);
    form->CheckBoxStopAfterDate->SetCaption(stopCaption);
    form->CheckBoxStopAfterDateText->SetCaption(stopCaption);
    // 2.
    form->CheckBoxStopAfterDate->SetEnabled(false);
    form->CheckBoxStopAfterDate->SetChecked(false);
    // 3. The interval kinds, "Once" selected.
    form->ComboBoxInterval->Items()->Clear();
    for (const char* name : kIntervalNames) form->ComboBoxInterval->Items()->Add(name);
    form->ComboBoxInterval->SetItemIndex(0);
    // 4.
    form->CSpinEditInterval->SetText("0");
    form->CSpinEditInterval->SetEnabled(false);
    form->CSpinEditRemindeInAdvance->SetText("0");
    // 5. The selected day, and the day after it as the stop date.
    TDateTime day = std::floor(Date());
    if (SelectedRow >= 0 && SelectedRow < kGridRows && SelectedColumn >= 0 && SelectedColumn < kGridColumns)
        day = DateOfRecord(gConverter->Cells[SelectedRow][SelectedColumn].GetDate());
    form->DateTimePickerNewDate->SetDate(day);
    form->DateTimePickerStopAfterDate->SetDate(day + 1);
    form->DateTimePickerStopAfterDate->SetEnabled(form->CheckBoxStopAfterDate->Checked());
    // 6. One column per picture, the first selected.
    form->StringGridPictures->SetColCount(form->ImageListForMessages->Count());
    form->StringGridPictures->SetCol(0);
    // 7. Exactly at the time: no advance days.
    form->CheckBoxRemindeExactlyAt->SetChecked(true);
    form->CSpinEditRemindeInAdvance->SetEnabled(!form->CheckBoxRemindeExactlyAt->Checked());
    // 8.
    form->EditTitel->SetText("");
    form->MemoText->SetText("");
    // 9. 10:00.
    form->CSpinEditAddHour->SetValue(10);
    form->CSpinEditAddMin->SetValue(0);
}

void OpenModifyItemForNew() {
    ResetModifyItemForm();
    FormModifyItem->Tag = 0;
    FormModifyItem->ShowModal();
}

void OpenModifyItemForEdit() {
    if (!SelectedEntry) return;
    ResetModifyItemForm();
    FormModifyItem->FillFromEntry(SelectedEntry);
    FormModifyItem->Tag = 1;
    FormModifyItem->ShowModal();
}

void TFormModifyItem::FillFromEntry(const Eintrag* record) {
    // 1. The kind first: choosing it sets the limits and the enabling.
    ComboBoxInterval->SetItemIndex(record->IntervalKind);
    UpdateIntervalControls();
    // The reminding mode comes before the advance days: its click handler
    // clears the advance field, which would lose a reminder's advance days.
    CheckBoxRemindeExactlyAt->SetChecked(record->ExactlyAt);
    // 2.
    CSpinEditInterval->SetText(IntToStr(record->IntervalCount));
    CSpinEditRemindeInAdvance->SetText(IntToStr(record->AdvanceDays));
    // 3.
    EditTitel->SetText(record->GetTitle());
    MemoText->SetText(record->GetText());
    // 4.
    StringGridPictures->SetCol(record->GetPictureIndex());
    // 6. For a day copy the date is that occurrence's.
    const TDateTime start = DateOfRecord(record->StartTime);
    DateTimePickerNewDate->SetDate(start);
    DateTimePickerStopAfterDate->SetDate(start + 1);
    // 7.
    CSpinEditAddHour->SetText(IntToStr(record->StartTime.tm_hour));
    CSpinEditAddMin->SetText(IntToStr(record->StartTime.tm_min));
    // 8. A stop date is set when it can be normalised.
    tm stop = record->StopAfter;
    if (NormalizeDate(&stop) > 0) {
        DateTimePickerStopAfterDate->SetDate(DateOfRecord(stop));
        CheckBoxStopAfterDate->SetChecked(true);
    } else {
        CheckBoxStopAfterDate->SetChecked(false);
    }
}

//--- Interval kinds

void TFormModifyItem::UpdateIntervalControls() {
    struct Limits {
        int32_t IntervalMax;
        int32_t AdvanceMax;
    };
    // Daily, weekly, monthly and yearly.
    static const Limits kLimits[4] = {{90, 1}, {10, 6}, {6, 30}, {5, 365}};
    CSpinEditRemindeInAdvance->MinValue = 0;
    const int kind = ComboBoxInterval->ItemIndex();
    if (kind == kIntervalOnce) {
        CSpinEditInterval->SetText("0");
        CSpinEditInterval->SetEnabled(false);
        CSpinEditRemindeInAdvance->SetText("0");
        CheckBoxStopAfterDate->SetChecked(false);
        CheckBoxStopAfterDate->SetEnabled(false);
        CSpinEditRemindeInAdvance->SetEnabled(!CheckBoxRemindeExactlyAt->Checked());
    } else if (kind >= kIntervalDays && kind <= kIntervalYears) {
        const Limits& limits = kLimits[kind - kIntervalDays];
        CSpinEditInterval->SetText("1");
        CSpinEditInterval->SetEnabled(true);
        CSpinEditInterval->MaxValue = limits.IntervalMax;
        CSpinEditRemindeInAdvance->SetText("0");
        CSpinEditRemindeInAdvance->MaxValue = limits.AdvanceMax;
        CheckBoxStopAfterDate->SetEnabled(true);
        CSpinEditRemindeInAdvance->SetEnabled(!CheckBoxRemindeExactlyAt->Checked());
    }
    DateTimePickerStopAfterDate->SetEnabled(CheckBoxStopAfterDate->Checked());
}

// Called when the user chooses another interval kind.
void TFormModifyItem::ComboBoxIntervalChange(TObject* sender) {
    (void)sender;
    UpdateIntervalControls();
}

//--- Dates

bool TFormModifyItem::ValidateDates() {
    int year = 0, month = 0, day = 0;
    const TDateTime start = std::floor(DateTimePickerNewDate->Date());
    DecodeDate(start, year, month, day);
    if (!YearInRange(year)) {
        ShowError(MsgYearOutOfRange);
        DateTimePickerNewDate->SetFocus();
        return false;
    }
    if (CheckBoxStopAfterDate->Checked()) {
        const TDateTime stop = std::floor(DateTimePickerStopAfterDate->Date());
        if (!(stop > start)) {
            ShowError(MsgStopBeforeStart);
            DateTimePickerStopAfterDate->SetFocus();
            return false;
        }
        DecodeDate(stop, year, month, day);
        if (!YearInRange(year)) {
            ShowError(MsgYearOutOfRange);
            DateTimePickerStopAfterDate->SetFocus();
            return false;
        }
    }
    return true;
}

TItemDialogValues TFormModifyItem::DialogValues() const {
    TItemDialogValues values;
    values.IntervalText = CSpinEditInterval->Text();
    values.IntervalIndex = ComboBoxInterval->ItemIndex();
    values.AdvanceDaysText = CSpinEditRemindeInAdvance->Text();
    values.Title = EditTitel->Text();
    values.Text = MemoText->Text();
    values.PictureColumn = StringGridPictures->Col();
    values.ExactlyAt = CheckBoxRemindeExactlyAt->Checked();
    DecodeDate(DateTimePickerNewDate->Date(), values.StartYear, values.StartMonth, values.StartDay);
    values.HourText = CSpinEditAddHour->Text();
    values.MinuteText = CSpinEditAddMin->Text();
    values.StopChecked = CheckBoxStopAfterDate->Checked();
    DecodeDate(DateTimePickerStopAfterDate->Date(), values.StopYear, values.StopMonth, values.StopDay);
    return values;
}

bool ReadModifyItemDialog(TItemDialogValues& values) {
    if (!FormModifyItem) return false;
    values = FormModifyItem->DialogValues();
    return true;
}

//--- Keys

void TFormModifyItem::EnterOrEscape(char key) {
    // The key itself goes on: a memo that stays open also takes the Enter.
    if (key == VK_RETURN)
        ButtonOK->OnClickFormModifyItemButtonOK(ButtonOK);
    else if (key == VK_ESCAPE)
        ButtonCancel->OnClickFormModifyItemButtonCancel(ButtonCancel);
}

// Called for a character typed into the hour or the minute: digits and Backspace only.
void TFormModifyItem::CSpinEditAddHourKeyPress(TObject* sender, char& key) {
    (void)sender;
    EnterOrEscape(key);
    if (key == VK_BACK || key == VK_RETURN || key == VK_ESCAPE || (key >= '0' && key <= '9')) return;
    key = 0;
}

// Called for a character typed into the other number fields, the interval
// list, the date pickers and the picture strip: digits and Backspace only.
void TFormModifyItem::CSpinEditRemindeInAdvanceKeyPress(TObject* sender, char& key) {
    CSpinEditAddHourKeyPress(sender, key);
}

// Called for a character typed into the title or the message: every one is taken.
void TFormModifyItem::EditTitelKeyPress(TObject* sender, char& key) {
    (void)sender;
    EnterOrEscape(key);
}

// Called for a character typed while the dialog itself has the focus.
void TFormModifyItem::FormKeyPress(TObject* sender, char& key) {
    (void)sender;
    EnterOrEscape(key);
}

// Called after every key release in the hour, minute, interval and advance fields.
void TFormModifyItem::CSpinEditAddHourKeyUp(TObject* sender, WORD& key, TShiftState shift) {
    (void)key;
    (void)shift;
    auto* spin = static_cast<TCSpinEdit*>(sender);
    const std::string before = spin->Text();
    if (spin->Value() > spin->MaxValue) spin->SetValue(spin->MaxValue);
    // The text is rewritten only when it changes: rewriting the "0" that was
    // just typed would put the caret before it, and "08" would become "80".
    if (spin->Value() == 0 && spin->Text() != IntToStr(spin->MinValue)) spin->SetText(IntToStr(spin->MinValue));
    // A corrected text keeps the caret at its end, where the typing goes on.
    if (spin->Text() != before && spin->HandleAllocated()) {
        const auto end = static_cast<WPARAM>(spin->Text().size());
        SendMessageA(spin->Handle(), EM_SETSEL, end, static_cast<LPARAM>(end));
    }
}

// Called when the focus leaves the hour: a single digit gets its leading zero.
void TFormModifyItem::CSpinEditAddHourExit(TObject* sender) {
    (void)sender;
    const std::string text = CSpinEditAddHour->Text();
    const int32_t value = CSpinEditAddHour->Value();
    if (!text.empty() && value >= 0 && value <= 9) CSpinEditAddHour->SetText("0" + IntToStr(value));
}

void TFormModifyItem::CSpinEditAddHourChange(TObject* sender) {
    (void)sender;
}

void TFormModifyItem::CSpinEditAddMinChange(TObject* sender) {
    (void)sender;
}

//--- Check boxes and their labels

void TFormModifyItem::CheckBoxRemindeExactlyAtClick(TObject* sender) {
    (void)sender;
    CSpinEditRemindeInAdvance->SetEnabled(!CheckBoxRemindeExactlyAt->Checked());
    CSpinEditRemindeInAdvance->SetText("0");
}

void TFormModifyItem::LabelRemindeExactlyAtClick(TObject* sender) {
    (void)sender;
    CheckBoxRemindeExactlyAt->Toggle();
}

void TFormModifyItem::CheckBoxStopAfterDateClick(TObject* sender) {
    (void)sender;
    DateTimePickerStopAfterDate->SetEnabled(CheckBoxStopAfterDate->Checked());
}

void TFormModifyItem::CheckBoxStopAfterDateTextClick(TObject* sender) {
    (void)sender;
    if (CheckBoxStopAfterDate->Enabled()) CheckBoxStopAfterDate->Toggle();
}

//--- Picture strip and preview

void TFormModifyItem::StringGridPicturesDrawCell(TObject* sender, int col, int row, RECT rect, TGridDrawState state) {
    (void)sender;
    (void)row;
    (void)state;
    DrawImageListIcon(ImageListForMessages, StringGridPictures, rect, col);
}

void TFormModifyItem::StringGridPicturesSelectCell(TObject* sender, int col, int row, bool& canSelect) {
    (void)sender;
    (void)row;
    (void)canSelect;
    ShowPicturePreview(col);
}

void TFormModifyItem::ShowPicturePreview(int column) {
    if (!MainForm) return;
    TBitmap* picture = MainForm->BitmapIcon.get();
    TBitmap* frame = MainForm->BitmapIconFrame.get();
    PatBlt(picture->Canvas()->Handle(), 0, 0, frame->Width(), frame->Height(), WHITENESS);
    TCanvas* preview = ExtnImageForIcon->Canvas();
    PatBlt(preview->Handle(), 0, 0, 32, 32, WHITENESS);
    ImageListForMessages->GetBitmap(column, picture);
    // White pixels of the picture leave the white preview as it is.
    DrawTransparentPicture(preview->Handle(), RECT{0, 0, 32, 32}, picture, MainForm->BitmapIconMask.get());
    ExtnImageForIcon->Refresh();
}

//--- Mouse: the close glyph and dragging

// Called when a mouse button goes down on the dialog itself.
void TFormModifyItem::FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    SkinnedFormMouseDown(this, button, x, y);
}

// Called when the mouse moves over the dialog itself.
void TFormModifyItem::FormMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    TrackCloseGlyphHover(this, x, y);
}

// Called when a mouse button goes up over the dialog itself: the glyph cancels.
void TFormModifyItem::FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    if (button == mbLeft && CloseGlyphHitTest(this, x, y))
        ButtonCancel->OnClickFormModifyItemButtonCancel(ButtonCancel);
}

//--- The buttons

// Called when "OK" is clicked, or Enter typed into a field.
void TImageButton::OnClickFormModifyItemButtonOK(TObject* sender) {
    (void)sender;
    TFormModifyItem* form = FormModifyItem;
    if (!form->ValidateDates()) return;
    const bool isEdit = form->Tag == 1;
    const bool stored = gConverter->StoreFromDialog(static_cast<int32_t>(form->Tag));
    form->SetModalResult(stored ? 1 : 0);
    // The refresh builds the grid again and frees every day copy: a dialog
    // filled from one goes on naming the master it stored into.
    if (isEdit && SelectedEntry) SelectedEntry = SelectedEntry->GetMaster();
    if (stored) SaveReminderChanges();
    gCalendarView->Refresh();
    gCalendarView->FillDayList();
}

// Called when "Cancel" is clicked, Esc typed, or the close glyph released.
void TImageButton::OnClickFormModifyItemButtonCancel(TObject* sender) {
    (void)sender;
    FormModifyItem->SetModalResult(1);
}
