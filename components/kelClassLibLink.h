// The class library's control types that the component library names in its
// interfaces (shift state, mouse buttons, mouse events). They are declared here
// exactly as the class library's controls declare them, for as long as the
// library is built without them; once the controls are part of the class library,
// this header includes theirs instead.
#pragma once

#include <cstdint>
#include <functional>

#include "classlib/Classes.h"

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

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

#include <windows.h>

// The application object's services the library uses: its window (the taskbar
// button), its main form, its message pump and its error display. They reach the
// class library's application object through this table, which the program's
// start-up fills; while a member is empty, the library acts as if there were no
// application window, no main form, and nothing to show.
struct TkelApplicationLink {
    std::function<HWND()> Handle;
    std::function<bool()> HasMainForm;
    std::function<void(bool visible)> SetMainFormVisible;
    std::function<void(bool show)> SetShowMainForm;  // whether the message loop shows the main form
    std::function<void()> ProcessMessages;
    // Shows the exception being handled (called inside a catch block), sender first.
    std::function<void(TObject* sender)> HandleException;
    // The window of a component that is a windowed control, or null.
    std::function<HWND(TComponent* component)> WindowOf;
    std::function<bool(TComponent* component)> IsControlVisible;
    std::function<void(TComponent* component, bool visible)> SetControlVisible;
};

TkelApplicationLink& kelApplicationLink();

HWND kelAppHandle();
bool kelAppHasMainForm();
void kelAppSetMainFormVisible(bool visible);
void kelAppSetShowMainForm(bool show);
void kelAppProcessMessages();
void kelAppHandleException(TObject* sender) noexcept;
HWND kelWindowOf(TComponent* component);
bool kelIsControlVisible(TComponent* component);
void kelSetControlVisible(TComponent* component, bool visible);
