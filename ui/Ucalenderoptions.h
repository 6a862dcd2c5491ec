// The calendar settings dialog: the font, size, boldness, colour and shadow
// colour of the calendar's day numbers, the first weekday, the size of the
// reminder pictures and the calendar sound, with a live preview of the month.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Spin.h"
#include "classlib/StdCtrls.h"

class TImageButton;

// Made by the Extras menu's "Calendar Settings..." for each use, owned by the
// main window and shown modally. Every choice is made on the working copies
// below and reaches the settings only with "OK"; a change of the first weekday
// re-lays the main window's month grid at once ("Cancel" lays it out again as
// the settings have it), and a sound file chosen is prepared at once.
class TFormCalenderOptions : public TForm {
public:
    explicit TFormCalenderOptions(TComponent* owner);
    ~TFormCalenderOptions() override;
    const char* ClassName() const override { return "TFormCalenderOptions"; }

    //--- Components (the form's resource)
    TImage* ImageCalenderSettingsGrid = nullptr;
    TLabel* LabelCalenderFontSize = nullptr;
    TLabel* LabelCalenderFontold = nullptr;
    TLabel* LabelPlayMedia = nullptr;
    TComboBox* ComboBoxCalenderFonts = nullptr;
    TCSpinEdit* CSpinEditFontSize = nullptr;
    TCheckBox* CheckBoxCalenderFontBold = nullptr;
    TComboBox* ComboBoxCalenderFirstColumn = nullptr;
    TCheckBox* CheckBoxPlayMedia = nullptr;
    TComboBox* ComboBoxIconSize = nullptr;
    TColorDialog* ColorDialogCalenderSettings = nullptr;
    TOpenDialog* OpenDialogCalenderMediaFile = nullptr;

    //--- Fields
    // The preview is drawn here first, then copied to the preview image.
    std::unique_ptr<TBitmap> PreviewBitmap;
    TImageButton* ButtonOK = nullptr;
    TImageButton* ButtonCancel = nullptr;
    TImageButton* ButtonChangeFontColor = nullptr;
    TImageButton* ButtonChangeShadowColor = nullptr;
    TImageButton* ButtonChooseFile = nullptr;
    TImageButton* ButtonTestSound = nullptr;
    // The working copies of the calendar settings.
    std::wstring CalFontName;
    int32_t CalFontSize = 0;
    int32_t CalIconSize = 0;
    uint8_t CalFontBold = 0;
    TColor CalFontColor = 0;
    TColor CalShadowColor = 0;
    uint8_t CalSundayFirst = 0;  // 1 Sunday in the first column, 0 Monday
    uint8_t CalPlaySound = 0;
    std::wstring CalSoundFile;

    //--- Form events
    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
    void FormKeyPress(TObject* sender, char& key);
    void FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormPaint(TObject* sender);
    void FormShow(TObject* sender);

    //--- Component events
    void ComboBoxCalenderFontsChange(TObject* sender);
    void CSpinEditFontSizeChange(TObject* sender);
    void CSpinEditFontSizeKeyPress(TObject* sender, char& key);
    void CheckBoxCalenderFontBoldClick(TObject* sender);
    void ComboBoxCalenderFirstColumnChange(TObject* sender);
    void ComboBoxIconSizeChange(TObject* sender);
    void CheckBoxPlayMediaClick(TObject* sender);
    void LabelCalenderFontoldClick(TObject* sender);
    void LabelPlayMediaClick(TObject* sender);

    //--- Operations
    // The working copies into the settings.
    void ApplySettings();
    // Draws the displayed month with the chosen day-number style into the preview.
    void DrawPreview();
    // Draws the weekday headings above the preview, on the dialog.
    void DrawWeekdayHeader();
    // A day-number style changed: the preview again, then the whole dialog.
    void StyleChanged();

private:
    // The form's resource.
    void CreateComponents();
    // Lets the user choose a colour for one of the working colours, starting at it.
    void ChooseColor(TColor& colour);

    friend class TImageButton;
};

// The list index of a picture size, or -1 for a size the list does not offer.
int32_t IconSizeIndex(int32_t size);
