// The program's hint window: every hint of the program, the calendar's and the
// day list's reminder hints and those of ordinary controls, shows in it, in the
// hint font and colours of the settings on a window with a raised edge.
#pragma once

#include <string>

#include "classlib/Forms.h"

// Installed by the main window as the application's hint-window class. It takes
// the settings when it is made, and keeps them: a change of the settings shows
// in the next hint window, which the application makes once hints were off.
class TMyHint : public THintWindow {
public:
    explicit TMyHint(TComponent* owner);
    ~TMyHint() override;
    const char* ClassName() const override { return "TMyHint"; }

    std::string FontName;  // the hint font's name
    TColor TextColor;
    TColor BackgroundColor;

protected:
    void Paint() override;
    void NCPaint(HDC dc) override;
};
