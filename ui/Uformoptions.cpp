// The general settings dialog: its resource and buttons, loading the controls
// on every showing, the choices taken at once, the four pages' painting, the
// picture strip with its preview, the keys, and the confirmation that applies
// and saves everything.
#include "ui/Uformoptions.h"

#include <algorithm>
#include <functional>

#include "classlib/Streaming.h"
#include "model/Uconverter.h"
#include "model/Uglobals.h"
#include "model/UmodelHost.h"
#include "model/Usettings.h"
#include "ui/UMain.h"
#include "ui/Ucontrols.h"
#include "ui/Ugraphic.h"
#include "ui/Umainbutton.h"
#include "ui/Upictures.h"

TFormOptions* FormOptions = nullptr;

namespace {

constexpr char kIndent[] = "   ";
// Labels beside the position lists: one line, vertically centred.
constexpr UINT kLabelLine = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;  // 0x8024
// Labels above and beside the other fields (DrawText centres only single lines
// vertically, so these start at the top of their rectangles).
constexpr UINT kLabelBlock = DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS;  // 0x8014
constexpr UINT kHintSample = kLabelBlock | DT_CENTER;                      // 0x8015

// The page indices of the notebook.
enum : int { kPageGeneral = 0, kPageText = 1, kPageHint = 2, kPageIcons = 3 };

// The width of the buttons on the pages.
constexpr int kPageButtonWidth = 145;

// The preview square of the Icons page, in page coordinates.
constexpr RECT kPreviewSquare{50, 150, 82, 182};

TComboBox* MakeList(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width) {
    auto* combo = new TComboBox(owner);
    combo->SetName(name);
    combo->Style = csDropDownList;
    combo->SetBounds(left, top, width, 21);
    combo->SetParent(parent);
    return combo;
}

// A transparent label of the resource, sized by its text.
TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const char* name, int left, int top) {
    auto* label = new TLabel(owner);
    label->SetName(name);
    label->SetTransparent(true);
    label->SetBounds(left, top, label->Width(), label->Height());
    label->SetParent(parent);
    return label;
}

TToolButton* MakeToolButton(TComponent* owner, TToolBar* bar, const char* name, const char* caption, int image) {
    auto* button = new TToolButton(owner);
    button->SetName(name);
    button->SetCaption(caption);
    button->ImageIndex = image;
    button->Style = tbsCheck;
    button->Grouped = true;
    button->SetParent(bar);
    return button;
}

// The resource's own pictures of the four page buttons, from the program file;
// a program file built without them shows the captions alone.
void LoadToolButtonPictures(TImageList* list) {
    list->SetSize(32, 32);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (int i = 0; i < 4; ++i) {
        TBitmap picture;
        try {
            picture.LoadFromResourceName(instance, "TOOLBUTTON" + std::to_string(i));
            list->AddMasked(&picture, clWhite);
        } catch (const Exception&) {
            return;
        }
    }
}

// The text of a label drawn in a rectangle relative to a control of the page.
void DrawLabel(TCanvas* canvas, const char* text, const RECT& rect, UINT flags) {
    RECT place = rect;
    DrawTextA(canvas->Handle(), text, -1, &place, flags);
}

TImageButton* MakeButton(TWinControl* parent, int left, int top, int width, const char* caption) {
    const RECT place{left, top, width, 25};
    return new TImageButton(parent, &place, AnsiToWide(caption), true);
}

}  // namespace

//--- The form's resource

TFormOptions::TFormOptions(TComponent* owner) : TForm(owner) {
    CreateComponents();
}

TFormOptions::~TFormOptions() {
    DestroyComponents();
    if (FormOptions == this) FormOptions = nullptr;
}

void TFormOptions::CreateComponents() {
    using namespace std::placeholders;
    SetName("FormOptions");
    SetCaption("FormOptions");
    SetBorderStyle(bsNone);
    SetClientSize(493, 341);
    Position = poDesktopCenter;
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);

    ImageListForButtons = new TImageList(this);
    ImageListForButtons->SetName("ImageListForButtons");
    LoadToolButtonPictures(ImageListForButtons);

    CoolBarOptions = Make<TCoolBar>(this, this, "CoolBarOptions", 16, 45, 74, 212);
    CoolBarOptions->SetColor(clSilver);
    ToolBarSettings = new TToolBar(this);
    ToolBarSettings->SetName("ToolBarSettings");
    ToolBarSettings->Flat = true;
    ToolBarSettings->ShowCaptions = true;
    ToolBarSettings->Transparent = true;
    ToolBarSettings->Images = ImageListForButtons;
    CoolBarOptions->AddBand(ToolBarSettings);
    ToolBarSettings->SetBounds(0, 2, 73, 208);
    ToolBarSettings->SetButtonSize(70, 52);
    ToolButtonGeneral = MakeToolButton(this, ToolBarSettings, "ToolButtonGeneral", "General", 3);
    ToolButtonFont = MakeToolButton(this, ToolBarSettings, "ToolButtonFont", "       Text       ", 0);
    ToolButtonHint = MakeToolButton(this, ToolBarSettings, "ToolButtonHint", "Hint", 1);
    ToolButtonIcons = MakeToolButton(this, ToolBarSettings, "ToolButtonIcons", "Icons", 2);

    NotebookSettings = Make<TNotebook>(this, this, "NotebookSettings", 96, 32, 385, 254);
    TPage* general = NotebookSettings->AddPage("General");
    TPage* text = NotebookSettings->AddPage("Text");
    TPage* hint = NotebookSettings->AddPage("Hint");
    TPage* icons = NotebookSettings->AddPage("Icons");

    // Each page is drawn by a paint box under its controls.
    PaintBoxGeneral = Make<TPaintBox>(this, general, "PaintBoxGeneral", 0, 0, 385, 254);
    ComboBoxMainWindowPosition = MakeList(this, general, "ComboBoxMainWindowPosition", 216, 38, 145);
    ComboBoxMainWindowPosition->TabOrder = 0;
    ComboBoxRemindeWindowPosition = MakeList(this, general, "ComboBoxRemindeWindowPosition", 216, 70, 145);
    ComboBoxRemindeWindowPosition->TabOrder = 1;
    CheckBoxAutoStart = Make<TCheckBox>(this, general, "CheckBoxAutoStart", 54, 168, 13, 13);
    CheckBoxAutoStart->TabOrder = 2;
    CheckBoxHideWindow = Make<TCheckBox>(this, general, "CheckBoxHideWindow", 54, 192, 13, 13);
    CheckBoxHideWindow->TabOrder = 3;
    LabelAutoStart = MakeLabel(this, general, "LabelAutoStart", 68, 168);
    LabelHideWindow = MakeLabel(this, general, "LabelHideWindow", 68, 192);

    PaintBoxText = Make<TPaintBox>(this, text, "PaintBoxText", 0, 0, 385, 254);
    ComboBoxFonts = MakeList(this, text, "ComboBoxFonts", 24, 74, 135);

    PaintBoxHint = Make<TPaintBox>(this, hint, "PaintBoxHint", 0, 0, 385, 254);
    ComboBoxFontsForHint = MakeList(this, hint, "ComboBoxFontsForHint", 24, 74, 135);
    ComboBoxFontsForHint->Hint = "Select the fontname";
    ComboBoxFontsForHint->ShowHint = true;
    ComboBoxSelectHintGroups = MakeList(this, hint, "ComboBoxSelectHintGroups", 215, 127, 145);
    EditHintPause = Make<TEdit>(this, hint, "EditHintPause", 310, 186, 50, 21);
    EditHintHidePause = Make<TEdit>(this, hint, "EditHintHidePause", 310, 218, 50, 21);

    PaintBoxIcons = Make<TPaintBox>(this, icons, "PaintBoxIcons", 0, 0, 385, 254);
    StringGridImages = new TStringGrid(this);
    StringGridImages->SetName("StringGridImages");
    StringGridImages->ScrollBars = ssHorizontal;
    StringGridImages->SetBounds(24, 40, 337, 57);
    StringGridImages->SetColCount(1);
    StringGridImages->SetRowCount(1);
    StringGridImages->SetDefaultColWidth(32);
    StringGridImages->SetDefaultRowHeight(32);
    StringGridImages->SetParent(icons);

    ColorDialogText = new TColorDialog(this);
    ColorDialogText->SetName("ColorDialogText");
    OpenPictureDialogIcon = new TOpenPictureDialog(this);
    OpenPictureDialogIcon->SetName("OpenPictureDialogIcon");
    OpenPictureDialogIcon->Filter = "Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|All Images (*.bmp; *.ico)|*.bmp;*.ico";
    OpenPictureDialogIcon->FilterIndex = 3;

    // The events are bound once every property is read, as streaming does: the
    // settings above fire none of them.
    OnCreate = std::bind(&TFormOptions::FormCreate, this, _1);
    OnDestroy = std::bind(&TFormOptions::FormDestroy, this, _1);
    OnKeyPress = std::bind(&TFormOptions::FormKeyPress, this, _1, _2);
    OnMouseDown = std::bind(&TFormOptions::FormMouseDown, this, _1, _2, _3, _4, _5);
    OnMouseMove = std::bind(&TFormOptions::FormMouseMove, this, _1, _2, _3, _4);
    OnMouseUp = std::bind(&TFormOptions::FormMouseUp, this, _1, _2, _3, _4, _5);
    OnPaint = std::bind(&TFormOptions::FormPaint, this, _1);
    OnShow = std::bind(&TFormOptions::FormShow, this, _1);
    const auto formKeyPress = std::bind(&TFormOptions::FormKeyPress, this, _1, _2);
    const auto listKeyPress = std::bind(&TFormOptions::ComboBoxFontsForHintKeyPress, this, _1, _2);
    const auto pageMouseDown = std::bind(&TFormOptions::FormMouseDown, this, _1, _2, _3, _4, _5);
    ToolButtonGeneral->OnClick = std::bind(&TFormOptions::ToolButtonGeneralClick, this, _1);
    ToolButtonFont->OnClick = std::bind(&TFormOptions::ToolButtonFontClick, this, _1);
    ToolButtonHint->OnClick = std::bind(&TFormOptions::ToolButtonHintClick, this, _1);
    ToolButtonIcons->OnClick = std::bind(&TFormOptions::ToolButtonIconsClick, this, _1);
    PaintBoxGeneral->OnPaint = std::bind(&TFormOptions::PaintBoxGeneralPaint, this, _1);
    PaintBoxText->OnPaint = std::bind(&TFormOptions::PaintBoxTextPaint, this, _1);
    PaintBoxHint->OnPaint = std::bind(&TFormOptions::PaintBoxHintPaint, this, _1);
    PaintBoxIcons->OnPaint = std::bind(&TFormOptions::PaintBoxIconsPaint, this, _1);
    for (TPaintBox* box : {PaintBoxGeneral, PaintBoxText, PaintBoxHint, PaintBoxIcons})
        box->OnMouseDown = pageMouseDown;
    PaintBoxHint->OnClick = std::bind(&TFormOptions::PaintBoxHintClick, this, _1);
    ComboBoxMainWindowPosition->OnClick = std::bind(&TFormOptions::ComboBoxMainWindowPositionClick, this, _1);
    ComboBoxMainWindowPosition->OnKeyPress = formKeyPress;
    ComboBoxRemindeWindowPosition->OnClick = std::bind(&TFormOptions::ComboBoxRemindeWindowPositionClick, this, _1);
    ComboBoxRemindeWindowPosition->OnKeyPress = formKeyPress;
    CheckBoxAutoStart->OnClick = std::bind(&TFormOptions::CheckBoxAutoStartClick, this, _1);
    CheckBoxAutoStart->OnKeyPress = formKeyPress;
    CheckBoxHideWindow->OnClick = std::bind(&TFormOptions::CheckBoxHideWindowClick, this, _1);
    CheckBoxHideWindow->OnKeyPress = formKeyPress;
    LabelAutoStart->OnClick = std::bind(&TFormOptions::LabelAutoStartClick, this, _1);
    LabelHideWindow->OnClick = std::bind(&TFormOptions::LabelHideWindowClick, this, _1);
    ComboBoxFonts->OnClick = std::bind(&TFormOptions::ComboBoxFontsClick, this, _1);
    ComboBoxFonts->OnKeyPress = listKeyPress;
    ComboBoxFontsForHint->OnClick = std::bind(&TFormOptions::ComboBoxFontsForHintClick, this, _1);
    ComboBoxFontsForHint->OnKeyPress = listKeyPress;
    ComboBoxSelectHintGroups->OnClick = std::bind(&TFormOptions::ComboBoxSelectHintGroupsClick, this, _1);
    ComboBoxSelectHintGroups->OnKeyPress = listKeyPress;
    EditHintPause->OnKeyPress = std::bind(&TFormOptions::EditHintPauseKeyPress, this, _1, _2);
    EditHintHidePause->OnKeyPress = std::bind(&TFormOptions::EditHintPauseKeyPress, this, _1, _2);
    StringGridImages->OnDrawCell = std::bind(&TFormOptions::StringGridImagesDrawCell, this, _1, _2, _3, _4, _5);
    StringGridImages->OnSelectCell = std::bind(&TFormOptions::StringGridImagesSelectCell, this, _1, _2, _3, _4);
    StringGridImages->OnKeyPress = formKeyPress;

    // The window exists once the resource is read.
    HandleNeeded();
    for (int i = 0; i < ComponentCount(); ++i) Components(i)->Loaded();
}

//--- Creation and showing

// Called once after the constructor.
void TFormOptions::FormCreate(TObject* sender) {
    (void)sender;
    SetupControls();
}

// Called when the dialog goes at the end of the program.
void TFormOptions::FormDestroy(TObject* sender) {
    (void)sender;
    TextSampleFont.reset();
    HintSampleFont.reset();
    WorkingPictures.reset();
}

void TFormOptions::SetupControls() {
    using namespace std::placeholders;
    // 1.
    TextSampleFont = std::make_unique<TFont>();
    HintSampleFont = std::make_unique<TFont>();
    WorkingPictures = std::make_unique<TImageList>(nullptr);
    // 2. The screen's fonts, in its order.
    for (const std::string& name : Screen->Fonts()) {
        ComboBoxFonts->Items()->Add(name);
        ComboBoxFontsForHint->Items()->Add(name);
    }
    // 3.
    for (const std::string& name : HintGroupNames) ComboBoxSelectHintGroups->Items()->Add(name);
    for (const std::string& name : PositionModeNames) {
        ComboBoxMainWindowPosition->Items()->Add(name);
        ComboBoxRemindeWindowPosition->Items()->Add(name);
    }
    // 4.
    ButtonOK = MakeButton(this, 240, 295, 75, kTextOK);
    ButtonOK->OnClick = std::bind(&TImageButton::OnClickButtonSettingsOK, ButtonOK, _1);
    ButtonCancel = MakeButton(this, 380, 295, 75, kTextCancel);
    ButtonCancel->OnClick = std::bind(&TImageButton::OnClickButtonSettingsCancel, ButtonCancel, _1);
    ButtonCancel->Cancel = true;
    // 5. The boxes are 13 x 13: only the box shows, the labels carry the texts.
    CheckBoxAutoStart->SetCaption(WideToAnsi(TextStartAtWindowsStartup));
    CheckBoxHideWindow->SetCaption(WideToAnsi(TextHideAtProgramStart));
    LabelAutoStart->SetCaption(kIndent + CheckBoxAutoStart->Caption());
    LabelHideWindow->SetCaption(kIndent + CheckBoxHideWindow->Caption());
    // 6. The page buttons.
    TWinControl* textPage = NotebookSettings->Pages(kPageText);
    TWinControl* hintPage = NotebookSettings->Pages(kPageHint);
    TWinControl* iconsPage = NotebookSettings->Pages(kPageIcons);
    ButtonTextColor = MakeButton(textPage, 215, 32, kPageButtonWidth, kTextChangeTextColor);
    ButtonTextColor->OnClick = std::bind(&TImageButton::OnClickButtonSettingsChangeFontColor, ButtonTextColor, _1);
    ButtonShadowColor = MakeButton(textPage, 215, 72, kPageButtonWidth, kTextChangeShadowColor);
    ButtonShadowColor->OnClick =
        std::bind(&TImageButton::OnClickButtonSettingsChangeShadowColor, ButtonShadowColor, _1);
    ButtonHintColor = MakeButton(hintPage, 215, 32, kPageButtonWidth, kTextChangeHintColor);
    ButtonHintColor->OnClick = std::bind(&TImageButton::OnClickButtonSettingsChangeHintColor, ButtonHintColor, _1);
    ButtonHintBackground = MakeButton(hintPage, 215, 72, kPageButtonWidth, kTextChangeHintBackground);
    ButtonHintBackground->OnClick =
        std::bind(&TImageButton::OnClickButtonSettingsChangeHintBackground, ButtonHintBackground, _1);
    ButtonAddIcon = MakeButton(iconsPage, 215, 132, kPageButtonWidth, kTextAddAnIcon);
    ButtonAddIcon->OnClick = std::bind(&TImageButton::OnClickButtonSettingsAddIcon, ButtonAddIcon, _1);
    ButtonDeleteIcon = MakeButton(iconsPage, 215, 172, kPageButtonWidth, kTextDeleteSelectedIcon);
    ButtonDeleteIcon->OnClick = std::bind(&TImageButton::OnClickButtonSettingsDeleteMyIcon, ButtonDeleteIcon, _1);
    for (TImageButton* button :
         {ButtonTextColor, ButtonShadowColor, ButtonHintColor, ButtonHintBackground, ButtonAddIcon, ButtonDeleteIcon})
        button->OwnerForm = this;
}

// Called on every showing, before the dialog becomes visible: the controls and
// working copies start from the settings, so a cancelled showing leaves nothing.
void TFormOptions::FormShow(TObject* sender) {
    (void)sender;
    // 1.
    SetItemsFontColor(this);
    // 2.
    ButtonOK->TabOrder = 0;
    ButtonCancel->TabOrder = 1;
    ComboBoxFonts->TabOrder = 0;
    ButtonTextColor->TabOrder = 1;
    ButtonShadowColor->TabOrder = 2;
    ComboBoxFontsForHint->TabOrder = 0;
    ButtonHintColor->TabOrder = 1;
    ButtonHintBackground->TabOrder = 2;
    ComboBoxSelectHintGroups->TabOrder = 3;
    EditHintPause->TabOrder = 4;
    EditHintHidePause->TabOrder = 5;
    StringGridImages->TabOrder = 0;
    ButtonAddIcon->TabOrder = 1;
    ButtonDeleteIcon->TabOrder = 2;
    ButtonOK->SetFocus();
    // 3.
    ComboBoxMainWindowPosition->SetItemIndex(General_Settings.MainForm_Position_Flag);
    ComboBoxRemindeWindowPosition->SetItemIndex(General_Settings.AlertForm_Position_Flag);
    // 4.
    CheckBoxAutoStart->SetChecked(AutostartEnabled);
    CheckBoxHideWindow->SetChecked(General_Settings.Hide_Window_at_Start != 0);
    // 5-6. The font lists select the name exactly as stored, or nothing.
    const auto selectFont = [](TComboBox* list, const std::string& name) {
        int found = -1;
        for (int i = 0; i < list->Items()->Count() && found < 0; ++i)
            if (list->Items()->Strings(i) == name) found = i;
        list->SetItemIndex(found);
    };
    selectFont(ComboBoxFonts, Text_Settings.Font_Name);
    TextSampleFont->SetName(Text_Settings.Font_Name);
    WorkingTextColor = Text_Settings.Font_Color;
    WorkingShadowColor = Text_Settings.Font_Shadow_Color;
    selectFont(ComboBoxFontsForHint, Hint_Settings.Font_Name);
    HintSampleFont->SetName(Hint_Settings.Font_Name);
    WorkingHintColor = Hint_Settings.Hint_Font_Color;
    WorkingHintBackground = Hint_Settings.Hint_Background_Color;
    // 7.
    ComboBoxSelectHintGroups->SetItemIndex(Hint_Settings.Hint_Group_Index);
    // 8.
    EditHintPause->SetText(IntToStr(Hint_Settings.Hint_Delay));
    EditHintHidePause->SetText(IntToStr(Hint_Settings.Hint_Hide_Pause));
    // 9.
    TImageList* collection = PictureCollection();
    StringGridImages->SetColCount(collection->Count());
    WorkingPictures->Assign(*collection);
    // 10.
    NotebookSettings->SetPageIndex(kPageGeneral);
    ToolButtonGeneral->SetDown(true);
}

//--- Pages

void TFormOptions::ToolButtonGeneralClick(TObject* sender) {
    (void)sender;
    NotebookSettings->SetPageIndex(kPageGeneral);
}

void TFormOptions::ToolButtonFontClick(TObject* sender) {
    (void)sender;
    NotebookSettings->SetPageIndex(kPageText);
}

void TFormOptions::ToolButtonHintClick(TObject* sender) {
    (void)sender;
    NotebookSettings->SetPageIndex(kPageHint);
}

void TFormOptions::ToolButtonIconsClick(TObject* sender) {
    (void)sender;
    NotebookSettings->SetPageIndex(kPageIcons);
}

//--- Choices taken at once (kept whatever button ends the dialog)

void TFormOptions::ComboBoxMainWindowPositionClick(TObject* sender) {
    (void)sender;
    General_Settings.MainForm_Position_Flag = ComboBoxMainWindowPosition->ItemIndex();
}

void TFormOptions::ComboBoxRemindeWindowPositionClick(TObject* sender) {
    (void)sender;
    General_Settings.AlertForm_Position_Flag = ComboBoxRemindeWindowPosition->ItemIndex();
}

void TFormOptions::ComboBoxSelectHintGroupsClick(TObject* sender) {
    (void)sender;
    Hint_Settings.Hint_Group_Index = static_cast<int16_t>(ComboBoxSelectHintGroups->ItemIndex());
}

void TFormOptions::CheckBoxHideWindowClick(TObject* sender) {
    (void)sender;
    General_Settings.Hide_Window_at_Start = CheckBoxHideWindow->Checked() ? 1 : 0;
}

// The choice only: the registry is written by the confirmation.
void TFormOptions::CheckBoxAutoStartClick(TObject* sender) {
    (void)sender;
    AutostartEnabled = CheckBoxAutoStart->Checked();
}

void TFormOptions::LabelAutoStartClick(TObject* sender) {
    (void)sender;
    CheckBoxAutoStart->Toggle();
}

void TFormOptions::LabelHideWindowClick(TObject* sender) {
    (void)sender;
    CheckBoxHideWindow->Toggle();
}

//--- Working copies

void TFormOptions::ComboBoxFontsClick(TObject* sender) {
    (void)sender;
    TextSampleFont->SetName(ComboBoxFonts->Text());
    RepaintPage(kPageText);
}

void TFormOptions::ComboBoxFontsForHintClick(TObject* sender) {
    (void)sender;
    HintSampleFont->SetName(ComboBoxFontsForHint->Text());
    RepaintPage(kPageHint);
}

bool TFormOptions::ChooseWorkingColor(TColor& color, int page) {
    ColorDialogText->Color = color;
    if (!ColorDialogText->Execute()) return false;
    color = ColorDialogText->Color;
    RepaintPage(page);
    return true;
}

//--- The confirmation

void TFormOptions::ApplySettings() {
    // 1.
    if (MainForm) MainForm->StoreWindowRect();
    // 2. The registry is read back, so the choice shown next time is what the
    // registry holds even when writing it failed.
    gConverter->SetAutostart(CheckBoxAutoStart->Checked());
    AutostartEnabled = gConverter->IsAutostart();
    // 3.
    Text_Settings.Font_Shadow_Color = WorkingShadowColor;
    Text_Settings.Font_Color = WorkingTextColor;
    Text_Settings.Font_Name = TextSampleFont->Name();
    // 4.
    Hint_Settings.Hint_Font_Color = WorkingHintColor;
    Hint_Settings.Hint_Background_Color = WorkingHintBackground;
    Hint_Settings.Font_Name = HintSampleFont->Name();
    // 5. No delay would stop the hint timer (only pasting brings a sign in).
    if (EditHintPause->Text().empty()) EditHintPause->SetText("1");
    Hint_Settings.Hint_Delay = StrToInt(EditHintPause->Text());
    if (Hint_Settings.Hint_Delay < 1) Hint_Settings.Hint_Delay = 1;
    if (MainForm) MainForm->TimerShowHint->SetInterval(static_cast<unsigned>(Hint_Settings.Hint_Delay));
    // 6.
    if (EditHintHidePause->Text().empty()) EditHintHidePause->SetText("1");
    Hint_Settings.Hint_Hide_Pause = StrToInt(EditHintHidePause->Text());
    if (Hint_Settings.Hint_Hide_Pause < 0) Hint_Settings.Hint_Hide_Pause = 0;
    Application->HintHidePause = Hint_Settings.Hint_Hide_Pause;
    // 7. The dialog closes once this returns.
    SetModalResult(1);
    // 8.
    gSettings->SaveSettings();
    // 9-10. The collection, and its file; a failed write keeps the old file.
    TImageList* collection = PictureCollection();
    collection->Assign(*WorkingPictures);
    try {
        WriteComponentResFile(AppPath + IconFileName, collection);
    } catch (const std::exception&) {
        ModelHost().ShowMessage(L"Error writing the file \"" + AnsiToWide(IconFileName) + L"\"", TextError, 0);
    }
    // 11. New text settings and pictures show in the calendar.
    gCalendarView->Refresh();
}

void TFormOptions::CancelSettings() {
    SetModalResult(1);
}

//--- Page painting

RECT TFormOptions::SkinSourceRect(const RECT& rect) const {
    const int skinWidth = MainForm ? MainForm->BitmapSkinBG->Width() : 0;
    const int skinHeight = MainForm ? MainForm->BitmapSkinBG->Height() : 0;
    const int clientWidth = std::max(ClientWidth(), 1);
    const int clientHeight = std::max(ClientHeight(), 1);
    const int stripHeight = std::max(clientHeight - 20, 1);
    return RECT{skinWidth * rect.left / clientWidth, skinHeight * (rect.top - 20) / stripHeight + 20,
                skinWidth * rect.right / clientWidth, skinHeight * rect.bottom / clientHeight};
}

TCanvas* TFormOptions::PageCanvas(TPaintBox* box) {
    TCanvas* canvas = box->Canvas();
    canvas->Font()->Assign(*box->Font());
    return canvas;
}

void TFormOptions::PaintPageBackground(TPaintBox* box, const RECT& target, const RECT& dialogRect) {
    if (!MainForm) return;
    const RECT source = SkinSourceRect(dialogRect);
    StretchBlt(box->Canvas()->Handle(), target.left, target.top, target.right - target.left, target.bottom - target.top,
               MainForm->BitmapSkinBG->Canvas()->Handle(), source.left, source.top, source.right - source.left,
               source.bottom - source.top, SRCCOPY);
}

void TFormOptions::DrawSwatch(TCanvas* canvas, TImageButton* button, TColor color) {
    canvas->Brush()->SetColor(color);
    canvas->Rectangle(button->Left() - 40, button->Top(), button->Left() - 15, button->Top() + 25);
}

// Called when the General page paints (into the page's paint buffer).
void TFormOptions::PaintBoxGeneralPaint(TObject* sender) {
    (void)sender;
    TCanvas* canvas = PageCanvas(PaintBoxGeneral);
    PaintPageBackground(PaintBoxGeneral, PaintBoxGeneral->ClientRect(), NotebookSettings->BoundsRect());
    DrawGroupFrame(canvas, kTextWindowPosition, 10, 25, 365, 80);
    DrawGroupFrame(canvas, kTextStartOptions, 10, 160, 365, 60);
    const RECT mainList = ComboBoxMainWindowPosition->BoundsRect();
    DrawLabel(canvas, kTextMainWindowPosition,
              RECT{mainList.left - 200, mainList.top, mainList.left - 20, mainList.bottom}, kLabelLine);
    const RECT alertList = ComboBoxRemindeWindowPosition->BoundsRect();
    DrawLabel(canvas, kTextAlertWindowPosition,
              RECT{alertList.left - 200, alertList.top, alertList.left - 20, alertList.bottom}, kLabelLine);
}

// Called when the Text page paints, and by RepaintPage.
void TFormOptions::PaintBoxTextPaint(TObject* sender) {
    (void)sender;
    TCanvas* canvas = PageCanvas(PaintBoxText);
    PaintPageBackground(PaintBoxText, PaintBoxText->ClientRect(), NotebookSettings->BoundsRect());
    DrawGroupFrame(canvas, kTextTextFontOptions, 10, 25, 365, 80);
    DrawGroupFrame(canvas, kTextExampleText, 10, 160, 365, 60);
    const RECT list = ComboBoxFonts->BoundsRect();
    DrawLabel(canvas, kTextFontName, RECT{list.left, list.top - 24, list.right, list.top - 8}, kLabelBlock);
    TFont kept;
    kept.Assign(*canvas->Font());
    DrawSwatch(canvas, ButtonTextColor, WorkingTextColor);
    DrawSwatch(canvas, ButtonShadowColor, WorkingShadowColor);
    canvas->Font()->SetName(TextSampleFont->Name());
    DrawShadowedTextA(canvas, TextSampleSentence, RECT{20, 180, 370, 200}, TextCentred, WorkingTextColor,
                      WorkingShadowColor);
    canvas->Font()->Assign(kept);
}

// Called when the Hint page paints, and by RepaintPage.
void TFormOptions::PaintBoxHintPaint(TObject* sender) {
    (void)sender;
    TCanvas* canvas = PageCanvas(PaintBoxHint);
    PaintPageBackground(PaintBoxHint, PaintBoxHint->ClientRect(), NotebookSettings->BoundsRect());
    DrawGroupFrame(canvas, kTextHintFontOptions, 10, 25, 365, 80);
    DrawGroupFrame(canvas, kTextHintCategories, 10, 118, 365, 40);
    DrawGroupFrame(canvas, kTextHintExample, 10, 170, 190, 80);
    DrawGroupFrame(canvas, kTextHintTimeOptions, 210, 170, 165, 80);
    TFont kept;
    kept.Assign(*canvas->Font());
    DrawSwatch(canvas, ButtonHintColor, WorkingHintColor);
    DrawSwatch(canvas, ButtonHintBackground, WorkingHintBackground);
    // The sample as the hint window shows it: its background, then the text.
    canvas->Brush()->SetColor(WorkingHintBackground);
    canvas->Rectangle(25, 183, 185, 235);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetName(HintSampleFont->Name());
    canvas->Font()->SetColor(WorkingHintColor);
    DrawLabel(canvas, TextSampleSentence.c_str(), RECT{25, 195, 185, 235}, kHintSample);
    canvas->Font()->Assign(kept);
    const RECT fonts = ComboBoxFontsForHint->BoundsRect();
    DrawLabel(canvas, kTextFontName, RECT{fonts.left, fonts.top - 24, fonts.right, fonts.top - 8}, kLabelBlock);
    const RECT groups = ComboBoxSelectHintGroups->BoundsRect();
    DrawLabel(canvas, kTextHintGroupsToShow, RECT{groups.left - 190, groups.top + 3, groups.left - 10, groups.bottom},
              kLabelBlock);
    const RECT delay = EditHintPause->BoundsRect();
    DrawLabel(canvas, kTextHintDelay, RECT{delay.left - 90, delay.top, delay.left - 10, delay.bottom}, kLabelBlock);
    const RECT hide = EditHintHidePause->BoundsRect();
    DrawLabel(canvas, kTextHintTime, RECT{hide.left - 90, hide.top, hide.left - 10, hide.bottom}, kLabelBlock);
}

// Called when the Icons page paints.
void TFormOptions::PaintBoxIconsPaint(TObject* sender) {
    (void)sender;
    TCanvas* canvas = PageCanvas(PaintBoxIcons);
    PaintPageBackground(PaintBoxIcons, PaintBoxIcons->ClientRect(), NotebookSettings->BoundsRect());
    DrawGroupFrame(canvas, kTextAvailableIcons, 10, 25, 365, 80);
    DrawGroupFrame(canvas, kTextIconManager, 10, 125, 365, 80);
    ShowIconPreview(StringGridImages->Col());
}

// Called on a click on the Hint page's surface: the bare skin covers it until
// the page paints again.
void TFormOptions::PaintBoxHintClick(TObject* sender) {
    (void)sender;
    PaintPageBackground(PaintBoxHint, PaintBoxHint->ClientRect(), NotebookSettings->BoundsRect());
}

void TFormOptions::RepaintPage(int page) {
    if (page == kPageText) {
        PaintBoxTextPaint(PaintBoxText);
        ButtonTextColor->Refresh();
        ButtonShadowColor->Refresh();
    } else if (page == kPageHint) {
        PaintBoxHintPaint(PaintBoxHint);
        ButtonHintColor->Refresh();
        ButtonHintBackground->Refresh();
    }
}

//--- Picture strip and preview

void TFormOptions::StringGridImagesDrawCell(TObject* sender, int col, int row, RECT rect, TGridDrawState state) {
    (void)sender;
    (void)row;
    (void)state;
    if (WorkingPictures) DrawImageListIcon(WorkingPictures.get(), StringGridImages, rect, col);
}

// Called when a picture of the strip is chosen; the choice is always allowed.
void TFormOptions::StringGridImagesSelectCell(TObject* sender, int col, int row, bool& canSelect) {
    (void)sender;
    (void)row;
    (void)canSelect;
    ShowIconPreview(col);
}

void TFormOptions::RefreshIconGrid() {
    StringGridImages->SetColCount(WorkingPictures->Count());
    StringGridImages->Repaint();
    ShowIconPreview(StringGridImages->Col());
}

void TFormOptions::ShowIconPreview(int index) {
    if (!MainForm || !WorkingPictures) return;
    // The skin under the square, in the dialog's coordinates, so that it
    // matches the page's background around it.
    RECT underSquare = kPreviewSquare;
    OffsetRect(&underSquare, NotebookSettings->Left(), NotebookSettings->Top());
    PaintPageBackground(PaintBoxIcons, kPreviewSquare, underSquare);
    TBitmap* picture = MainForm->BitmapIcon.get();
    picture->SetSize(32, 32);
    PatBlt(picture->Canvas()->Handle(), 0, 0, 32, 32, WHITENESS);
    WorkingPictures->GetBitmap(index, picture);
    DrawTransparentPicture(PaintBoxIcons->Canvas()->Handle(), kPreviewSquare, picture, MainForm->BitmapIconMask.get());
}

void TFormOptions::DeleteSelectedPicture() {
    if (WorkingPictures->Count() == 1) {
        ModelHost().ShowMessage(MsgCantRemoveAllIcons, TextWarning, 0);
        return;
    }
    WorkingPictures->Delete(StringGridImages->Col());
    RefreshIconGrid();
}

//--- Keys

void TFormOptions::EnterOrEscape(char key) {
    if (key == VK_RETURN)
        ApplySettings();
    else if (key == VK_ESCAPE)
        CancelSettings();
}

// Called for a character typed while the dialog, a position list, a check box
// or the picture strip has the focus.
void TFormOptions::FormKeyPress(TObject* sender, char& key) {
    (void)sender;
    EnterOrEscape(key);
}

// Called for a character typed into the font and hint-group lists: only Enter
// and Esc act, every other key is dropped (no choice by typing).
void TFormOptions::ComboBoxFontsForHintKeyPress(TObject* sender, char& key) {
    (void)sender;
    const char typed = key;
    key = 0;
    EnterOrEscape(typed);
}

// Called for a character typed into the hint time fields: digits and Backspace only.
void TFormOptions::EditHintPauseKeyPress(TObject* sender, char& key) {
    (void)sender;
    if (key == VK_BACK || (key >= '0' && key <= '9')) return;
    const char typed = key;
    key = 0;
    EnterOrEscape(typed);
}

//--- Mouse and painting of the dialog

// Called when a mouse button goes down on the dialog or on a page's surface.
void TFormOptions::FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    SkinnedFormMouseDown(this, button, x, y);
}

void TFormOptions::FormMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    TrackCloseGlyphHover(this, x, y);
}

// Called when a mouse button goes up over the dialog: the glyph cancels.
void TFormOptions::FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    if (button == mbLeft && CloseGlyphHitTest(this, x, y)) CancelSettings();
}

// Called when the dialog paints, into its paint buffer.
void TFormOptions::FormPaint(TObject* sender) {
    (void)sender;
    DrawDialogBackground(this);
    DrawCloseGlyph(this);
    DrawFormTitle(this, TitleGeneralSettings);
}

//--- The dialog's buttons

// Called when "OK" is clicked.
void TImageButton::OnClickButtonSettingsOK(TObject* sender) {
    (void)sender;
    if (auto* form = dynamic_cast<TFormOptions*>(Parent())) form->ApplySettings();
}

// Called when "Cancel" is clicked, or Esc typed.
void TImageButton::OnClickButtonSettingsCancel(TObject* sender) {
    (void)sender;
    if (auto* form = dynamic_cast<TCustomForm*>(Parent())) form->SetModalResult(1);
}

void TImageButton::OnClickButtonSettingsChangeFontColor(TObject* sender) {
    (void)sender;
    DrawFace();
    if (auto* form = dynamic_cast<TFormOptions*>(OwnerForm)) form->ChooseWorkingColor(form->WorkingTextColor, 1);
}

void TImageButton::OnClickButtonSettingsChangeShadowColor(TObject* sender) {
    (void)sender;
    DrawFace();
    if (auto* form = dynamic_cast<TFormOptions*>(OwnerForm)) form->ChooseWorkingColor(form->WorkingShadowColor, 1);
}

void TImageButton::OnClickButtonSettingsChangeHintColor(TObject* sender) {
    (void)sender;
    DrawFace();
    if (auto* form = dynamic_cast<TFormOptions*>(OwnerForm)) form->ChooseWorkingColor(form->WorkingHintColor, 2);
}

void TImageButton::OnClickButtonSettingsChangeHintBackground(TObject* sender) {
    (void)sender;
    DrawFace();
    if (auto* form = dynamic_cast<TFormOptions*>(OwnerForm)) form->ChooseWorkingColor(form->WorkingHintBackground, 2);
}

void TImageButton::OnClickButtonSettingsDeleteMyIcon(TObject* sender) {
    (void)sender;
    if (auto* form = dynamic_cast<TFormOptions*>(OwnerForm)) form->DeleteSelectedPicture();
}

void TImageButton::OnClickButtonSettingsAddIcon(TObject* sender) {
    (void)sender;
    DrawFace();
    gConverter->AddUserPicture();
}

//--- The model's way to the dialog

std::string RunOptionsPictureDialog() {
    if (!FormOptions) return std::string();
    TOpenPictureDialog* dialog = FormOptions->OpenPictureDialogIcon;
    return dialog->Execute() ? dialog->FileName : std::string();
}

TImageList* OptionsWorkingPictures() {
    return FormOptions ? FormOptions->WorkingPictures.get() : nullptr;
}

void OptionsWorkingPicturesChanged() {
    if (FormOptions) FormOptions->RefreshIconGrid();
}
