// The program's own skinned message box: every error, warning and question of
// the program is shown modally through ShowMessageBox.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/Forms.h"

class TImageButton;

class TFormMessageBox : public TForm {
public:
    explicit TFormMessageBox(TComponent* owner);
    ~TFormMessageBox() override;
    const char* ClassName() const override { return "TFormMessageBox"; }

    // The buttons FormShow makes for the mode; a button the mode does not use stays null.
    TImageButton* ButtonOK = nullptr;
    TImageButton* ButtonYes = nullptr;
    TImageButton* ButtonNo = nullptr;
    std::wstring MessageText;
    std::wstring MessageTitle;
    // On entry the mode (0 "OK", 1 "Yes" and "No", any other no button); on return the result.
    int32_t Mode = 0;

    //--- Form events
    void FormKeyPress(TObject* sender, char& key);
    void FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormPaint(TObject* sender);
    void FormShow(TObject* sender);

private:
    // The form's resource.
    void CreateComponents();
    // Frees the buttons of an earlier showing.
    void RemoveButtons();
};

// Shows a message box modally over the program's windows (owned by the main
// window) and returns what its buttons or keys set: 0 after "OK", "No", Enter
// or Esc typed into the box, 1 after "Yes"; after the close glyph the mode
// itself, except 0 for the yes/no box; Alt+F4 and the system menu's Close as
// the glyph; 0 when the program's end closed it. Once the program is ending the
// system's message box asks instead ("Yes" 1, anything else 0).
int32_t ShowMessageBox(const std::wstring& text, const std::wstring& title, int32_t mode);

// Where the left edges of the buttons lie for a client width: "OK" and "No"
// (and "Yes" at half the first).
struct TMessageBoxButtonPlaces {
    int32_t Ok;
    int32_t Yes;
    int32_t No;
};
TMessageBoxButtonPlaces MessageBoxButtonPlaces(int32_t clientWidth);
