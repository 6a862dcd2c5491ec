// The library's hidden utility window.
#include "classlib/UtilWindow.h"

#include <map>

#include "classlib/Controls.h"

namespace {

std::map<UINT, UtilMessageHandler>& Handlers() {
    static auto* handlers = new std::map<UINT, UtilMessageHandler>;
    return *handlers;
}

LRESULT CALLBACK UtilWndProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto it = Handlers().find(msg);
    if (it == Handlers().end()) return DefWindowProcA(window, msg, wparam, lparam);
    try {
        return it->second(wparam, lparam);
    } catch (...) {
        HandleCallbackException(nullptr);
        return 0;
    }
}

}  // namespace

HWND UtilWindow() {
    static HWND window = nullptr;
    if (!window) {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &UtilWndProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = "TPUtilWindow";
        RegisterClassA(&windowClass);
        // A plain hidden top-level window (not message-only): popup menus need
        // an owner that can become the foreground window.
        window = CreateWindowExA(WS_EX_TOOLWINDOW, "TPUtilWindow", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                                 nullptr);
    }
    return window;
}

void SetUtilMessageHandler(UINT msg, UtilMessageHandler handler) {
    Handlers()[msg] = std::move(handler);
}
