// The colour dialog of the class library, over the system's colour chooser.
#pragma once

#include <windows.h>

#include "classlib/Classes.h"
#include "classlib/Graphics.h"

// A component of its form; each Execute shows the system's colour chooser
// modally, starting at Color.
class TColorDialog : public TComponent {
public:
    explicit TColorDialog(TComponent* owner);
    const char* ClassName() const override { return "TColorDialog"; }

    // Shows the dialog owned by the active window. True when the user
    // confirmed; Color then holds the chosen colour. A system colour given as
    // Color starts the dialog at its present value.
    virtual bool Execute();

    // Proposed when shown, the answer afterwards.
    TColor Color = clBlack;
    // The chooser's sixteen custom colours, kept from one showing to the next.
    COLORREF CustomColors[16];
};
