// The colour dialog over the system's colour chooser.
#include "classlib/ColorDialog.h"

#include <commdlg.h>

TColorDialog::TColorDialog(TComponent* owner) : TComponent(owner) {
    for (COLORREF& color : CustomColors) color = RGB(255, 255, 255);
}

bool TColorDialog::Execute() {
    CHOOSECOLORA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = GetActiveWindow();
    choose.rgbResult = ColorToRGB(Color);
    choose.lpCustColors = CustomColors;
    choose.Flags = CC_RGBINIT;
    if (!ChooseColorA(&choose)) return false;  // cancelled, or the dialog could not be shown
    Color = static_cast<TColor>(choose.rgbResult);
    return true;
}
