// Hidden utility windows for objects that are not controls but need a window of
// their own: to receive WM_TIMER, the shell's callbacks or broadcast messages.
#pragma once

#include <windows.h>

#include <functional>

#include "classlib/Messages.h"

// Receives every message of a utility window; sets Result.
using TWndMethod = std::function<void(TMessage& message)>;

// Creates a hidden top-level window (top-level, so that broadcasts such as the
// shell's "TaskbarCreated" reach it) whose messages go to method. Raises
// EOutOfResources when the window cannot be made.
HWND AllocateHWnd(TWndMethod method);
// Destroys a window made by AllocateHWnd; the method is not called again.
void DeallocateHWnd(HWND window);

// A window procedure of its own for one object's method, for subclassing a window
// with SetWindowLongPtr(GWLP_WNDPROC). Each call gives a different address, so
// several objects can chain on one window and each can put back exactly what it
// replaced. Raises EOutOfResources when all addresses are in use.
WNDPROC MakeObjectInstance(TWndMethod method);
// Gives the address back. A window still calling it gets the default procedure.
void FreeObjectInstance(WNDPROC instance);
