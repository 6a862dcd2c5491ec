// TkelWndProcHook: window subclassing with chained hooks.
#include "components/kelWndProcHook.h"

#include <algorithm>

TkelWndProcHookList* kelWndProcHookList = nullptr;

namespace {

HWND const kNoWindow = static_cast<HWND>(INVALID_HANDLE_VALUE);

bool IsWindowHandle(HWND window) {
    return window != nullptr && window != kNoWindow;
}

// The drag a left-button press turns into: the system's move by the caption.
constexpr WPARAM kMoveByCaption = 0xF012;

}  // namespace

void kelFreeWndProcHookList() {
    delete kelWndProcHookList;
    kelWndProcHookList = nullptr;
}

//--- The list and the chains

void TkelWndProcHookList::Add(TkelCustomWndProcHook* hook) {
    m_hooks.push_back(hook);
}

void TkelWndProcHookList::Remove(TkelCustomWndProcHook* hook) {
    m_hooks.erase(std::remove(m_hooks.begin(), m_hooks.end(), hook), m_hooks.end());
}

WNDPROC TkelWndProcHookList::BaseProc(HWND window) const {
    for (const TkelCustomWndProcHook* hook : m_hooks)
        if (hook->m_active && hook->m_hookedWindow == window && hook->PrevWndProc()) return hook->PrevWndProc();
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

void TkelWndProcHookList::Install(TkelCustomWndProcHook* hook, HWND window) {
    // Once in a chain is enough: chaining a hook behind itself would loop forever.
    if (hook->m_hookedWindow || !hook->m_link || !IsWindow(window)) return;
    // The most recently created active hook sees messages first: a hook goes right
    // behind the next one created after it that is on the window, or in front of
    // everything when there is none.
    TkelCustomWndProcHook* upper = nullptr;
    auto at = std::find(m_hooks.begin(), m_hooks.end(), hook);
    if (at != m_hooks.end()) ++at;
    for (; at != m_hooks.end() && !upper; ++at)
        if ((*at)->m_active && (*at)->m_hookedWindow == window && (*at)->m_link) upper = *at;
    if (upper)
        hook->m_link->AttachBelow(*upper->m_link);
    else
        hook->m_link->AttachOnTop(window);
    hook->m_active = true;
    hook->m_hookedWindow = window;
}

void TkelWndProcHookList::Uninstall(TkelCustomWndProcHook* hook) {
    if (!hook->m_hookedWindow) return;
    hook->m_active = false;
    hook->m_hookedWindow = nullptr;
    if (hook->m_link) hook->m_link->Detach();
}

//--- TkelCustomWndProcHook

const TClassInfo& TkelCustomWndProcHook::StaticClassInfo() {
    static const TClassInfo info("TkelCustomWndProcHook", &TkelComponent::StaticClassInfo(),
                                 &CreateComponentOf<TkelCustomWndProcHook>, nullptr);
    return info;
}

TkelCustomWndProcHook::TkelCustomWndProcHook(TComponent* owner) : TkelComponent(owner) {
    if (!kelWndProcHookList) kelWndProcHookList = new TkelWndProcHookList;
    kelWndProcHookList->Add(this);
}

TkelCustomWndProcHook::~TkelCustomWndProcHook() {
    *m_alive = false;
    try {
        SetActive(false);
    } catch (...) {
        kelAppHandleException(this);
    }
    if (kelWndProcHookList) {
        kelWndProcHookList->Remove(this);
        if (kelWndProcHookList->Count() == 0) kelFreeWndProcHookList();
    }
}

TWinControl* TkelCustomWndProcHook::GetWinControl() const {
    if (m_winControl) return m_winControl;
    return dynamic_cast<TWinControl*>(Owner());
}

HWND TkelCustomWndProcHook::GetHandle() {
    if (IsWindowHandle(m_handle)) return m_handle;
    TWinControl* control = GetWinControl();
    if (!control) return kNoWindow;
    if (!control->HandleAllocated() &&
        (control->HasState(csReading) || control->HasState(csLoading) || control->HasState(csDestroying)))
        return kNoWindow;
    return control->Handle();
}

void TkelCustomWndProcHook::SetHandle(HWND value) {
    if (value == m_handle) return;
    const bool wasActive = m_active;
    SetActive(false);
    m_handle = value;
    SetActive(wasActive);
    if (OnChangeHandle) OnChangeHandle(this);
}

void TkelCustomWndProcHook::SetWinControl(TWinControl* value) {
    if (value == m_winControl) return;
    const bool wasActive = m_active;
    SetActive(false);
    m_winControl = value;
    TWinControl* control = GetWinControl();
    if (control && control != Owner()) control->FreeNotification(this);
    SetActive(wasActive);
    if (OnChangeWinControl) OnChangeWinControl(this);
}

void TkelCustomWndProcHook::SetActive(bool value) {
    if (value == m_active) return;
    if (value)
        Hook();
    else
        UnHook();
}

void TkelCustomWndProcHook::Hook() {
    if (IsDesigning()) {
        m_active = true;
        return;
    }
    if (!m_link) m_link = TkelSubclass::Create([this](TMessage& message) { WndProc(message); });
    HWND window = GetHandle();
    if (IsWindowHandle(window) && kelWndProcHookList) kelWndProcHookList->Install(this, window);
    m_active = true;
}

void TkelCustomWndProcHook::UnHook() {
    if (IsDesigning()) {
        m_active = false;
        return;
    }
    if (kelWndProcHookList) kelWndProcHookList->Uninstall(this);
    if (m_link) {
        m_link->Detach();
        m_link.reset();
    }
    m_active = false;
}

void TkelCustomWndProcHook::Loaded() {
    TkelComponent::Loaded();
    // A hook read as active while its window was not there yet goes on now.
    if (m_active) Hook();
}

void TkelCustomWndProcHook::Notification(TComponent* component, TOperation operation) {
    TkelComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == this) {
        SetActive(false);
    } else if (component && component == GetWinControl()) {
        SetWinControl(nullptr);
    }
}

void TkelCustomWndProcHook::WndProc(TMessage& message) {
    HWND window = m_hookedWindow;
    // The handler may switch this hook or others off, or free them: the link stays
    // in its chain until the message is done and hands it on as the chain is then.
    // After the handler the hook is touched only while it lives.
    const std::shared_ptr<TkelSubclass> link = m_link;
    if (!window || !link) {
        // Not in a chain: no window calls this procedure.
        message.Result = 0;
        return;
    }
    const bool autoDrag = m_autoDrag;
    const std::shared_ptr<bool> alive = m_alive;
    const TkelMessageEvent before = OnMessageBefore;
    bool handled = false;
    // A failing handler is reported; the message still reaches the window.
    try {
        if (before) before(this, message, handled);
    } catch (...) {
        kelAppHandleException(*alive ? this : nullptr);
    }
    if (!handled) {
        if (message.Msg == WM_LBUTTONDOWN && autoDrag && IsWindow(window)) {
            ReleaseCapture();
            SendMessageA(window, WM_SYSCOMMAND, kMoveByCaption, 0);
        } else {
            message.Result = link->CallPrev(message);
        }
    }
    if (!*alive) return;
    const TkelMessageEvent after = OnMessageAfter;
    try {
        if (after) after(this, message, handled);
    } catch (...) {
        kelAppHandleException(*alive ? this : nullptr);
    }
}

//--- TkelWndProcHook

const TClassInfo& TkelWndProcHook::StaticClassInfo() {
    static const TClassInfo info(
        "TkelWndProcHook", &TkelCustomWndProcHook::StaticClassInfo(), &CreateComponentOf<TkelWndProcHook>,
        [](TPropList& list) {
            TPublished<TkelWndProcHook> published(list);
            PublishAbout(published)
                .Boolean("Active", &TkelWndProcHook::Active, &TkelWndProcHook::SetActive, false)
                .Boolean("AutoDrag", &TkelWndProcHook::AutoDrag, &TkelWndProcHook::SetAutoDrag, false)
                .Component<TWinControl>("WinControl", &TkelWndProcHook::WinControl, &TkelWndProcHook::SetWinControl);
        });
    return info;
}
