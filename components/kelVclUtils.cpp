// kelVclUtils: taskbar button and main form, previous running copy.
#include "components/kelVclUtils.h"

#include <windows.h>

#include <string>

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

HWND kelFindPrevInstance() {
    HWND own = kelAppHandle();
    if (!own) return nullptr;
    char className[256] = {};
    if (GetClassNameA(own, className, sizeof className) == 0) return nullptr;
    const std::string title = kelAppTitle();
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className, title.c_str())) != nullptr) {
        if (window != own) return window;
    }
    return nullptr;
}

bool kelActivatePrevInstance() {
    HWND window = kelFindPrevInstance();
    if (!window) return false;
    if (IsIconic(window))
        OpenIcon(window);
    else
        SetForegroundWindow(window);
    return true;
}
