// The numeric spin edit of the class library: an edit with up and down buttons.
#pragma once

#include <cstdint>

#include "classlib/StdCtrls.h"

// A single-line edit for a whole number, with the system's up-down buttons
// inside its right edge. Value is the number in the text; a text that is no
// number counts as MinValue. Setting Value keeps it within MinValue..MaxValue
// when the two differ; leaving the field does the same to the text. The up and
// down buttons and the arrow keys step the value by Increment.
class TCSpinEdit : public TCustomEdit {
public:
    explicit TCSpinEdit(TComponent* owner);
    ~TCSpinEdit() override;
    const char* ClassName() const override { return "TCSpinEdit"; }

    int32_t Value() const;
    void SetValue(int32_t value);
    int32_t MinValue = 0;
    int32_t MaxValue = 0;
    int32_t Increment = 1;

    // The up-down buttons' window (for tests), or null before the edit has one.
    HWND ButtonHandle() const { return m_buttons; }
    // Steps as the up (direction > 0) or down button does.
    void Step(int direction);

    void WndProc(TMessage& message) override;

protected:
    void CreateWindowHandle() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void DoExit() override;
    void EnabledChanged() override;

private:
    // Value limited to the range, when there is one.
    int32_t CheckValue(int32_t value) const;
    void PlaceButtons();

    HWND m_buttons = nullptr;
};
