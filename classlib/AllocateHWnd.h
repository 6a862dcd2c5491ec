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
