// The library's way to the application object.
#include "components/kelClassLibLink.h"

#include <exception>

TkelApplicationLink& kelApplicationLink() {
    static TkelApplicationLink link;
    return link;
}

HWND kelAppHandle() {
    const auto& link = kelApplicationLink();
    return link.Handle ? link.Handle() : nullptr;
}

bool kelAppHasMainForm() {
    const auto& link = kelApplicationLink();
    return link.HasMainForm && link.HasMainForm();
}

void kelAppSetMainFormVisible(bool visible) {
    const auto& link = kelApplicationLink();
    if (link.SetMainFormVisible) link.SetMainFormVisible(visible);
}

void kelAppSetShowMainForm(bool show) {
    const auto& link = kelApplicationLink();
    if (link.SetShowMainForm) link.SetShowMainForm(show);
}

void kelAppProcessMessages() {
    const auto& link = kelApplicationLink();
    if (link.ProcessMessages) {
        link.ProcessMessages();
        return;
    }
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void kelAppHandleException(TObject* sender) noexcept {
    try {
        const auto& link = kelApplicationLink();
        if (link.HandleException) {
            link.HandleException(sender);
            return;
        }
        // No application to show it: it goes to the debugger's output at least.
        try {
            throw;
        } catch (const std::exception& e) {
            OutputDebugStringA(e.what());
        } catch (...) {
            OutputDebugStringA("Unknown exception");
        }
    } catch (...) {
    }
}

HWND kelWindowOf(TComponent* component) {
    const auto& link = kelApplicationLink();
    return component && link.WindowOf ? link.WindowOf(component) : nullptr;
}

bool kelIsControlVisible(TComponent* component) {
    const auto& link = kelApplicationLink();
    return component && link.IsControlVisible && link.IsControlVisible(component);
}

void kelSetControlVisible(TComponent* component, bool visible) {
    const auto& link = kelApplicationLink();
    if (component && link.SetControlVisible) link.SetControlVisible(component, visible);
}
