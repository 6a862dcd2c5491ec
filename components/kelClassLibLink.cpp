// The library's way to the application object and to windowed controls.
#include "components/kelClassLibLink.h"

HWND kelAppHandle() {
    return Application ? Application->Handle() : nullptr;
}

std::string kelAppTitle() {
    return Application ? Application->Title() : std::string();
}

bool kelAppHasMainForm() {
    return Application && Application->MainForm();
}

void kelAppSetMainFormVisible(bool visible) {
    if (kelAppHasMainForm()) Application->MainForm()->SetVisible(visible);
}

bool kelAppShowMainForm() {
    return Application && Application->ShowMainForm;
}

void kelAppSetShowMainForm(bool show) {
    if (Application) Application->ShowMainForm = show;
}

std::string kelAppExeName() {
    return Application ? Application->ExeName() : std::string();
}

void kelAppTerminate() {
    if (Application) Application->Terminate();
}

void kelAppProcessMessages() {
    if (Application) Application->ProcessMessages();
}

void kelAppHandleException(TObject* sender) noexcept {
    HandleCallbackException(sender);
}

HWND kelWindowOf(TComponent* component) {
    auto* control = dynamic_cast<TWinControl*>(component);
    return control ? control->Handle() : nullptr;
}

bool kelIsControlVisible(TComponent* component) {
    auto* control = dynamic_cast<TWinControl*>(component);
    return control && control->Visible();
}

void kelSetControlVisible(TComponent* component, bool visible) {
    if (auto* control = dynamic_cast<TWinControl*>(component)) control->SetVisible(visible);
}
