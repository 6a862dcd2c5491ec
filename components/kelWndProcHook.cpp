// TkelWndProcHook: window subclassing with chained hooks.
#include "components/kelWndProcHook.h"

#include <algorithm>

#include "classlib/AllocateHWnd.h"
#include "components/kelPlatformHooks.h"

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
        if (hook->m_active && hook->m_hookedWindow == window && hook->m_prevWndProc) return hook->m_prevWndProc;
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

void TkelWndProcHookList::Chain(HWND window, WNDPROC base) {
    TkelCustomWndProcHook* previous = nullptr;
    for (TkelCustomWndProcHook* hook : m_hooks) {
        if (!hook->m_active || hook->m_hookedWindow != window) continue;
        hook->m_prevWndProc = previous ? previous->m_instance : base;
        previous = hook;
    }
    kelSetWindowProc(window, reinterpret_cast<LONG_PTR>(previous ? previous->m_instance : base));
}

void TkelWndProcHookList::Install(TkelCustomWndProcHook* hook, HWND window) {
    // Once in a chain is enough: chaining a hook behind itself would loop forever.
    if (hook->m_hookedWindow || !IsWindow(window)) return;
    const WNDPROC base = BaseProc(window);
    hook->m_active = true;
    hook->m_hookedWindow = window;
    Chain(window, base);
}

void TkelWndProcHookList::Uninstall(TkelCustomWndProcHook* hook) {
    HWND window = hook->m_hookedWindow;
    if (!window) return;
    const WNDPROC base = BaseProc(window);
    hook->m_active = false;
    hook->m_hookedWindow = nullptr;
    hook->m_prevWndProc = nullptr;
    // A window that is gone keeps no procedure to put back.
    if (IsWindow(window)) Chain(window, base);
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
    if (!m_instance) m_instance = MakeObjectInstance([this](TMessage& message) { WndProc(message); });
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
    if (m_instance) {
        FreeObjectInstance(m_instance);
        m_instance = nullptr;
    }
    m_prevWndProc = nullptr;
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
    if (!window) {
        // Not in a chain: no window calls this procedure.
        message.Result = 0;
        return;
    }
    // The handler may switch the hook off or free it: what the message needs is
    // taken now, and after the handler the hook is touched only while it lives.
    const WNDPROC previous = m_prevWndProc;
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
        } else if (previous) {
            message.Result = CallWindowProcA(previous, window, message.Msg, message.WParam, message.LParam);
        } else {
            message.Result = DefWindowProcA(window, message.Msg, message.WParam, message.LParam);
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
