// The open, save and colour dialogs over the system's common dialogs.
#include "classlib/Dialogs.h"

#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/Graphics.h"

namespace {

TChooseColorFunction& ChooseColorFunction() {
    static auto* function = new TChooseColorFunction;
    return *function;
}

// The window the dialog belongs to: the active one, or the visible main window
// when the keyboard sits with a hidden helper window. An owner keeps the dialog
// in front of the program and disables it while the dialog is open.
HWND DialogOwner() {
    HWND active = GetActiveWindow();
    if (active && IsWindowVisible(active)) return active;
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (main && main->HandleAllocated() && IsWindowVisible(main->Handle())) return main->Handle();
    return active;
}

}  // namespace

void SetChooseColorFunction(TChooseColorFunction function) {
    ChooseColorFunction() = std::move(function);
}

std::string MakeFilterString(const std::string& filter) {
    if (filter.empty()) return std::string();
    std::string result = filter;
    std::replace(result.begin(), result.end(), '|', '\0');
    result.push_back('\0');  // ends the last pattern
    result.push_back('\0');  // ends the list
    return result;
}

bool TOpenDialog::Execute() {
    return Run(false);
}

bool TSaveDialog::Execute() {
    return Run(true);
}

bool TOpenDialog::Run(bool forSaving) {
    // Room for long paths; the dialog reports a name that does not fit as a failure.
    std::vector<char> name(4096, '\0');
    FileName.copy(name.data(), std::min(FileName.size(), name.size() - 1));
    const std::string filter = MakeFilterString(Filter);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = DialogOwner();
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(std::max(FilterIndex, 0));
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    // The program names its files from its own folder, so the current folder is
    // left as it was.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;

    const BOOL ok = forSaving ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!ok) return false;  // cancelled, or the dialog could not be shown
    FileName = name.data();
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}

//--- TColorDialog

TColorDialog::TColorDialog(TComponent* owner) : TComponent(owner) {
    std::fill(std::begin(CustomColors), std::end(CustomColors), RGB(255, 255, 255));
}

bool TColorDialog::Execute() {
    CHOOSECOLORA choice{};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = DialogOwner();
    choice.rgbResult = ColorToRGB(Color);
    choice.lpCustColors = CustomColors;
    choice.Flags = CC_RGBINIT;
    const BOOL ok = ChooseColorFunction() ? ChooseColorFunction()(choice) : ChooseColorA(&choice);
    if (!ok) return false;  // cancelled, or the dialog could not be shown
    Color = static_cast<TColor>(choice.rgbResult & 0xFFFFFF);
    return true;
}
