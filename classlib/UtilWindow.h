// The library's hidden utility window: it receives the timers' ticks and owns
// the popup menus (measuring, drawing). Every message it gets passes through
// the library's exception guard.
#pragma once

#include <windows.h>

#include <functional>

// The window, made when first needed.
HWND UtilWindow();
// The handler of one message number on the utility window (one per number).
using UtilMessageHandler = std::function<LRESULT(WPARAM wparam, LPARAM lparam)>;
void SetUtilMessageHandler(UINT msg, UtilMessageHandler handler);
