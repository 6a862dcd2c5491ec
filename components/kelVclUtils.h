// kelVclUtils (the part the tray icon needs): showing and hiding the application's
// taskbar button, which is the application object's own window, together with
// the application's main form.
#pragma once

#include <windows.h>

// Shows the application window (SW_SHOWNORMAL) when there is one.
void kelApplicationTaskBarButtonShow();
// Hides the application window when there is one and it is visible.
void kelApplicationTaskBarButtonHide();
// The taskbar button, then the main form when there is one.
void kelMainFormShow();
void kelMainFormHide();

//--- Previous running copy

// The application window of another running copy of this program (same window
// class and title as ours, our own window skipped); null when there is none.
HWND kelFindPrevInstance();
// Brings that copy forward (restoring it when minimised); false when there is none.
bool kelActivatePrevInstance();
