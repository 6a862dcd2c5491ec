// Controls: message tables, the one window procedure, painting through a
// buffer, and the routing of mouse messages to windowless controls.
#include "classlib/Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <cassert>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace {

// Windows of ours and their objects. Filled from the creation slot by each
// window's first message; entries go at WM_NCDESTROY or when the object goes.
std::unordered_map<HWND, TWinControl*>& HandleMap() {
    // Never destroyed: windows may still go away during the exit processing.
    static auto* map = new std::unordered_map<HWND, TWinControl*>;
    return *map;
}

// The object whose window CreateWindowEx is making (one GUI thread).
TWinControl* gCreating = nullptr;

// Objects alive now, so that the window procedure notices an object deleted by
// one of its own handlers.
std::unordered_set<const TControl*>& LiveControls() {
    static auto* live = new std::unordered_set<const TControl*>;
    return *live;
}

// The windowless control holding the mouse while a button is down, and the
// control the pointer was last seen over.
TControl* gCaptureControl = nullptr;
TControl* gMouseControl = nullptr;

std::set<std::string>& RegisteredClasses() {
    static auto* classes = new std::set<std::string>;
    return *classes;
}

std::vector<TControlCanvas*>& CanvasesWithDC() {
    static auto* canvases = new std::vector<TControlCanvas*>;
    return *canvases;
}

UINT_PTR NextControlId() {
    static UINT_PTR id = 100;
    return ++id;
}

bool IsMouseMessage(UINT msg) {
    return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK;
}

}  // namespace

TShiftState MouseShiftState(WPARAM wparam) {
    TShiftState shift = 0;
    if (wparam & MK_SHIFT) shift |= ssShift;
    if (wparam & MK_CONTROL) shift |= ssCtrl;
    if (wparam & MK_LBUTTON) shift |= ssLeft;
    if (wparam & MK_RBUTTON) shift |= ssRight;
    if (wparam & MK_MBUTTON) shift |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

TShiftState KeyboardShiftState() {
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

//--- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
    LiveControls().insert(this);
    m_font.OnChange = [this] {
        m_parentFont = false;
        FontChanged();
    };
}

TControl::~TControl() {
    SetState(csDestroying, true);
    if (gCaptureControl == this) gCaptureControl = nullptr;
    if (gMouseControl == this) gMouseControl = nullptr;
    if (m_parent) m_parent->RemoveControl(this);
    LiveControls().erase(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == m_left && top == m_top && width == m_width && height == m_height) return;
    const bool isVisible = m_visible && m_parent && !IsWindowed();
    if (isVisible) Invalidate();
    m_left = left;
    m_top = top;
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    if (isVisible) Invalidate();
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == m_parent) return;
    if (m_parent) {
        if (!IsWindowed()) Invalidate();
        m_parent->RemoveControl(this);
    }
    if (parent) {
        parent->InsertControl(this);
        if (m_parentFont) {
            m_font.Assign(*parent->Font());
            m_parentFont = true;
        }
    }
}

void TControl::SetVisible(bool visible) {
    if (visible == m_visible) return;
    m_visible = visible;
    VisibleChanged();
}

void TControl::VisibleChanged() {
    if (m_parent && m_parent->HandleAllocated()) {
        RECT rect = BoundsRect();
        InvalidateRect(m_parent->m_handle, &rect, FALSE);
    }
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    EnabledChanged();
}

void TControl::SetCaption(const std::string& caption) {
    if (caption == m_caption) return;
    m_caption = caption;
    TextChanged();
}

void TControl::SetParentFont(bool parentFont) {
    m_parentFont = parentFont;
    if (parentFont && m_parent) {
        m_font.Assign(*m_parent->Font());
        m_parentFont = true;
    }
}

void TControl::SetColor(TColor color) {
    if (color == m_color) return;
    m_color = color;
    ColorChanged();
}

void TControl::Invalidate() {
    if (m_parent && m_parent->HandleAllocated()) {
        RECT rect = BoundsRect();
        InvalidateRect(m_parent->m_handle, &rect, FALSE);
    }
}

void TControl::Update() {
    // A windowed control paints in its own window, a windowless one in its parent's.
    if (IsWindowed()) {
        if (HWND window = static_cast<TWinControl*>(this)->m_handle) UpdateWindow(window);
    } else if (m_parent && m_parent->HandleAllocated()) {
        UpdateWindow(m_parent->m_handle);
    }
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

LRESULT TControl::Perform(UINT msg, WPARAM wparam, LPARAM lparam) {
    TMessage message{msg, wparam, lparam, 0};
    WndProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& message) {
    if (IsMouseMessage(message.Msg)) {
        HandleMouseMessage(message);
        return;
    }
    DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage& message) {
    message.Result = 0;
}

void TControl::HandleMouseMessage(TMessage& message) {
    const int x = GET_X_LPARAM(message.LParam);
    const int y = GET_Y_LPARAM(message.LParam);
    TShiftState shift = MouseShiftState(message.WParam);
    switch (message.Msg) {
        case WM_MOUSEMOVE: MouseMove(shift, x, y); break;
        case WM_LBUTTONDOWN:
            m_isLeftDown = true;
            MouseDown(mbLeft, shift, x, y);
            break;
        case WM_LBUTTONDBLCLK:
            m_isLeftDown = true;
            MouseDown(mbLeft, shift | ssDouble, x, y);
            DblClick();
            break;
        case WM_RBUTTONDOWN: MouseDown(mbRight, shift, x, y); break;
        case WM_RBUTTONDBLCLK: MouseDown(mbRight, shift | ssDouble, x, y); break;
        case WM_MBUTTONDOWN: MouseDown(mbMiddle, shift, x, y); break;
        case WM_MBUTTONDBLCLK: MouseDown(mbMiddle, shift | ssDouble, x, y); break;
        case WM_LBUTTONUP: {
            const bool wasDown = m_isLeftDown;
            m_isLeftDown = false;
            MouseUp(mbLeft, shift, x, y);
            // A click is a press and a release inside the control.
            if (wasDown && LiveControls().count(this) && x >= 0 && y >= 0 && x < m_width && y < m_height &&
                !IsWindowed())
                Click();
            break;
        }
        case WM_RBUTTONUP: MouseUp(mbRight, shift, x, y); break;
        case WM_MBUTTONUP: MouseUp(mbMiddle, shift, x, y); break;
        default: break;
    }
    if (LiveControls().count(this)) DefaultHandler(message);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown && CanFireEvents()) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove && CanFireEvents()) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp && CanFireEvents()) OnMouseUp(this, button, shift, x, y);
}

void TControl::Click() {
    if (OnClick && CanFireEvents()) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick && CanFireEvents()) OnDblClick(this);
}

POINT TControl::ClientToScreen(POINT point) const {
    if (IsWindowed()) {
        auto* self = static_cast<const TWinControl*>(this);
        if (self->m_handle) ::ClientToScreen(self->m_handle, &point);
        return point;
    }
    point.x += m_left;
    point.y += m_top;
    return m_parent ? m_parent->ClientToScreen(point) : point;
}

POINT TControl::ScreenToClient(POINT point) const {
    if (IsWindowed()) {
        auto* self = static_cast<const TWinControl*>(this);
        if (self->m_handle) ::ScreenToClient(self->m_handle, &point);
        return point;
    }
    if (m_parent) point = m_parent->ScreenToClient(point);
    point.x -= m_left;
    point.y -= m_top;
    return point;
}

//--- TControlCanvas

void TControlCanvas::UsePaintDC(HDC dc) {
    FreeDeviceContext();
    SetHandle(dc);
}

void TControlCanvas::FreeDeviceContext() {
    if (!HandleAllocated() && !m_windowDC) return;
    ReleaseHandle();
    if (m_windowDC) {
        ReleaseDC(m_window, m_windowDC);
        m_windowDC = nullptr;
        m_window = nullptr;
        auto& list = CanvasesWithDC();
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void TControlCanvas::FreeDeviceContexts() {
    const std::vector<TControlCanvas*> canvases = CanvasesWithDC();
    for (TControlCanvas* canvas : canvases) canvas->FreeDeviceContext();
}

void TControlCanvas::CreateHandle() {
    TWinControl* window = m_control->IsWindowed() ? static_cast<TWinControl*>(m_control) : m_control->Parent();
    if (!window) return;
    HWND handle = window->Handle();
    HDC dc = GetDC(handle);
    if (!dc) return;
    m_window = handle;
    m_windowDC = dc;
    CanvasesWithDC().push_back(this);
    SetHandle(dc);
    if (!m_control->IsWindowed()) {
        // A windowless control's canvas starts at its own top-left corner.
        SetViewportOrgEx(dc, m_control->Left(), m_control->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, m_control->Width(), m_control->Height());
    }
}

//--- TGraphicControl

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), m_canvas(this) {}

TGraphicControl::~TGraphicControl() {
    m_canvas.FreeDeviceContext();
}

void TGraphicControl::PaintControl(TCanvas& canvas) {
    m_canvas.UsePaintDC(canvas.Handle());
    m_canvas.Font()->Assign(*Font());
    Paint();
    m_canvas.FreeDeviceContext();
}

//--- TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    SetState(csDestroying, true);
    // A control without an owner goes with its parent (buttons a dialog makes
    // at run time); children that an owner keeps lose their parent.
    const std::vector<TControl*> children = m_controls;
    for (TControl* child : children) {
        if (!child->Owner())
            delete child;
        else
            child->m_parent = nullptr;
    }
    m_controls.clear();
    DestroyHandle();
}

HWND TWinControl::Handle() {
    if (!m_handle) {
        CreateWnd();
        // Children made before the parent's window get theirs now.
        for (TControl* child : m_controls)
            if (child->IsWindowed()) static_cast<TWinControl*>(child)->HandleNeeded();
        ApplyFont();
        CreateWindowHandle();
    }
    return m_handle;
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.Caption = Caption();
    params.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (Parent()) params.Style |= WS_CHILD;
    if (Visible()) params.Style |= WS_VISIBLE;
    if (!Enabled()) params.Style |= WS_DISABLED;
    if (TabStop) params.Style |= WS_TABSTOP;
    params.X = m_left;
    params.Y = m_top;
    params.Width = m_width;
    params.Height = m_height;
    params.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    if (Parent()) {
        params.WndParent = Parent()->Handle();
        if (params.Id == 0) params.Id = NextControlId();
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    const bool isSubclass = !params.SubclassOf.empty();
    if (!isSubclass && !RegisteredClasses().count(params.WinClassName)) {
        WNDCLASSA windowClass{};
        windowClass.style = params.WindowClassStyle;
        windowClass.lpfnWndProc = &TWinControl::StdWndProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.lpszClassName = params.WinClassName.c_str();
        if (!RegisterClassA(&windowClass)) throw Exception("Cannot register the window class " + params.WinClassName);
        RegisteredClasses().insert(params.WinClassName);
    }
    const HMENU id = (params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(params.Id) : nullptr;
    HWND window = nullptr;
    if (isSubclass) {
        window =
            CreateWindowExA(params.ExStyle, params.SubclassOf.c_str(), params.Caption.c_str(), params.Style, params.X,
                            params.Y, params.Width, params.Height, params.WndParent, id, instance, nullptr);
        if (window) {
            m_handle = window;
            HandleMap()[window] = this;
            m_defWndProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::StdWndProc)));
        }
    } else {
        // One window is made at a time, never from inside another's creation.
        assert(gCreating == nullptr);
        gCreating = this;
        m_defWndProc = DefWindowProcA;
        window =
            CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style, params.X,
                            params.Y, params.Width, params.Height, params.WndParent, id, instance, nullptr);
        gCreating = nullptr;
    }
    if (!window) {
        m_defWndProc = nullptr;
        throw Exception(std::string("Cannot create the window of ") + ClassName());
    }
    // The window may have been sized by the system (minimum sizes).
    RECT rect;
    GetWindowRect(window, &rect);
    if (params.Style & WS_CHILD) MapWindowPoints(nullptr, params.WndParent, reinterpret_cast<POINT*>(&rect), 2);
    m_left = rect.left;
    m_top = rect.top;
    m_width = rect.right - rect.left;
    m_height = rect.bottom - rect.top;
}

void TWinControl::DestroyHandle() {
    HWND window = m_handle;
    if (!window) return;
    // Stop routing first, take the subclass off while the window is valid, then
    // destroy it: late messages reach no half-destroyed object.
    HandleMap().erase(window);
    if (IsSubclassed()) SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_defWndProc));
    m_handle = nullptr;
    m_defWndProc = nullptr;
    DestroyWindow(window);
}

TWinControl* TWinControl::FindControl(HWND window) {
    auto it = HandleMap().find(window);
    return it == HandleMap().end() ? nullptr : it->second;
}

void TWinControl::InsertControl(TControl* control) {
    m_controls.push_back(control);
    control->m_parent = this;
    if (control->IsWindowed()) {
        auto* window = static_cast<TWinControl*>(control);
        if (m_handle) {
            if (window->m_handle)
                ::SetParent(window->m_handle, m_handle);
            else
                window->HandleNeeded();
        }
    } else {
        control->Invalidate();
    }
}

void TWinControl::RemoveControl(TControl* control) {
    if (gCaptureControl == control) gCaptureControl = nullptr;
    m_controls.erase(std::remove(m_controls.begin(), m_controls.end(), control), m_controls.end());
    control->m_parent = nullptr;
}

TControl* TWinControl::ControlAtPos(POINT point) const {
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it) {
        TControl* control = *it;
        if (control->IsWindowed() || !control->Visible()) continue;
        if (point.x >= control->Left() && point.y >= control->Top() && point.x < control->Left() + control->Width() &&
            point.y < control->Top() + control->Height())
            return control;
    }
    return nullptr;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    if (!m_handle) return TControl::SetBounds(left, top, width, height);
    if (left == m_left && top == m_top && width == m_width && height == m_height) return;
    SetWindowPos(m_handle, nullptr, left, top, std::max(width, 0), std::max(height, 0), SWP_NOZORDER | SWP_NOACTIVATE);
    // WM_WINDOWPOSCHANGED has updated the fields; a window the system refused to
    // size keeps the size it got.
}

int TWinControl::ClientWidth() const {
    if (!m_handle) return m_width;
    RECT rect;
    GetClientRect(m_handle, &rect);
    return rect.right;
}

int TWinControl::ClientHeight() const {
    if (!m_handle) return m_height;
    RECT rect;
    GetClientRect(m_handle, &rect);
    return rect.bottom;
}

void TWinControl::Invalidate() {
    if (m_handle) InvalidateRect(m_handle, nullptr, FALSE);
}

bool TWinControl::Focused() const {
    return m_handle && GetFocus() == m_handle;
}

void TWinControl::SetFocus() {
    TWinControl* top = TopLevel();
    if (top != this && !(top->HandleAllocated() && IsWindowVisible(top->m_handle))) {
        // A form shown later focuses it when it is activated.
        top->ChildFocused(this);
        return;
    }
    ::SetFocus(Handle());
}

bool TWinControl::CanFocus() const {
    for (const TControl* control = this; control; control = control->Parent())
        if (!control->Visible() || !control->Enabled()) return false;
    return true;
}

TWinControl* TWinControl::TopLevel() {
    TWinControl* top = this;
    while (top->Parent()) top = top->Parent();
    return top;
}

bool TWinControl::DialogKey(WORD key, TShiftState shift, TWinControl* focused) {
    // The children see the key in the order they were added; a handler may
    // change the list, so the walk goes over a copy of live controls.
    const std::vector<TControl*> children = m_controls;
    for (TControl* child : children) {
        if (!LiveControls().count(child) || !child->IsWindowed()) continue;
        if (static_cast<TWinControl*>(child)->DialogKey(key, shift, focused)) return true;
    }
    return false;
}

void TWinControl::TextChanged() {
    if (m_handle) SetWindowTextA(m_handle, Caption().c_str());
}

void TWinControl::FontChanged() {
    // Children that follow this control's font take it over.
    for (TControl* child : m_controls)
        if (child->m_parentFont) {
            child->m_font.Assign(m_font);
            child->m_parentFont = true;
        }
    ApplyFont();
}

void TWinControl::ApplyFont() {
    if (m_handle) SendMessageA(m_handle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), TRUE);
}

void TWinControl::VisibleChanged() {
    if (m_handle) ShowWindow(m_handle, Visible() ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::EnabledChanged() {
    if (m_handle) EnableWindow(m_handle, Enabled());
}

//--- The window procedure

LRESULT CALLBACK TWinControl::StdWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    TWinControl* control = FindControl(window);
    if (!control && gCreating) {
        // The first message of the window being made: record the pair.
        control = gCreating;
        gCreating = nullptr;
        control->m_handle = window;
        HandleMap()[window] = control;
    }
    if (!control) return DefWindowProcA(window, msg, wparam, lparam);
    WNDPROC defaultProc = control->m_defWndProc ? control->m_defWndProc : DefWindowProcA;
    if (control->HasState(csDestroying)) return CallWindowProcA(defaultProc, window, msg, wparam, lparam);

    TMessage message{msg, wparam, lparam, 0};
    ++control->m_dispatchDepth;
    try {
        control->WndProc(message);
    } catch (...) {
        // Nothing may unwind through the system's frames: answer the message
        // sensibly, then show the error.
        if (LiveControls().count(control)) message.Result = ResultAfterException(control, window, msg, wparam, lparam);
        HandleCallbackException(control);
    }
    if (!LiveControls().count(control)) return message.Result;  // a handler deleted it
    --control->m_dispatchDepth;
    if (msg == WM_NCDESTROY) {
        HandleMap().erase(window);
        if (control->m_handle == window) {
            control->m_handle = nullptr;
            control->m_defWndProc = nullptr;
        }
    }
    if (control->m_dispatchDepth == 0 && control->m_isFreePending) {
        control->m_isFreePending = false;
        control->FreeDeferred();
    }
    return message.Result;
}

LRESULT TWinControl::ResultAfterException(TWinControl* control, HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_NCCREATE: return FALSE;
        case WM_CREATE: return -1;
        case WM_PAINT:
            // Painting again would fail again: take the window off the paint list.
            ValidateRect(window, nullptr);
            return 0;
        case WM_CLOSE: return 0;
        default: break;
    }
    WNDPROC defaultProc = control->m_defWndProc ? control->m_defWndProc : DefWindowProcA;
    return CallWindowProcA(defaultProc, window, msg, wparam, lparam);
}

void TWinControl::DefaultHandler(TMessage& message) {
    if (!m_handle) {
        message.Result = 0;
        return;
    }
    WNDPROC defaultProc = m_defWndProc ? m_defWndProc : DefWindowProcA;
    message.Result = CallWindowProcA(defaultProc, m_handle, message.Msg, message.WParam, message.LParam);
}

void TWinControl::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_PAINT: return WMPaint(message);
        case WM_PRINTCLIENT: return WMPrintClient(message);
        case WM_ERASEBKGND:
            if (IsSubclassed()) break;
            message.Result = 1;  // the paint buffer covers everything
            return;
        case WM_WINDOWPOSCHANGED: {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(message.LParam);
            if (!(pos->flags & SWP_NOMOVE)) {
                m_left = pos->x;
                m_top = pos->y;
            }
            if (!(pos->flags & SWP_NOSIZE)) {
                m_width = pos->cx;
                m_height = pos->cy;
            }
            break;
        }
        case WM_SHOWWINDOW:
            // Someone else's ShowWindow shows or hides us too.
            if (message.LParam == 0) TControl::m_visible = message.WParam != 0;
            break;
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_COMMAND:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (ReflectToChild(message)) return;
            break;
        case WM_MOUSEMOVE: {
            const POINT point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
            TControl* under = ControlAtPos(point);
            // With the mouse captured the pointer may be outside the window: it
            // is over nothing of this window then.
            const bool isInside = point.x >= 0 && point.y >= 0 && point.x < ClientWidth() && point.y < ClientHeight();
            UpdateMouseControl(under ? under : (isInside ? this : nullptr));
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_handle, 0};
            TrackMouseEvent(&track);
            TControl* target = gCaptureControl && gCaptureControl->m_parent == this ? gCaptureControl : under;
            if (target) return RouteMouse(message, target);
            break;
        }
        case WM_MOUSELEAVE:
            if (gMouseControl == this || (gMouseControl && gMouseControl->m_parent == this))
                UpdateMouseControl(nullptr);
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK: {
            const POINT point{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
            TControl* target =
                gCaptureControl && gCaptureControl->m_parent == this ? gCaptureControl : ControlAtPos(point);
            if (target && target->Enabled()) {
                // The windowless control keeps the mouse until the buttons are up.
                gCaptureControl = target;
                SetCapture(m_handle);
                return RouteMouse(message, target);
            }
            if (!IsSubclassed()) SetCapture(m_handle);
            break;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const bool isLastButton = (message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0;
            if (gCaptureControl && gCaptureControl->m_parent == this) {
                TControl* target = gCaptureControl;
                if (isLastButton) {
                    gCaptureControl = nullptr;
                    if (GetCapture() == m_handle) ReleaseCapture();
                }
                return RouteMouse(message, target);
            }
            if (isLastButton && !IsSubclassed() && GetCapture() == m_handle) ReleaseCapture();
            break;
        }
        case WM_CAPTURECHANGED:
            if (gCaptureControl && gCaptureControl->m_parent == this) gCaptureControl = nullptr;
            break;
        case WM_CHAR:
        case WM_KEYDOWN:
        case WM_KEYUP: {
            WORD key = static_cast<WORD>(message.WParam);
            if (KeyPreviewed(message.Msg, key)) {
                message.Result = 0;
                return;
            }
            if (message.Msg == WM_CHAR) {
                char ch = static_cast<char>(key);
                KeyPress(ch);
                key = static_cast<unsigned char>(ch);
            } else if (message.Msg == WM_KEYDOWN) {
                KeyDown(key, KeyboardShiftState());
            } else {
                KeyUp(key, KeyboardShiftState());
            }
            if (key == 0 || !LiveControls().count(this)) {
                message.Result = 0;
                return;
            }
            message.WParam = key;
            break;
        }
        case WM_SETFOCUS: {
            DefaultHandler(message);
            TWinControl* top = TopLevel();
            if (top != this) top->ChildFocused(this);
            DoEnter();
            return;
        }
        case WM_KILLFOCUS:
            DefaultHandler(message);
            DoExit();
            return;
        case WM_SETCURSOR:
            if (LOWORD(message.LParam) == HTCLIENT && gMouseControl && gMouseControl->Cursor != crDefault &&
                (gMouseControl == this || gMouseControl->m_parent == this)) {
                SetCursor(LoadCursor(nullptr, gMouseControl->Cursor == crHandPoint ? IDC_HAND : IDC_ARROW));
                message.Result = TRUE;
                return;
            }
            break;
        default: break;
    }
    TControl::WndProc(message);
}

void TWinControl::RouteMouse(TMessage& message, TControl* target) {
    const int x = GET_X_LPARAM(message.LParam) - target->Left();
    const int y = GET_Y_LPARAM(message.LParam) - target->Top();
    message.Result =
        target->Perform(message.Msg, message.WParam,
                        MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))));
}

void TWinControl::UpdateMouseControl(TControl* control) {
    if (control == gMouseControl) return;
    TControl* old = gMouseControl;
    gMouseControl = control;
    if (old && LiveControls().count(old)) old->Perform(CM_MOUSELEAVE);
    if (control && gMouseControl == control && LiveControls().count(control)) control->Perform(CM_MOUSEENTER);
}

bool TWinControl::ReflectToChild(TMessage& message) {
    HWND child = nullptr;
    switch (message.Msg) {
        case WM_DRAWITEM:
            if (message.WParam == 0) return false;  // menus
            child = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam)->hwndItem;
            break;
        case WM_MEASUREITEM:
            if (message.WParam == 0) return false;
            child = GetDlgItem(m_handle, static_cast<int>(message.WParam));
            break;
        case WM_COMMAND: child = reinterpret_cast<HWND>(message.LParam); break;
        default: child = reinterpret_cast<HWND>(message.LParam); break;
    }
    TWinControl* control = child ? FindControl(child) : nullptr;
    if (!control || control == this) return false;
    message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
    // A control that gives no brush of its own gets the parent's default colours.
    const bool isColorMessage = message.Msg >= WM_CTLCOLORMSGBOX && message.Msg <= WM_CTLCOLORSTATIC;
    return !(isColorMessage && message.Result == 0);
}

bool TWinControl::KeyPreviewed(UINT msg, WORD& key) {
    // The top-level control sees the keys of its children first when it asks to.
    TWinControl* top = this;
    while (top->Parent()) top = top->Parent();
    if (top == this || !top->WantsKeyPreview()) return false;
    if (msg == WM_CHAR) {
        char ch = static_cast<char>(key);
        top->KeyPress(ch);
        key = static_cast<unsigned char>(ch);
    } else if (msg == WM_KEYDOWN) {
        top->KeyDown(key, KeyboardShiftState());
    } else {
        top->KeyUp(key, KeyboardShiftState());
    }
    return key == 0;
}

void TWinControl::WMPaint(TMessage& message) {
    if (IsSubclassed()) return DefaultHandler(message);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_handle, &paint);
    RECT client;
    GetClientRect(m_handle, &client);
    if (dc && client.right > 0 && client.bottom > 0) {
        // Everything is composed off-screen and reaches the window in one blit.
        ScopedMemoryDC buffer(dc);
        GdiBitmap bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
        {
            ScopedSelect selectBitmap(buffer.Get(), bitmap.Get());
            PaintBackground(buffer.Get(), client);
            PaintWindow(buffer.Get());
            PaintControls(buffer.Get());
            const RECT& r = paint.rcPaint;
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, buffer.Get(), r.left, r.top, SRCCOPY);
        }
    }
    EndPaint(m_handle, &paint);
    message.Result = 0;
}

// Someone wants our picture in their own device context (window captures,
// animations): paint exactly what WM_PAINT would show.
void TWinControl::WMPrintClient(TMessage& message) {
    if (IsSubclassed()) return DefaultHandler(message);
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    RECT client;
    GetClientRect(m_handle, &client);
    if (dc && client.right > 0 && client.bottom > 0) {
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, 0, 0, client.right, client.bottom);
        PaintBackground(dc, client);
        PaintWindow(dc);
        PaintControls(dc);
        RestoreDC(dc, saved);
    }
    message.Result = 0;
}

void TWinControl::PaintBackground(HDC dc, const RECT& rect) {
    GdiBrush brush(CreateSolidBrush(ColorToRGB(Color())));
    ::FillRect(dc, &rect, brush.Get());
}

void TWinControl::PaintWindow(HDC dc) {
    (void)dc;
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
    bool isPainting = first == nullptr;
    for (TControl* control : m_controls) {
        if (!isPainting) {
            isPainting = control == first;
            if (!isPainting) continue;
        }
        if (control->IsWindowed() || !control->Visible()) continue;
        const int saved = SaveDC(dc);
        POINT origin;
        GetViewportOrgEx(dc, &origin);
        SetViewportOrgEx(dc, origin.x + control->Left(), origin.y + control->Top(), nullptr);
        IntersectClipRect(dc, 0, 0, control->Width(), control->Height());
        TCanvas canvas;
        canvas.SetHandle(dc);
        canvas.Font()->Assign(*control->Font());
        control->PaintControl(canvas);
        canvas.SetHandle(nullptr);
        RestoreDC(dc, saved);
    }
}

void TWinControl::KeyPress(char& key) {
    if (OnKeyPress && CanFireEvents()) OnKeyPress(this, key);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    if (OnKeyDown && CanFireEvents()) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
    if (OnKeyUp && CanFireEvents()) OnKeyUp(this, key, shift);
}

void TWinControl::DoEnter() {
    if (OnEnter && CanFireEvents()) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit && CanFireEvents()) OnExit(this);
}

//--- TCustomControl

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), m_canvas(this) {}

void TCustomControl::PaintWindow(HDC dc) {
    m_canvas.UsePaintDC(dc);
    m_canvas.Font()->Assign(*Font());
    m_canvas.Brush()->SetColor(Color());
    Paint();
    m_canvas.FreeDeviceContext();
}

//--- Mouse

namespace {
TMouse gMouse;
}
TMouse* Mouse = &gMouse;

namespace {
CursorPosFunction& CursorPosReader() {
    static auto* function = new CursorPosFunction;
    return *function;
}
}  // namespace

void SetCursorPosFunction(CursorPosFunction function) {
    CursorPosReader() = std::move(function);
}

POINT TMouse::CursorPos() const {
    if (CursorPosReader()) return CursorPosReader()();
    POINT point{0, 0};
    GetCursorPos(&point);
    return point;
}

void TMouse::SetCursorPos(POINT point) const {
    ::SetCursorPos(point.x, point.y);
}

TControl* TMouse::Control() const {
    return gMouseControl;
}

TControl* GetCaptureControl() {
    return gCaptureControl;
}
