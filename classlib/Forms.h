// Forms and the application object: top-level windows with their creation and
// destruction stages, modal loops and deferred release; the hidden application
// window that carries the taskbar button, and the message loop.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Controls.h"
#include "classlib/SysUtils.h"

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderIcons = uint8_t;
enum : uint8_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum TPosition { poDesigned, poDefault, poScreenCenter, poDesktopCenter, poMainFormCenter };
enum THelpType { htKeyword, htContext };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

// A help request: the WinHelp command and its data (a context number, the
// address of a keyword). A handler that serves the request itself clears
// callHelp; its result tells whether help was shown.
using THelpEvent = std::function<bool(uint16_t command, intptr_t data, bool& callHelp)>;

using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;
using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;

// Minimum and maximum outer size of a form; 0 means no limit.
struct TSizeConstraints {
    int MinWidth = 0;
    int MinHeight = 0;
    int MaxWidth = 0;
    int MaxHeight = 0;
};

// Raised for an operation the object's state does not allow.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

//--- TCustomForm

// A top-level window owned by the application window. Stages: the derived
// constructor creates the components (the form's resource function) and runs
// its body; AfterConstruction then fires OnCreate. No OnResize and no OnPaint
// run before OnCreate has finished. Before deletion, Destroying fires OnDestroy
// (only for a form whose OnCreate ran); owners and Release call it.
class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;
    const char* ClassName() const override { return "TCustomForm"; }

    // The last creation stage: makes the window and fires OnCreate.
    void AfterConstruction();
    // Fires OnDestroy once (and first that of every form this form owns).
    void Destroying();
    bool IsCreated() const { return m_isCreated; }

    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle style);
    TBorderIcons BorderIcons = biSystemMenu | biMinimize | biMaximize;
    TPosition Position = poDesigned;
    TSizeConstraints Constraints;
    bool KeyPreview = false;
    bool DoubleBuffered = false;
    // Help for the form (F1, the caption's help button): a keyword or a topic
    // number, as HelpType says, from the form's own help file or else the
    // application's.
    THelpType HelpType = htContext;
    std::string HelpKeyword;
    int HelpContext = 0;
    std::string HelpFile;

    void SetBounds(int left, int top, int width, int height) override;
    void SetClientSize(int width, int height);
    void SetClientWidth(int width) { SetClientSize(width, ClientHeight()); }
    void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }

    // The form's canvas: the paint buffer during OnPaint, the window's DC otherwise.
    TCanvas* Canvas() { return &m_canvas; }

    void SetVisible(bool visible) override;
    // Visible, and in front of the other windows.
    void Show();
    // Not visible; the window is hidden even when the form thinks it is already.
    void Hide();
    void BringToFront();
    // Shows the form and runs a message loop until ModalResult is set or the
    // application terminates; the other windows of the thread are disabled
    // meanwhile. Timers keep ticking. Returns the modal result.
    TModalResult ShowModal();
    bool IsModal() const { return m_isModal; }
    TModalResult ModalResult() const { return m_modalResult; }
    void SetModalResult(TModalResult result) { m_modalResult = result; }
    // Asks OnCloseQuery and OnClose and then hides, frees or ends the application.
    // A close request of the system (WM_CLOSE) clicks the form's Cancel button
    // instead, where it has a visible, enabled one.
    void Close();
    // Deletes the form once every message on its stack has been handled. A second
    // call, or one after the form is gone, does nothing.
    void Release();

    //--- Focus and dialog keys

    // The control inside the form that has the focus, or gets it when the form
    // is next activated; null when none was focused yet (the form itself then
    // takes the focus when it is activated).
    TWinControl* ActiveControl() const;
    // Makes a control of the form the active one; it gets the focus at once
    // while the form is the active window.
    void SetActiveControl(TWinControl* control);
    // Moves the focus to the next (or previous) control of the tab order after
    // `current`, wrapping around; the first (or last) one without `current`.
    void SelectNext(TWinControl* current, bool forward);
    // The form's tab stops in tab order: visible, enabled controls with a window
    // and TabStop set, each container's children in the container's place.
    std::vector<TWinControl*> TabStops();
    // Tab and Shift+Tab move along the tab order; Enter and Esc go to the
    // controls (a focused button, the Default button, the Cancel button).
    bool DialogKey(WORD key, TShiftState shift, TWinControl* focused) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnPaint;
    TNotifyEvent OnResize;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(HDC dc) override;
    void FreeDeferred() override;
    bool WantsKeyPreview() const override { return KeyPreview; }
    void ChildFocused(TWinControl* control) override;
    void FontChanged() override;
    void TextChanged() override;
    virtual void DoShow();
    virtual void DoHide();
    virtual void Resize();
    bool CloseQuery();

private:
    void PlaceOnScreen();
    bool CanRunEvents() const { return m_isCreated && !m_isDestroyed && CanFireEvents(); }

    // Gives the focus back to the active control.
    void FocusActiveControl();

    TBorderStyle m_borderStyle = bsSizeable;
    HWND m_activeWindow = nullptr;  // the active control's window (it may go before the form)
    TControlCanvas m_canvas;
    TModalResult m_modalResult = mrNone;
    bool m_isCreated = false;
    bool m_isDestroyed = false;
    bool m_isModal = false;
    // The client size of the last WM_SIZE: OnResize runs only when it changes.
    LPARAM m_clientSize = -1;
};

// A form of the program.
class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
    const char* ClassName() const override { return "TForm"; }
};

// Creates a form outside the application's CreateForm: constructor, then
// AfterConstruction. A failure deletes the form without firing OnDestroy.
template <class T, class... Args>
T* NewForm(Args&&... args) {
    std::unique_ptr<T> form(new T(std::forward<Args>(args)...));
    form->AfterConstruction();
    return form.release();
}

// Fires OnDestroy and deletes the form.
void FreeForm(TCustomForm* form);

//--- THintWindow

// The window a hint shows in: a popup above every other window that never takes
// the focus, sized to its text. Its caption is the hint text; Paint draws the
// text on the client area (filled with Color first) and NCPaint the one-pixel
// edge. The application makes its hint window from the hint-window class, which
// a program may replace with a class of its own.
class THintWindow : public TCustomControl {
public:
    // The hide timer's identifier on the hint window (WM_TIMER's WPARAM).
    static constexpr UINT_PTR kHideTimerId = 1;

    explicit THintWindow(TComponent* owner);
    ~THintWindow() override;
    const char* ClassName() const override { return "THintWindow"; }

    // The size the hint text needs, no wider than maxWidth, as a rectangle at (0, 0).
    virtual RECT CalcHintRect(int maxWidth, const std::string& hint);
    // Shows the text in the rectangle (screen coordinates) in front of every window.
    virtual void ActivateHint(const RECT& rect, const std::string& hint);
    // Hides the window once `pause` milliseconds have passed.
    void HideAfter(unsigned pause);
    // The pause the showing hint hides after (0 while none is pending).
    unsigned HidePause() const { return m_hidePause; }
    // Hides the window at once.
    void HideHint();
    bool IsShowing();

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    // The canvas keeps its own font between paintings (the hint font), unlike
    // other custom controls, whose canvas takes the control's font each time.
    void PaintWindow(HDC dc) override;
    void Paint() override;
    // Draws the edge into the window's DC (origin at the window's corner).
    virtual void NCPaint(HDC dc);

private:
    unsigned m_hidePause = 0;
};

//--- TApplication

// The application: a hidden top-level window whose text is the title and which
// carries the taskbar button and owns every form's window, the forms made by
// CreateForm (the first is the main form), and the one message loop.
class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;
    const char* ClassName() const override { return "TApplication"; }

    void Initialize();
    // The application window, made when first needed.
    HWND Handle();
    bool HandleAllocated() const { return m_handle != nullptr; }

    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& title);

    //--- Help

    std::string HelpFile;
    // Asked first with every help request.
    THelpEvent OnHelp;
    // Hands a help request to OnHelp; when no handler served it (callHelp still
    // set) and there is a help file, WinHelp shows it. True when help was shown.
    bool HelpCommand(uint16_t command, intptr_t data);
    // HELP_CONTEXT with the topic number; HELP_KEY with the keyword.
    bool HelpContext(int context);
    bool HelpKeyword(const std::string& keyword);
    // The active form's own help file, or else HelpFile.
    std::string CurrentHelpFile() const;
    // The application icon (window and taskbar); changing it updates the window.
    TIcon* Icon() { return &m_icon; }

    // Whether Run shows the main form.
    bool ShowMainForm = true;
    //--- Hints

    // Whether hints show at all. Switching them off hides a showing hint and
    // lets the hint window go; the next hint makes a new one from the class.
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool show);
    // The background of the next hint shown.
    TColor HintColor = clInfoBk;
    // How long a hint stays, in milliseconds.
    int HintHidePause = 2500;
    using THintWindowClass = std::function<THintWindow*(TComponent* owner)>;
    // The class hint windows are made from (THintWindow when empty); a hint
    // window of the old class goes.
    void SetHintWindowClass(THintWindowClass hintClass);
    template <class T>
    void SetHintWindowClass() {
        SetHintWindowClass([](TComponent* owner) -> THintWindow* { return new T(owner); });
    }
    // Shows the hint of the control under a screen point (its Hint, when it and
    // the application show hints) below that point; it hides after
    // HintHidePause, when the pointer leaves the control, or at a mouse button
    // or key pressed. Nothing shows where no such hint is.
    void ActivateHint(POINT point);
    // Hides a showing hint.
    void CancelHint();
    // The hint window, or null while none was needed since hints were switched on.
    THintWindow* HintWindow() const { return m_hintWindow; }
    // The control whose hint shows, or null.
    TControl* HintControl() const { return m_hintControl; }
    TCustomForm* MainForm() const { return m_mainForm; }

    // Creates a form owned by the application; the reference is set before
    // OnCreate runs. The first form created becomes the main form.
    template <class T>
    void CreateForm(T*& reference) {
        std::unique_ptr<T> form(new T(this));
        reference = form.get();
        try {
            form->AfterConstruction();
        } catch (...) {
            reference = nullptr;
            throw;
        }
        if (!m_mainForm) m_mainForm = form.get();
        form.release();
    }

    // Runs the message loop until Terminate.
    void Run();
    // Ends the message loop and every modal loop running in it: Terminated is
    // true from here on, and the loops end once the message being handled is done.
    void Terminate();
    bool Terminated() const { return m_isTerminated; }
    // Handles every message waiting, then returns.
    void ProcessMessages();
    // Handles one message, or waits for one when the queue is empty.
    void HandleMessage();

    // The program file's full path.
    std::string ExeName() const;
    // Tests run a program folder elsewhere: the name every path is built from.
    void SetExeName(const std::string& name) { m_exeName = name; }

    int MessageBox(const std::string& text, const std::string& caption, UINT flags);
    // The library's error box: the message, the title as caption, a stop icon.
    void ShowException(const Exception& error);
    // Shows the exception being handled (or hands it to OnException).
    void HandleException(TObject* sender) noexcept;
    std::function<void(TObject* sender, const std::string& message)> OnException;

    // Minimising goes through the application window (WM_SIZE, SIZE_MINIMIZED).
    void Minimize();
    void Restore();
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TNotifyEvent OnIdle;

    // The keyboard of every form. Before a key-down is translated, Tab, Enter
    // and Esc typed into a control that does not ask for them (WM_GETDLGCODE,
    // WantsSpecialKey) are dialog keys: the control's form moves the focus
    // along the tab order (Tab, Shift+Tab), clicks the focused button or else
    // the Default button (Enter), or clicks the Cancel button (Esc). A dialog
    // key so used ends there: no OnKeyDown, no character, no OnKeyPress. Every
    // other key is dispatched: OnKeyDown of the form (KeyPreview), then of the
    // control; its character then goes to OnKeyPress of the form (KeyPreview),
    // then of the control, then to the control's own handling; a handler that
    // sets the character to 0 ends it there. Returns true for a key it used.
    bool IsDialogKey(const MSG& msg);

    // A filter sees each message before it is dispatched; true means handled.
    using MessageFilter = std::function<bool(MSG& msg)>;
    void AddMessageFilter(MessageFilter filter) { m_filters.push_back(std::move(filter)); }

    // Fires OnDestroy of every form and deletes them, latest first. The exit
    // processing of the program runs it; deleting the application does too.
    void DestroyForms();
    // Keeps the application window's taskbar button with the main form.
    void MainFormVisibilityChanged(bool visible);

private:
    static LRESULT CALLBACK AppWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT WndProc(UINT msg, WPARAM wparam, LPARAM lparam);
    bool ProcessMessage(MSG& msg);
    void Idle();
    // The control whose hint shows; the application is told when it goes.
    void SetHintControl(TControl* control);
    // A mouse button or key pressed hides the hint.
    void CheckHint(const MSG& msg);
    // The pointer no longer over the hint's control hides the hint.
    void IdleHint();
    void Notification(TComponent* component, TOperation operation) override;

    HWND m_handle = nullptr;
    std::string m_title;
    std::string m_exeName;
    TIcon m_icon;
    TCustomForm* m_mainForm = nullptr;
    bool m_showHint = true;
    THintWindowClass m_hintWindowClass;
    THintWindow* m_hintWindow = nullptr;
    TControl* m_hintControl = nullptr;
    bool m_isTerminated = false;
    bool m_isHandlingException = false;
    std::vector<MessageFilter> m_filters;
};

extern TApplication* Application;

// The system's WinHelp as the application's help calls it. Tests install a
// recorder, since WinHelp starts a viewer; an empty function restores the system's.
using TWinHelpFunction = std::function<BOOL(HWND window, const char* helpFile, UINT command, ULONG_PTR data)>;
void SetWinHelpFunction(TWinHelpFunction function);

//--- TScreen

// What the program's forms share on the screen: which of them was activated last.
class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* owner) : TComponent(owner) {}
    ~TScreen() override;
    const char* ClassName() const override { return "TScreen"; }

    // The program's form (a TForm) activated last, or null; it stays while the
    // program is in the background, and goes with the form.
    TForm* ActiveForm() const { return m_activeForm; }
    // The form of any kind activated last, or null.
    TCustomForm* ActiveCustomForm() const { return m_activeCustomForm; }

    // Forms report their activation and their end here.
    void FormActivated(TCustomForm* form);
    void FormGone(TCustomForm* form);

    // The face names of the screen's fonts, sorted without regard to case and
    // each name once; read from the system when first asked for.
    const std::vector<std::string>& Fonts();
    // The cursor of a cursor id: a registered one first, else the system cursor of
    // a shared id; crNone has none (null), and an id the list does not know gives
    // the arrow.
    HCURSOR Cursors(TCursor id) const;
    // Registers a cursor under an id (the program's own ids are positive). The
    // screen owns the cursor from then on and destroys it when the id is given
    // another one or the screen goes; null takes the id back.
    void SetCursors(TCursor id, HCURSOR cursor);

private:
    std::vector<std::string> m_fonts;
    std::map<TCursor, HCURSOR> m_cursors;
    TForm* m_activeForm = nullptr;
    TCustomForm* m_activeCustomForm = nullptr;
};

extern TScreen* Screen;

// Handles every message waiting for this thread (tests drive windows with it).
void PumpUntilIdle();
