// The add/modify dialog: the modal, skinned dialog in which the user creates a
// reminder or changes one. Its picture list is the program's picture collection.
#pragma once

#include <cstdint>

#include "classlib/ComCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Grids.h"
#include "classlib/Spin.h"
#include "classlib/StdCtrls.h"
#include "model/UmodelHost.h"
#include "ui/ExtnImage.h"

class Eintrag;
class TImageButton;
class TImageList;

// Created once at start-up after the main window and reused for every add and
// edit. Its Tag holds the mode: 0 a new reminder, 1 an edit.
class TFormModifyItem : public TForm {
public:
    explicit TFormModifyItem(TComponent* owner);
    ~TFormModifyItem() override;
    const char* ClassName() const override { return "TFormModifyItem"; }

    //--- Components (the form's resource)
    TDateTimePicker* DateTimePickerNewDate = nullptr;
    TCheckBox* CheckBoxRemindeExactlyAt = nullptr;
    TLabel* LabelRemindeExactlyAt = nullptr;
    TCSpinEdit* CSpinEditAddHour = nullptr;
    TCSpinEdit* CSpinEditAddMin = nullptr;
    TLabel* IntervalLabel = nullptr;
    TComboBox* ComboBoxInterval = nullptr;
    TCheckBox* CheckBoxStopAfterDate = nullptr;
    TLabel* CheckBoxStopAfterDateText = nullptr;
    TDateTimePicker* DateTimePickerStopAfterDate = nullptr;
    TLabel* Label1 = nullptr;
    TCSpinEdit* CSpinEditInterval = nullptr;
    TLabel* Label2 = nullptr;
    TCSpinEdit* CSpinEditRemindeInAdvance = nullptr;
    TStringGrid* StringGridPictures = nullptr;
    TExtnImage* ExtnImageForIcon = nullptr;
    TEdit* EditTitel = nullptr;
    TMemo* MemoText = nullptr;
    TImageList* ImageListForMessages = nullptr;

    // The two buttons made by the creation handler.
    TImageButton* OKButton() const { return ButtonOK; }
    TImageButton* CancelButton() const { return ButtonCancel; }

    //--- Form events
    void FormCreate(TObject* sender);
    void FormKeyPress(TObject* sender, char& key);
    void FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormPaint(TObject* sender);
    void FormShow(TObject* sender);

    //--- Component events
    void CSpinEditAddHourChange(TObject* sender);
    void CSpinEditAddHourExit(TObject* sender);
    void CSpinEditAddHourKeyPress(TObject* sender, char& key);
    void CSpinEditAddHourKeyUp(TObject* sender, WORD& key, TShiftState shift);
    void CSpinEditAddMinChange(TObject* sender);
    void CSpinEditRemindeInAdvanceKeyPress(TObject* sender, char& key);
    void EditTitelKeyPress(TObject* sender, char& key);
    void CheckBoxRemindeExactlyAtClick(TObject* sender);
    void LabelRemindeExactlyAtClick(TObject* sender);
    void CheckBoxStopAfterDateClick(TObject* sender);
    void CheckBoxStopAfterDateTextClick(TObject* sender);
    void ComboBoxIntervalChange(TObject* sender);
    void StringGridPicturesDrawCell(TObject* sender, int col, int row, RECT rect, TGridDrawState state);
    void StringGridPicturesSelectCell(TObject* sender, int col, int row, bool& canSelect);

    //--- Operations
    // The record's values into the controls (a master, or a day copy with its occurrence's date).
    void FillFromEntry(const Eintrag* record);
    // Limits and enabling of the number fields for the selected interval kind.
    void UpdateIntervalControls();
    // Whether the dates may be stored; otherwise the user is told why and the
    // offending date picker gets the focus.
    bool ValidateDates();
    // The controls' values as the model stores them.
    TItemDialogValues DialogValues() const;
    // Shows picture `column` of the picture list in the preview.
    void ShowPicturePreview(int column);

private:
    // The form's resource: the components in resource order with their settings
    // and event bindings.
    void CreateComponents();
    // What Enter and Esc do in every field: the two buttons' handlers.
    void EnterOrEscape(char key);

    TImageButton* ButtonOK = nullptr;
    TImageButton* ButtonCancel = nullptr;
};

extern TFormModifyItem* FormModifyItem;

// The defaults of a new reminder on the selected day: 10:00, "Once", exactly at that time.
void ResetModifyItemForm();
// Opens the dialog modally for a new reminder on the selected day.
void OpenModifyItemForNew();
// Opens the dialog modally for SelectedEntry (a master or a day copy).
void OpenModifyItemForEdit();
// The add/modify dialog's values for the model; false while the dialog does not exist.
bool ReadModifyItemDialog(TItemDialogValues& values);
