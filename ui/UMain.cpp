// The program entry and the main window: construction with the skin, the
// creation steps, the first showing and placement, the layout, the frame
// mechanics, the menus and the tray menu, the reminder timer, hiding and
// saving, and the end of the program and of the Windows session.
#include "ui/UMain.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "classlib/FileUtils.h"
#include "components/kelLibrary.h"
#include "model/Uconverter.h"
#include "model/Uglobals.h"
#include "model/UmodelHost.h"
#include "model/Usettings.h"
#include "ui/UAbout.h"
#include "ui/UFormDeleteItem.h"
#include "ui/UFormModifyItem.h"
#include "ui/UFormRemindeNow.h"
#include "ui/UMyHint.h"
#include "ui/Ucalenderoptions.h"
#include "ui/Uformoptions.h"
#include "ui/Ugraphic.h"
#include "ui/UprogramHost.h"

TMainForm* MainForm = nullptr;

namespace {

constexpr char kMutexName[] = "Quib Reminder 1.3";
constexpr char kMainCaption[] = "Quib Reminder";
constexpr char kApplicationTitle[] = "Quib Reminder ";

// A plain copy of a rectangle of a skin sheet.
std::unique_ptr<TBitmap> Cut(TBitmap& sheet, int x, int y, int width, int height) {
    auto bitmap = std::make_unique<TBitmap>(width, height);
    BitBlt(bitmap->Canvas()->Handle(), 0, 0, width, height, sheet.Canvas()->Handle(), x, y, SRCCOPY);
    return bitmap;
}

template <class T>
T* Make(TComponent* owner, const char* name) {
    T* component = new T(owner);
    component->SetName(name);
    return component;
}

std::function<uint32_t()>& UptimeFunction() {
    static std::function<uint32_t()> uptime;
    return uptime;
}

TMenuItem* Item(TComponent* owner, TMenuItem* parent, const char* name, const char* caption) {
    TMenuItem* item = Make<TMenuItem>(owner, name);
    item->Caption = caption;
    parent->Add(item);
    return item;
}

}  // namespace

std::string ProgramFolder(const std::string& exeName) {
    const size_t separator = exeName.find_last_of('\\');
    return separator == std::string::npos ? std::string() : exeName.substr(0, separator + 1);
}

bool WindowPosition(int32_t mode,
                    int32_t rememberedLeft,
                    int32_t rememberedTop,
                    int32_t screenWidth,
                    int32_t screenHeight,
                    int32_t width,
                    int32_t height,
                    int32_t& left,
                    int32_t& top) {
    switch (mode) {
        case kPositionRemembered:
            left = rememberedLeft;
            top = rememberedTop;
            return true;
        case kPositionDesktopCenter:
            left = screenWidth / 2 - width / 2;
            top = screenHeight / 2 - height / 2;
            return true;
        case kPositionTopLeft:
            left = 0;
            top = 0;
            return true;
        case kPositionTopRight:
            left = screenWidth - width;
            top = 0;
            return true;
        case kPositionBottomLeft:
            left = 0;
            top = screenHeight - height;
            return true;
        case kPositionBottomRight:
            left = screenWidth - width;
            top = screenHeight - height;
            return true;
        default: return false;
    }
}

uint32_t SystemUptime() {
    return UptimeFunction() ? UptimeFunction()() : GetTickCount();
}

void SetUptimeFunction(std::function<uint32_t()> uptime) {
    UptimeFunction() = std::move(uptime);
}

//--- The form's resource

void TMainForm::CreateComponents() {
    using namespace std::placeholders;
    SetName("MainForm");
    SetBounds(175, 116, 598, 519);
    SetCaption("Reminder");
    BorderIcons = biHelp;
    Constraints.MinWidth = 520;
    Constraints.MinHeight = 400;
    SetColor(clBtnFace);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    HelpType = htKeyword;
    HelpKeyword = "1000";
    OnCloseQuery = std::bind(&TMainForm::FormCloseQuery, this, _1, _2);
    OnCreate = std::bind(&TMainForm::FormCreate, this, _1);
    OnDestroy = std::bind(&TMainForm::FormDestroy, this, _1);
    OnKeyPress = std::bind(&TMainForm::FormKeyPress, this, _1, _2);
    OnMouseDown = std::bind(&TMainForm::FormMouseDown, this, _1, _2, _3, _4, _5);
    OnMouseMove = std::bind(&TMainForm::FormMouseMove, this, _1, _2, _3, _4);
    OnMouseUp = std::bind(&TMainForm::FormMouseUp, this, _1, _2, _3, _4, _5);
    OnPaint = std::bind(&TMainForm::FormPaint, this, _1);
    OnResize = std::bind(&TMainForm::FormResize, this, _1);
    OnShow = std::bind(&TMainForm::FormShow, this, _1);

    ExtnImageGrid = Make<TExtnImage>(this, "ExtnImageGrid");
    ExtnImageGrid->SetParent(this);
    ExtnImageGrid->SetBounds(168, 144, 385, 249);
    ExtnImageGrid->ShowHint = true;
    ExtnImageGrid->OnMouseDown = std::bind(&TMainForm::ExtnImageGridMouseDown, this, _1, _2, _3, _4, _5);
    ExtnImageGrid->OnMouseMove = std::bind(&TMainForm::ExtnImageGridMouseMove, this, _1, _2, _3, _4);
    ExtnImageGrid->OnMouseUp = std::bind(&TMainForm::ExtnImageGridMouseUp, this, _1, _2, _3, _4, _5);
    ExtnImageGrid->OnMouseEnter = std::bind(&TMainForm::ExtnImageGridMouseEnter, this, _1);
    ExtnImageGrid->OnMouseLeave = std::bind(&TMainForm::ExtnImageGridMouseLeave, this, _1);

    ExtnImageMonth = Make<TExtnImage>(this, "ExtnImageMonth");
    ExtnImageMonth->SetParent(this);
    ExtnImageMonth->SetBounds(397, 40, 18, 20);
    ExtnImageMonth->OnMouseDown = std::bind(&TMainForm::ExtnImageMonthMouseDown, this, _1, _2, _3, _4, _5);
    ExtnImageMonth->OnMouseUp = std::bind(&TMainForm::ExtnImageMonthMouseUp, this, _1, _2, _3, _4, _5);

    ExtnImageYear = Make<TExtnImage>(this, "ExtnImageYear");
    ExtnImageYear->SetParent(this);
    ExtnImageYear->SetBounds(496, 40, 18, 20);
    ExtnImageYear->OnMouseDown = std::bind(&TMainForm::ExtnImageYearMouseDown, this, _1, _2, _3, _4, _5);
    ExtnImageYear->OnMouseUp = std::bind(&TMainForm::ExtnImageYearMouseUp, this, _1, _2, _3, _4, _5);

    ListBoxInfo = Make<TListBox>(this, "ListBoxInfo");
    ListBoxInfo->Style = lbOwnerDrawFixed;
    ListBoxInfo->SetItemHeight(13);
    ListBoxInfo->ShowHint = true;
    ListBoxInfo->TabOrder = 0;
    ListBoxInfo->SetBounds(8, 144, 145, 233);
    ListBoxInfo->SetParent(this);
    ListBoxInfo->OnDblClick = std::bind(&TMainForm::ListBoxInfoDblClick, this, _1);
    ListBoxInfo->OnMouseDown = std::bind(&TMainForm::ListBoxInfoMouseDown, this, _1, _2, _3, _4, _5);
    ListBoxInfo->OnMouseMove = std::bind(&TMainForm::ListBoxInfoMouseMove, this, _1, _2, _3, _4);
    ListBoxInfo->OnMouseUp = std::bind(&TMainForm::ListBoxInfoMouseUp, this, _1, _2, _3, _4, _5);

    CoolBarMenu = Make<TCoolBar>(this, "CoolBarMenu");
    CoolBarMenu->SetBounds(10, 24, 143, 19);
    CoolBarMenu->AutoSize = true;
    CoolBarMenu->BandBorders = false;
    CoolBarMenu->FixedOrder = true;
    CoolBarMenu->SetParent(this);

    ToolBarMenu = Make<TToolBar>(this, "ToolBarMenu");
    ToolBarMenu->Flat = true;
    ToolBarMenu->List = true;
    ToolBarMenu->ShowCaptions = true;
    ToolBarMenu->Transparent = true;
    ToolBarMenu->SetBounds(0, 0, 143, 19);
    ToolBarMenu->SetButtonSize(47, 19);
    CoolBarMenu->AddBand(ToolBarMenu);
    ToolButtonFile = Make<TToolButton>(this, "ToolButtonFile");
    ToolButtonFile->SetCaption("&File");
    ToolButtonFile->Grouped = true;
    ToolButtonFile->SetParent(ToolBarMenu);
    ToolButtonExtras = Make<TToolButton>(this, "ToolButtonExtras");
    ToolButtonExtras->SetCaption("&Extras");
    ToolButtonExtras->Grouped = true;
    ToolButtonExtras->SetParent(ToolBarMenu);
    ToolButtonHelp = Make<TToolButton>(this, "ToolButtonHelp");
    ToolButtonHelp->SetCaption("&Help");
    ToolButtonHelp->Grouped = true;
    ToolButtonHelp->SetParent(ToolBarMenu);

    MediaPlayerSoundCal = Make<TMediaPlayer>(this, "MediaPlayerSoundCal");
    MediaPlayerSoundCal->DeviceType = dtWaveAudio;
    MediaPlayerSoundCal->AutoOpen = true;
    MediaPlayerSoundCal->Visible = false;
    MediaPlayerAlert = Make<TMediaPlayer>(this, "MediaPlayerAlert");
    MediaPlayerAlert->Visible = false;

    PopupMenuOnIcon = Make<TPopupMenu>(this, "PopupMenuOnIcon");
    New2 = Item(this, PopupMenuOnIcon->Items(), "New2", "Add &New Reminder");
    Edit1 = Item(this, PopupMenuOnIcon->Items(), "Edit1", "&Edit Selected Reminder");
    Delete1 = Item(this, PopupMenuOnIcon->Items(), "Delete1", "&Delete Selected Reminder");
    New2->OnClick = std::bind(&TMainForm::New2Click, this, _1);
    Edit1->OnClick = std::bind(&TMainForm::Edit1Click, this, _1);
    Delete1->OnClick = std::bind(&TMainForm::Delete1Click, this, _1);

    TimerCheckForReminders = Make<TTimer>(this, "TimerCheckForReminders");
    TimerCheckForReminders->SetInterval(1000);
    TimerCheckForReminders->OnTimer = std::bind(&TMainForm::TimerCheckForRemindersTimer, this, _1);

    PopupMenuTrayIcon = Make<TPopupMenu>(this, "PopupMenuTrayIcon");
    PopupMenuTrayIcon->OwnerDraw = true;
    RestoreHide1 = Item(this, PopupMenuTrayIcon->Items(), "RestoreHide1", "&Restore Main Window");
    RestoreHide1->OnClick = std::bind(&TMainForm::RestoreHide1Click, this, _1);
    RestoreHide1->OnMeasureItem = std::bind(&TMainForm::RestoreHide1MeasureItem, this, _1, _2, _3, _4);
    N6 = Item(this, PopupMenuTrayIcon->Items(), "N6", "-");
    Exit1 = Item(this, PopupMenuTrayIcon->Items(), "Exit1", "&Exit Quib Reminder          ");
    Exit1->OnClick = std::bind(&TMainForm::Exit1Click, this, _1);

    MainMenu1 = Make<TMainMenu>(this, "MainMenu1");
    File1 = Item(this, MainMenu1->Items(), "File1", "&File");
    Hide1 = Item(this, File1, "Hide1", "&Hide");
    Hide1->OnClick = std::bind(&TMainForm::Hide1Click, this, _1);
    N2 = Item(this, File1, "N2", "-");
    N1 = Item(this, File1, "N1", "Backup &import...");
    N1->OnClick = std::bind(&TMainForm::N1Click, this, _1);
    Backupexport1 = Item(this, File1, "Backupexport1", "Backup &export...");
    Backupexport1->OnClick = std::bind(&TMainForm::Backupexport1Click, this, _1);
    N3 = Item(this, File1, "N3", "-");
    Exit3 = Item(this, File1, "Exit3", "E&xit");
    Exit3->OnClick = std::bind(&TMainForm::Exit1Click, this, _1);
    Extras1 = Item(this, MainMenu1->Items(), "Extras1", "&Extras");
    Options1 = Item(this, Extras1, "Options1", "&General Settings...");
    Options1->OnClick = std::bind(&TMainForm::Options1Click, this, _1);
    CalenderOptions1 = Item(this, Extras1, "CalenderOptions1", "&Calendar Settings...");
    CalenderOptions1->OnClick = std::bind(&TMainForm::CalenderOptions1Click, this, _1);
    Help1 = Item(this, MainMenu1->Items(), "Help1", "&Help");
    Contentsandindex1 = Item(this, Help1, "Contentsandindex1", "&Contents and Index");
    Contentsandindex1->OnClick = std::bind(&TMainForm::Contentsandindex1Click, this, _1);
    N4 = Item(this, Help1, "N4", "-");
    About1 = Item(this, Help1, "About1", "&About");
    About1->OnClick = std::bind(&TMainForm::About1Click, this, _1);

    TimerShowHint = Make<TTimer>(this, "TimerShowHint");
    TimerShowHint->SetInterval(700);
    TimerShowHint->OnTimer = std::bind(&TMainForm::TimerShowHintTimer, this, _1);

    SaveDialogBackup = Make<TSaveDialog>(this, "SaveDialogBackup");
    SaveDialogBackup->DefaultExt = "qbr";
    SaveDialogBackup->Filter = "Quib Reminder Backup|*.qbr";
    OpenDialogBackup = Make<TOpenDialog>(this, "OpenDialogBackup");
    OpenDialogBackup->DefaultExt = "qbr";
    OpenDialogBackup->Filter = "Quib Reminder Backup|*.qbr";

    // Every help request of the program goes to the HTML Help file.
    HelpRouter = Make<THelpRouter>(this, "HelpRouter");
    HelpRouter->HelpType = THelpRouter::htHTMLhelp;
    HelpRouter->Helpfile = "Help.chm";
    HelpRouter->CHMPopupTopics = "CSHelp.txt";
    HelpRouter->ValidateID = true;

    // The tray icon with the program's icon; a visible icon is added at once.
    MainTrayIcon = Make<TkelTrayIcon>(this, "MainTrayIcon");
    MainTrayIcon->SetHint(kMainCaption);
    MainTrayIcon->Icon()->SetHandle(
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), 0)));
    MainTrayIcon->SetMinimizeToTray(true);
    MainTrayIcon->SetPopupMenu(PopupMenuTrayIcon);
    MainTrayIcon->SetVisible(true);
    MainTrayIcon->OnMinimize = std::bind(&TMainForm::MainTrayIconMinimize, this, _1);
    MainTrayIcon->OnClick = std::bind(&TMainForm::MainTrayIconClick, this, _1);

    // References between components are resolved once all exist.
    ToolButtonFile->MenuItem = File1;
    ToolButtonExtras->MenuItem = Extras1;
    ToolButtonHelp->MenuItem = Help1;

    // The window exists once the resource is read.
    HandleNeeded();
    for (int i = 0; i < ComponentCount(); ++i) Components(i)->Loaded();
}

//--- Construction

TMainForm::TMainForm(TComponent* owner) : TForm(owner) {
    CreateComponents();

    // 1-2. The Windows family and the program folder.
    WindowsVersion = GetVersion();
    AppPath = ProgramFolder(Application->ExeName());
    // The help file of the program folder: a bare name would be looked for in the
    // current folder, which is another one when Windows starts the program.
    HelpRouter->Helpfile = AppPath + HelpRouter->Helpfile;

    // 3-4. The top sheet and everything cut from it but the arrows.
    BitmapSkinTop = std::make_unique<TBitmap>(600, 210);
    BitmapSkinTop->LoadFromFile(AppPath + "\\Skins\\Default\\Top.bmp");
    BitmapDayCell = Cut(*BitmapSkinTop, 170, 100, 47, 44);
    BitmapDayCellHover = Cut(*BitmapSkinTop, 217, 100, 47, 44);
    BitmapDayCellOther = Cut(*BitmapSkinTop, 264, 100, 47, 44);
    BitmapGlyph = Cut(*BitmapSkinTop, 209, 160, 16, 16);
    BitmapGlyphHover = Cut(*BitmapSkinTop, 225, 160, 16, 16);
    BitmapGlyphPressed = Cut(*BitmapSkinTop, 241, 160, 16, 16);
    BitmapMessageIcon = Cut(*BitmapSkinTop, 558, 100, 32, 32);

    // 5. The dialog background sheet.
    BitmapSkinBG = std::make_unique<TBitmap>(400, 200);
    BitmapSkinBG->LoadFromFile(AppPath + "\\Skins\\Default\\BG.bmp");

    // 6. The button sheet, cut into its four states and let go.
    {
        TBitmap buttons(75, 100);
        buttons.LoadFromFile(AppPath + "\\Skins\\Default\\btn.bmp");
        BitmapButtonNormal = Cut(buttons, 0, 0, 75, 25);
        BitmapButtonHot = Cut(buttons, 0, 25, 75, 25);
        BitmapButtonPressed = Cut(buttons, 0, 50, 75, 25);
        BitmapButtonDisabled = Cut(buttons, 0, 75, 75, 25);
    }

    // 7. Work bitmaps.
    BitmapIcon = std::make_unique<TBitmap>();
    BitmapIconMask = std::make_unique<TBitmap>(32, 32);
    BitmapCalendar = std::make_unique<TBitmap>();

    // 8. The arrows, drawn onto both arrow images.
    BitmapArrow = Cut(*BitmapSkinTop, 170, 160, 13, 20);
    BitmapArrowUpPressed = Cut(*BitmapSkinTop, 183, 160, 13, 20);
    BitmapArrowDownPressed = Cut(*BitmapSkinTop, 196, 160, 13, 20);
    DrawArrow(ExtnImageMonth, BitmapArrow.get());
    DrawArrow(ExtnImageYear, BitmapArrow.get());

    // 9. The grid image's picture.
    ExtnImageGrid->Picture()->Bitmap()->SetSize(500, 500);

    // 10. The calendar buffer.
    BitmapCalendar->SetSize(ClientWidth() - 150 - 10, ClientHeight() - 100 - 20);

    // 11. The cell size is the cut size.
    CellWidth = BitmapDayCell->Width();
    CellHeight = BitmapDayCell->Height();

    // 12.
    BitmapIconFrame = std::make_unique<TBitmap>(32, 32);
}

TMainForm::~TMainForm() {
    // The components go while the skin images they may paint with still exist.
    DestroyComponents();
    if (MainForm == this) MainForm = nullptr;
}

void TMainForm::DrawArrow(TExtnImage* image, TBitmap* arrow) {
    StretchBlt(image->Canvas()->Handle(), 0, 0, 18, 20, arrow->Canvas()->Handle(), 0, 0, arrow->Width(),
               arrow->Height(), SRCCOPY);
}

//--- Creation, showing, layout and paint

// Called once after the constructor, before the window is first shown.
void TMainForm::FormCreate(TObject* sender) {
    (void)sender;
    // 1. Every hint of the program shows in the program's own hint window.
    Application->SetHintWindowClass<TMyHint>();
    // 2. No caption bar; the sizing frame stays.
    const LONG style = GetWindowLongA(Handle(), GWL_STYLE);
    SetWindowLongA(Handle(), GWL_STYLE, style & ~WS_CAPTION);
    // 3. A second copy finds the window by this caption.
    SetCaption(kMainCaption);
    // 4-5. Settings, and whether the window shows at start.
    gSettings->LoadSettings();
    Application->ShowMainForm = !General_Settings.Hide_Window_at_Start;
    // 6.
    AutostartEnabled = gConverter->IsAutostart();
    // 7.
    SkinMenuBar();
    // A save cut short by a crash or a power cut left its temporary file behind.
    RemoveLeftoverTemporaryFiles(AppPath);
    // 8. "index.dat" of the program folder.
    gConverter->LoadFromFile("");
    // 9.
    gCalendarView->SetHintMode("Control", true);
    // 10. Today's month.
    int year = 0, month = 0, day = 0;
    DecodeDate(Now(), year, month, day);
    ShownMonth = month - 1;
    ShownYear = year;
    BuildMonthGrid(ShownYear - 1900, ShownMonth, Calendar_Settings.Calendar_First_Column != 0);
    // 11. An optional icon of the user's for the application and the tray. It
    // is a nicety: whatever goes wrong with it, the program's own icons stay.
    if (FileExists(AppPath + ProgramIconFileName)) {
        try {
            Application->Icon()->LoadFromFile(AppPath + ProgramIconFileName);
            MainTrayIcon->Icon()->LoadFromFile(AppPath + ProgramIconFileName);
            MainTrayIcon->Update();
        } catch (...) {
        }
    }
}

// Called on every showing, before the window becomes visible.
void TMainForm::FormShow(TObject* sender) {
    DoubleBuffered = true;
    FormResize(sender);
    if (FirstShow) {
        FirstShow = false;
        gConverter->PrepareSound(Calendar_Settings.Calendar_Sound_File_Name);
        PlaceWindow();
    }
}

void TMainForm::PlaceWindow() {
    SetBounds(Left(), Top(), General_Settings.MainForm_Width, General_Settings.MainForm_Height);
    int left = Left();
    int top = Top();
    if (WindowPosition(General_Settings.MainForm_Position_Flag, General_Settings.MainForm_Left,
                       General_Settings.MainForm_Top, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                       Width(), Height(), left, top))
        SetBounds(left, top, Width(), Height());
}

// Called on every size change after creation, and from FormShow.
void TMainForm::FormResize(TObject* sender) {
    (void)sender;
    const int clientWidth = ClientWidth();
    const int clientHeight = ClientHeight();
    ExtnImageYear->SetLeft(clientWidth - 98);
    ExtnImageMonth->SetLeft(clientWidth - 196);
    ExtnImageGrid->SetWidth(clientWidth - ExtnImageGrid->Left() - 10);
    ExtnImageGrid->SetHeight(clientHeight - 100 - 20 - 10);
    ExtnImageGrid->Picture()->Bitmap()->SetSize(ExtnImageGrid->Width(), ExtnImageGrid->Height());
    MouseOverGrid = false;
    gCalendarView->Refresh();
}

// Called when the window paints, into its paint buffer.
void TMainForm::FormPaint(TObject* sender) {
    (void)sender;
    gCalendarView->Paint();
}

//--- Frame mechanics: close glyph and drag strip

// Called when a mouse button goes down on the window itself.
void TMainForm::FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    // The top 21 pixel rows act as the missing caption bar.
    SkinnedFormMouseDown(this, button, x, y, 21);
}

// Called when the mouse moves over the window itself.
void TMainForm::FormMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    TrackCloseGlyphHover(this, x, y);
}

// Called when a mouse button goes up over the window itself.
void TMainForm::FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    if (button != mbLeft || !CloseGlyphHitTest(this, x, y)) return;
    HideToTray();
    DrawCloseGlyph(this);
}

//--- Hiding and saving

void TMainForm::HideToTray() {
    // 1.
    SetVisible(true);
    MainTrayIcon->ShowMainForm();
    // 2-3. The window and its taskbar button.
    Hide();
    ShowWindow(FindWindowA(nullptr, kApplicationTitle), SW_HIDE);
    // 4-6.
    SaveAll();
}

void SaveReminderChanges() {
    const int before = gConverter->Count();
    gConverter->SaveToFile("");
    // A reminder file that could not be read at start may have given back its reminders.
    if (gConverter->Count() != before && gCalendarView) {
        gCalendarView->Refresh();
        gCalendarView->FillDayList();
    }
}

void TMainForm::SaveAll() {
    gConverter->SaveToFile("");
    StoreWindowRect();
    gSettings->SaveSettings();
}

void TMainForm::StoreWindowRect() {
    // Not placed yet (a start with the window hidden): its bounds are the
    // design's, and the rectangle the user left it at stays remembered.
    if (FirstShow) return;
    General_Settings.MainForm_Left = Left();
    General_Settings.MainForm_Top = Top();
    General_Settings.MainForm_Width = Width();
    General_Settings.MainForm_Height = Height();
}

// Called when the window is asked to close: it hides instead.
void TMainForm::FormCloseQuery(TObject* sender, bool& canClose) {
    (void)sender;
    canClose = false;
    HideToTray();
}

// Called when a key is typed while the window itself has the focus.
void TMainForm::FormKeyPress(TObject* sender, char& key) {
    (void)sender;
    if (key == 27) HideToTray();
}

// Called when the application destroys the window at the end of the program.
void TMainForm::FormDestroy(TObject* sender) {
    (void)sender;
    if (!m_isSavedForSessionEnd) SaveAll();
}

void TMainForm::Hide1Click(TObject* sender) {
    (void)sender;
    HideToTray();
}

// "Exit" in the File menu and in the tray menu. The message loop ends (and
// with it any dialog open meanwhile); the saving comes with the destruction.
void TMainForm::Exit1Click(TObject* sender) {
    (void)sender;
    Application->Terminate();
}

// "Backup import...": the list from a chosen backup file.
void TMainForm::N1Click(TObject* sender) {
    (void)sender;
    if (gConverter->ImportWithDialog()) SaveReminderChanges();
}

// "Backup export...": the list to a chosen backup file.
void TMainForm::Backupexport1Click(TObject* sender) {
    (void)sender;
    gConverter->ExportWithDialog();
}

//--- Extras and Help menus

// "General Settings...": the one settings dialog made at start, shown again.
void TMainForm::Options1Click(TObject* sender) {
    (void)sender;
    if (FormOptions) FormOptions->ShowModal();
}

// "Calendar Settings...": a new dialog for each use.
void TMainForm::CalenderOptions1Click(TObject* sender) {
    (void)sender;
    auto* dialog = NewForm<TFormCalenderOptions>(this);
    dialog->ShowModal();
    dialog->Release();
}

// "Contents and Index": the help file at its first page.
void TMainForm::Contentsandindex1Click(TObject* sender) {
    (void)sender;
    HelpRouter->HelpJump(AppPath + HelpFileName, "");
}

// "About": a new box for each use, which lets itself go when closed.
void TMainForm::About1Click(TObject* sender) {
    (void)sender;
    NewForm<TFormAbout>(this)->ShowModal();
}

//--- The tray icon and its menu

// Called on every click on the tray icon: the second click of a double click
// brings the window back.
void TMainForm::MainTrayIconClick(TObject* sender) {
    (void)sender;
    const TDateTime moment = Now();
    const TDateTime now = moment - std::floor(moment);
    if ((now - LastTrayClickTime) * 86400000.0 <= static_cast<double>(GetDoubleClickTime())) {
        SetVisible(true);
        Show();
    }
    LastTrayClickTime = now;
}

// Called when the tray icon has hidden the application on minimising. Nothing is saved.
void TMainForm::MainTrayIconMinimize(TObject* sender) {
    (void)sender;
    SetVisible(false);
}

void TMainForm::RestoreHide1Click(TObject* sender) {
    (void)sender;
    if (IsWindowVisible(FindWindowA(nullptr, kMainCaption))) {
        HideToTray();
    } else {
        SetVisible(true);
        MainTrayIcon->ShowMainForm();
    }
}

// Called when the tray menu measures the item: it names what a click will do.
void TMainForm::RestoreHide1MeasureItem(TObject* sender, TCanvas* canvas, int& width, int& height) {
    (void)sender;
    (void)canvas;
    (void)width;
    (void)height;
    RestoreHide1->Caption =
        IsWindowVisible(FindWindowA(nullptr, kMainCaption)) ? "Hide Quib Reminder" : "Restore Quib Reminder";
}

//--- Session end

void TMainForm::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_QUERYENDSESSION: return WMQueryEndSession(message);
        case WM_ENDSESSION: return WMEndSession(message);
        case WM_CAPTURECHANGED: return WMCaptureChanged(message);
        default: break;
    }
    TForm::WndProc(message);
}

// Called when the window loses the mouse capture. While the grid still holds
// the mouse, the capture went before the button came up (another window took
// it, a cancel, a switch of programs): no drop follows, so a drag ends here and
// the pointer is set free.
void TMainForm::WMCaptureChanged(TMessage& message) {
    if (Dragging && GetCaptureControl() == ExtnImageGrid) gCalendarView->EndDrag();
    TForm::WndProc(message);
}

void TMainForm::WMQueryEndSession(TMessage& message) {
    message.Result = 1;
    if (WindowsVersion & 0x80000000u) Application->Terminate();
}

// Saves whatever the message says. When the session does end, the program ends
// with it, also from inside a dialog open meanwhile, and writes nothing more.
void TMainForm::WMEndSession(TMessage& message) {
    message.Result = 0;
    if (m_isSavedForSessionEnd) return;
    SaveAll();
    if (message.WParam) {
        m_isSavedForSessionEnd = true;
        Application->Terminate();
    }
}

//--- Timer and arrows

// Called every second: the due check starts once Windows has been up 30 s and
// three more ticks have passed.
void TMainForm::TimerCheckForRemindersTimer(TObject* sender) {
    (void)sender;
    if (ReminderTimerWaiting) {
        if (SystemUptime() > 30000) ReminderTimerWaiting = false;
        return;
    }
    if (ReminderTimerWarmUp < 3) {
        ++ReminderTimerWarmUp;
        return;
    }
    gConverter->CheckDueReminders();
}

// Called when the hint delay has passed: the pending hint shows once.
void TMainForm::TimerShowHintTimer(TObject* sender) {
    (void)sender;
    Application->ActivateHint(POINT{HintPointX, HintPointY});
    TimerShowHint->SetEnabled(false);
}

// Called when a button goes down on the year arrow: upper half next year, lower half previous.
void TMainForm::ExtnImageYearMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)button;
    (void)shift;
    (void)x;
    ListBoxInfo->Clear();
    const int half = static_cast<TExtnImage*>(sender)->Height() / 2;
    if (y < half) {
        if (++ShownYear > 2035) ShownYear = 1970;
        DrawArrow(ExtnImageYear, BitmapArrowUpPressed.get());
    } else {
        if (--ShownYear < 1970) ShownYear = 2035;
        DrawArrow(ExtnImageYear, BitmapArrowDownPressed.get());
    }
    BuildMonthGrid(ShownYear - 1900, ShownMonth, Calendar_Settings.Calendar_First_Column != 0);
    gCalendarView->Refresh();
}

void TMainForm::ExtnImageYearMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)button;
    (void)shift;
    (void)x;
    (void)y;
    DrawArrow(ExtnImageYear, BitmapArrow.get());
    gCalendarView->Refresh();
}

// Called when a button goes down on the month arrow: upper half next month, lower half previous.
void TMainForm::ExtnImageMonthMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)button;
    (void)shift;
    (void)x;
    ListBoxInfo->Clear();
    const int half = static_cast<TExtnImage*>(sender)->Height() / 2;
    if (y < half) {
        if (++ShownMonth > 11) {
            ShownMonth = 0;
            if (++ShownYear > 2035) ShownYear = 1970;
        }
        DrawArrow(ExtnImageMonth, BitmapArrowUpPressed.get());
    } else {
        if (--ShownMonth < 0) {
            ShownMonth = 11;
            if (--ShownYear < 1970) ShownYear = 2035;
        }
        DrawArrow(ExtnImageMonth, BitmapArrowDownPressed.get());
    }
    BuildMonthGrid(ShownYear - 1900, ShownMonth, Calendar_Settings.Calendar_First_Column != 0);
    gCalendarView->Refresh();
}

void TMainForm::ExtnImageMonthMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)button;
    (void)shift;
    (void)x;
    (void)y;
    DrawArrow(ExtnImageMonth, BitmapArrow.get());
    gCalendarView->Refresh();
}

//--- The calendar grid

// Called when a button goes down on the grid: a left press on a picture starts a drag.
void TMainForm::ExtnImageGridMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    if (button != mbLeft) return;
    PointToCell(this, x, y);
    DragEntry = gCalendarView->BeginDrag(x, y);
}

// Called when the mouse moves over the grid, or anywhere while it holds the mouse.
void TMainForm::ExtnImageGridMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    if (!IsInsideGrid(x, y)) {
        MouseOverGrid = false;
        gCalendarView->DrawCells();
        return;
    }
    MouseOverGrid = true;
    if (Dragging) {
        gCalendarView->TrackDrag(DragEntry, x, y);
        return;
    }
    PointToCell(this, x, y);
    gCalendarView->TrackHover(HoverColumn, HoverRow, x, y);
}

// Called when a button goes up over the grid (or off it, while it holds the mouse).
void TMainForm::ExtnImageGridMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    if (!IsInsideGrid(x, y)) {
        // Let go off the grid: the drag ends without a drop.
        if (button == mbLeft && Dragging) gCalendarView->EndDrag();
        return;
    }
    if (button == mbRight) {
        gCalendarView->RightClickCell(x, y);
    } else {
        if (DragEntry) gCalendarView->DropEntry(DragEntry, x, y);
        gCalendarView->ClickCell(x, y);
    }
    // Lines and pictures follow the same order: a click on a picture selects its line.
    ListBoxInfo->SetItemIndex(HoverEntryIndex);
}

// Called when the pointer enters the grid.
void TMainForm::ExtnImageGridMouseEnter(TObject* sender) {
    (void)sender;
    gCalendarView->SetHintMode("Control", true);
    MouseOverGrid = true;
    gCalendarView->LastHoverColumn = -1;
    gCalendarView->LastHoverRow = -1;
}

// Called when the pointer leaves the grid: no cell stays hovered.
void TMainForm::ExtnImageGridMouseLeave(TObject* sender) {
    (void)sender;
    gCalendarView->SetHintMode("Control", true);
    MouseOverGrid = false;
    gCalendarView->DrawCells();
    ExtnImageGrid->Repaint();
}

//--- The day list

// Called on a double click on the day list: the line's reminder opens.
void TMainForm::ListBoxInfoDblClick(TObject* sender) {
    (void)sender;
    gCalendarView->ListDblClick();
}

// Called when any button goes down on the day list: the line under it is selected.
void TMainForm::ListBoxInfoMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)button;
    (void)shift;
    (void)x;
    if (y < 0) return;
    const int index = y / std::max(ListBoxInfo->ItemHeight(), 1);
    if (index < ListBoxInfo->Items()->Count()) ListBoxInfo->SetItemIndex(index);
}

// Called when the mouse moves over the day list: the row's delayed hint.
void TMainForm::ListBoxInfoMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    (void)x;
    gCalendarView->ListHint(y);
}

// Called when a button goes up on the day list: the right one opens the context menu.
void TMainForm::ListBoxInfoMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    (void)x;
    (void)y;
    if (button != mbRight) return;
    gCalendarView->ListRightClick(ListBoxInfo->Items()->Count() > 0 ? ListBoxInfo->ItemIndex() : -1);
}

//--- The context menu of the grid and the day list

// "Add New Reminder": a new reminder on the day last pointed at.
void TMainForm::New2Click(TObject* sender) {
    (void)sender;
    SelectedColumn = HoverColumn;
    SelectedRow = HoverRow;
    OpenModifyItemForNew();
}

// "Edit Selected Reminder".
void TMainForm::Edit1Click(TObject* sender) {
    (void)sender;
    OpenModifyItemForEdit();
}

// "Delete Selected Reminder": asks first.
void TMainForm::Delete1Click(TObject* sender) {
    (void)sender;
    if (!SelectedEntry || !FormDeleteItem) return;
    FormDeleteItem->Setup(PromptDeleteItem, "YesNo");
}

//--- Program entry

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The component library starts before the program's own units and ends after them.
    kelInitialize();
    InitGlobals();

    // A running copy: bring its windows forward and end without touching a file.
    HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName);
    if (running) {
        HWND mainWindow = FindWindowA(nullptr, kMainCaption);
        ShowWindow(mainWindow, SW_SHOWNA);
        SetForegroundWindow(mainWindow);
        ShowWindow(FindWindowA(nullptr, kApplicationTitle), SW_SHOW);
        std::exit(1);
    }
    // Kept, never closed: the name stays taken until the process has ended.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kMutexName);

    gCalendarView = new TCalendarView;
    static TProgramHost host;
    SetModelHost(&host);

    try {
        Application->Initialize();
        Application->SetTitle(kApplicationTitle);
        Application->HelpFile = "";
        Application->CreateForm(MainForm);
        Application->CreateForm(FormModifyItem);
        Application->CreateForm(FormDeleteItem);
        Application->CreateForm(FormRemindeNow);
        Application->CreateForm(FormOptions);
        Application->Run();
    } catch (const Exception& error) {
        Application->ShowException(error);
    } catch (const std::exception& error) {
        Application->ShowException(Exception(error.what()));
    } catch (...) {
        Application->ShowException(Exception(""));
    }
    ReleaseMutex(mutex);

    // The exit processing: the windows go (the main window saves), then the texts.
    Application->DestroyForms();
    DoneGlobals();
    kelFinalize();
    return 0;
}
