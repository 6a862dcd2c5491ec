// Hints: the hint window and the application's showing and hiding of hints.
#include <algorithm>
#include <utility>

#include "classlib/Forms.h"

namespace {

// How far below the pointer's hot spot a hint starts: clear of the arrow.
constexpr int kPointerHeight = 20;

// Our control under a screen point: the window there (or the nearest window of
// ours around a system child), then a windowless child of it at that place.
TControl* ControlAtScreenPoint(POINT point) {
    TWinControl* control = nullptr;
    for (HWND window = WindowFromPoint(point); window && !control;
         window = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr)
        control = TWinControl::FindControl(window);
    if (!control) return nullptr;
    TControl* inner = control->ControlAtPos(control->ScreenToClient(point));
    return inner ? inner : control;
}

// A hint of the given size below the point, moved so that it stays on the
// point's monitor; above the point where there is no room below.
RECT PlaceHint(const RECT& size, POINT point) {
    const int width = size.right - size.left;
    const int height = size.bottom - size.top;
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoA(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &monitor)) screen = monitor.rcMonitor;
    int left = point.x;
    int top = point.y + kPointerHeight;
    if (left + width > screen.right) left = screen.right - width;
    left = std::max<int>(left, screen.left);
    if (top + height > screen.bottom) top = point.y - height;
    top = std::max<int>(top, screen.top);
    return RECT{left, top, left + width, top + height};
}

bool CancelsHint(UINT msg) {
    switch (msg) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_NCMBUTTONDOWN: return true;
        default: return false;
    }
}

}  // namespace

//--- THintWindow

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
    SetVisible(false);
    SetColor(clInfoBk);
    // The screen's hint font: the one the system uses for status and tip texts.
    TFont* font = Canvas()->Font();
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
        font->SetName(metrics.lfStatusFont.lfFaceName);
        font->SetHeight(metrics.lfStatusFont.lfHeight);
    }
    font->SetColor(clInfoText);
}

THintWindow::~THintWindow() {
    SetState(csDestroying, true);
    static_cast<TControlCanvas*>(Canvas())->FreeDeviceContext();
}

void THintWindow::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    // No taskbar button, above every window, never activated by a click.
    params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    params.WindowClassStyle |= CS_SAVEBITS;
    params.WndParent = Application->Handle();
}

RECT THintWindow::CalcHintRect(int maxWidth, const std::string& hint) {
    RECT rect{0, 0, std::max(maxWidth, 1), 0};
    const std::wstring text = AnsiToWide(hint);
    DrawTextW(Canvas()->Handle(), text.c_str(), -1, &rect, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    // The text starts 2 pixels in; a little air after it, and the edge around.
    rect.right += 6 + 2;
    rect.bottom += 4 + 2;
    return rect;
}

void THintWindow::ActivateHint(const RECT& rect, const std::string& hint) {
    SetCaption(hint);
    HWND window = Handle();
    SetBounds(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetVisible(true);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    // The text may be new while the size is not: paint it now.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
}

void THintWindow::HideAfter(unsigned pause) {
    HWND window = Handle();
    KillTimer(window, kHideTimerId);
    m_hidePause = pause;
    SetTimer(window, kHideTimerId, std::max(pause, 1u), nullptr);
}

void THintWindow::HideHint() {
    m_hidePause = 0;
    if (!HandleAllocated()) return;
    KillTimer(Handle(), kHideTimerId);
    SetVisible(false);
    ShowWindow(Handle(), SW_HIDE);
}

bool THintWindow::IsShowing() {
    return HandleAllocated() && IsWindowVisible(Handle());
}

void THintWindow::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_NCPAINT: {
            HWND window = Handle();
            if (HDC dc = GetWindowDC(window)) {
                NCPaint(dc);
                ReleaseDC(window, dc);
            }
            message.Result = 0;
            return;
        }
        // The pointer passes through to what lies below.
        case WM_NCHITTEST: message.Result = HTTRANSPARENT; return;
        case WM_MOUSEACTIVATE: message.Result = MA_NOACTIVATE; return;
        case WM_TIMER:
            if (message.WParam != kHideTimerId) break;
            HideHint();
            message.Result = 0;
            return;
        default: break;
    }
    TCustomControl::WndProc(message);
}

void THintWindow::PaintWindow(HDC dc) {
    auto* canvas = static_cast<TControlCanvas*>(Canvas());
    canvas->UsePaintDC(dc);
    canvas->Brush()->SetColor(Color());
    Paint();
    canvas->FreeDeviceContext();
}

void THintWindow::Paint() {
    RECT rect = ClientRect();
    rect.left += 2;
    rect.top += 2;
    const std::wstring text = AnsiToWide(Caption());
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsClear);
    DrawTextW(canvas->Handle(), text.c_str(), -1, &rect,
              DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | DrawTextBiDiModeFlagsReadingOnly());
}

void THintWindow::NCPaint(HDC dc) {
    RECT rect{0, 0, Width(), Height()};
    DrawEdge(dc, &rect, BDR_RAISEDOUTER, BF_RECT | BF_MONO);
}

//--- The application's hints

void TApplication::SetShowHint(bool show) {
    if (show == m_showHint) return;
    m_showHint = show;
    if (show) return;
    SetHintControl(nullptr);
    // The next hint comes in a new window of the hint-window class.
    THintWindow* window = std::exchange(m_hintWindow, nullptr);
    delete window;
}

void TApplication::SetHintWindowClass(THintWindowClass hintClass) {
    m_hintWindowClass = std::move(hintClass);
    SetHintControl(nullptr);
    THintWindow* window = std::exchange(m_hintWindow, nullptr);
    delete window;
}

void TApplication::ActivateHint(POINT point) {
    if (!m_showHint) return;
    TControl* control = ControlAtScreenPoint(point);
    if (!control || !control->ShowHint || control->Hint.empty()) {
        CancelHint();
        return;
    }
    if (!m_hintWindow) m_hintWindow = m_hintWindowClass ? m_hintWindowClass(this) : new THintWindow(this);
    if (!m_hintWindow) return;
    m_hintWindow->SetColor(HintColor);
    const RECT size = m_hintWindow->CalcHintRect(GetSystemMetrics(SM_CXSCREEN) / 2, control->Hint);
    m_hintWindow->ActivateHint(PlaceHint(size, point), control->Hint);
    m_hintWindow->HideAfter(static_cast<unsigned>(std::max(HintHidePause, 0)));
    SetHintControl(control);
}

void TApplication::CancelHint() {
    SetHintControl(nullptr);
    if (m_hintWindow) m_hintWindow->HideHint();
}

void TApplication::SetHintControl(TControl* control) {
    if (control == m_hintControl) return;
    if (m_hintControl) {
        m_hintControl->RemoveFreeNotification(this);
        RemoveFreeNotification(m_hintControl);
    }
    m_hintControl = control;
    if (control) FreeNotification(control);
}

void TApplication::CheckHint(const MSG& msg) {
    if (!m_hintWindow) return;
    if (CancelsHint(msg.message)) CancelHint();
}

void TApplication::IdleHint() {
    // The pointer left the control whose hint shows.
    if (m_hintControl && Mouse->Control() != m_hintControl) CancelHint();
}
