// Controls of the class library: the control base with its message table,
// windowless (graphic) controls painted and fed with mouse messages by their
// parent, windowed controls over one window procedure, and custom-painted
// windowed controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Graphics.h"
#include "classlib/Messages.h"

enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TShiftState = uint32_t;
enum : uint32_t {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};

// A cursor of the screen's cursor list (TScreen::Cursors): 0 and below are the
// system's own shapes.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;

class TWinControl;

// Hands the exception being handled to the application object, or drops it while
// there is none. Every callback that Windows calls ends its catch blocks here
// (Forms.cpp holds it).
void HandleCallbackException(TObject* sender) noexcept;

// The shift state of a mouse message's WPARAM, with the Alt key read separately.
TShiftState MouseShiftState(WPARAM wparam);
// The shift state of the keyboard now.
TShiftState KeyboardShiftState();

//--- TControl

// A visible element with bounds inside its parent, a font, a colour, a hint,
// mouse events and a message table (WndProc). Windowless controls get their
// messages from their parent through Perform.
class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;
    const char* ClassName() const override { return "TControl"; }

    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetLeft(int left) { SetBounds(left, m_top, m_width, m_height); }
    void SetTop(int top) { SetBounds(m_left, top, m_width, m_height); }
    void SetWidth(int width) { SetBounds(m_left, m_top, width, m_height); }
    void SetHeight(int height) { SetBounds(m_left, m_top, m_width, height); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return RECT{m_left, m_top, m_left + m_width, m_top + m_height}; }
    virtual int ClientWidth() const { return m_width; }
    virtual int ClientHeight() const { return m_height; }
    RECT ClientRect() const { return RECT{0, 0, ClientWidth(), ClientHeight()}; }

    TWinControl* Parent() const { return m_parent; }
    virtual void SetParent(TWinControl* parent);

    bool Visible() const { return m_visible; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled);

    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& caption);
    TFont* Font() { return &m_font; }
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool parentFont);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);

    std::string Hint;
    bool ShowHint = false;
    TCursor Cursor = crDefault;

    // Marks the control's area for painting.
    virtual void Invalidate();
    // Paints what is marked now.
    void Update();
    // Marks and paints at once.
    void Repaint();
    void Refresh() { Repaint(); }

    // Runs a message through the control's message table and returns its result.
    LRESULT Perform(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
    // The control's message table: one case per message, the rest to DefaultHandler.
    virtual void WndProc(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

    POINT ClientToScreen(POINT point) const;
    POINT ScreenToClient(POINT point) const;
    // The reading-order flags DrawText needs for the control's text: none, the
    // program reads from left to right.
    UINT DrawTextBiDiModeFlagsReadingOnly() const { return 0; }
    // Whether the control has a window of its own (windowless ones are painted by their parent).
    virtual bool IsWindowed() const { return false; }

    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

    // Paints a windowless control on its parent's canvas (origin at the control).
    virtual void PaintControl(TCanvas& canvas) { (void)canvas; }

protected:
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void Click();
    virtual void DblClick();
    virtual void TextChanged() {}
    virtual void FontChanged() {}
    virtual void ColorChanged() { Invalidate(); }
    virtual void VisibleChanged();
    virtual void EnabledChanged() { Invalidate(); }
    // Whether events may run: not while the object is being torn down.
    bool CanFireEvents() const { return !HasState(csDestroying); }

    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;

private:
    friend class TWinControl;
    void HandleMouseMessage(TMessage& message);

    TWinControl* m_parent = nullptr;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_parentFont = true;
    bool m_isLeftDown = false;
    std::string m_caption;
    TFont m_font;
    TColor m_color = clBtnFace;
};

//--- TControlCanvas

// A canvas on a control, usable outside painting: it gets the window's DC when
// first asked for (a windowless control's is its parent's, moved and clipped to
// the control) and gives it back when the application goes idle. While the
// control paints, the canvas draws into the paint buffer instead.
class TControlCanvas final : public TCanvas {
public:
    explicit TControlCanvas(TControl* control) : m_control(control) {}
    ~TControlCanvas() override { FreeDeviceContext(); }
    // Draws into the given DC (the paint buffer) until FreeDeviceContext.
    void UsePaintDC(HDC dc);
    void FreeDeviceContext();
    // Gives back every DC that control canvases hold.
    static void FreeDeviceContexts();

protected:
    void CreateHandle() override;

private:
    TControl* m_control;
    HWND m_window = nullptr;  // the window whose DC was taken
    HDC m_windowDC = nullptr;
};

//--- TGraphicControl

// A windowless control: painted by its parent after the parent's own painting,
// and reached by the mouse messages its parent routes to it.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    const char* ClassName() const override { return "TGraphicControl"; }
    // The canvas the control paints on (the parent's surface at the control).
    TCanvas* Canvas() { return &m_canvas; }
    void PaintControl(TCanvas& canvas) override;

protected:
    // Draws the control on Canvas().
    virtual void Paint() {}

private:
    TControlCanvas m_canvas;
};

//--- TWinControl

struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    UINT_PTR Id = 0;
    // The class registered for the control (its ClassName by default).
    std::string WinClassName;
    UINT WindowClassStyle = CS_DBLCLKS;
    // A standard window class to subclass ("LISTBOX"), or empty for our own class.
    std::string SubclassOf;
};

// A control with its own window. Every window of the program goes through one
// window procedure that finds the object in a handle map (filled from a creation
// slot by the window's first message), runs its message table and catches every
// exception there. The window is made when first needed.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    const char* ClassName() const override { return "TWinControl"; }

    HWND Handle();
    bool HandleAllocated() const { return m_handle != nullptr; }
    void HandleNeeded() { Handle(); }
    bool IsWindowed() const override { return true; }

    int ControlCount() const { return static_cast<int>(m_controls.size()); }
    TControl* Controls(int index) const { return m_controls.at(static_cast<size_t>(index)); }
    // The topmost visible windowless child at a client point, or null.
    TControl* ControlAtPos(POINT point) const;

    void SetBounds(int left, int top, int width, int height) override;
    int ClientWidth() const override;
    int ClientHeight() const override;
    void Invalidate() override;

    bool Focused() const;
    // Gives the control the keyboard focus. While its form is not visible the
    // form keeps it as the control to focus when it is activated.
    virtual void SetFocus();
    // Whether the control and every parent are visible and enabled.
    bool CanFocus() const;
    // The place in the parent's tab order: controls with a number come first,
    // lowest first, then those without one (-1) in the order they were added.
    int TabOrder = -1;
    bool TabStop = false;

    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // The object of a window of ours, or null.
    static TWinControl* FindControl(HWND window);
    // The top-level control this one sits in (itself when it has no parent).
    TWinControl* TopLevel();
    // Destroys the window (not the object); it is made again when needed.
    void DestroyHandle();

    void WndProc(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

    // Paints the windowless children onto a canvas of this control's client area.
    void PaintControls(HDC dc, TControl* first = nullptr);

    //--- Dialog keys (the application's loop routes Tab, Enter and Esc here)

    // A dialog key the focused control did not take, offered to this control
    // and its children in turn; true when one of them used it. `focused` is
    // the control the key was typed into.
    virtual bool DialogKey(WORD key, TShiftState shift, TWinControl* focused);
    // Whether the control takes Tab, Enter or Esc itself although its window
    // does not ask for them (an open drop-down list takes Enter and Esc).
    virtual bool WantsSpecialKey(WORD key) {
        (void)key;
        return false;
    }
    // Fills a rectangle of the client area with what lies behind children
    // (transparent children ask their parent for it).
    virtual void PaintBackground(HDC dc, const RECT& rect);

protected:
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    // Runs once the window exists and its children have windows (fonts, items).
    virtual void CreateWindowHandle() {}
    // Paints the client area into the paint buffer (own window classes only).
    virtual void PaintWindow(HDC dc);
    virtual void KeyPress(char& key);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void DoEnter();
    virtual void DoExit();
    // A top-level control that sees its children's keys first (a form's KeyPreview).
    virtual bool WantsKeyPreview() const { return false; }
    // Told by a control inside this top-level control that it got the focus.
    virtual void ChildFocused(TWinControl* control) { (void)control; }
    // Runs the object's deferred deletion (a form's Release).
    virtual void FreeDeferred() { delete this; }
    // Asks for deletion after every message of this window on the stack returned.
    void ScheduleFree() { m_isFreePending = true; }
    void TextChanged() override;
    void FontChanged() override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    bool IsSubclassed() const { return m_defWndProc != nullptr && m_defWndProc != DefWindowProcA; }

private:
    friend class TControl;
    static LRESULT CALLBACK StdWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
    static LRESULT ResultAfterException(TWinControl* control, HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void WMPaint(TMessage& message);
    void WMPrintClient(TMessage& message);
    void RouteMouse(TMessage& message, TControl* target);
    bool ReflectToChild(TMessage& message);
    void UpdateMouseControl(TControl* control);
    void ApplyFont();
    bool KeyPreviewed(UINT msg, WORD& key);

    HWND m_handle = nullptr;
    WNDPROC m_defWndProc = nullptr;
    int m_dispatchDepth = 0;
    bool m_isFreePending = false;
    std::vector<TControl*> m_controls;
};

//--- TCustomControl

// A windowed control that paints itself on its own canvas.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    const char* ClassName() const override { return "TCustomControl"; }
    // The control's canvas: the paint buffer while painting, the window's DC otherwise.
    TCanvas* Canvas() { return &m_canvas; }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    TControlCanvas m_canvas;
};

//--- Mouse

// The mouse pointer of the screen.
class TMouse {
public:
    POINT CursorPos() const;
    void SetCursorPos(POINT point) const;
    // The windowless or windowed control the pointer was last seen over.
    TControl* Control() const;
};
extern TMouse* Mouse;

// The windowless control holding the mouse while a button is down, or null. It
// is still set when its window learns that it lost the capture before the
// buttons came up, and already cleared when the last button's release gives
// the capture back.
TControl* GetCaptureControl();

// Where the pointer is, in screen coordinates (TMouse::CursorPos). Tests replace
// it to point at chosen places without moving the real pointer; an empty
// function restores the system's pointer position.
using CursorPosFunction = std::function<POINT()>;
void SetCursorPosFunction(CursorPosFunction function);
