// TkelTrayIcon: one icon in the notification area of the taskbar, with its tip,
// balloon tips, a popup menu, mouse events, icon cycling through an image list,
// and hiding the application to the tray when it is minimised.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "components/kelClassLibLink.h"
#include "components/kelComponents.h"
#include "components/kelSubclass.h"

// The icon of a balloon tip, handed to the shell as its info flags.
enum TkelTrayIconInfoType { tiiNone, tiiInfo, tiiWarning, tiiError };

// The shell's notify-icon record in 8-bit characters, in its long form. The short
// form (before Windows 2000) ends after a 64-byte tip. Natural alignment, as the
// shell lays it out for each architecture.
struct TkelNotifyIconDataVer5 {
    uint32_t cbSize;
    HWND hWnd;
    uint32_t uID;
    uint32_t uFlags;
    uint32_t uCallbackMessage;
    HICON hIcon;
    char szTip[128];
    uint32_t dwState;
    uint32_t dwStateMask;
    char szInfo[256];
    uint32_t uTimeout;
    char szInfoTitle[64];
    uint32_t dwInfoFlags;
};
#ifdef _WIN64
static_assert(sizeof(TkelNotifyIconDataVer5) == 504, "the shell's long record");
static_assert(offsetof(TkelNotifyIconDataVer5, hWnd) == 8, "window");
static_assert(offsetof(TkelNotifyIconDataVer5, hIcon) == 32, "icon");
static_assert(offsetof(TkelNotifyIconDataVer5, szTip) == 40, "tip");
static_assert(offsetof(TkelNotifyIconDataVer5, dwState) == 168, "state");
static_assert(offsetof(TkelNotifyIconDataVer5, szInfo) == 176, "balloon text");
static_assert(offsetof(TkelNotifyIconDataVer5, uTimeout) == 432, "balloon time-out");
static_assert(offsetof(TkelNotifyIconDataVer5, szInfoTitle) == 436, "balloon title");
static_assert(offsetof(TkelNotifyIconDataVer5, dwInfoFlags) == 500, "balloon icon");
#else
static_assert(sizeof(TkelNotifyIconDataVer5) == 488, "the shell's long record");
static_assert(offsetof(TkelNotifyIconDataVer5, hWnd) == 4, "window");
static_assert(offsetof(TkelNotifyIconDataVer5, hIcon) == 20, "icon");
static_assert(offsetof(TkelNotifyIconDataVer5, szTip) == 24, "tip");
static_assert(offsetof(TkelNotifyIconDataVer5, dwState) == 152, "state");
static_assert(offsetof(TkelNotifyIconDataVer5, szInfo) == 160, "balloon text");
static_assert(offsetof(TkelNotifyIconDataVer5, uTimeout) == 416, "balloon time-out");
static_assert(offsetof(TkelNotifyIconDataVer5, szInfoTitle) == 420, "balloon title");
static_assert(offsetof(TkelNotifyIconDataVer5, dwInfoFlags) == 484, "balloon icon");
#endif

// The sizes the shell tells the two forms by: the short one ends after a 64-byte tip.
constexpr uint32_t kelNotifyIconDataVer4Size = offsetof(TkelNotifyIconDataVer5, szTip) + 64;
constexpr uint32_t kelNotifyIconDataVer5Size = sizeof(TkelNotifyIconDataVer5);
// The message the shell sends to the icon's window for mouse and balloon events.
constexpr UINT kelTrayIconCallbackMsg = WM_USER + 211;  // 0x4D3

class TkelTrayIcon : public TkelCustomTimer {
public:
    explicit TkelTrayIcon(TComponent* owner);
    ~TkelTrayIcon() override;
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TkelTrayIcon"; }

    //--- Published properties

    // Cycling through ImageList on the timer (the timer's Enabled and Interval).
    bool CycleIcons() const { return TkelCustomTimer::Enabled(); }
    void SetCycleIcons(bool value) { TkelCustomTimer::SetEnabled(value); }
    uint32_t CycleInterval() const { return Interval(); }
    void SetCycleInterval(uint32_t value) { SetInterval(value); }
    // While false the shell's callbacks are swallowed.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    const std::string& Hint() const { return m_hint; }
    void SetHint(const std::string& value);
    // The owned icon; setting copies the picture into it.
    TIcon* Icon() const { return m_icon.get(); }
    void SetIcon(TIcon* value);
    TCustomImageList* ImageList() const { return m_imageList; }
    void SetImageList(TCustomImageList* value);
    int32_t ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int32_t value);
    int32_t IconID() const { return m_iconID; }
    void SetIconID(int32_t value);
    bool MinimizeToTray() const { return m_minimizeToTray; }
    void SetMinimizeToTray(bool value) { m_minimizeToTray = value; }
    bool MinimizeOnStart() const { return m_minimizeOnStart; }
    void SetMinimizeOnStart(bool value) { m_minimizeOnStart = value; }
    TPopupMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(TPopupMenu* value);
    bool PopupByLeft() const { return m_popupByLeft; }
    void SetPopupByLeft(bool value) { m_popupByLeft = value; }
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool value);
    // Whether the icon is in the tray (at run time).
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    // Whether the icon is in the tray in design mode.
    bool VisibleOnDesigning() const { return m_visibleOnDesigning; }
    void SetVisibleOnDesigning(bool value);
    const std::string& InfoText() const { return m_infoText; }
    void SetInfoText(const std::string& value) { m_infoText = value; }
    const std::string& InfoTitle() const { return m_infoTitle; }
    void SetInfoTitle(const std::string& value) { m_infoTitle = value; }
    int32_t InfoTimeout() const { return m_infoTimeout; }
    void SetInfoTimeout(int32_t value) { m_infoTimeout = value; }
    TkelTrayIconInfoType InfoType() const { return m_infoType; }
    void SetInfoType(TkelTrayIconInfoType value) { m_infoType = value; }

    //--- Published events (X and Y are the cursor's screen position)

    TNotifyEvent OnMinimize;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnPopupMenu;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnCycleIcons;
    TNotifyEvent OnBalloonShow;
    TNotifyEvent OnBalloonTimeout;
    TNotifyEvent OnBalloonClick;

    //--- Operations

    // Sends the current icon, tip and flags to the shell.
    virtual void Update();
    // Puts the icon into the tray / takes it out, with their events. Taking it out
    // brings the application back.
    virtual void Show();
    virtual void Hide();
    // PopupMenu at the cursor.
    virtual void ShowPopup();
    virtual void ShowMainForm();
    virtual void HideMainForm();
    // A balloon tip of InfoType, InfoTitle and InfoText (Windows 2000 and later).
    virtual void ShowInfo();
    virtual void ShowBalloon();
    void ShowCustomInfo(TkelTrayIconInfoType type, const std::string& title, const std::string& text);

    // The record as the shell was last sent it (or is about to be).
    const TkelNotifyIconDataVer5& NotifyIconData() const { return m_data; }

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void WndProc(TMessage& message) override;
    virtual void PrepareNotifyIconData();
    // The application window's procedure while it is hooked.
    virtual void HookAppProc(TMessage& message);

    void Timer() override;
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void Click();
    virtual void DblClick();
    virtual void DoMinimize();

    void InsertToTray();
    void DeleteFromTray();
    void HookApp();
    void UnhookApp();
    void SetIconByImageIndex();
    bool IsIconStored() const { return m_imageList == nullptr; }
    void ImageListChange(TObject* sender);

private:
    bool IsDesigning() const { return HasState(csDesigning); }
    // Sends the record to the shell; its answer is not looked at.
    void Notify(DWORD message);
    void HandleCallback(TMessage& message);
    void SetForegroundOwner();

    uint32_t m_iconFlags = NIF_MESSAGE | NIF_TIP;
    bool m_clickPending = false;
    std::unique_ptr<TIcon> m_icon;
    TChangeLink m_changeLink;
    HWND m_appWindow = nullptr;
    // The icon's place in the chain of procedures on the application window.
    std::shared_ptr<TkelSubclass> m_appLink;
    // Cleared when the icon has been destroyed; code that fires an event holds a
    // copy to learn whether a handler freed the icon.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    TkelNotifyIconDataVer5 m_data = {};

    bool m_enabled = true;
    std::string m_hint;
    TCustomImageList* m_imageList = nullptr;
    int32_t m_imageIndex = 0;
    int32_t m_iconID = 0;
    bool m_minimizeToTray = false;
    bool m_minimizeOnStart = false;
    TPopupMenu* m_popupMenu = nullptr;
    bool m_popupByLeft = false;
    bool m_showHint = true;
    bool m_visible = false;
    bool m_visibleOnDesigning = false;
    std::string m_infoText;
    std::string m_infoTitle;
    int32_t m_infoTimeout = 10000;
    TkelTrayIconInfoType m_infoType = tiiNone;
};
