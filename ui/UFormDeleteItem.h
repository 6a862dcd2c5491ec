// The delete dialog: asks the user to confirm the deletion of the selected
// reminder, "Yes" deleting it and "No" leaving it.
#pragma once

#include <string>

#include "classlib/Forms.h"

class Eintrag;
class TImageButton;

// Created once at start-up and reused for every deletion.
class TFormDeleteItem : public TForm {
public:
    explicit TFormDeleteItem(TComponent* owner);
    ~TFormDeleteItem() override;
    const char* ClassName() const override { return "TFormDeleteItem"; }

    // The "Yes" and "No" buttons, made by the first Setup with the mode "YesNo"
    // and kept for every later use.
    TImageButton* ButtonYes = nullptr;
    TImageButton* ButtonNo = nullptr;
    // The question above the reminder's date and title.
    std::string Prompt;

    // Keeps the prompt, makes the buttons for the mode "YesNo", and shows the
    // dialog modally; returns when it closes.
    void Setup(const std::string& prompt, const std::string& mode);

    //--- Form events
    void FormKeyPress(TObject* sender, char& key);
    void FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormPaint(TObject* sender);

private:
    // The form's resource.
    void CreateComponents();
};

extern TFormDeleteItem* FormDeleteItem;

// What the dialog shows for a reminder: the prompt, its start as
// dd.mm.yyyy:hh.mm, a line of 32 hyphens and, when it has one, its title.
std::string DeleteItemText(const std::string& prompt, const Eintrag* entry);
