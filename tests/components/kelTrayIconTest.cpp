// The tray icon: what it sends to the shell, how it answers the shell's
// callbacks, the popup menu, icon cycling, hiding the application to the tray and
// back, re-adding after the shell restarts, streaming, and the real notification area.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "components/kelTrayIcon.h"
#include "components/kelWndProcHook.h"
#include "kelTestSupport.h"

namespace {

// The tests' main form. Its resource holds its tray icons; its menus come from code.
class TTrayTestForm : public TForm {
public:
    using TForm::TForm;
    const char* ClassName() const override { return "TTrayTestForm"; }
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override {
        TForm::GetChildren(
            [&](TComponent* child) {
                if (dynamic_cast<TkelTrayIcon*>(child)) proc(child);
            },
            root);
    }
};

// One call to the shell, as it was sent.
struct ShellCall {
    DWORD message;
    std::vector<uint8_t> bytes;
    const TkelNotifyIconDataVer5& Data() const {
        static TkelNotifyIconDataVer5 copy;
        std::memset(&copy, 0, sizeof copy);
        std::memcpy(&copy, bytes.data(), std::min(bytes.size(), sizeof copy));
        return copy;
    }
};

// Sees every message of the application window before its own procedure does.
std::vector<UINT>* gAppMessages = nullptr;
WNDPROC gAppProc = nullptr;

LRESULT CALLBACK RecordingAppProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (gAppMessages) gAppMessages->push_back(msg);
    return CallWindowProcA(gAppProc, window, msg, wparam, lparam);
}

// Asks the shell, as a tray icon's window goes, whether it still holds the
// icon: once the window is gone the shell refuses every request for it anyway.
WNDPROC gTrayProc = nullptr;
TkelNotifyIconDataVer5 gHeldIcon = {};
int gHeldAtDestroy = -1;

LRESULT CALLBACK AskingTrayProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_DESTROY)
        gHeldAtDestroy = Shell_NotifyIconA(NIM_MODIFY, reinterpret_cast<NOTIFYICONDATAA*>(&gHeldIcon)) != FALSE;
    return CallWindowProcA(gTrayProc, window, msg, wparam, lparam);
}

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        Application->CreateForm(m_form);
        ASSERT_EQ(m_form, Application->MainForm());
        m_form->SetName("MainForm");
        m_app = Application->Handle();
        ShowWindow(m_app, SW_SHOWNORMAL);  // not left minimised by an earlier test
        m_form->Show();
        gAppMessages = &m_appMessages;
        gAppProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(m_app, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingAppProc)));

        kelPlatformHooks().ShellNotifyIcon = [this](DWORD message, NOTIFYICONDATAA* data) {
            const auto* bytes = reinterpret_cast<const uint8_t*>(data);
            m_calls.push_back({message, std::vector<uint8_t>(bytes, bytes + data->cbSize)});
            return TRUE;
        };
        kelPlatformHooks().SetTimer = [this](HWND window, UINT_PTR id, UINT ms) -> UINT_PTR {
            m_timerStarts.push_back(ms);
            return ::SetTimer(window, id, ms, nullptr);
        };
        SetPopupMenuTracker([this](HMENU menu, int x, int y, UINT) -> UINT {
            m_popups.push_back({x, y});
            m_popupItems = GetMenuItemCount(menu);
            return m_popupChoice;
        });
    }

    void TearDown() override {
        // Handlers of the test body's locals must not run when the trays go.
        for (int i = 0; i < m_form->ComponentCount(); ++i) {
            if (auto* tray = dynamic_cast<TkelTrayIcon*>(m_form->Components(i))) {
                tray->OnShow = tray->OnHide = tray->OnMinimize = tray->OnClick = tray->OnDblClick = nullptr;
                tray->OnPopupMenu = tray->OnCycleIcons = nullptr;
                tray->OnMouseDown = tray->OnMouseUp = nullptr;
                tray->OnMouseMove = nullptr;
            }
        }
        FreeForm(m_form);
        m_form = nullptr;
        SetWindowLongPtrA(m_app, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gAppProc));
        gAppMessages = nullptr;
        ShowWindow(m_app, SW_HIDE);
        Application->ShowMainForm = true;
        SetPopupMenuTracker(nullptr);
        kelPlatformHooks() = TkelPlatformHooks();
    }

    TkelTrayIcon* MakeTray() {
        auto* tray = new TkelTrayIcon(m_form);
        tray->SetName("MainTrayIcon");
        return tray;
    }
    // Sends the shell's callback for a mouse or balloon event.
    static void Callback(TkelTrayIcon* tray, UINT event) {
        SendMessageA(tray->WindowHandle(), kelTrayIconCallbackMsg, static_cast<WPARAM>(tray->IconID()), event);
    }
    static POINT Cursor() {
        POINT point = {};
        GetCursorPos(&point);
        return point;
    }
    // Minimises the application the way the main form's minimise command does.
    void Minimize() { SendMessageA(m_form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0); }
    bool FormVisible() const { return m_form->Visible() && IsWindowVisible(m_form->Handle()); }
    bool AppVisible() const { return IsWindowVisible(m_app) != 0; }
    WNDPROC AppProc() const { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_app, GWLP_WNDPROC)); }

    ExceptionRecorder m_errors;
    HWND m_app = nullptr;
    TTrayTestForm* m_form = nullptr;
    std::vector<UINT> m_appMessages;
    std::vector<ShellCall> m_calls;
    std::vector<UINT> m_timerStarts;
    std::vector<POINT> m_popups;
    int m_popupItems = 0;
    UINT m_popupChoice = 0;
};

}  // namespace

TEST_F(TrayIcon, ADefaultComponentAddsNothingAndRunsNoTimer) {
    TkelTrayIcon* tray = MakeTray();
    EXPECT_TRUE(m_calls.empty());
    EXPECT_FALSE(tray->Visible());
    EXPECT_FALSE(tray->CycleIcons());
    EXPECT_EQ(200u, tray->CycleInterval());
    EXPECT_TRUE(tray->Enabled());
    EXPECT_TRUE(tray->ShowHint());
    EXPECT_EQ(10000, tray->InfoTimeout());
    EXPECT_EQ(tiiNone, tray->InfoType());
    EXPECT_FALSE(KillTimer(tray->WindowHandle(), 1));

    std::vector<std::string> events;
    tray->OnShow = [&](TObject* sender) {
        EXPECT_EQ(tray, sender);
        events.push_back("show");
    };
    tray->SetVisible(true);
    ASSERT_EQ(1u, m_calls.size());
    EXPECT_EQ(DWORD(NIM_ADD), m_calls[0].message);
    const TkelNotifyIconDataVer5& data = m_calls[0].Data();
    // Wine reports a later NT system: the long record, as the shell's own header sizes it.
    EXPECT_EQ(uint32_t(NOTIFYICONDATAA_V2_SIZE), data.cbSize);
    EXPECT_EQ(tray->WindowHandle(), data.hWnd);
    EXPECT_EQ(0u, data.uID);
    EXPECT_EQ(7u, data.uFlags);  // message, icon, tip
    EXPECT_EQ(0x4D3u, data.uCallbackMessage);
    EXPECT_EQ(tray->Icon()->Handle(), data.hIcon);
    EXPECT_EQ((std::vector<std::string>{"show"}), events);
    tray->SetVisible(true);  // unchanged: nothing
    EXPECT_EQ(1u, m_calls.size());
}

TEST_F(TrayIcon, TheTipIsCutToTheFormOfTheRecord) {
    TkelTrayIcon* tray = MakeTray();
    const std::string hint = std::string(120, 'a') + std::string(80, 'b');
    tray->SetHint(hint);  // a change sends a modify
    ASSERT_EQ(1u, m_calls.size());
    EXPECT_EQ(DWORD(NIM_MODIFY), m_calls[0].message);
    const TkelNotifyIconDataVer5& data = m_calls[0].Data();
    EXPECT_EQ(hint.substr(0, 127), std::string(data.szTip));
    EXPECT_EQ(5u, data.uFlags);
    tray->SetHint(hint);
    EXPECT_EQ(1u, m_calls.size());

    tray->SetShowHint(false);
    EXPECT_EQ(std::string(128, '\0'), std::string(m_calls.back().Data().szTip, 128));

    // Before Windows 2000 the record is the short one, with a 64-byte tip.
    tray->SetShowHint(true);
    IsWin2000orHigher = false;
    tray->Update();
    IsWin2000orHigher = true;
    ASSERT_EQ(size_t(NOTIFYICONDATAA_V1_SIZE), m_calls.back().bytes.size());
    EXPECT_EQ(uint32_t(NOTIFYICONDATAA_V1_SIZE), m_calls.back().Data().cbSize);
    EXPECT_EQ(hint.substr(0, 63), std::string(m_calls.back().Data().szTip));
}

TEST_F(TrayIcon, BalloonsAreCutAndSentAlone) {
    TkelTrayIcon* tray = MakeTray();
    tray->SetVisible(true);
    tray->SetInfoText(std::string(300, 'x'));
    tray->SetInfoTitle(std::string(100, 't'));
    tray->SetInfoType(tiiWarning);
    tray->SetInfoTimeout(3000);
    EXPECT_EQ(1u, m_calls.size());  // the info setters only store
    tray->ShowBalloon();
    ASSERT_EQ(2u, m_calls.size());
    const TkelNotifyIconDataVer5& data = m_calls[1].Data();
    EXPECT_EQ(DWORD(NIM_MODIFY), m_calls[1].message);
    EXPECT_EQ(0x10u, data.uFlags);
    EXPECT_EQ(std::string(255, 'x'), std::string(data.szInfo));
    EXPECT_EQ(std::string(63, 't'), std::string(data.szInfoTitle));
    EXPECT_EQ(2u, data.dwInfoFlags);
    EXPECT_EQ(3000u, data.uTimeout);
    // The next call sends the icon flags again.
    tray->Update();
    EXPECT_EQ(7u, m_calls.back().Data().uFlags);

    tray->ShowCustomInfo(tiiError, "Title", "Text");
    EXPECT_EQ(3u, m_calls.back().Data().dwInfoFlags);
    EXPECT_EQ("Text", std::string(m_calls.back().Data().szInfo));
    EXPECT_EQ(tiiError, tray->InfoType());

    IsWin2000orHigher = false;
    const size_t count = m_calls.size();
    tray->ShowInfo();
    IsWin2000orHigher = true;
    EXPECT_EQ(count, m_calls.size());
}

TEST_F(TrayIcon, ChangingTheIdMovesAVisibleIconOnly) {
    TkelTrayIcon* tray = MakeTray();
    tray->SetIconID(5);
    EXPECT_TRUE(m_calls.empty());
    tray->SetVisible(true);
    m_calls.clear();
    tray->SetIconID(9);
    ASSERT_EQ(2u, m_calls.size());
    EXPECT_EQ(DWORD(NIM_DELETE), m_calls[0].message);
    EXPECT_EQ(5u, m_calls[0].Data().uID);
    EXPECT_EQ(DWORD(NIM_ADD), m_calls[1].message);
    EXPECT_EQ(9u, m_calls[1].Data().uID);
    EXPECT_TRUE(tray->Visible());
}

TEST_F(TrayIcon, ShellCallbacksBecomeMouseEvents) {
    TkelTrayIcon* tray = MakeTray();
    std::vector<std::string> events;
    auto button = [](TMouseButton b) { return b == mbLeft ? "L" : b == mbRight ? "R" : "M"; };
    const POINT cursor = Cursor();
    tray->OnMouseMove = [&](TObject*, TShiftState shift, int x, int y) {
        events.push_back("move" + std::to_string(shift));
        EXPECT_EQ(cursor.x, x);
        EXPECT_EQ(cursor.y, y);
    };
    tray->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState shift, int, int) {
        events.push_back(std::string("down") + button(b) + std::to_string(shift));
    };
    tray->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int, int) {
        events.push_back(std::string("up") + button(b));
    };
    tray->OnClick = [&](TObject*) { events.push_back("click"); };
    tray->OnDblClick = [&](TObject*) { events.push_back("dblclick"); };
    tray->OnBalloonShow = [&](TObject*) { events.push_back("bshow"); };
    tray->OnBalloonTimeout = [&](TObject*) { events.push_back("btimeout"); };
    tray->OnBalloonClick = [&](TObject*) { events.push_back("bclick"); };

    Callback(tray, WM_MOUSEMOVE);
    Callback(tray, WM_LBUTTONDOWN);
    Callback(tray, WM_LBUTTONUP);
    // The button-up after a double click is no click.
    Callback(tray, WM_LBUTTONDBLCLK);
    Callback(tray, WM_LBUTTONUP);
    Callback(tray, WM_MBUTTONDOWN);
    Callback(tray, WM_MBUTTONUP);
    Callback(tray, NIN_BALLOONSHOW);
    Callback(tray, NIN_BALLOONTIMEOUT);
    Callback(tray, NIN_BALLOONUSERCLICK);
    EXPECT_EQ((std::vector<std::string>{"move0", "downL" + std::to_string(ssLeft), "upL", "click", "dblclick", "upL",
                                        "downM" + std::to_string(ssMiddle), "upM", "bshow", "btimeout", "bclick"}),
              events);

    // Disabled, the icon swallows everything.
    events.clear();
    tray->SetEnabled(false);
    for (UINT event : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP}) Callback(tray, event);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(m_popups.empty());

    // The session may end.
    EXPECT_EQ(1, SendMessageA(tray->WindowHandle(), WM_QUERYENDSESSION, 0, 0));
}

TEST_F(TrayIcon, TheRightButtonOpensTheMenuAtTheCursor) {
    TkelTrayIcon* tray = MakeTray();
    auto* menu = new TPopupMenu(m_form);
    auto* item = new TMenuItem(m_form);
    item->Caption = "&Restore";
    menu->Items()->Add(item);
    tray->SetPopupMenu(menu);
    int popupEvents = 0;
    tray->OnPopupMenu = [&](TObject*) { ++popupEvents; };
    std::vector<std::string> events;
    tray->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState shift, int, int) {
        events.push_back("down" + std::to_string(b) + "/" + std::to_string(shift));
    };

    Callback(tray, WM_RBUTTONDOWN);
    Callback(tray, WM_RBUTTONUP);
    ASSERT_EQ(1u, m_popups.size());
    EXPECT_EQ(Cursor().x, m_popups[0].x);
    EXPECT_EQ(Cursor().y, m_popups[0].y);
    EXPECT_EQ(1, m_popupItems);
    EXPECT_EQ(tray, menu->PopupComponent);
    EXPECT_EQ(1, popupEvents);
    EXPECT_EQ((std::vector<std::string>{"down1/" + std::to_string(ssRight)}), events);

    // The chosen item runs.
    int clicked = 0;
    item->OnClick = [&](TObject*) { ++clicked; };
    m_popupChoice = item->Command();
    Callback(tray, WM_RBUTTONUP);
    EXPECT_EQ(1, clicked);

    // The left button opens it only when asked to.
    m_popupChoice = 0;
    Callback(tray, WM_LBUTTONUP);
    EXPECT_EQ(2u, m_popups.size());
    tray->SetPopupByLeft(true);
    Callback(tray, WM_LBUTTONUP);
    EXPECT_EQ(3u, m_popups.size());

    // A menu that does not pop up by itself is never shown.
    menu->AutoPopup = false;
    Callback(tray, WM_RBUTTONUP);
    EXPECT_EQ(3u, m_popups.size());

    // A menu that goes is forgotten.
    delete menu;
    EXPECT_EQ(nullptr, tray->PopupMenu());
    Callback(tray, WM_RBUTTONUP);
}

TEST_F(TrayIcon, ADoubleClickRunsTheDefaultItemOrTogglesTheMainForm) {
    TkelTrayIcon* tray = MakeTray();
    tray->SetMinimizeToTray(true);
    auto* menu = new TPopupMenu(m_form);
    auto* restore = new TMenuItem(m_form);
    auto* exit = new TMenuItem(m_form);
    menu->Items()->Add(restore);
    menu->Items()->Add(exit);
    exit->Default = true;
    int exits = 0;
    exit->OnClick = [&](TObject*) { ++exits; };
    int doubles = 0;
    tray->OnDblClick = [&](TObject*) { ++doubles; };
    tray->SetPopupMenu(menu);

    Callback(tray, WM_LBUTTONDBLCLK);
    EXPECT_EQ(1, exits);
    EXPECT_EQ(1, doubles);
    EXPECT_TRUE(FormVisible());  // not toggled

    // Without a menu that pops up by itself, the double click toggles the main form.
    menu->AutoPopup = false;
    Callback(tray, WM_LBUTTONDBLCLK);
    EXPECT_EQ(1, exits);
    EXPECT_EQ(2, doubles);
    EXPECT_FALSE(FormVisible());
    EXPECT_FALSE(AppVisible());
    Callback(tray, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(FormVisible());
    EXPECT_TRUE(AppVisible());

    // Without MinimizeToTray it only fires the event.
    tray->SetMinimizeToTray(false);
    Callback(tray, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(FormVisible());
    EXPECT_EQ(4, doubles);
}

TEST_F(TrayIcon, MinimisingHidesToTheTrayAndADoubleClickBringsItBack) {
    TkelTrayIcon* tray = MakeTray();
    tray->SetMinimizeToTray(true);
    int minimized = 0;
    tray->OnMinimize = [&](TObject*) { ++minimized; };

    m_appMessages.clear();
    Minimize();  // the form's minimise command minimises the application window
    EXPECT_EQ(1, minimized);
    EXPECT_FALSE(FormVisible());
    EXPECT_FALSE(AppVisible());  // the taskbar button goes with it
    EXPECT_TRUE(tray->Visible());
    ASSERT_FALSE(m_calls.empty());
    EXPECT_EQ(DWORD(NIM_ADD), m_calls.back().message);
    // The application window still saw its message.
    EXPECT_NE(m_appMessages.end(), std::find(m_appMessages.begin(), m_appMessages.end(), UINT(WM_SIZE)));

    Callback(tray, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(FormVisible());
    EXPECT_TRUE(AppVisible());
    EXPECT_TRUE(tray->Visible());  // the icon stays

    EXPECT_FALSE(IsIconic(m_app));

    // Without MinimizeToTray the application minimises as usual.
    tray->SetMinimizeToTray(false);
    m_appMessages.clear();
    Minimize();
    EXPECT_EQ(1, minimized);
    EXPECT_TRUE(IsIconic(m_app));
    EXPECT_TRUE(m_form->Visible());
    EXPECT_NE(m_appMessages.end(), std::find(m_appMessages.begin(), m_appMessages.end(), UINT(WM_SIZE)));
}

TEST_F(TrayIcon, TakingTheIconAwayBringsTheApplicationBack) {
    TkelTrayIcon* tray = MakeTray();
    tray->SetMinimizeToTray(true);
    Minimize();
    ASSERT_FALSE(FormVisible());
    int hidden = 0;
    tray->OnHide = [&](TObject*) { ++hidden; };
    m_calls.clear();
    tray->SetVisible(false);
    EXPECT_EQ(1, hidden);
    ASSERT_EQ(1u, m_calls.size());
    EXPECT_EQ(DWORD(NIM_DELETE), m_calls[0].message);
    EXPECT_EQ(5u, m_calls[0].Data().uFlags);  // the icon flag is gone
    EXPECT_TRUE(FormVisible());
    EXPECT_TRUE(AppVisible());

    // Without MinimizeToTray the owner window is still made visible.
    tray->SetMinimizeToTray(false);
    tray->SetVisible(true);
    m_form->Hide();
    tray->SetVisible(false);
    EXPECT_TRUE(FormVisible());
}

TEST_F(TrayIcon, TheShellRestartingPutsAVisibleIconBack) {
    ASSERT_NE(0u, kelTaskbarCreatedMsg);
    TkelTrayIcon* tray = MakeTray();
    SendMessageA(tray->WindowHandle(), kelTaskbarCreatedMsg, 0, 0);
    EXPECT_TRUE(m_calls.empty());  // nothing to put back

    tray->SetMinimizeToTray(true);
    Minimize();
    ASSERT_FALSE(FormVisible());
    std::vector<std::string> events;
    tray->OnHide = [&](TObject*) { events.push_back("hide"); };
    tray->OnShow = [&](TObject*) { events.push_back("show"); };
    m_calls.clear();
    // The shell broadcasts it to every top-level window.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, kelTaskbarCreatedMsg, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    ASSERT_EQ(2u, m_calls.size());
    EXPECT_EQ(DWORD(NIM_DELETE), m_calls[0].message);
    EXPECT_EQ(DWORD(NIM_ADD), m_calls[1].message);
    EXPECT_EQ(7u, m_calls[1].Data().uFlags);
    EXPECT_EQ((std::vector<std::string>{"hide", "show"}), events);
    EXPECT_TRUE(tray->Visible());
    EXPECT_TRUE(FormVisible());  // hiding the icon showed the main form
}

TEST_F(TrayIcon, IconsCycleThroughTheImageList) {
    TkelTrayIcon* tray = MakeTray();
    auto* images = new TCustomImageList(m_form);
    HICON picture = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    for (int i = 0; i < 3; ++i) images->AddIcon(picture);
    int cycles = 0;
    tray->OnCycleIcons = [&](TObject*) { ++cycles; };

    // Without a list the timer only fires the event.
    SendMessageA(tray->WindowHandle(), WM_TIMER, 1, 0);
    EXPECT_EQ(1, cycles);

    m_calls.clear();
    tray->SetImageList(images);
    EXPECT_NE(nullptr, tray->Icon()->Handle());
    EXPECT_EQ(DWORD(NIM_MODIFY), m_calls.back().message);
    std::vector<int> visited;
    for (int i = 0; i < 4; ++i) {
        SendMessageA(tray->WindowHandle(), WM_TIMER, 1, 0);
        visited.push_back(tray->ImageIndex());
    }
    EXPECT_EQ((std::vector<int>{1, 2, 0, 1}), visited);
    EXPECT_EQ(5, cycles);

    // The icon is stored only while no list gives it.
    EXPECT_FALSE(TkelTrayIcon::StaticClassInfo().FindProperty("Icon")->IsStored(*tray));

    images->Clear();
    images->AddIcon(picture);
    tray->SetImageIndex(0);
    SendMessageA(tray->WindowHandle(), WM_TIMER, 1, 0);
    EXPECT_EQ(0, tray->ImageIndex());

    // Cycling starts the timer at its interval; a list that goes is forgotten.
    tray->SetCycleInterval(50);
    m_timerStarts.clear();
    tray->SetCycleIcons(true);
    EXPECT_EQ((std::vector<UINT>{50}), m_timerStarts);
    delete images;
    EXPECT_EQ(nullptr, tray->ImageList());
    EXPECT_TRUE(TkelTrayIcon::StaticClassInfo().FindProperty("Icon")->IsStored(*tray));
}

TEST_F(TrayIcon, AHandlerMayFreeItsIcon) {
    // The icon lives on fenced memory: whatever touches it after a handler freed it faults.
    enum Trigger { kShellCallbacks, kShellRestart, kMinimise };
    using Arm = void (*)(TkelTrayIcon&, TMenuItem&, const TNotifyEvent& freeIcon);
    struct Case {
        const char* what;
        Arm arm;
        Trigger trigger;
        std::vector<UINT> callbacks;
    };
    const Case cases[] = {
        {"the default item run by a double click",
         [](TkelTrayIcon&, TMenuItem& item, const TNotifyEvent& freeIcon) {
             item.Default = true;
             item.OnClick = freeIcon;
         },
         kShellCallbacks,
         {WM_LBUTTONDBLCLK}},
        {"the left button going down",
         [](TkelTrayIcon& tray, TMenuItem&, const TNotifyEvent& freeIcon) {
             tray.OnMouseDown = [freeIcon](TObject* sender, TMouseButton, TShiftState, int, int) { freeIcon(sender); };
         },
         kShellCallbacks,
         {WM_LBUTTONDOWN}},
        {"the left button coming up",
         [](TkelTrayIcon& tray, TMenuItem&, const TNotifyEvent& freeIcon) {
             tray.OnMouseUp = [freeIcon](TObject* sender, TMouseButton, TShiftState, int, int) { freeIcon(sender); };
         },
         kShellCallbacks,
         {WM_LBUTTONDOWN, WM_LBUTTONUP}},
        {"the click",
         [](TkelTrayIcon& tray, TMenuItem&, const TNotifyEvent& freeIcon) {
             tray.SetPopupByLeft(true);
             tray.OnClick = freeIcon;
         },
         kShellCallbacks,
         {WM_LBUTTONDOWN, WM_LBUTTONUP}},
        {"the item chosen from the left button's menu",
         [](TkelTrayIcon& tray, TMenuItem& item, const TNotifyEvent& freeIcon) {
             tray.SetPopupByLeft(true);
             item.OnClick = freeIcon;
         },
         kShellCallbacks,
         {WM_LBUTTONDOWN, WM_LBUTTONUP}},
        {"the item chosen from the right button's menu",
         [](TkelTrayIcon&, TMenuItem& item, const TNotifyEvent& freeIcon) { item.OnClick = freeIcon; },
         kShellCallbacks,
         {WM_RBUTTONUP}},
        {"taking the icon out when the shell restarts",
         [](TkelTrayIcon& tray, TMenuItem&, const TNotifyEvent& freeIcon) {
             tray.SetVisible(true);
             tray.OnHide = freeIcon;
         },
         kShellRestart,
         {}},
        {"putting the icon in when the application is minimised",
         [](TkelTrayIcon& tray, TMenuItem&, const TNotifyEvent& freeIcon) {
             tray.SetMinimizeToTray(true);
             tray.OnShow = freeIcon;
         },
         kMinimise,
         {}},
        {"the minimise event",
         [](TkelTrayIcon& tray, TMenuItem&, const TNotifyEvent& freeIcon) {
             tray.SetMinimizeToTray(true);
             tray.OnMinimize = freeIcon;
         },
         kMinimise,
         {}},
    };
    const WNDPROC appProc = AppProc();
    for (const Case& c : cases) {
        auto* menu = new TPopupMenu(m_form);
        auto* item = new TMenuItem(m_form);
        menu->Items()->Add(item);
        m_popupChoice = item->Command();
        TkelTrayIcon* tray = new Fenced<TkelTrayIcon>(m_form);
        tray->SetPopupMenu(menu);
        int freed = 0;
        c.arm(*tray, *item, [tray, &freed](TObject*) {
            ++freed;
            delete tray;
        });
        HWND trayWindow = tray->WindowHandle();
        m_appMessages.clear();
        switch (c.trigger) {
            case kShellCallbacks:
                for (UINT callback : c.callbacks) SendMessageA(trayWindow, kelTrayIconCallbackMsg, 0, callback);
                break;
            case kShellRestart: SendMessageA(trayWindow, kelTaskbarCreatedMsg, 0, 0); break;
            case kMinimise: SendMessageA(m_app, WM_SIZE, SIZE_MINIMIZED, 0); break;
        }
        EXPECT_EQ(1, freed) << c.what;
        EXPECT_EQ(nullptr, menu->PopupComponent) << c.what;
        EXPECT_EQ(appProc, AppProc()) << c.what << ": the icon has left the application window";
        if (c.trigger == kMinimise) {
            EXPECT_NE(m_appMessages.end(), std::find(m_appMessages.begin(), m_appMessages.end(), UINT(WM_SIZE)))
                << c.what << ": the application window still saw its message";
        }
        ShowWindow(m_app, SW_SHOWNORMAL);
        m_form->Show();
        delete menu;
    }
}

TEST_F(TrayIcon, TheApplicationWindowGetsItsOwnProcedureBackExactlyInAnyOrder) {
    constexpr UINT kProbe = WM_USER + 5;
    // Two subclasses of the application window, each with an owner of its own: icons,
    // or an icon and a window-procedure hook. Each goes with its owner, in whatever
    // order they close, and the one left still sees the window's messages.
    struct Subclass {
        std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
        int minimized = 0;
    };
    auto put = [this](Subclass& on, bool hook) {
        if (hook) {
            auto* subclass = new TkelWndProcHook(on.owner.get());
            subclass->SetHandle(m_app);
            subclass->OnMessageBefore = [&on](TObject*, TMessage& message, bool&) {
                if (message.Msg == WM_SIZE && message.WParam == SIZE_MINIMIZED) ++on.minimized;
            };
            subclass->SetActive(true);
        } else {
            auto* subclass = new TkelTrayIcon(on.owner.get());
            subclass->SetMinimizeToTray(true);
            subclass->OnMinimize = [&on](TObject*) { ++on.minimized; };
        }
    };
    struct Case {
        const char* what;
        bool firstIsHook;
        bool secondIsHook;
        bool firstGoesFirst;
    };
    const Case cases[] = {
        {"icon, icon; the second goes first", false, false, false},
        {"icon, icon; the first goes first", false, false, true},
        {"icon, hook; the hook goes first", false, true, false},
        {"icon, hook; the icon goes first", false, true, true},
        {"hook, icon; the icon goes first", true, false, false},
        {"hook, icon; the hook goes first", true, false, true},
    };
    for (const Case& c : cases) {
        const WNDPROC original = AppProc();
        Subclass first;
        Subclass second;
        put(first, c.firstIsHook);
        EXPECT_NE(original, AppProc()) << c.what;
        put(second, c.secondIsHook);
        Subclass& left = c.firstGoesFirst ? second : first;
        (c.firstGoesFirst ? first : second).owner.reset();
        EXPECT_NE(original, AppProc()) << c.what;
        SendMessageA(m_app, WM_SIZE, SIZE_MINIMIZED, 0);
        ShowWindow(m_app, SW_SHOWNORMAL);
        m_form->Show();
        EXPECT_EQ(1, left.minimized) << c.what << ": the one left still sees the window's messages";
        left.owner.reset();
        EXPECT_EQ(original, AppProc()) << c.what;
        m_appMessages.clear();
        SendMessageA(m_app, kProbe, 0, 0);
        EXPECT_EQ(std::vector<UINT>{kProbe}, m_appMessages) << c.what;
    }
}

TEST_F(TrayIcon, AnImageListThatGoesIsNotCalledAfterItsDestructor) {
    // Emulates a debug heap: a watcher told before the icon fills what the list's
    // own destructor left behind with addresses in the never-mapped first page.
    class Poisoner : public TComponent {
    public:
        using TComponent::TComponent;
        TComponent* target = nullptr;
        void Notification(TComponent* component, TOperation operation) override {
            if (operation != TOperation::opRemove || component != target) return;
            char* rest = reinterpret_cast<char*>(component) + sizeof(TComponent);
            for (size_t at = 0; at + sizeof(uintptr_t) <= sizeof(TCustomImageList) - sizeof(TComponent);
                 at += sizeof(uintptr_t)) {
                const uintptr_t unreadable = 0x100 + at * 4;
                std::memcpy(rest + at, &unreadable, sizeof unreadable);
            }
        }
    };
    Poisoner poisoner(nullptr);
    TkelTrayIcon* tray = MakeTray();
    auto* images = new TCustomImageList(nullptr);
    images->AddIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)));
    poisoner.target = images;
    images->FreeNotification(&poisoner);
    tray->SetImageList(images);
    delete images;
    EXPECT_EQ(nullptr, tray->ImageList());
    EXPECT_NE(nullptr, tray->Icon()->Handle()) << "the icon keeps the picture it had";
}

TEST_F(TrayIcon, DesignModeTouchesNothingOfTheRunningSystem) {
    m_form->SetDesigning(true);
    const WNDPROC original = AppProc();
    TkelTrayIcon* tray = MakeTray();
    EXPECT_EQ(original, AppProc());
    tray->SetCycleIcons(true);
    EXPECT_TRUE(m_timerStarts.empty());  // no do-nothing handler: no cycling
    tray->SetVisible(true);
    EXPECT_TRUE(m_calls.empty());
    int events = 0;
    tray->OnClick = [&](TObject*) { ++events; };
    Callback(tray, WM_LBUTTONDOWN);
    Callback(tray, WM_LBUTTONUP);
    EXPECT_EQ(0, events);
    tray->SetVisibleOnDesigning(true);
    ASSERT_EQ(1u, m_calls.size());
    EXPECT_EQ(DWORD(NIM_ADD), m_calls[0].message);
    EXPECT_TRUE(tray->VisibleOnDesigning());
}

TEST_F(TrayIcon, FailuresOfTheShellCallAreReportedWithTheComponentsName) {
    TkelTrayIcon* tray = MakeTray();
    kelPlatformHooks().ShellNotifyIcon = [](DWORD, NOTIFYICONDATAA*) -> BOOL { throw std::runtime_error("no shell"); };
    try {
        tray->Show();
        FAIL() << "no error";
    } catch (const EkelTrayIcon& e) {
        EXPECT_EQ("MainTrayIcon.InsertToTray failed", e.Message());
    }
    try {
        tray->Hide();
        FAIL() << "no error";
    } catch (const EkelTrayIcon& e) {
        EXPECT_EQ("MainTrayIcon.DeleteFromTray failed", e.Message());
    }
    // A refusal by the shell passes silently.
    kelPlatformHooks().ShellNotifyIcon = [](DWORD, NOTIFYICONDATAA*) -> BOOL { return FALSE; };
    EXPECT_NO_THROW(tray->SetVisible(true));
    EXPECT_TRUE(tray->Visible());
}

TEST_F(TrayIcon, DestructionRemovesTheIconButLeavesAClosingOwnerClosed) {
    TkelTrayIcon* tray = MakeTray();
    tray->SetMinimizeToTray(true);
    tray->SetVisible(true);
    m_form->Hide();
    int hidden = 0;
    tray->OnHide = [&](TObject*) { ++hidden; };
    delete tray;
    EXPECT_EQ(1, hidden);
    EXPECT_EQ(DWORD(NIM_DELETE), m_calls.back().message);
    EXPECT_TRUE(FormVisible());  // the tray alone went: the application comes back

    tray = MakeTray();
    tray->SetMinimizeToTray(true);
    tray->SetVisible(true);
    m_form->Hide();
    m_form->SetState(csDestroying, true);  // as the form's destructor has it
    delete tray;
    m_form->SetState(csDestroying, false);
    EXPECT_EQ(DWORD(NIM_DELETE), m_calls.back().message);
    EXPECT_FALSE(FormVisible());
}

TEST_F(TrayIcon, TheMainWindowsTrayIconStreamsAsItsResourceDescribesIt) {
    auto* menu = new TPopupMenu(m_form);
    menu->SetName("PopupMenuTrayIcon");
    // The main window's tray icon: its hint, the tray menu, minimising to the tray, visible.
    TMemoryStream stream;
    {
        auto* source = NewForm<TTrayTestForm>(nullptr);
        source->SetName("MainForm");
        auto* sourceMenu = new TPopupMenu(source);
        sourceMenu->SetName("PopupMenuTrayIcon");
        TkelTrayIcon* tray = new TkelTrayIcon(source);
        tray->SetName("MainTrayIcon");
        tray->About = "not stored";
        tray->SetHint("Quib Reminder");
        tray->SetMinimizeToTray(true);
        tray->SetPopupMenu(sourceMenu);
        tray->SetVisible(true);
        WriteComponent(stream, source);
        FreeForm(source);
    }
    const std::string bytes(stream.Bytes().begin(), stream.Bytes().end());
    EXPECT_EQ(std::string::npos, bytes.find("About"));
    EXPECT_NE(std::string::npos, bytes.find("Quib Reminder"));
    EXPECT_NE(std::string::npos, bytes.find("PopupMenuTrayIcon"));
    EXPECT_EQ(std::string::npos, bytes.find("CycleInterval"));  // defaults stay out

    m_calls.clear();
    stream.SetPosition(0);
    ReadComponent(stream, m_form);
    auto* tray = dynamic_cast<TkelTrayIcon*>(m_form->FindComponent("MainTrayIcon"));
    ASSERT_NE(nullptr, tray);
    EXPECT_EQ("Quib Reminder", tray->Hint());
    EXPECT_TRUE(tray->MinimizeToTray());
    EXPECT_EQ(menu, tray->PopupMenu());
    EXPECT_TRUE(tray->Visible());
    EXPECT_EQ("", tray->About);
    // The streamed Visible adds the icon at once; the end of loading adds it again.
    std::vector<DWORD> messages;
    for (const ShellCall& call : m_calls) messages.push_back(call.message);
    EXPECT_EQ((std::vector<DWORD>{NIM_MODIFY, NIM_ADD, NIM_ADD}), messages);

    // Minimising the application hides the main window to the tray.
    Minimize();
    EXPECT_FALSE(FormVisible());
    Callback(tray, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(FormVisible());
}

TEST_F(TrayIcon, TheIconTravelsInTheStreamOnlyWithoutAnImageList) {
    HICON picture = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WARNING));
    for (bool hasList : {false, true}) {
        TMemoryStream stream;
        {
            auto* source = NewForm<TTrayTestForm>(nullptr);
            source->SetName("MainForm");
            TkelTrayIcon* tray = new TkelTrayIcon(source);
            tray->SetName("Tray");
            if (hasList) {
                auto* images = new TCustomImageList(source);
                images->SetName("Images");
                images->AddIcon(picture);
                tray->SetImageList(images);
            } else {
                TIcon icon;
                icon.SetHandle(CopyIcon(picture));
                tray->SetIcon(&icon);
            }
            ASSERT_NE(nullptr, tray->Icon()->Handle());
            WriteComponent(stream, source);
            FreeForm(source);
        }
        const std::string bytes(stream.Bytes().begin(), stream.Bytes().end());
        EXPECT_EQ(!hasList, bytes.find("Icon.Data") != std::string::npos) << hasList;
        if (hasList) continue;

        stream.SetPosition(0);
        ReadComponent(stream, m_form);
        auto* tray = static_cast<TkelTrayIcon*>(m_form->FindComponent("Tray"));
        ASSERT_NE(nullptr, tray);
        // The icon read draws as the one written.
        TIcon expected;
        expected.SetHandle(CopyIcon(picture));
        ASSERT_EQ(expected.Width(), tray->Icon()->Width());
        ASSERT_EQ(expected.Height(), tray->Icon()->Height());
        const RECT area{0, 0, expected.Width(), expected.Height()};
        TBitmap drawnExpected(expected.Width(), expected.Height());
        TBitmap drawnRead(expected.Width(), expected.Height());
        expected.Draw(*drawnExpected.Canvas(), area);
        tray->Icon()->Draw(*drawnRead.Canvas(), area);
        int differences = 0;
        for (int y = 0; y < area.bottom; ++y)
            for (int x = 0; x < area.right; ++x)
                if (drawnExpected.GetPixel(x, y) != drawnRead.GetPixel(x, y)) ++differences;
        EXPECT_EQ(0, differences);
    }
}

TEST_F(TrayIcon, MinimizeOnStartHidesTheApplicationAtTheEndOfLoading) {
    TMemoryStream stream;
    {
        auto* source = NewForm<TTrayTestForm>(nullptr);
        source->SetName("MainForm");
        TkelTrayIcon* tray = new TkelTrayIcon(source);
        tray->SetName("Tray");
        tray->SetMinimizeOnStart(true);
        WriteComponent(stream, source);
        FreeForm(source);
    }
    stream.SetPosition(0);
    m_calls.clear();
    ReadComponent(stream, m_form);
    auto* tray = static_cast<TkelTrayIcon*>(m_form->FindComponent("Tray"));
    EXPECT_FALSE(Application->ShowMainForm);
    EXPECT_FALSE(FormVisible());
    EXPECT_FALSE(AppVisible());
    EXPECT_TRUE(tray->Visible());
    ASSERT_FALSE(m_calls.empty());
    EXPECT_EQ(DWORD(NIM_ADD), m_calls.back().message);
}

TEST(TrayIconSystem, TheIconIsReallyAddedAndRemoved) {
    // The real notification area of Wine's desktop (Xvfb): no seams.
    auto* tray = new TkelTrayIcon(nullptr);
    tray->SetName("RealTray");
    TIcon icon;
    icon.SetHandle(CopyIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION))));
    tray->SetIcon(&icon);
    tray->SetHint("Quib Reminder");
    tray->SetIconID(77);
    auto modify = [&] {
        // The shell accepts a change only for an icon it holds.
        TkelNotifyIconDataVer5 data = tray->NotifyIconData();
        data.uFlags = NIF_TIP;
        return Shell_NotifyIconA(NIM_MODIFY, reinterpret_cast<NOTIFYICONDATAA*>(&data)) != FALSE;
    };
    EXPECT_FALSE(modify());
    tray->SetVisible(true);
    EXPECT_TRUE(modify());
    // Re-adding after "TaskbarCreated" leaves it there.
    SendMessageA(tray->WindowHandle(), kelTaskbarCreatedMsg, 0, 0);
    EXPECT_TRUE(modify());
    tray->SetVisible(false);
    EXPECT_FALSE(modify());
    tray->SetVisible(true);
    EXPECT_TRUE(modify());
    // Deleting the component takes its icon out of the tray before its window goes.
    gHeldIcon = tray->NotifyIconData();
    gHeldIcon.uFlags = NIF_TIP;
    gHeldAtDestroy = -1;
    gTrayProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(tray->WindowHandle(), GWLP_WNDPROC,
                                                            reinterpret_cast<LONG_PTR>(AskingTrayProc)));
    delete tray;
    EXPECT_EQ(0, gHeldAtDestroy);
}
