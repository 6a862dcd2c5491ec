// kelVclUtils (the part the tray icon needs): showing and hiding the application's
// taskbar button, which is the application object's own window, together with
// the application's main form.
#pragma once

// Shows the application window (SW_SHOWNORMAL) when there is one.
void kelApplicationTaskBarButtonShow();
// Hides the application window when there is one and it is visible.
void kelApplicationTaskBarButtonHide();
// The taskbar button, then the main form when there is one.
void kelMainFormShow();
void kelMainFormHide();
