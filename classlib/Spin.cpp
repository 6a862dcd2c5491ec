// The numeric spin edit.
#include "classlib/Spin.h"

#include <commctrl.h>

namespace {

constexpr int kButtonWidth = 15;

}  // namespace

TCSpinEdit::TCSpinEdit(TComponent* owner) : TCustomEdit(owner) {
    SetBounds(0, 0, 121, 22);
    SetText("0");
}

TCSpinEdit::~TCSpinEdit() {
    // The buttons are a child of the edit's window and go with it.
    m_buttons = nullptr;
}

int32_t TCSpinEdit::CheckValue(int32_t value) const {
    if (MaxValue == MinValue) return value;
    if (value < MinValue) return MinValue;
    if (value > MaxValue) return MaxValue;
    return value;
}

int32_t TCSpinEdit::Value() const {
    int32_t value = 0;
    return TryStrToInt(Text(), value) ? value : MinValue;
}

void TCSpinEdit::SetValue(int32_t value) {
    SetText(IntToStr(CheckValue(value)));
}

void TCSpinEdit::Step(int direction) {
    if (ReadOnly || !Enabled()) {
        MessageBeep(0);
        return;
    }
    const int64_t next = static_cast<int64_t>(Value()) + (direction > 0 ? Increment : -Increment);
    if (next > INT32_MAX || next < INT32_MIN) return;
    SetValue(static_cast<int32_t>(next));
}

void TCSpinEdit::CreateWindowHandle() {
    TCustomEdit::CreateWindowHandle();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    HWND edit = Handle();
    // The buttons live inside the edit, so their notices come to the edit itself.
    m_buttons = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | (Enabled() ? 0 : WS_DISABLED), 0, 0,
                                kButtonWidth, ClientHeight(), edit, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (m_buttons) {
        // A wide range with the position in the middle: every press is a step,
        // and the edit's own value decides what it does.
        SendMessageA(m_buttons, UDM_SETRANGE32, 0, 1000);
        SendMessageA(m_buttons, UDM_SETPOS32, 0, 500);
        PlaceButtons();
    }
}

void TCSpinEdit::PlaceButtons() {
    if (!m_buttons) return;
    RECT client;
    GetClientRect(Handle(), &client);
    SetWindowPos(m_buttons, nullptr, client.right - kButtonWidth, 0, kButtonWidth, client.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // The text stays left of the buttons.
    SendMessageA(Handle(), EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, kButtonWidth + 1));
}

void TCSpinEdit::KeyDown(WORD& key, TShiftState shift) {
    if (key == VK_UP) {
        Step(1);
        key = 0;
    } else if (key == VK_DOWN) {
        Step(-1);
        key = 0;
    }
    TCustomEdit::KeyDown(key, shift);
}

void TCSpinEdit::DoExit() {
    TCustomEdit::DoExit();
    if (CanFireEvents() && CheckValue(Value()) != Value()) SetValue(Value());
}

void TCSpinEdit::EnabledChanged() {
    TCustomEdit::EnabledChanged();
    if (m_buttons) EnableWindow(m_buttons, Enabled());
}

void TCSpinEdit::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
            if (header->hwndFrom == m_buttons && header->code == UDN_DELTAPOS) {
                const auto* change = reinterpret_cast<const NMUPDOWN*>(message.LParam);
                Step(change->iDelta);
                message.Result = 1;  // the buttons' own position stays in the middle
                return;
            }
            break;
        }
        case WM_VSCROLL:
            if (reinterpret_cast<HWND>(message.LParam) == m_buttons) {
                message.Result = 0;
                return;
            }
            break;
        case WM_SIZE:
            TCustomEdit::WndProc(message);
            PlaceButtons();
            return;
        case WM_GETDLGCODE:
            TCustomEdit::WndProc(message);
            message.Result |= DLGC_WANTARROWS;
            return;
        default: break;
    }
    TCustomEdit::WndProc(message);
}
