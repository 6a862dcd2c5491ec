// The calendar settings dialog: its resource, the working copies, the preview,
// the control events, the six buttons, painting, keys and the close glyph.
#include "ui/Ucalenderoptions.h"

#include <functional>

#include "classlib/Forms.h"
#include "model/Uconverter.h"
#include "model/Uglobals.h"
#include "model/Uweekday.h"
#include "ui/UMain.h"
#include "ui/Ucontrols.h"
#include "ui/Ugraphic.h"
#include "ui/Umainbutton.h"

namespace {

constexpr int32_t kSmallestIcon = 18;
constexpr int32_t kLargestIcon = 32;
constexpr char kIndent[] = "   ";

// A control straight on the dialog.
template <class T>
T* Make(TForm* form, const char* name, int left, int top, int width, int height) {
    return ::Make<T>(form, form, name, left, top, width, height);
}

TLabel* MakeLabel(TForm* form, const char* name, int left, int top, int width, int height) {
    TLabel* label = Make<TLabel>(form, name, left, top, width, height);
    label->SetTransparent(true);
    return label;
}

TComboBox* MakeList(TForm* form, const char* name, int left, int top, int width) {
    TComboBox* list = Make<TComboBox>(form, name, left, top, width, 21);
    list->Style = csDropDownList;
    return list;
}

}  // namespace

int32_t IconSizeIndex(int32_t size) {
    if (size < kSmallestIcon || size > kLargestIcon || size % 2 != 0) return -1;
    return (size - kSmallestIcon) / 2;
}

//--- The form's resource

TFormCalenderOptions::TFormCalenderOptions(TComponent* owner) : TForm(owner) {
    CreateComponents();
}

TFormCalenderOptions::~TFormCalenderOptions() {
    // The buttons and controls go while the preview they may paint still exists.
    DestroyComponents();
}

void TFormCalenderOptions::CreateComponents() {
    using namespace std::placeholders;
    SetName("FormCalenderOptions");
    SetCaption("Calender Options");
    SetBorderStyle(bsNone);
    SetClientSize(566, 451);
    Position = poDesktopCenter;
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);

    ImageCalenderSettingsGrid = Make<TImage>(this, "ImageCalenderSettingsGrid", 30, 170, 310, 210);
    LabelCalenderFontSize = MakeLabel(this, "LabelCalenderFontSize", 192, 56, 73, 13);
    LabelCalenderFontold = MakeLabel(this, "LabelCalenderFontold", 192, 96, 81, 13);
    LabelPlayMedia = MakeLabel(this, "LabelPlayMedia", 400, 280, 129, 13);
    ComboBoxCalenderFonts = MakeList(this, "ComboBoxCalenderFonts", 30, 54, 145);
    CSpinEditFontSize = Make<TCSpinEdit>(this, "CSpinEditFontSize", 272, 56, 41, 22);
    CSpinEditFontSize->MinValue = 8;
    CSpinEditFontSize->MaxValue = 16;
    CheckBoxCalenderFontBold = Make<TCheckBox>(this, "CheckBoxCalenderFontBold", 272, 96, 13, 13);
    ComboBoxCalenderFirstColumn = MakeList(this, "ComboBoxCalenderFirstColumn", 384, 158, 150);
    CheckBoxPlayMedia = Make<TCheckBox>(this, "CheckBoxPlayMedia", 384, 280, 13, 13);
    ComboBoxIconSize = MakeList(this, "ComboBoxIconSize", 384, 216, 150);
    for (int32_t size = kSmallestIcon; size <= kLargestIcon; size += 2)
        ComboBoxIconSize->Items()->Add(IntToStr(size) + " x " + IntToStr(size) + " Pixel");
    ColorDialogCalenderSettings = new TColorDialog(this);
    ColorDialogCalenderSettings->SetName("ColorDialogCalenderSettings");
    OpenDialogCalenderMediaFile = new TOpenDialog(this);
    OpenDialogCalenderMediaFile->SetName("OpenDialogCalenderMediaFile");
    OpenDialogCalenderMediaFile->Filter = "Wave Files (*.wav)|*.wav";
    // One entry only: the system falls back to it.
    OpenDialogCalenderMediaFile->FilterIndex = 3;

    // The events are bound once every property is read, as streaming does.
    OnCreate = std::bind(&TFormCalenderOptions::FormCreate, this, _1);
    OnDestroy = std::bind(&TFormCalenderOptions::FormDestroy, this, _1);
    OnKeyPress = std::bind(&TFormCalenderOptions::FormKeyPress, this, _1, _2);
    OnMouseDown = std::bind(&TFormCalenderOptions::FormMouseDown, this, _1, _2, _3, _4, _5);
    OnMouseMove = std::bind(&TFormCalenderOptions::FormMouseMove, this, _1, _2, _3, _4);
    OnMouseUp = std::bind(&TFormCalenderOptions::FormMouseUp, this, _1, _2, _3, _4, _5);
    OnPaint = std::bind(&TFormCalenderOptions::FormPaint, this, _1);
    OnShow = std::bind(&TFormCalenderOptions::FormShow, this, _1);
    const auto formKeyPress = std::bind(&TFormCalenderOptions::FormKeyPress, this, _1, _2);
    LabelCalenderFontold->OnClick = std::bind(&TFormCalenderOptions::LabelCalenderFontoldClick, this, _1);
    LabelPlayMedia->OnClick = std::bind(&TFormCalenderOptions::LabelPlayMediaClick, this, _1);
    ComboBoxCalenderFonts->OnChange = std::bind(&TFormCalenderOptions::ComboBoxCalenderFontsChange, this, _1);
    ComboBoxCalenderFonts->OnKeyPress = formKeyPress;
    CSpinEditFontSize->OnChange = std::bind(&TFormCalenderOptions::CSpinEditFontSizeChange, this, _1);
    CSpinEditFontSize->OnKeyPress = std::bind(&TFormCalenderOptions::CSpinEditFontSizeKeyPress, this, _1, _2);
    CheckBoxCalenderFontBold->OnClick = std::bind(&TFormCalenderOptions::CheckBoxCalenderFontBoldClick, this, _1);
    CheckBoxCalenderFontBold->OnKeyPress = formKeyPress;
    ComboBoxCalenderFirstColumn->OnChange =
        std::bind(&TFormCalenderOptions::ComboBoxCalenderFirstColumnChange, this, _1);
    ComboBoxCalenderFirstColumn->OnKeyPress = formKeyPress;
    CheckBoxPlayMedia->OnClick = std::bind(&TFormCalenderOptions::CheckBoxPlayMediaClick, this, _1);
    CheckBoxPlayMedia->OnKeyPress = formKeyPress;
    ComboBoxIconSize->OnChange = std::bind(&TFormCalenderOptions::ComboBoxIconSizeChange, this, _1);

    // The window exists once the resource is read.
    HandleNeeded();
    for (int i = 0; i < ComponentCount(); ++i) Components(i)->Loaded();
}

//--- Creation and showing

// Called once after the constructor: the preview bitmap, the working copies,
// the buttons and the lists.
void TFormCalenderOptions::FormCreate(TObject* sender) {
    (void)sender;
    using namespace std::placeholders;
    // 1. The repaints after every change do not flicker.
    DoubleBuffered = true;
    // 2.
    PreviewBitmap = std::make_unique<TBitmap>();
    PreviewBitmap->SetWidth(ImageCalenderSettingsGrid->Width());
    PreviewBitmap->SetHeight(ImageCalenderSettingsGrid->Height());
    // 3.
    CalFontName = Calendar_Settings.Font_Name;
    CalFontSize = Calendar_Settings.Font_Size;
    CalIconSize = IconWidth;
    CalFontBold = Calendar_Settings.Font_Bold_Style;
    CalFontColor = Calendar_Settings.Font_Color;
    CalShadowColor = Calendar_Settings.Font_Shadow_Color;
    CalSundayFirst = Calendar_Settings.Calendar_First_Column;
    CalPlaySound = Calendar_Settings.Calendar_Play_Sound;
    CalSoundFile = Calendar_Settings.Calendar_Sound_File_Name;
    // 4.
    auto make = [this](int left, int top, int width, const std::wstring& caption,
                       void (TImageButton::*handler)(TObject*)) {
        const RECT place{left, top, width, 25};
        auto* button = new TImageButton(this, &place, caption, true);
        button->OwnerForm = this;
        button->OnClick = std::bind(handler, button, _1);
        return button;
    };
    ButtonOK = make(300, 405, 75, AnsiToWide(kTextOK), &TImageButton::OnClickButtonCalenderSettingsOK);
    ButtonCancel = make(430, 405, 75, AnsiToWide(kTextCancel), &TImageButton::OnClickButtonCalenderSettingsCancel);
    ButtonCancel->Cancel = true;
    ButtonChangeFontColor =
        make(385, 50, 145, AnsiToWide(kTextChangeTextColor), &TImageButton::OnClickButtonCalenderChangeFontColor);
    ButtonChangeShadowColor =
        make(385, 85, 145, AnsiToWide(kTextChangeShadowColor), &TImageButton::OnClickButtonCalenderChangeShadowColor);
    ButtonChooseFile = make(385, 305, 145, TextLoadFile, &TImageButton::OnClickButtonCalenderChooseFile);
    ButtonTestSound = make(385, 345, 145, TextTestSound, &TImageButton::OnClickButtonCalenderTestSound);
    // 5. The first font of exactly the working name.
    const std::string fontName = WideToAnsi(CalFontName);
    int fontIndex = -1;
    for (const std::string& name : Screen->Fonts()) {
        const int index = ComboBoxCalenderFonts->Items()->Add(name);
        if (fontIndex < 0 && name == fontName) fontIndex = index;
    }
    ComboBoxCalenderFonts->SetItemIndex(fontIndex);
    // 6.
    ComboBoxCalenderFirstColumn->Items()->Add(WideToAnsi(FirstDayNames[0]));
    ComboBoxCalenderFirstColumn->Items()->Add(WideToAnsi(FirstDayNames[1]));
    ComboBoxCalenderFirstColumn->SetItemIndex(Calendar_Settings.Calendar_First_Column ? 0 : 1);
    // 7.
    ComboBoxIconSize->SetItemIndex(IconSizeIndex(CalIconSize));
}

// Called when the dialog goes.
void TFormCalenderOptions::FormDestroy(TObject* sender) {
    (void)sender;
    PreviewBitmap.reset();
}

// Called when the dialog is shown, before it becomes visible.
void TFormCalenderOptions::FormShow(TObject* sender) {
    (void)sender;
    // 1.
    SetItemsFontColor(this);
    // 2.
    TWinControl* const order[] = {ButtonOK,
                                  ButtonCancel,
                                  ComboBoxCalenderFonts,
                                  CSpinEditFontSize,
                                  CheckBoxCalenderFontBold,
                                  ButtonChangeFontColor,
                                  ButtonChangeShadowColor,
                                  ComboBoxCalenderFirstColumn,
                                  ComboBoxIconSize,
                                  CheckBoxPlayMedia,
                                  ButtonChooseFile,
                                  ButtonTestSound};
    for (int i = 0; i < static_cast<int>(std::size(order)); ++i) order[i]->TabOrder = i;
    ButtonOK->SetFocus();
    // 3. Setting the field and the boxes runs their events, which store the same values again.
    LabelCalenderFontSize->SetCaption(WideToAnsi(TextFontSize));
    CSpinEditFontSize->SetText(IntToStr(CalFontSize));
    LabelCalenderFontold->SetCaption(WideToAnsi(TextBold));
    CheckBoxCalenderFontBold->SetChecked(CalFontBold != 0);
    LabelPlayMedia->SetCaption(kIndent + WideToAnsi(TextPlaySound));
    CheckBoxPlayMedia->SetChecked(CalPlaySound != 0);
}

//--- Painting

// Called when the dialog paints, into its paint buffer.
void TFormCalenderOptions::FormPaint(TObject* sender) {
    (void)sender;
    TCanvas* canvas = Canvas();
    // 1.
    DrawDialogBackground(this);
    DrawCloseGlyph(this);
    DrawFormTitle(this, TitleCalendarSettings);
    // 2. The colour swatches beside their buttons, outlined in the current pen.
    for (const auto& [button, colour] :
         {std::pair{ButtonChangeFontColor, CalFontColor}, std::pair{ButtonChangeShadowColor, CalShadowColor}}) {
        canvas->Brush()->SetColor(colour);
        canvas->Rectangle(button->Left() - 40, button->Top(), button->Left() - 15, button->Top() + 25);
    }
    // 3.
    const RECT p = ImageCalenderSettingsGrid->BoundsRect();
    const int pw = p.right - p.left;
    const int ph = p.bottom - p.top;
    const int side = p.left + pw + 30;
    DrawGroupFrame(canvas, WideToAnsi(TextCalendarFont), 20, 40, ClientWidth() - 40, 80);
    DrawGroupFrame(canvas, WideToAnsi(TextCalendarPreview), p.left - 10, p.top - 30, pw + 20, ph + 40);
    DrawGroupFrame(canvas, WideToAnsi(TextWeekOptions), side, p.top - 30, 175, 50);
    DrawGroupFrame(canvas, WideToAnsi(TextIconSize), side, p.top + 30, 175, 50);
    DrawGroupFrame(canvas, WideToAnsi(TextSoundOptions), side, p.top + 90, 175, 130);
    // 4.
    DrawPreview();
    DrawWeekdayHeader();
}

void TFormCalenderOptions::DrawPreview() {
    if (!MainForm || !PreviewBitmap) return;
    // 1. The shared cell geometry for the preview; the main calendar's next
    // drawing sets it back from its own grid.
    const int width = PreviewBitmap->Width();
    const int height = PreviewBitmap->Height();
    CellWidth = width / 7;
    CellHeight = height / 6;
    DayBand = CellHeight * 11 / 32;
    // 2.
    TCanvas* canvas = PreviewBitmap->Canvas();
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetName(WideToAnsi(CalFontName));
    HDC dc = canvas->Handle();
    // 3. The main window's grid with the chosen style, without hover and pictures.
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            TWeekDay& cell = gConverter->Cells[row][column];
            TBitmap* picture = cell.IsInMonth() ? MainForm->BitmapDayCell.get() : MainForm->BitmapDayCellOther.get();
            gCalendarView->StretchCellPicture(column, row, dc, picture, width, height);
            gCalendarView->DrawCellText(canvas, IntToStr(cell.GetDay()), column * CellWidth + CellWidth / 8 - 4,
                                        row * CellHeight + CellHeight / 8 - 4, CalFontSize, CalFontBold != 0,
                                        CalFontColor, CalShadowColor);
        }
    }
    // 4.
    TImage* image = ImageCalenderSettingsGrid;
    BitBlt(image->Canvas()->Handle(), 0, 0, image->Width(), image->Height(), dc, 0, 0, SRCCOPY);
}

void TFormCalenderOptions::DrawWeekdayHeader() {
    TCanvas* canvas = Canvas();
    const RECT p = ImageCalenderSettingsGrid->BoundsRect();
    const int cw = (p.right - p.left) / 7;
    TFont kept;
    kept.Assign(*canvas->Font());
    canvas->Font()->SetName(Text_Settings.Font_Name);
    canvas->Font()->SetStyle(canvas->Font()->Style() | fsBold);
    for (int i = 0; i < 7; ++i) {
        RECT rect{p.left + cw * i, p.top - 20, p.left + cw * (i + 1), p.top};
        const std::wstring& heading = WeekdayHeadings[CalSundayFirst ? i : (i + 1) % 7];
        // The shadow takes the rectangle, the heading lies one pixel up and left of it.
        OffsetRect(&rect, -1, -1);
        DrawShadowedText(canvas, heading, rect, TextCentred, Text_Settings.Font_Color, Text_Settings.Font_Shadow_Color);
    }
    canvas->Font()->Assign(kept);
}

void TFormCalenderOptions::StyleChanged() {
    DrawPreview();
    Repaint();
}

//--- Control events

// Called when the user chooses another font.
void TFormCalenderOptions::ComboBoxCalenderFontsChange(TObject* sender) {
    (void)sender;
    CalFontName = AnsiToWide(ComboBoxCalenderFonts->Text());
    StyleChanged();
}

// Called when the size field's text changes (its buttons, the arrow keys, or the dialog's showing).
void TFormCalenderOptions::CSpinEditFontSizeChange(TObject* sender) {
    (void)sender;
    // A pasted text that is no number raises the conversion error, which the
    // window procedure shows; the size and the preview stay as they were.
    CalFontSize = StrToInt(CSpinEditFontSize->Text());
    StyleChanged();
}

// Called for a character typed into the size field: none is taken; Enter and Esc act.
void TFormCalenderOptions::CSpinEditFontSizeKeyPress(TObject* sender, char& key) {
    (void)sender;
    const char typed = key;
    key = 0;
    if (typed == VK_RETURN) ButtonOK->OnClickButtonCalenderSettingsOK(ButtonOK);
    if (typed == VK_ESCAPE) ButtonCancel->OnClickButtonCalenderSettingsCancel(ButtonCancel);
}

void TFormCalenderOptions::CheckBoxCalenderFontBoldClick(TObject* sender) {
    (void)sender;
    CalFontBold = CheckBoxCalenderFontBold->Checked() ? 1 : 0;
    StyleChanged();
}

// Called when the user chooses the first weekday: the main window's month grid
// is laid out again at once, and the preview shows it.
void TFormCalenderOptions::ComboBoxCalenderFirstColumnChange(TObject* sender) {
    (void)sender;
    CalSundayFirst = ComboBoxCalenderFirstColumn->ItemIndex() == 0 ? 1 : 0;
    BuildMonthGrid(ShownYear - 1900, ShownMonth, CalSundayFirst != 0);
    StyleChanged();
}

// Called when the user chooses a picture size; the preview shows no pictures.
void TFormCalenderOptions::ComboBoxIconSizeChange(TObject* sender) {
    (void)sender;
    const int index = ComboBoxIconSize->ItemIndex();
    if (index >= 0 && index <= IconSizeIndex(kLargestIcon)) CalIconSize = kSmallestIcon + 2 * index;
}

void TFormCalenderOptions::CheckBoxPlayMediaClick(TObject* sender) {
    (void)sender;
    CalPlaySound = CheckBoxPlayMedia->Checked() ? 1 : 0;
}

void TFormCalenderOptions::LabelCalenderFontoldClick(TObject* sender) {
    (void)sender;
    CheckBoxCalenderFontBold->Toggle();
}

void TFormCalenderOptions::LabelPlayMediaClick(TObject* sender) {
    (void)sender;
    CheckBoxPlayMedia->Toggle();
}

void TFormCalenderOptions::ChooseColor(TColor& colour) {
    ColorDialogCalenderSettings->Color = colour;
    if (!ColorDialogCalenderSettings->Execute()) return;
    colour = ColorDialogCalenderSettings->Color;
    StyleChanged();
}

//--- Keys and mouse

// Called for a character typed into the dialog, a list or a check box: Enter
// acts as "OK", Esc as "Cancel"; other keys pass.
void TFormCalenderOptions::FormKeyPress(TObject* sender, char& key) {
    (void)sender;
    if (key == VK_RETURN) ButtonOK->OnClickButtonCalenderSettingsOK(ButtonOK);
    if (key == VK_ESCAPE) ButtonCancel->OnClickButtonCalenderSettingsCancel(ButtonCancel);
}

// Called when a mouse button goes down on the dialog itself.
void TFormCalenderOptions::FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    SkinnedFormMouseDown(this, button, x, y);
}

// Called when the mouse moves over the dialog itself.
void TFormCalenderOptions::FormMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    TrackCloseGlyphHover(this, x, y);
}

// Called when a mouse button goes up over the dialog itself: the glyph cancels.
void TFormCalenderOptions::FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    if (button == mbLeft && CloseGlyphHitTest(this, x, y))
        ButtonCancel->OnClickButtonCalenderSettingsCancel(ButtonCancel);
}

//--- Applying

void TFormCalenderOptions::ApplySettings() {
    // 1.
    Calendar_Settings.Font_Name = CalFontName;
    Calendar_Settings.Font_Size = CalFontSize;
    Calendar_Settings.Font_Bold_Style = CalFontBold;
    Calendar_Settings.Font_Color = CalFontColor;
    Calendar_Settings.Font_Shadow_Color = CalShadowColor;
    Calendar_Settings.Calendar_First_Column = CalSundayFirst;
    Calendar_Settings.Calendar_Play_Sound = CalPlaySound;
    Calendar_Settings.Calendar_Sound_File_Name = CalSoundFile;
    // 2. Saved as Icon_Size.
    IconHeight = CalIconSize;
    IconWidth = CalIconSize;
    // 3.
    gConverter->PrepareSound(Calendar_Settings.Calendar_Sound_File_Name);
}

//--- The buttons

// Called when "OK" is clicked or Enter typed: the working copies become the
// settings and the calendar shows them.
void TImageButton::OnClickButtonCalenderSettingsOK(TObject* sender) {
    (void)sender;
    DrawFace();
    auto* dialog = dynamic_cast<TFormCalenderOptions*>(OwnerForm);
    if (!dialog) return;
    dialog->ApplySettings();
    gCalendarView->Refresh();
    gCalendarView->DrawCells();
    MainForm->Refresh();
    dialog->SetModalResult(mrOk);
    dialog->Release();
}

// Called when "Cancel" is clicked, Esc typed, the close glyph released or the
// dialog closed by the system (Alt+F4): the month grid is laid out again with
// the stored first weekday.
void TImageButton::OnClickButtonCalenderSettingsCancel(TObject* sender) {
    (void)sender;
    DrawFace();
    auto* dialog = dynamic_cast<TFormCalenderOptions*>(OwnerForm);
    if (!dialog) return;
    BuildMonthGrid(ShownYear - 1900, ShownMonth, Calendar_Settings.Calendar_First_Column != 0);
    gCalendarView->Refresh();
    gCalendarView->DrawCells();
    dialog->SetModalResult(mrOk);
    dialog->Release();
}

void TImageButton::OnClickButtonCalenderChangeFontColor(TObject* sender) {
    (void)sender;
    DrawFace();
    if (auto* dialog = dynamic_cast<TFormCalenderOptions*>(OwnerForm)) dialog->ChooseColor(dialog->CalFontColor);
}

void TImageButton::OnClickButtonCalenderChangeShadowColor(TObject* sender) {
    (void)sender;
    DrawFace();
    if (auto* dialog = dynamic_cast<TFormCalenderOptions*>(OwnerForm)) dialog->ChooseColor(dialog->CalShadowColor);
}

// Called when "Load File..." is clicked: the chosen sound is prepared at once.
void TImageButton::OnClickButtonCalenderChooseFile(TObject* sender) {
    (void)sender;
    DrawFace();
    auto* dialog = dynamic_cast<TFormCalenderOptions*>(OwnerForm);
    if (!dialog || !dialog->OpenDialogCalenderMediaFile->Execute()) return;
    dialog->CalSoundFile = AnsiToWide(dialog->OpenDialogCalenderMediaFile->FileName);
    gConverter->PrepareSound(dialog->CalSoundFile);
}

// Called when "Test Sound" is clicked: the working sound file plays.
void TImageButton::OnClickButtonCalenderTestSound(TObject* sender) {
    (void)sender;
    DrawFace();
    auto* dialog = dynamic_cast<TFormCalenderOptions*>(OwnerForm);
    if (!dialog) return;
    gConverter->PrepareSound(dialog->CalSoundFile);
    gConverter->PlaySound();
}
