// Hidden utility windows.
#include "classlib/AllocateHWnd.h"

#include <array>
#include <memory>
#include <mutex>
#include <utility>

#include "classlib/Controls.h"  // HandleCallbackException
#include "classlib/SysUtils.h"

namespace {

const char kUtilWindowClass[] = "QRUtilWindow";

// Hands a message to a window method; without one the system's default answers.
LRESULT DispatchToMethod(const TWndMethod* method, HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (!method || !*method) return DefWindowProcA(window, msg, wparam, lparam);
    TMessage message;
    message.Msg = msg;
    message.WParam = wparam;
    message.LParam = lparam;
    try {
        (*method)(message);
    } catch (...) {
        // Nothing may unwind into the system's frames.
        HandleCallbackException(nullptr);
    }
    return message.Result;
}

// What a utility window's user data points to: shared, so that a call in progress
// keeps the method alive while it deallocates its own window.
using TSharedWndMethod = std::shared_ptr<TWndMethod>;

LRESULT CALLBACK UtilWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    TSharedWndMethod method;
    if (auto* owned = reinterpret_cast<TSharedWndMethod*>(GetWindowLongPtrA(window, GWLP_USERDATA))) method = *owned;
    return DispatchToMethod(method.get(), window, msg, wparam, lparam);
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
    auto owned = std::make_unique<TSharedWndMethod>(std::make_shared<TWndMethod>(std::move(method)));
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owned.release()));
    return window;
}

void DeallocateHWnd(HWND window) {
    if (!window || !IsWindow(window)) return;
    std::unique_ptr<TSharedWndMethod> method(
        reinterpret_cast<TSharedWndMethod*>(SetWindowLongPtrA(window, GWLP_USERDATA, 0)));
    DestroyWindow(window);
}

//--- Object instances

namespace {

// The addresses are a fixed set of procedures, one per slot: no generated code.
constexpr size_t kInstanceSlots = 64;

struct InstanceSlots {
    std::mutex lock;
    std::array<std::shared_ptr<TWndMethod>, kInstanceSlots> methods;
    std::array<bool, kInstanceSlots> used{};
};

InstanceSlots& Slots() {
    static InstanceSlots slots;
    return slots;
}

template <size_t N>
LRESULT CALLBACK InstanceProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    // A copy: the method may free its own instance while it runs.
    std::shared_ptr<TWndMethod> method;
    {
        std::lock_guard<std::mutex> hold(Slots().lock);
        method = Slots().methods[N];
    }
    return DispatchToMethod(method.get(), window, msg, wparam, lparam);
}

template <size_t... N>
constexpr std::array<WNDPROC, sizeof...(N)> MakeProcs(std::index_sequence<N...>) {
    return {&InstanceProc<N>...};
}

constexpr std::array<WNDPROC, kInstanceSlots> kInstanceProcs = MakeProcs(std::make_index_sequence<kInstanceSlots>());

}  // namespace

WNDPROC MakeObjectInstance(TWndMethod method) {
    std::lock_guard<std::mutex> hold(Slots().lock);
    for (size_t i = 0; i < kInstanceSlots; ++i) {
        if (Slots().used[i]) continue;
        Slots().used[i] = true;
        Slots().methods[i] = std::make_shared<TWndMethod>(std::move(method));
        return kInstanceProcs[i];
    }
    throw EOutOfResources("Too many object instances");
}

void FreeObjectInstance(WNDPROC instance) {
    std::lock_guard<std::mutex> hold(Slots().lock);
    for (size_t i = 0; i < kInstanceSlots; ++i) {
        if (kInstanceProcs[i] != instance) continue;
        Slots().used[i] = false;
        Slots().methods[i].reset();
        return;
    }
}
