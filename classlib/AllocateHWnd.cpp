// Hidden utility windows.
#include "classlib/AllocateHWnd.h"

#include <memory>

#include "classlib/SysUtils.h"

namespace {

const char kUtilWindowClass[] = "QRUtilWindow";

LRESULT CALLBACK UtilWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!method || !*method) return DefWindowProcA(window, msg, wparam, lparam);
    TMessage message;
    message.Msg = msg;
    message.WParam = wparam;
    message.LParam = lparam;
    try {
        (*method)(message);
    } catch (...) {
        // The owner handles its own errors; nothing may unwind into the system's frames.
        OutputDebugStringA("Exception in a utility window's message method");
    }
    return message.Result;
}

void RegisterUtilClass() {
    static const bool registered = [] {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = UtilWindowProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = kUtilWindowClass;
        return RegisterClassA(&cls) != 0;
    }();
    (void)registered;
}

}  // namespace

HWND AllocateHWnd(TWndMethod method) {
    RegisterUtilClass();
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!window) throw EOutOfResources("Error creating window: utility window");
    auto owned = std::make_unique<TWndMethod>(std::move(method));
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owned.release()));
    return window;
}

void DeallocateHWnd(HWND window) {
    if (!window || !IsWindow(window)) return;
    std::unique_ptr<TWndMethod> method(
        reinterpret_cast<TWndMethod*>(SetWindowLongPtrA(window, GWLP_USERDATA, 0)));
    DestroyWindow(window);
}
