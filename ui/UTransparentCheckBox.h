// The lamp check box: a check box drawn as a lamp whose colour shows the state
// (green checked, red unchecked, silver disabled), with its caption to the
// right, on a window with the transparent extended style. No window of the
// program places one.
#pragma once

#include <windows.h>

#include "classlib/Controls.h"
#include "classlib/Graphics.h"

class TTransparentCheckBox : public TCustomControl {
public:
    explicit TTransparentCheckBox(TComponent* owner);
    ~TTransparentCheckBox() override;
    const char* ClassName() const override { return "TTransparentCheckBox"; }

    TColor CheckedColor = clGreen;
    TColor UncheckedColor = clRed;
    TColor DisabledColor = clSilver;
    bool Checked = false;

    // Where the caption is drawn and the focus frame goes: from the lamp's
    // right edge, centred on the lamp, as wide as the text (within the control).
    RECT CaptionRect();

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    // The lamp's diameter: the smaller of width and height.
    int Diameter() const;
};
