// The alarm window: its resource, painting, sound, "OK" and "Snooze", its
// placement, and the registry of the alarm windows that are open.
#include "ui/UFormRemindeNow.h"

#include <algorithm>

#include "model/Ueintrag.h"
#include "model/Uglobals.h"
#include "ui/UMain.h"
#include "ui/Ugraphic.h"
#include "ui/Umainbutton.h"

TFormRemindeNow* FormRemindeNow = nullptr;

namespace {

// The reminder's own title and text: an "&" in them is shown as typed.
constexpr UINT kAlarmTextFlags = DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX;  // 0x8810

// Every alarm window in existence, oldest first.
std::vector<TFormRemindeNow*>& AllAlarmWindows() {
    static auto* windows = new std::vector<TFormRemindeNow*>;
    return *windows;
}

TMenuItem* Item(TComponent* owner, TMenuItem* parent, const char* name, const char* caption) {
    auto* item = new TMenuItem(owner);
    item->SetName(name);
    item->Caption = caption;
    parent->Add(item);
    return item;
}

}  // namespace

//--- The form's resource

TFormRemindeNow::TFormRemindeNow(TComponent* owner) : TForm(owner) {
    CreateComponents();
    AllAlarmWindows().push_back(this);
}

TFormRemindeNow::~TFormRemindeNow() {
    auto& windows = AllAlarmWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

void TFormRemindeNow::CreateComponents() {
    using namespace std::placeholders;
    SetName("FormRemindeNow");
    SetBorderStyle(bsNone);
    SetCaption("Reminder");
    SetBounds(256, 111, 542, 351);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    OnClose = std::bind(&TFormRemindeNow::FormClose, this, _1, _2);
    OnCreate = std::bind(&TFormRemindeNow::FormCreate, this, _1);
    OnMouseDown = std::bind(&TFormRemindeNow::FormMouseDown, this, _1, _2, _3, _4, _5);
    OnMouseMove = std::bind(&TFormRemindeNow::FormMouseMove, this, _1, _2, _3, _4);
    OnMouseUp = std::bind(&TFormRemindeNow::FormMouseUp, this, _1, _2, _3, _4, _5);
    OnPaint = std::bind(&TFormRemindeNow::FormPaint, this, _1);
    OnShow = std::bind(&TFormRemindeNow::FormShow, this, _1);

    PopupMenuRemindeMeLater = new TPopupMenu(this);
    PopupMenuRemindeMeLater->SetName("PopupMenuRemindeMeLater");
    PopupMenuRemindeMeLater->MenuAnimation = maLeftToRight;
    TMenuItem* items = PopupMenuRemindeMeLater->Items();
    N1min1 = Item(this, items, "N1min1", "1 min");
    N1min1->OnClick = std::bind(&TFormRemindeNow::N1min1Click, this, _1);
    N5min1 = Item(this, items, "N5min1", "5 min");
    N5min1->OnClick = std::bind(&TFormRemindeNow::N5min1Click, this, _1);
    N10min1 = Item(this, items, "N10min1", "10 min");
    N10min1->OnClick = std::bind(&TFormRemindeNow::N10min1Click, this, _1);
    N20min1 = Item(this, items, "N20min1", "20 min");
    N20min1->OnClick = std::bind(&TFormRemindeNow::N20min1Click, this, _1);
    N30min1 = Item(this, items, "N30min1", "30 min");
    N30min1->OnClick = std::bind(&TFormRemindeNow::N30min1Click, this, _1);
    N1hour1 = Item(this, items, "N1hour1", "1 hour");
    N1hour1->OnClick = std::bind(&TFormRemindeNow::N1hour1Click, this, _1);
    N2hour1 = Item(this, items, "N2hour1", "2 hours");
    N2hour1->OnClick = std::bind(&TFormRemindeNow::N2hour1Click, this, _1);
    N4hour1 = Item(this, items, "N4hour1", "4 hours");
    N4hour1->OnClick = std::bind(&TFormRemindeNow::N4hour1Click, this, _1);
    N8hour1 = Item(this, items, "N8hour1", "8 hours");
    N8hour1->OnClick = std::bind(&TFormRemindeNow::N8hour1Click, this, _1);
    N24hours1 = Item(this, items, "N24hours1", "24 hours");
    N24hours1->OnClick = std::bind(&TFormRemindeNow::N24hours1Click, this, _1);
}

// Called once after construction: the two buttons.
void TFormRemindeNow::FormCreate(TObject* sender) {
    (void)sender;
    using namespace std::placeholders;
    const RECT okRect{88, 320, 75, 25};
    ButtonDontRemindeMore = new TImageButton(this, &okRect, AnsiToWide(kTextOK), true);
    ButtonDontRemindeMore->OnClick =
        std::bind(&TImageButton::OnClickFormRemindeNowButtonDontRemindeMore, ButtonDontRemindeMore, _1);
    ButtonDontRemindeMore->Cancel = true;  // Esc acknowledges like "OK"

    const RECT snoozeRect{352, 320, 75, 25};
    ButtonRemindeMeLater = new TImageButton(this, &snoozeRect, AnsiToWide(kTextSnooze), true);
    ButtonRemindeMeLater->OnClick =
        std::bind(&TImageButton::OnClickFormRemindeNowButtonRemindeMeLater, ButtonRemindeMeLater, _1);
}

// Called when the window closes: it frees itself.
void TFormRemindeNow::FormClose(TObject* sender, TCloseAction& action) {
    (void)sender;
    action = caFree;
}

//--- Showing and painting

// Called when the window becomes visible: the alert sound.
void TFormRemindeNow::FormShow(TObject* sender) {
    (void)sender;
    PlayAlertSound();
}

void TFormRemindeNow::PlayAlertSound() {
    if (!MainForm) return;
    // Not the calendar's player: reopening that one would leave the calendar
    // playing the alarm sound, or nothing at all when "alert.wav" fails to open.
    TMediaPlayer* player = MainForm->MediaPlayerAlert;
    player->FileName = AppPath + "alert.wav";
    player->DeviceType = dtAutoSelect;
    try {
        player->Open();
        player->Play();
    } catch (const Exception& error) {
        // No sound (a missing or broken file, no sound device) is no reason to
        // lose the alarm: the window opens all the same and says so in a line of
        // its own, without a box to click away.
        m_soundProblem = "\"alert.wav\" could not be played: " + error.Message();
        OutputDebugStringA(m_soundProblem.c_str());
    }
}

// Called when the window paints, into its paint buffer.
void TFormRemindeNow::FormPaint(TObject* sender) {
    (void)sender;
    DrawDialogBackground(this);
    DrawCloseGlyph(this);
    DrawFormTitle(this, TitleReminder);
    DrawTransparentPicture(Canvas()->Handle(), RECT{30, 40, 62, 72}, IconIndex);

    TCanvas* canvas = Canvas();
    canvas->Font()->SetName(Text_Settings.Font_Name);
    // The shadow lies one pixel to the right of the text, not below it.
    DrawShadowedTextA(canvas, MessageText, RECT{30, 40, 520, 300}, kAlarmTextFlags, Text_Settings.Font_Color,
                      Text_Settings.Font_Shadow_Color, 1, 0);
    if (!m_soundProblem.empty()) {
        RECT note{30, 300, ClientWidth() - 10, 318};
        DrawTextA(canvas->Handle(), m_soundProblem.c_str(), -1, &note,
                  DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

//--- Mouse and keys

// Called when a button goes down on the window itself.
void TFormRemindeNow::FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    SkinnedFormMouseDown(this, button, x, y);
}

// Called when the mouse moves over the window itself.
void TFormRemindeNow::FormMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    TrackCloseGlyphHover(this, x, y);
}

// Called when a button goes up over the window itself: the glyph acknowledges.
void TFormRemindeNow::FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    if (button == mbLeft && CloseGlyphHitTest(this, x, y)) ButtonDontRemindeMoreClick(this);
}

//--- "OK" and "Snooze"

void TFormRemindeNow::StoreWindowPosition() {
    General_Settings.AlertForm_Left = Left();
    General_Settings.AlertForm_Top = Top();
}

// Called by "OK", Esc, the close glyph and every close request of the system (Alt+F4).
void TFormRemindeNow::ButtonDontRemindeMoreClick(TObject* sender) {
    (void)sender;
    if (Entry) {
        Entry->AlertOpen = false;
        Entry->LastReminded = Occurrence;
        Entry->Acknowledged = true;
    }
    StoreWindowPosition();
    // Nothing more is written through this window, whatever arrives before it goes.
    Entry = nullptr;
    Release();
}

// Called by "Snooze": the postponements drop down below the button.
void TFormRemindeNow::ButtonRemindeMeLaterClick(TObject* sender) {
    (void)sender;
    const POINT corner = ButtonRemindeMeLater->ClientToScreen(POINT{0, ButtonRemindeMeLater->Height()});
    PopupMenuRemindeMeLater->Popup(corner.x, corner.y);
    StoreWindowPosition();
}

void TFormRemindeNow::Snooze(int32_t seconds) {
    if (Entry) {
        // Added to what it holds: 1 once an earlier postponement has run out.
        Entry->SnoozeSeconds += seconds;
        Entry->Due = false;
        Entry->AlertOpen = false;
    }
    Entry = nullptr;
    Close();
}

void TFormRemindeNow::Dismiss() {
    Entry = nullptr;
    if (HandleAllocated()) {
        Hide();
        Release();
    }
}

//--- IAlarmWindow

void TFormRemindeNow::SetSize(int32_t width, int32_t height) {
    SetBounds(Left(), Top(), width, height);
}

void TFormRemindeNow::Place() {
    PlaceAlertForm(this);
}

void TFormRemindeNow::SetEntry(Eintrag* entry) {
    Entry = entry;
}

void TFormRemindeNow::SetMessageText(const std::string& text) {
    MessageText = text;
}

void TFormRemindeNow::Show() {
    SetVisible(true);
}

void TFormRemindeNow::SetOccurrence(const tm& occurrence) {
    Occurrence = occurrence;
}

void TFormRemindeNow::SetIconIndex(int32_t index) {
    IconIndex = index;
    Invalidate();
}

void TFormRemindeNow::BringToForeground() {
    SetForegroundWindow(Handle());
}

//--- Placement

bool AlertFormPosition(int32_t mode,
                       int32_t screenWidth,
                       int32_t screenHeight,
                       int32_t width,
                       int32_t height,
                       int32_t& left,
                       int32_t& top) {
    return WindowPosition(mode, General_Settings.AlertForm_Left, General_Settings.AlertForm_Top, screenWidth,
                          screenHeight, width, height, left, top);
}

void PlaceAlertForm(TCustomForm* window) {
    // The whole screen: the taskbar is not subtracted.
    int32_t left = window->Left();
    int32_t top = window->Top();
    if (AlertFormPosition(General_Settings.AlertForm_Position_Flag, GetSystemMetrics(SM_CXSCREEN),
                          GetSystemMetrics(SM_CYSCREEN), window->Width(), window->Height(), left, top))
        window->SetBounds(left, top, window->Width(), window->Height());
}

//--- Open alarm windows

std::vector<TFormRemindeNow*> OpenAlarmWindows() {
    std::vector<TFormRemindeNow*> open;
    for (TFormRemindeNow* window : AllAlarmWindows())
        if (window->Entry) open.push_back(window);
    return open;
}

void CloseAlarmWindowsFor(Eintrag* master) {
    if (!master) return;
    for (TFormRemindeNow* window : OpenAlarmWindows())
        if (window->Entry == master) window->Dismiss();
}

void CloseAllAlarmWindows() {
    for (TFormRemindeNow* window : OpenAlarmWindows()) window->Dismiss();
}
