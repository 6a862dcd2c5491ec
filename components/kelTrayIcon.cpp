// TkelTrayIcon: the notification-area icon.
#include "components/kelTrayIcon.h"

#include <algorithm>
#include <cstring>

#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "components/kelVclConsts.h"
#include "components/kelVclUtils.h"

namespace {

constexpr size_t kTipLimitVer5 = 127;
constexpr size_t kTipLimitVer4 = 63;
constexpr size_t kInfoTextLimit = 255;
constexpr size_t kInfoTitleLimit = 63;

// Copies text into a zeroed field, cut at limit characters and NUL-terminated.
template <size_t N>
void CopyField(char (&field)[N], const std::string& text, size_t limit) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min({text.size(), limit, N - 1}));
}

}  // namespace

//--- Class and construction

const TClassInfo& TkelTrayIcon::StaticClassInfo() {
    static const TClassInfo info(
        "TkelTrayIcon", &TkelCustomTimer::StaticClassInfo(), &CreateComponentOf<TkelTrayIcon>, [](TPropList& list) {
            TPublished<TkelTrayIcon> published(list);
            PublishAbout(published)
                .Boolean("CycleIcons", &TkelTrayIcon::CycleIcons, &TkelTrayIcon::SetCycleIcons, false)
                .Cardinal("CycleInterval", &TkelTrayIcon::CycleInterval, &TkelTrayIcon::SetCycleInterval, 200)
                .Boolean("Enabled", &TkelTrayIcon::Enabled, &TkelTrayIcon::SetEnabled, true)
                .String("Hint", &TkelTrayIcon::Hint, &TkelTrayIcon::SetHint)
                .Object("Icon", &TkelTrayIcon::Icon)
                .Stored(&TkelTrayIcon::IsIconStored)
                .Component<TCustomImageList>("ImageList", &TkelTrayIcon::ImageList, &TkelTrayIcon::SetImageList)
                .Integer("ImageIndex", &TkelTrayIcon::ImageIndex, &TkelTrayIcon::SetImageIndex, 0)
                .Integer("IconID", &TkelTrayIcon::IconID, &TkelTrayIcon::SetIconID, 0)
                .Boolean("MinimizeToTray", &TkelTrayIcon::MinimizeToTray, &TkelTrayIcon::SetMinimizeToTray, false)
                .Boolean("MinimizeOnStart", &TkelTrayIcon::MinimizeOnStart, &TkelTrayIcon::SetMinimizeOnStart, false)
                .Component<TPopupMenu>("PopupMenu", &TkelTrayIcon::PopupMenu, &TkelTrayIcon::SetPopupMenu)
                .Boolean("PopupByLeft", &TkelTrayIcon::PopupByLeft, &TkelTrayIcon::SetPopupByLeft, false)
                .Boolean("ShowHint", &TkelTrayIcon::ShowHint, &TkelTrayIcon::SetShowHint, true)
                .Boolean("Visible", &TkelTrayIcon::Visible, &TkelTrayIcon::SetVisible, false)
                .Boolean("VisibleOnDesigning", &TkelTrayIcon::VisibleOnDesigning,
                         &TkelTrayIcon::SetVisibleOnDesigning, false)
                .String("InfoText", &TkelTrayIcon::InfoText, &TkelTrayIcon::SetInfoText)
                .String("InfoTitle", &TkelTrayIcon::InfoTitle, &TkelTrayIcon::SetInfoTitle)
                .Integer("InfoTimeout", &TkelTrayIcon::InfoTimeout, &TkelTrayIcon::SetInfoTimeout, 10000)
                .Enumeration("InfoType", &TkelTrayIcon::InfoType, &TkelTrayIcon::SetInfoType,
                             {"tiiNone", "tiiInfo", "tiiWarning", "tiiError"}, tiiNone);
        });
    return info;
}

TkelTrayIcon::TkelTrayIcon(TComponent* owner) : TkelCustomTimer(owner), m_icon(std::make_unique<TIcon>()) {
    m_changeLink.OnChange = [this](TObject* sender) { ImageListChange(sender); };
    // The timer base starts a timer only while OnTimer is set, and this component's
    // Timer never calls OnTimer: a do-nothing handler lets the icons cycle at run time.
    if (!IsDesigning()) SetOnTimer([](TObject*) {});
    SetCycleIcons(false);
    SetCycleInterval(200);
    HookApp();
}

TkelTrayIcon::~TkelTrayIcon() {
    try {
        SetVisible(false);
    } catch (...) {
        kelAppHandleException(this);
    }
    UnhookApp();
    if (m_imageList) m_imageList->UnRegisterChanges(&m_changeLink);
    // A menu opened by the icon does not keep pointing at it.
    if (m_popupMenu && m_popupMenu->PopupComponent == this) m_popupMenu->PopupComponent = nullptr;
    *m_alive = false;
}

//--- Talking to the shell

void TkelTrayIcon::PrepareNotifyIconData() {
    const bool longForm = IsWin2000orHigher;
    m_data.cbSize = longForm ? kelNotifyIconDataVer5Size : kelNotifyIconDataVer4Size;
    m_data.hWnd = WindowHandle();
    m_data.uID = static_cast<uint32_t>(m_iconID);
    m_data.uFlags = m_iconFlags;
    m_data.uCallbackMessage = kelTrayIconCallbackMsg;
    m_data.hIcon = m_icon->Handle();
    CopyField(m_data.szTip, m_showHint ? m_hint : std::string(), longForm ? kTipLimitVer5 : kTipLimitVer4);
}

void TkelTrayIcon::Notify(DWORD message) {
    kelShellNotifyIcon(message, reinterpret_cast<NOTIFYICONDATAA*>(&m_data));
}

void TkelTrayIcon::InsertToTray() {
    try {
        PrepareNotifyIconData();
        Notify(NIM_ADD);
    } catch (...) {
        throw EkelTrayIcon(Format(LoadResString(SkelTrayIcon_ErrInsertTo), Name()));
    }
}

void TkelTrayIcon::DeleteFromTray() {
    try {
        PrepareNotifyIconData();
        Notify(NIM_DELETE);
    } catch (...) {
        throw EkelTrayIcon(Format(LoadResString(SkelTrayIcon_ErrDeleteFrom), Name()));
    }
}

void TkelTrayIcon::Update() {
    PrepareNotifyIconData();
    Notify(NIM_MODIFY);
}

void TkelTrayIcon::Show() {
    m_iconFlags |= NIF_ICON;
    InsertToTray();
    if (IsDesigning())
        m_visibleOnDesigning = true;
    else
        m_visible = true;
    if (OnShow) OnShow(this);
}

void TkelTrayIcon::Hide() {
    const std::shared_ptr<bool> alive = m_alive;
    m_iconFlags &= ~static_cast<uint32_t>(NIF_ICON);
    DeleteFromTray();
    if (IsDesigning())
        m_visibleOnDesigning = false;
    else
        m_visible = false;
    if (OnHide) OnHide(this);
    if (!*alive) return;
    // Without its icon the application could not be reached any more, so it comes
    // back; not when the owner itself is going (the program is ending then).
    TComponent* owner = Owner();
    if (owner && owner->HasState(csDestroying)) return;
    if (m_minimizeToTray) ShowMainForm();
    if (kelWindowOf(owner) && !kelIsControlVisible(owner)) kelSetControlVisible(owner, true);
}

void TkelTrayIcon::ShowInfo() {
    if (!IsWin2000orHigher) return;
    PrepareNotifyIconData();
    m_data.dwInfoFlags = static_cast<uint32_t>(m_infoType);
    m_data.uFlags = NIF_INFO;
    m_data.uTimeout = static_cast<uint32_t>(m_infoTimeout);
    CopyField(m_data.szInfo, m_infoText, kInfoTextLimit);
    CopyField(m_data.szInfoTitle, m_infoTitle, kInfoTitleLimit);
    Notify(NIM_MODIFY);
}

void TkelTrayIcon::ShowBalloon() {
    ShowInfo();
}

void TkelTrayIcon::ShowCustomInfo(TkelTrayIconInfoType type, const std::string& title, const std::string& text) {
    m_infoType = type;
    m_infoTitle = title;
    m_infoText = text;
    ShowInfo();
}

//--- Properties

void TkelTrayIcon::SetVisible(bool value) {
    if (value == m_visible) return;
    m_visible = value;
    if (IsDesigning()) return;
    if (value)
        Show();
    else
        Hide();
}

void TkelTrayIcon::SetVisibleOnDesigning(bool value) {
    if (value == m_visibleOnDesigning) return;
    m_visibleOnDesigning = value;
    if (!IsDesigning()) return;
    if (value)
        Show();
    else
        Hide();
}

void TkelTrayIcon::SetIconID(int32_t value) {
    if (value == m_iconID) return;
    // The shell knows the icon by its id: take it out under the old one, add it under the new.
    const bool wasVisible = m_visible;
    const std::shared_ptr<bool> alive = m_alive;
    SetVisible(false);
    if (!*alive) return;
    m_iconID = value;
    SetVisible(wasVisible);
}

void TkelTrayIcon::SetHint(const std::string& value) {
    if (value == m_hint) return;
    m_hint = value;
    Update();
}

void TkelTrayIcon::SetShowHint(bool value) {
    if (value == m_showHint) return;
    m_showHint = value;
    Update();
}

void TkelTrayIcon::SetIcon(TIcon* value) {
    if (value)
        m_icon->Assign(*value);
    else
        m_icon->SetHandle(nullptr);
    Update();
}

void TkelTrayIcon::SetImageList(TCustomImageList* value) {
    if (value == m_imageList) return;
    if (m_imageList) m_imageList->UnRegisterChanges(&m_changeLink);
    m_imageList = value;
    if (m_imageList) {
        m_imageList->FreeNotification(this);
        m_imageList->RegisterChanges(&m_changeLink);
    }
    SetIconByImageIndex();
}

void TkelTrayIcon::SetImageIndex(int32_t value) {
    m_imageIndex = value;
    SetIconByImageIndex();
}

void TkelTrayIcon::SetIconByImageIndex() {
    if (!m_imageList) return;
    m_icon->SetHandle(nullptr);
    m_imageList->GetIcon(m_imageIndex, *m_icon);
    Update();
}

void TkelTrayIcon::ImageListChange(TObject* sender) {
    (void)sender;
    SetIconByImageIndex();
}

void TkelTrayIcon::SetPopupMenu(TPopupMenu* value) {
    if (value == m_popupMenu) return;
    m_popupMenu = value;
    if (m_popupMenu) m_popupMenu->FreeNotification(this);
}

void TkelTrayIcon::Notification(TComponent* component, TOperation operation) {
    TkelCustomTimer::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    // A list going away is past its own destructor and has let go of the link
    // already: nothing of it may be called any more.
    if (component == m_popupMenu)
        m_popupMenu = nullptr;
    else if (component == m_imageList)
        m_imageList = nullptr;
}

void TkelTrayIcon::Loaded() {
    TkelCustomTimer::Loaded();
    if (!IsDesigning() && m_minimizeOnStart) {
        const std::shared_ptr<bool> alive = m_alive;
        kelAppSetShowMainForm(false);
        DoMinimize();
        if (!*alive) return;
    }
    if ((!IsDesigning() && m_visible) || (IsDesigning() && m_visibleOnDesigning)) Show();
}

//--- Messages of the hidden window

void TkelTrayIcon::WndProc(TMessage& message) {
    if (message.Msg == kelTrayIconCallbackMsg) {
        HandleCallback(message);
        return;
    }
    if (message.Msg == WM_QUERYENDSESSION) {
        message.Result = 1;
        return;
    }
    if (message.Msg == kelTaskbarCreatedMsg && kelTaskbarCreatedMsg != 0) {
        // The shell restarted and forgot the icon: put it back.
        if (m_visible) {
            const std::shared_ptr<bool> alive = m_alive;
            Hide();
            if (!*alive) return;
            Show();
            if (!*alive) return;
        }
    }
    TkelCustomTimer::WndProc(message);
}

void TkelTrayIcon::HandleCallback(TMessage& message) {
    if (IsDesigning() || !m_enabled) return;
    // A handler may free the icon: after each event it is touched only while it lives.
    const std::shared_ptr<bool> alive = m_alive;
    POINT point = {};
    GetCursorPos(&point);
    const TShiftState shift = kelGetShiftState();
    switch (message.LParam) {
        case WM_MOUSEMOVE: MouseMove(shift, point.x, point.y); break;
        case WM_LBUTTONDOWN:
            MouseDown(mbLeft, shift | ssLeft, point.x, point.y);
            if (*alive) m_clickPending = true;
            break;
        case WM_LBUTTONUP:
            MouseUp(mbLeft, shift | ssLeft, point.x, point.y);
            if (*alive && m_clickPending) Click();
            if (*alive && m_popupByLeft) ShowPopup();
            if (*alive) m_clickPending = false;
            break;
        case WM_LBUTTONDBLCLK: DblClick(); break;
        case WM_RBUTTONDOWN: MouseDown(mbRight, shift | ssRight, point.x, point.y); break;
        case WM_RBUTTONUP:
            MouseUp(mbRight, shift | ssRight, point.x, point.y);
            if (*alive) ShowPopup();
            break;
        case WM_MBUTTONDOWN: MouseDown(mbMiddle, shift | ssMiddle, point.x, point.y); break;
        case WM_MBUTTONUP: MouseUp(mbMiddle, shift | ssMiddle, point.x, point.y); break;
        case NIN_BALLOONSHOW:
            if (OnBalloonShow) OnBalloonShow(this);
            break;
        case NIN_BALLOONTIMEOUT:
            if (OnBalloonTimeout) OnBalloonTimeout(this);
            break;
        case NIN_BALLOONUSERCLICK:
            if (OnBalloonClick) OnBalloonClick(this);
            break;
        default: TkelCustomTimer::WndProc(message); break;
    }
}

void TkelTrayIcon::Timer() {
    if (m_imageList) SetImageIndex(m_imageIndex >= m_imageList->Count() - 1 ? 0 : m_imageIndex + 1);
    if (OnCycleIcons) OnCycleIcons(this);
}

//--- Mouse

void TkelTrayIcon::SetForegroundOwner() {
    if (HWND owner = kelWindowOf(Owner())) SetForegroundWindow(owner);
}

void TkelTrayIcon::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TkelTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TkelTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    // Activating the owner runs its handlers at once.
    const std::shared_ptr<bool> alive = m_alive;
    SetForegroundOwner();
    if (*alive && OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TkelTrayIcon::Click() {
    if (OnClick) OnClick(this);
}

void TkelTrayIcon::DblClick() {
    const std::shared_ptr<bool> alive = m_alive;
    if (m_popupMenu && m_popupMenu->AutoPopup && !m_popupByLeft) {
        TMenuItem* items = m_popupMenu->Items();
        for (int i = 0; i < items->Count(); ++i) {
            if (!items->Items(i)->Default) continue;
            items->Items(i)->Click();
            if (*alive && OnDblClick) OnDblClick(this);
            if (*alive) SetForegroundOwner();
            return;
        }
    }
    if (IsDesigning()) return;
    if (m_minimizeToTray && kelWindowOf(Owner())) {
        if (kelIsControlVisible(Owner()))
            HideMainForm();
        else
            ShowMainForm();
        if (!*alive) return;
    }
    if (OnDblClick) OnDblClick(this);
}

void TkelTrayIcon::ShowPopup() {
    if (!m_popupMenu || !m_popupMenu->AutoPopup) return;
    POINT point = {};
    GetCursorPos(&point);
    const std::shared_ptr<bool> alive = m_alive;
    kelAppProcessMessages();
    // The icon or its menu may have gone while messages were handled, or while
    // the owner's activation ran its handlers.
    if (!*alive || !m_popupMenu) return;
    HWND owner = kelWindowOf(Owner());
    if (owner) SetForegroundWindow(owner);
    if (!*alive || !m_popupMenu) return;
    m_popupMenu->PopupComponent = this;
    // The chosen item runs inside, and may free the icon.
    m_popupMenu->Popup(point.x, point.y);
    // Lets the menu close properly when the user clicks elsewhere.
    if (owner) PostMessageA(owner, WM_NULL, 0, 0);
    if (*alive && OnPopupMenu) OnPopupMenu(this);
}

//--- Main form and minimising to the tray

void TkelTrayIcon::ShowMainForm() {
    kelMainFormShow();
}

void TkelTrayIcon::HideMainForm() {
    kelMainFormHide();
}

void TkelTrayIcon::DoMinimize() {
    if (IsDesigning()) return;
    const std::shared_ptr<bool> alive = m_alive;
    HideMainForm();
    if (!*alive) return;
    SetVisible(true);
    if (*alive && OnMinimize) OnMinimize(this);
}

void TkelTrayIcon::HookApp() {
    if (IsDesigning()) return;
    HWND app = kelAppHandle();
    if (!app) return;
    m_appWindow = app;
    m_appLink = TkelSubclass::Create([this](TMessage& message) { HookAppProc(message); });
    m_appLink->AttachOnTop(app);
}

void TkelTrayIcon::UnhookApp() {
    // Whatever sits on the window before or after the icon stays chained.
    if (m_appLink) {
        m_appLink->Detach();
        m_appLink.reset();
    }
    m_appWindow = nullptr;
}

void TkelTrayIcon::HookAppProc(TMessage& message) {
    // The handlers may free the icon; its link then hands the message on all the
    // same, to what follows it in the chain as it is then.
    const std::shared_ptr<TkelSubclass> link = m_appLink;
    const std::shared_ptr<bool> alive = m_alive;
    HWND window = m_appWindow;
    if (message.Msg == WM_SIZE && message.WParam == SIZE_MINIMIZED && m_minimizeToTray) {
        try {
            DoMinimize();
        } catch (...) {
            kelAppHandleException(*alive ? this : nullptr);
        }
    }
    message.Result =
        link ? link->CallPrev(message) : DefWindowProcA(window, message.Msg, message.WParam, message.LParam);
}
