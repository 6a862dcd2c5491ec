// kelVclUtils: taskbar button and main form.
#include "components/kelVclUtils.h"

#include <windows.h>

#include "components/kelClassLibLink.h"

void kelApplicationTaskBarButtonShow() {
    HWND window = kelAppHandle();
    if (IsWindow(window)) ShowWindow(window, SW_SHOWNORMAL);
}

void kelApplicationTaskBarButtonHide() {
    HWND window = kelAppHandle();
    if (IsWindow(window) && IsWindowVisible(window)) ShowWindow(window, SW_HIDE);
}

void kelMainFormShow() {
    kelApplicationTaskBarButtonShow();
    if (kelAppHasMainForm()) kelAppSetMainFormVisible(true);
}

void kelMainFormHide() {
    kelApplicationTaskBarButtonHide();
    if (kelAppHasMainForm()) kelAppSetMainFormVisible(false);
}
