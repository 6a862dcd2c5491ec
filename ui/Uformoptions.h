// The general settings dialog: the window placement rules, the two start
// options, the font and colours of the drawn texts, the hint window's look,
// groups and timing, and the picture collection, on four pages.
#pragma once

#include <memory>
#include <string>

#include "classlib/ComCtrls.h"
#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Grids.h"
#include "classlib/ImgList.h"
#include "classlib/StdCtrls.h"

class TImageButton;

// Created once at start-up, last of the long-lived windows, and shown modally
// from the main window's menu. Most choices are made on working copies that
// only "OK" (or Enter) applies and saves; the two position modes, the hint
// group, hiding at start and the autostart choice take effect at once.
class TFormOptions : public TForm {
public:
    explicit TFormOptions(TComponent* owner);
    ~TFormOptions() override;
    const char* ClassName() const override { return "TFormOptions"; }

    //--- Components (the form's resource)
    TCoolBar* CoolBarOptions = nullptr;
    TToolBar* ToolBarSettings = nullptr;
    TToolButton* ToolButtonGeneral = nullptr;
    TToolButton* ToolButtonFont = nullptr;
    TToolButton* ToolButtonHint = nullptr;
    TToolButton* ToolButtonIcons = nullptr;
    TNotebook* NotebookSettings = nullptr;
    TPaintBox* PaintBoxGeneral = nullptr;
    TPaintBox* PaintBoxText = nullptr;
    TPaintBox* PaintBoxHint = nullptr;
    TPaintBox* PaintBoxIcons = nullptr;
    TComboBox* ComboBoxMainWindowPosition = nullptr;
    TComboBox* ComboBoxRemindeWindowPosition = nullptr;
    TCheckBox* CheckBoxAutoStart = nullptr;
    TCheckBox* CheckBoxHideWindow = nullptr;
    TLabel* LabelAutoStart = nullptr;
    TLabel* LabelHideWindow = nullptr;
    TComboBox* ComboBoxFonts = nullptr;
    TComboBox* ComboBoxFontsForHint = nullptr;
    TComboBox* ComboBoxSelectHintGroups = nullptr;
    TEdit* EditHintPause = nullptr;
    TEdit* EditHintHidePause = nullptr;
    TStringGrid* StringGridImages = nullptr;
    TColorDialog* ColorDialogText = nullptr;
    TOpenPictureDialog* OpenPictureDialogIcon = nullptr;
    TImageList* ImageListForButtons = nullptr;

    //--- The buttons, made by SetupControls
    TImageButton* ButtonOK = nullptr;
    TImageButton* ButtonCancel = nullptr;
    TImageButton* ButtonTextColor = nullptr;
    TImageButton* ButtonShadowColor = nullptr;
    TImageButton* ButtonHintColor = nullptr;
    TImageButton* ButtonHintBackground = nullptr;
    TImageButton* ButtonAddIcon = nullptr;
    TImageButton* ButtonDeleteIcon = nullptr;

    //--- Working copies, applied by ApplySettings
    TColor WorkingTextColor = 0;
    TColor WorkingShadowColor = 0;
    TColor WorkingHintColor = 0;
    TColor WorkingHintBackground = 0;
    // Their names are the chosen text and hint font names.
    std::unique_ptr<TFont> TextSampleFont;
    std::unique_ptr<TFont> HintSampleFont;
    // The working copy of the picture collection.
    std::unique_ptr<TImageList> WorkingPictures;

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
    void ToolButtonGeneralClick(TObject* sender);
    void ToolButtonFontClick(TObject* sender);
    void ToolButtonHintClick(TObject* sender);
    void ToolButtonIconsClick(TObject* sender);
    void PaintBoxGeneralPaint(TObject* sender);
    void PaintBoxTextPaint(TObject* sender);
    void PaintBoxHintPaint(TObject* sender);
    void PaintBoxIconsPaint(TObject* sender);
    void PaintBoxHintClick(TObject* sender);
    void ComboBoxMainWindowPositionClick(TObject* sender);
    void ComboBoxRemindeWindowPositionClick(TObject* sender);
    void CheckBoxAutoStartClick(TObject* sender);
    void CheckBoxHideWindowClick(TObject* sender);
    void LabelAutoStartClick(TObject* sender);
    void LabelHideWindowClick(TObject* sender);
    void ComboBoxFontsClick(TObject* sender);
    void ComboBoxFontsForHintClick(TObject* sender);
    void ComboBoxSelectHintGroupsClick(TObject* sender);
    void ComboBoxFontsForHintKeyPress(TObject* sender, char& key);
    void EditHintPauseKeyPress(TObject* sender, char& key);
    void StringGridImagesDrawCell(TObject* sender, int col, int row, RECT rect, TGridDrawState state);
    void StringGridImagesSelectCell(TObject* sender, int col, int row, bool& canSelect);

    //--- Operations
    // Makes the working lists and fonts, fills the lists and makes the buttons (once).
    void SetupControls();
    // The confirmation: applies the working copies and the hint times, closes
    // the dialog, saves "Settings.xml" and "icons.bin" and redraws the calendar.
    void ApplySettings();
    // Closes the dialog with nothing applied but the choices taken at once.
    void CancelSettings();
    // Shows the working picture list in the picture strip and its preview.
    void RefreshIconGrid();
    // Paints page 1 (Text) or 2 (Hint) again at once, with its colour buttons.
    void RepaintPage(int page);
    // Draws picture `index` of the working list in the Icons page's preview square.
    void ShowIconPreview(int index);
    // The piece of the dialog skin that lies under a rectangle of the dialog.
    RECT SkinSourceRect(const RECT& rect) const;
    // The colour dialog on a working colour; on confirmation the colour is
    // taken and the page (1 Text, 2 Hint) painted again. True when confirmed.
    bool ChooseWorkingColor(TColor& color, int page);
    // The Delete Selected Icon action: removes the selected picture unless it is the last one.
    void DeleteSelectedPicture();

private:
    // The form's resource: the components in resource order with their
    // settings and event bindings.
    void CreateComponents();
    // Enter applies, Esc cancels.
    void EnterOrEscape(char key);
    // The background piece of the dialog skin stretched over a rectangle of a page.
    void PaintPageBackground(TPaintBox* box, const RECT& target, const RECT& source);
    // The canvas of a page's paint box in the box's font (the dialog's, in the text colour).
    TCanvas* PageCanvas(TPaintBox* box);
    // The colour swatch left of a colour button.
    void DrawSwatch(TCanvas* canvas, TImageButton* button, TColor color);
};

extern TFormOptions* FormOptions;

// The general settings dialog's services for the model: its picture file
// dialog, its working picture list and the refresh after an addition.
std::string RunOptionsPictureDialog();
TImageList* OptionsWorkingPictures();
void OptionsWorkingPicturesChanged();
