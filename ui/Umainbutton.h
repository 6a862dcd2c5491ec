// The skinned push button of every dialog: a class-library button whose face
// is one of the four button states of the skin (normal, hot, pressed,
// disabled) with a centred one-line caption in the text settings' font and
// colours, an optional one-pixel shadow and a dotted focus frame.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

class TImageButton : public TButton {
public:
    explicit TImageButton(TComponent* owner);
    // The button of the dialogs: no component owner (it goes with its parent's
    // window), placed by rect read as left, top, width and height.
    TImageButton(TWinControl* parent, const RECT* rect, const std::wstring& caption, bool shadow);
    ~TImageButton() override;
    const char* ClassName() const override { return "TImageButton"; }

    //--- State
    // The canvas on the button's own window the face is drawn on; clear brush.
    std::unique_ptr<TControlCanvas> ButtonCanvas;
    bool IsMouseDown = false;  // the left button went down on the button and is not up yet
    bool IsMouseOver = false;  // the pointer is over the button
    bool IsSpaceDown = false;  // the space key went down on the focused button and is not up yet
    std::wstring CaptionText;  // the caption drawn (the base button's own caption stays empty)
    bool DrawShadow = false;
    // The dialog the click handlers work on, when they need one (not owned).
    TCustomForm* OwnerForm = nullptr;

    // The message map: the mouse, the space key and painting update the state
    // flags, run the button's own handling and then draw the face.
    void WndProc(TMessage& message) override;
    // Passes the message on, then draws the face (unless the handling
    // destroyed the button).
    void PaintIt(TMessage& message);
    // Draws the face on ButtonCanvas now (the repainting click handlers start with it).
    void DrawFace();
    // Draws the face for the current flags onto any canvas of the button's size.
    void PaintFace(TCanvas* canvas, bool isFocused);
    // Draws the caption onto the canvas: centred on one line, moved by a pixel when pressed.
    void DrawMyText(TCanvas* canvas, bool enabled, bool pressed);

    //--- Click handlers of the dialogs' buttons (the sender is the button)
    // The general settings dialog's "OK" and "Cancel" (the dialog is the button's
    // parent), its four colour buttons, "Add an Icon ..." and "Delete Selected
    // Icon" (the dialog is OwnerForm).
    void OnClickButtonSettingsOK(TObject* sender);
    void OnClickButtonSettingsCancel(TObject* sender);
    void OnClickButtonSettingsChangeFontColor(TObject* sender);
    void OnClickButtonSettingsChangeShadowColor(TObject* sender);
    void OnClickButtonSettingsChangeHintColor(TObject* sender);
    void OnClickButtonSettingsChangeHintBackground(TObject* sender);
    void OnClickButtonSettingsDeleteMyIcon(TObject* sender);
    void OnClickButtonSettingsAddIcon(TObject* sender);
    void OnClickButtonMessageBoxOK(TObject* sender);
    void OnClickButtonMessageBoxYES(TObject* sender);
    void OnClickButtonMessageBoxNO(TObject* sender);
    // The alarm window's "OK" and "Snooze" (the window is the button's parent).
    void OnClickFormRemindeNowButtonDontRemindeMore(TObject* sender);
    void OnClickFormRemindeNowButtonRemindeMeLater(TObject* sender);
    // The add/modify dialog's "OK" and "Cancel" (the program-wide dialog).
    void OnClickFormModifyItemButtonOK(TObject* sender);
    void OnClickFormModifyItemButtonCancel(TObject* sender);
    // The delete dialog's "Yes" (deletes the selected reminder) and "No" (the button's parent).
    void OnClickButtonDeleteItemYes(TObject* sender);
    void OnClickButtonDeleteItemNo(TObject* sender);
    // The about box's close button (the box is the OwnerForm).
    void OnClickButtonAboutClose(TObject* sender);
    // The calendar settings dialog's six buttons (the dialog is the OwnerForm).
    void OnClickButtonCalenderSettingsOK(TObject* sender);
    void OnClickButtonCalenderSettingsCancel(TObject* sender);
    void OnClickButtonCalenderChangeFontColor(TObject* sender);
    void OnClickButtonCalenderChangeShadowColor(TObject* sender);
    void OnClickButtonCalenderChooseFile(TObject* sender);
    void OnClickButtonCalenderTestSound(TObject* sender);

protected:
    void CreateParams(TCreateParams& params) override;

private:
    // The handlers of the message map (named apart from the events of the same names).
    void OnPushed(TMessage& message);
    void OnKeyDownMessage(TMessage& message);
    void ClickedTrue(TMessage& message);
    void ClickedFalse(TMessage& message);
    void OnDblClickMessage(TMessage& message);
    void OnMouseEnterMessage(TMessage& message);
    void OnMouseLeaveMessage(TMessage& message);

    // Cleared when the button goes, so a handler that destroyed it is noticed.
    std::shared_ptr<bool> m_isAlive = std::make_shared<bool>(true);
};
