// Forms, the application object and the message loop.
#include "classlib/Forms.h"

#include <algorithm>
#include <climits>

#include "classlib/Threads.h"

namespace {

constexpr char kApplicationClass[] = "TApplication";

// The application object lives for the whole process and is never deleted: the
// program entry destroys its forms at the end, while every window still works.
TApplication* CreateApplication() {
    return new TApplication(nullptr);
}

struct DisabledWindows {
    HWND except;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableWindow(HWND window, LPARAM data) {
    auto* state = reinterpret_cast<DisabledWindows*>(data);
    if (window != state->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
        state->windows.push_back(window);
        EnableWindow(window, FALSE);
    }
    return TRUE;
}

}  // namespace

TApplication* Application = CreateApplication();
// Like the application object, it lives for the whole process.
TScreen* Screen = new TScreen(nullptr);

namespace {

TWinHelpFunction& WinHelpFunction() {
    static TWinHelpFunction function;
    return function;
}

}  // namespace

void SetWinHelpFunction(TWinHelpFunction function) {
    WinHelpFunction() = std::move(function);
}

void HandleCallbackException(TObject* sender) noexcept {
    // Before the application object exists or after it has gone (a callback late
    // in the shutdown) there is nobody to show the error to: it is dropped.
    if (Application) Application->HandleException(sender);
}

void PumpUntilIdle() {
    Application->ProcessMessages();
}

void FreeForm(TCustomForm* form) {
    if (!form) return;
    form->Destroying();
    delete form;
}

//--- TCustomForm

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner), m_canvas(this) {
    SetVisible(false);
    SetColor(clBtnFace);
    m_canvas.Font()->Assign(*Font());
}

TCustomForm::~TCustomForm() {
    SetState(csDestroying, true);
    if (Screen) Screen->FormGone(this);
    if (Application && Application->MainForm() == this) Application->MainFormVisibilityChanged(false);
    m_canvas.FreeDeviceContext();
    // No component outlives the window it draws on.
    DestroyComponents();
}

void TCustomForm::AfterConstruction() {
    HandleNeeded();
    if (OnCreate) OnCreate(this);
    m_isCreated = true;
    // Style changes made while creating take effect in the frame now.
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::Destroying() {
    if (m_isDestroyed) return;
    m_isDestroyed = true;
    // Owned forms first: their handlers may still use this form's members.
    for (int i = ComponentCount() - 1; i >= 0; --i)
        if (auto* form = dynamic_cast<TCustomForm*>(Components(i))) form->Destroying();
    if (m_isCreated && OnDestroy) OnDestroy(this);
}

void TCustomForm::SetBorderStyle(TBorderStyle style) {
    if (style == m_borderStyle) return;
    m_borderStyle = style;
    if (!HandleAllocated()) return;
    // The window keeps its handle; its frame changes in place.
    TCreateParams params;
    CreateParams(params);
    HWND window = Handle();
    const LONG visible = GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE;
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(params.Style) | visible);
    SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(params.ExStyle));
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.Style &= ~(WS_CHILD | WS_VISIBLE);
    switch (m_borderStyle) {
        case bsNone: params.Style |= WS_POPUP; break;
        case bsSingle:
        case bsToolWindow: params.Style |= WS_CAPTION | WS_BORDER; break;
        case bsSizeable:
        case bsSizeToolWin: params.Style |= WS_CAPTION | WS_THICKFRAME; break;
        case bsDialog: params.Style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME; break;
    }
    if (m_borderStyle != bsNone) {
        if (BorderIcons & biSystemMenu) params.Style |= WS_SYSMENU;
        if (m_borderStyle != bsDialog && (BorderIcons & biMinimize)) params.Style |= WS_MINIMIZEBOX;
        if (m_borderStyle != bsDialog && (BorderIcons & biMaximize)) params.Style |= WS_MAXIMIZEBOX;
        if ((BorderIcons & biHelp) && !(BorderIcons & (biMinimize | biMaximize))) params.ExStyle |= WS_EX_CONTEXTHELP;
    }
    if (m_borderStyle == bsToolWindow || m_borderStyle == bsSizeToolWin) params.ExStyle |= WS_EX_TOOLWINDOW;
    // Owned by the application window: no taskbar button of its own.
    params.WndParent = Application->Handle();
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
    if (Constraints.MinWidth > 0) width = std::max(width, Constraints.MinWidth);
    if (Constraints.MinHeight > 0) height = std::max(height, Constraints.MinHeight);
    if (Constraints.MaxWidth > 0) width = std::min(width, Constraints.MaxWidth);
    if (Constraints.MaxHeight > 0) height = std::min(height, Constraints.MaxHeight);
    TWinControl::SetBounds(left, top, width, height);
}

void TCustomForm::SetClientSize(int width, int height) {
    const int frameWidth = Width() - ClientWidth();
    const int frameHeight = Height() - ClientHeight();
    SetBounds(Left(), Top(), width + frameWidth, height + frameHeight);
}

void TCustomForm::FontChanged() {
    TWinControl::FontChanged();
    m_canvas.Font()->Assign(*Font());
}

void TCustomForm::TextChanged() {
    TWinControl::TextChanged();
}

void TCustomForm::SetVisible(bool visible) {
    if (visible == Visible()) return;
    if (!m_isCreated && visible) HandleNeeded();
    if (visible) {
        HandleNeeded();
        DoShow();
        PlaceOnScreen();
        TControl::SetVisible(true);
        // A form that appears takes the keyboard, as a window shown normally
        // does: a main window brought back from the tray answers Esc at once.
        if (HandleAllocated() && !(GetWindowLongA(Handle(), GWL_STYLE) & WS_CHILD)) SetForegroundWindow(Handle());
    } else {
        DoHide();
        TControl::SetVisible(false);
    }
    if (Application->MainForm() == this) Application->MainFormVisibilityChanged(visible);
}

void TCustomForm::Show() {
    SetVisible(true);
    BringToFront();
}

void TCustomForm::Hide() {
    SetVisible(false);
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
}

void TCustomForm::BringToFront() {
    if (!HandleAllocated()) return;
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(Handle());
}

void TCustomForm::PlaceOnScreen() {
    int left = Left();
    int top = Top();
    switch (Position) {
        case poScreenCenter:
        case poDesktopCenter:
            left = GetSystemMetrics(SM_CXSCREEN) / 2 - Width() / 2;
            top = GetSystemMetrics(SM_CYSCREEN) / 2 - Height() / 2;
            break;
        case poMainFormCenter:
            if (TCustomForm* main = Application->MainForm(); main && main != this) {
                left = main->Left() + (main->Width() - Width()) / 2;
                top = main->Top() + (main->Height() - Height()) / 2;
            }
            break;
        default: return;
    }
    SetBounds(left, top, Width(), Height());
}

void TCustomForm::DoShow() {
    if (OnShow && CanRunEvents()) OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide && CanRunEvents()) OnHide(this);
}

void TCustomForm::Resize() {
    if (OnResize && CanRunEvents()) OnResize(this);
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery && CanRunEvents()) OnCloseQuery(this, canClose);
    return canClose;
}

TModalResult TCustomForm::ShowModal() {
    if (Visible() || !Enabled()) throw EInvalidOperation("Cannot make a visible window modal");
    if (GetCapture()) {
        SendMessageA(GetCapture(), WM_CANCELMODE, 0, 0);
        ReleaseCapture();
    }
    HWND active = GetActiveWindow();
    DisabledWindows disabled{Handle(), {}};
    EnumThreadWindows(GetCurrentThreadId(), &DisableWindow, reinterpret_cast<LPARAM>(&disabled));
    auto enableAgain = [&disabled] {
        for (HWND window : disabled.windows)
            if (IsWindow(window)) EnableWindow(window, TRUE);
    };
    m_isModal = true;
    m_modalResult = mrNone;
    try {
        Show();
        while (true) {
            Application->HandleMessage();
            if (Application->Terminated()) {
                m_modalResult = mrCancel;
                break;
            }
            if (m_modalResult != mrNone) {
                // The form may refuse to close; it stays modal then.
                TCloseAction action = caNone;
                if (CloseQuery()) {
                    action = caHide;
                    if (OnClose && CanRunEvents()) OnClose(this, action);
                }
                if (action == caNone) m_modalResult = mrNone;
                if (action == caFree) Release();
                if (m_modalResult != mrNone) break;
            }
        }
    } catch (...) {
        m_isModal = false;
        enableAgain();
        throw;
    }
    const TModalResult result = m_modalResult;
    enableAgain();
    Hide();
    if (active && IsWindow(active) && active != Handle()) SetActiveWindow(active);
    m_isModal = false;
    return result;
}

void TCustomForm::Close() {
    if (m_isModal) {
        m_modalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    if (OnClose && CanRunEvents()) OnClose(this, action);
    if (action == caNone) return;
    if (Application->MainForm() == this) {
        Application->Terminate();
    } else if (action == caHide) {
        Hide();
    } else if (action == caMinimize) {
        ShowWindow(Handle(), SW_MINIMIZE);
    } else {
        Release();
    }
}

void TCustomForm::Release() {
    PostMessageA(Handle(), CM_RELEASE, 0, 0);
}

//--- Focus and dialog keys

TWinControl* TCustomForm::ActiveControl() const {
    TWinControl* control = m_activeWindow ? FindControl(m_activeWindow) : nullptr;
    // The control must still be ours and inside this form.
    for (const TControl* up = control; up; up = up->Parent())
        if (up == this) return control;
    return nullptr;
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    if (!control) {
        m_activeWindow = nullptr;
        return;
    }
    m_activeWindow = control->Handle();
    if (HandleAllocated() && IsWindowVisible(Handle()) && GetActiveWindow() == Handle() && control->CanFocus())
        ::SetFocus(m_activeWindow);
}

void TCustomForm::ChildFocused(TWinControl* control) {
    m_activeWindow = control->Handle();
}

namespace {

void CollectTabStops(TWinControl* parent, std::vector<TWinControl*>& stops) {
    std::vector<TWinControl*> children;
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (parent->Controls(i)->IsWindowed()) children.push_back(static_cast<TWinControl*>(parent->Controls(i)));
    // Numbered controls first, lowest first; the unnumbered keep the order they were added in.
    std::stable_sort(children.begin(), children.end(), [](const TWinControl* a, const TWinControl* b) {
        const int left = a->TabOrder < 0 ? INT_MAX : a->TabOrder;
        const int right = b->TabOrder < 0 ? INT_MAX : b->TabOrder;
        return left < right;
    });
    for (TWinControl* child : children) {
        if (!child->Visible() || !child->Enabled()) continue;
        if (child->TabStop && child->HandleAllocated()) stops.push_back(child);
        CollectTabStops(child, stops);
    }
}

}  // namespace

std::vector<TWinControl*> TCustomForm::TabStops() {
    std::vector<TWinControl*> stops;
    CollectTabStops(this, stops);
    return stops;
}

void TCustomForm::SelectNext(TWinControl* current, bool forward) {
    const std::vector<TWinControl*> stops = TabStops();
    if (stops.empty()) return;
    const int count = static_cast<int>(stops.size());
    int index = -1;
    for (int i = 0; i < count; ++i)
        if (stops[static_cast<size_t>(i)] == current) index = i;
    int next;
    if (index < 0)
        next = forward ? 0 : count - 1;
    else
        next = (index + (forward ? 1 : count - 1)) % count;
    TWinControl* target = stops[static_cast<size_t>(next)];
    m_activeWindow = target->Handle();
    ::SetFocus(target->Handle());
}

bool TCustomForm::DialogKey(WORD key, TShiftState shift, TWinControl* focused) {
    if (key == VK_TAB) {
        SelectNext(focused, (shift & ssShift) == 0);
        return true;
    }
    return TWinControl::DialogKey(key, shift, focused);
}

void TCustomForm::FocusActiveControl() {
    // A form without an active control keeps the focus itself, so that its
    // own key-press handler sees Enter and Esc until a control is chosen.
    TWinControl* target = ActiveControl();
    if (target && target->CanFocus()) ::SetFocus(target->Handle());
}

void TCustomForm::FreeDeferred() {
    FreeForm(this);
}

void TCustomForm::PaintWindow(HDC dc) {
    m_canvas.UsePaintDC(dc);
    if (OnPaint && CanRunEvents()) OnPaint(this);
    m_canvas.FreeDeviceContext();
}

void TCustomForm::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_CLOSE:
            // Alt+F4, the system menu's Close or the taskbar: as the system's
            // dialogs do, the request is the form's Esc, so a form with a Cancel
            // button undoes and ends what it was doing the way that button does.
            // Close() called by code keeps its own meaning.
            if (!DialogKey(VK_ESCAPE, 0, nullptr)) Close();
            message.Result = 0;
            return;
        case CM_RELEASE:
            ScheduleFree();
            message.Result = 0;
            return;
        case WM_SIZE:
            TWinControl::WndProc(message);
            // Showing, moving or setting the same bounds again also sends WM_SIZE; a
            // form lays itself out anew only for a new size (the calendar's layout
            // rebuilds its month grid).
            if (message.LParam == m_clientSize) return;
            m_clientSize = message.LParam;
            Resize();
            return;
        case WM_ACTIVATE:
            // The system focuses the form itself; its active control takes the focus over.
            TWinControl::WndProc(message);
            if (LOWORD(message.WParam) != WA_INACTIVE) Screen->FormActivated(this);
            if (LOWORD(message.WParam) != WA_INACTIVE && HIWORD(message.WParam) == 0) FocusActiveControl();
            return;
        case WM_HELP:
            // F1 anywhere in the form, or the caption's help button: the form's topic.
            message.Result = TRUE;
            if (HelpType == htKeyword) {
                if (!HelpKeyword.empty()) Application->HelpKeyword(HelpKeyword);
            } else if (HelpContext != 0) {
                Application->HelpContext(HelpContext);
            }
            return;
        case WM_GETMINMAXINFO: {
            TWinControl::WndProc(message);
            auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
            if (Constraints.MinWidth > 0) info->ptMinTrackSize.x = Constraints.MinWidth;
            if (Constraints.MinHeight > 0) info->ptMinTrackSize.y = Constraints.MinHeight;
            if (Constraints.MaxWidth > 0) info->ptMaxTrackSize.x = Constraints.MaxWidth;
            if (Constraints.MaxHeight > 0) info->ptMaxTrackSize.y = Constraints.MaxHeight;
            return;
        }
        case WM_SYSCOMMAND:
            if ((message.WParam & 0xFFF0) == SC_MINIMIZE && Application->MainForm() == this) {
                Application->Minimize();
                message.Result = 0;
                return;
            }
            break;
        default: break;
    }
    TWinControl::WndProc(message);
}

//--- TApplication

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
    m_icon.OnChange = [this] {
        if (!m_handle) return;
        HICON icon = m_icon.Handle() ? m_icon.Handle() : LoadIcon(nullptr, IDI_APPLICATION);
        SendMessageA(m_handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(m_handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    };
}

TApplication::~TApplication() {
    DestroyForms();
    if (m_handle) {
        DestroyWindow(m_handle);
        m_handle = nullptr;
    }
}

void TApplication::Initialize() {
    Handle();
}

HWND TApplication::Handle() {
    if (!m_handle) {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &TApplication::AppWndProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconA(instance, "MAINICON");
        if (!windowClass.hIcon) windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kApplicationClass;
        RegisterClassA(&windowClass);
        // A zero-sized window at the screen centre: it exists for its taskbar
        // button and as the owner of the forms.
        m_handle = CreateWindowExA(0, kApplicationClass, m_title.c_str(),
                                   WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                                   GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                                   nullptr, instance, nullptr);
        if (!m_handle) throw Exception("Cannot create the application window");
        if (m_icon.Handle() && m_icon.OnChange) m_icon.OnChange();
    }
    return m_handle;
}

void TApplication::SetTitle(const std::string& title) {
    m_title = title;
    if (m_handle) SetWindowTextA(m_handle, title.c_str());
}

LRESULT CALLBACK TApplication::AppWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (Application->m_handle != window) return DefWindowProcA(window, msg, wparam, lparam);
    try {
        return Application->WndProc(msg, wparam, lparam);
    } catch (...) {
        Application->HandleException(Application);
        return msg == WM_CLOSE ? 0 : DefWindowProcA(window, msg, wparam, lparam);
    }
}

LRESULT TApplication::WndProc(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_SYSCOMMAND:
            switch (wparam & 0xFFF0) {
                case SC_MINIMIZE: Minimize(); return 0;
                case SC_RESTORE: Restore(); return 0;
                default: break;
            }
            break;
        case WM_CLOSE:
            if (m_mainForm) m_mainForm->Close();
            return 0;
        default: break;
    }
    return DefWindowProcA(m_handle, msg, wparam, lparam);
}

//--- Help

bool TApplication::HelpCommand(uint16_t command, intptr_t data) {
    bool callHelp = true;
    bool result = false;
    if (OnHelp) result = OnHelp(command, data, callHelp);
    if (!callHelp) return result;
    const std::string file = CurrentHelpFile();
    if (file.empty()) return false;
    HWND window = m_mainForm && m_mainForm->HandleAllocated() ? m_mainForm->Handle() : Handle();
    const ULONG_PTR value = static_cast<ULONG_PTR>(data);
    if (WinHelpFunction()) return WinHelpFunction()(window, file.c_str(), command, value) != FALSE;
    return WinHelpA(window, file.c_str(), command, value) != FALSE;
}

bool TApplication::HelpContext(int context) {
    return HelpCommand(HELP_CONTEXT, context);
}

bool TApplication::HelpKeyword(const std::string& keyword) {
    return HelpCommand(HELP_KEY, reinterpret_cast<intptr_t>(keyword.c_str()));
}

std::string TApplication::CurrentHelpFile() const {
    TCustomForm* form = Screen ? Screen->ActiveCustomForm() : nullptr;
    if (form && !form->HelpFile.empty()) return form->HelpFile;
    return HelpFile;
}

void TApplication::Minimize() {
    if (!m_handle || IsIconic(m_handle)) return;
    // The system hides the owned forms with their owner and sends the
    // application window WM_SIZE with SIZE_MINIMIZED.
    ShowWindow(m_handle, SW_MINIMIZE);
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
    if (!m_handle || !IsIconic(m_handle)) return;
    ShowWindow(m_handle, SW_RESTORE);
    if (m_mainForm && m_mainForm->Visible()) m_mainForm->BringToFront();
    if (OnRestore) OnRestore(this);
}

void TApplication::MainFormVisibilityChanged(bool visible) {
    if (!m_handle) return;
    if (visible) {
        if (!IsWindowVisible(m_handle)) ShowWindow(m_handle, SW_SHOWNOACTIVATE);
    } else {
        ShowWindow(m_handle, SW_HIDE);
    }
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == m_mainForm) m_mainForm = nullptr;
    if (component == m_hintWindow) m_hintWindow = nullptr;
    if (component == m_hintControl) {
        m_hintControl = nullptr;
        if (m_hintWindow) m_hintWindow->HideHint();
    }
}

void TApplication::Run() {
    Handle();
    // Told to end before the loop began (while a start-up box was up): no window flashes.
    if (m_mainForm && ShowMainForm && !m_isTerminated) m_mainForm->Show();
    while (!m_isTerminated) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
    // The quit request may still wait when the loop saw Terminate first: taken
    // here, so that a box shown at the very end (a failed last save) does not
    // close as soon as it opens.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void TApplication::Terminate() {
    // At once, not only when WM_QUIT comes round: a loop that is not ours (a
    // system dialog, a menu) may take that message and not hand it on, and ours
    // must still end.
    m_isTerminated = true;
    PostQuitMessage(0);
}

bool TApplication::ProcessMessage(MSG& msg) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        m_isTerminated = true;
        return true;
    }
    CheckHint(msg);
    if (IsDialogKey(msg)) return true;
    for (const MessageFilter& filter : m_filters)
        if (filter(msg)) return true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

bool TApplication::IsDialogKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    const WORD key = LOWORD(msg.wParam);
    if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE) return false;
    // The control the key was typed into: a window of ours, or the nearest one
    // of ours around a system window (the edit field inside a combo box).
    TWinControl* control = nullptr;
    for (HWND window = msg.hwnd; window && !control;
         window = (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr)
        control = TWinControl::FindControl(window);
    if (!control) return false;
    const TShiftState shift = KeyboardShiftState();
    if (shift & (ssCtrl | ssAlt)) return false;
    // A control that asks for the key gets it. The message itself is not handed
    // to WM_GETDLGCODE: an edit field takes that as being inside a system
    // dialog and answers Esc with WM_CLOSE to its parent.
    const LRESULT code = SendMessageA(msg.hwnd, WM_GETDLGCODE, msg.wParam, 0);
    const LRESULT wanted = (key == VK_TAB ? DLGC_WANTTAB : DLGC_WANTALLKEYS) | DLGC_WANTMESSAGE;
    if (code & wanted) return false;
    if (control->WantsSpecialKey(key)) return false;
    TWinControl* top = control->TopLevel();
    try {
        return top->DialogKey(key, shift, control);
    } catch (...) {
        // A click handler failed: shown like any handler's error; the key is used.
        HandleException(control);
        return true;
    }
}

void TApplication::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) {
        Idle();
        // Methods worker threads queued run before the loop sleeps: a wake-up
        // that a loop of the system took must not leave them waiting.
        CheckSynchronize();
        if (!m_isTerminated) WaitMessage();
    }
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
    CheckSynchronize();
    TControlCanvas::FreeDeviceContexts();
}

void TApplication::Idle() {
    TControlCanvas::FreeDeviceContexts();
    IdleHint();
    if (OnIdle) OnIdle(this);
}

std::string TApplication::ExeName() const {
    if (!m_exeName.empty()) return m_exeName;
    char path[MAX_PATH * 2] = {0};
    GetModuleFileNameA(nullptr, path, sizeof(path) - 1);
    return path;
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
    HWND owner = GetActiveWindow();
    if (!owner) owner = m_handle;
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::ShowException(const Exception& error) {
    std::string message = error.Message();
    if (!message.empty() && message.back() > '.') message += '.';
    MessageBox(message, m_title, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(TObject* sender) noexcept {
    std::string message;
    try {
        throw;
    } catch (const Exception& error) {
        message = error.Message();
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
    }
    // An error while an error box is up is not shown again.
    if (m_isHandlingException) return;
    m_isHandlingException = true;
    try {
        if (OnException)
            OnException(sender, message);
        else
            ShowException(Exception(message));
    } catch (...) {
    }
    m_isHandlingException = false;
}

void TApplication::DestroyForms() {
    for (;;) {
        TCustomForm* last = nullptr;
        for (int i = ComponentCount() - 1; i >= 0 && !last; --i) last = dynamic_cast<TCustomForm*>(Components(i));
        if (!last) break;
        FreeForm(last);
    }
    m_mainForm = nullptr;
}

//--- TScreen

void TScreen::FormActivated(TCustomForm* form) {
    m_activeCustomForm = form;
    if (auto* programForm = dynamic_cast<TForm*>(form)) m_activeForm = programForm;
}

void TScreen::FormGone(TCustomForm* form) {
    if (m_activeCustomForm == form) m_activeCustomForm = nullptr;
    if (m_activeForm == form) m_activeForm = nullptr;
}

namespace {

int CALLBACK AddFontName(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM data) {
    try {
        // Vertical forms of East Asian fonts ("@Name") are no faces of their own.
        if (font->lfFaceName[0] != '@') reinterpret_cast<std::vector<std::string>*>(data)->push_back(font->lfFaceName);
    } catch (...) {
        return 0;  // out of memory: the names found so far
    }
    return 1;
}

}  // namespace

const std::vector<std::string>& TScreen::Fonts() {
    if (!m_fonts.empty()) return m_fonts;
    HDC dc = GetDC(nullptr);
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(dc, &wanted, &AddFontName, reinterpret_cast<LPARAM>(&m_fonts), 0);
    ReleaseDC(nullptr, dc);
    const auto lessNoCase = [](const std::string& a, const std::string& b) {
        return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_LESS_THAN;
    };
    std::stable_sort(m_fonts.begin(), m_fonts.end(), lessNoCase);
    // A face enumerated for each of its character sets is listed once.
    m_fonts.erase(
        std::unique(m_fonts.begin(), m_fonts.end(),
                    [&](const std::string& a, const std::string& b) { return !lessNoCase(a, b) && !lessNoCase(b, a); }),
        m_fonts.end());
    return m_fonts;
}

TScreen::~TScreen() {
    for (const auto& registered : m_cursors) DestroyCursor(registered.second);
}

void TScreen::SetCursors(TCursor id, HCURSOR cursor) {
    const auto found = m_cursors.find(id);
    if (found != m_cursors.end()) {
        if (found->second == cursor) return;
        DestroyCursor(found->second);
        m_cursors.erase(found);
    }
    if (cursor) m_cursors[id] = cursor;
}

HCURSOR TScreen::Cursors(TCursor id) const {
    const auto registered = m_cursors.find(id);
    if (registered != m_cursors.end()) return registered->second;
    LPCTSTR shape = IDC_ARROW;
    switch (id) {
        case crNone: return nullptr;
        case crCross: shape = IDC_CROSS; break;
        case crIBeam: shape = IDC_IBEAM; break;
        case crSizeNESW: shape = IDC_SIZENESW; break;
        case crSizeNS: shape = IDC_SIZENS; break;
        case crSizeNWSE: shape = IDC_SIZENWSE; break;
        case crSizeWE: shape = IDC_SIZEWE; break;
        case crUpArrow: shape = IDC_UPARROW; break;
        case crHourGlass: shape = IDC_WAIT; break;
        case crNo: shape = IDC_NO; break;
        case crAppStart: shape = IDC_APPSTARTING; break;
        case crHelp: shape = IDC_HELP; break;
        case crHandPoint: shape = IDC_HAND; break;
        case crSizeAll: shape = IDC_SIZEALL; break;
        default: break;
    }
    // Shared system cursors: loaded again on every call, never destroyed.
    return LoadCursor(nullptr, shape);
}
