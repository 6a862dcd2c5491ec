// Standard controls of the class library: the label, the push button and the
// list box.
#pragma once

#include <string>
#include <vector>

#include "classlib/Controls.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// A windowless text. With AutoSize its size follows the text.
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);
    const char* ClassName() const override { return "TLabel"; }
    bool Transparent() const { return m_isTransparent; }
    void SetTransparent(bool transparent);
    bool AutoSize() const { return m_isAutoSize; }
    void SetAutoSize(bool autoSize);
    TAlignment Alignment = taLeftJustify;
    bool WordWrap = false;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

    void WndProc(TMessage& message) override;

protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;

private:
    void AdjustBounds();
    UINT DrawFlags() const;

    bool m_isTransparent = false;
    bool m_isAutoSize = true;
    // Pixels of ink outside the measured text box, left and right (AutoSize only).
    int m_inkLeft = 0;
    int m_inkRight = 0;
};

// A push button over the system's BUTTON class. It clicks as the system button
// does: the left button released inside after going down inside, the space key
// released while it has the focus, or BM_CLICK. As a dialog key, Enter clicks
// the focused button (or the Default button when no button has the focus) and
// Esc the button marked Cancel.
class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);
    const char* ClassName() const override { return "TButton"; }
    // Esc in the button's form clicks it.
    bool Cancel = false;
    // Enter in the button's form clicks it while no other button has the focus.
    bool Default() const { return m_isDefault; }
    void SetDefault(bool isDefault);
    // Runs OnClick, as a click of the user does.
    void Click() override;

    void WndProc(TMessage& message) override;
    bool DialogKey(WORD key, TShiftState shift, TWinControl* focused) override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool m_isDefault = false;
};

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed };

class TListBox;

// The items of a list box; while the list box has a window they live in it.
class TListBoxStrings {
public:
    explicit TListBoxStrings(TListBox& owner) : m_owner(owner) {}
    int Count() const;
    std::string Strings(int index) const;
    int Add(const std::string& text);
    void Delete(int index);
    void Clear();

private:
    friend class TListBox;
    TListBox& m_owner;
    std::vector<std::string> m_items;  // kept while there is no window
};

// A list box over the system's LISTBOX class, optionally owner-drawn with a
// fixed item height; without OnDrawItem the library draws the items.
class TListBox : public TWinControl {
public:
    using TDrawItemEvent = std::function<void(TObject* sender, int index, RECT rect, UINT state)>;

    explicit TListBox(TComponent* owner);
    const char* ClassName() const override { return "TListBox"; }
    TListBoxStrings* Items() { return &m_items; }
    TListBoxStyle Style = lbStandard;
    int ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int height);
    // The selected item, or -1. Setting an index out of range clears the selection.
    int ItemIndex();
    void SetItemIndex(int index);
    void Clear() { m_items.Clear(); }
    // The canvas the items are drawn on while drawing.
    TCanvas* Canvas() { return &m_canvas; }
    TDrawItemEvent OnDrawItem;

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandle() override;
    // The library's item drawing: highlight when selected, text, focus frame.
    virtual void DrawItem(int index, RECT rect, UINT state);

private:
    friend class TListBoxStrings;
    TListBoxStrings m_items;
    TControlCanvas m_canvas;
    int m_itemHeight = 13;
    int m_pendingIndex = -1;
};

//--- Edits, check box and combo box

// What the dialog controls share: their text and background colours come from
// their font colour and Color when the parent asks (WM_CTLCOLOR*).
class TColoredControl {
public:
    // The answer to a reflected WM_CTLCOLOR* message: the DC's colours set, and
    // a brush of the control's colour that stays owned by this object.
    LRESULT ControlColors(TControl& control, HDC dc);

private:
    GdiBrush m_brush;
    TColor m_brushColor = clNone;
};

// A single-line edit over the system's EDIT class. Setting Text fires OnChange,
// as typing does.
class TCustomEdit : public TWinControl, protected TColoredControl {
public:
    explicit TCustomEdit(TComponent* owner);
    const char* ClassName() const override { return "TCustomEdit"; }
    // The text: the window's while it has one.
    std::string Text() const;
    void SetText(const std::string& text);
    // Longest text the user may enter; 0 for the system's limit.
    int MaxLength() const { return m_maxLength; }
    void SetMaxLength(int length);
    bool ReadOnly = false;
    TNotifyEvent OnChange;

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandle() override;
    virtual void Change();
    // The text as the window is to hold it.
    virtual std::string AdjustText(const std::string& text) const { return text; }

private:
    int m_maxLength = 0;
    bool m_isSettingText = false;
};

class TEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;
    const char* ClassName() const override { return "TEdit"; }
};

// A multi-line edit: it keeps Enter as a line break, and its Text holds the
// lines joined by CR LF (a lone LF given to SetText becomes CR LF).
class TMemo : public TCustomEdit {
public:
    explicit TMemo(TComponent* owner);
    const char* ClassName() const override { return "TMemo"; }
    bool WantReturns = true;

protected:
    void CreateParams(TCreateParams& params) override;
    std::string AdjustText(const std::string& text) const override;
};

// A check box over the system's BUTTON class. A click by the user, and a change
// of Checked by the program, fire OnClick; setting the state it already has does not.
class TCheckBox : public TWinControl, protected TColoredControl {
public:
    explicit TCheckBox(TComponent* owner);
    const char* ClassName() const override { return "TCheckBox"; }
    bool Checked() const;
    void SetChecked(bool checked);
    // Turns the state over, as a click does.
    void Toggle() { SetChecked(!Checked()); }

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandle() override;

private:
    bool m_isChecked = false;
};

enum TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox;

// The items of a combo box; while the combo box has a window they live in it.
class TComboBoxStrings {
public:
    explicit TComboBoxStrings(TComboBox& owner) : m_owner(owner) {}
    int Count() const;
    std::string Strings(int index) const;
    int Add(const std::string& text);
    void Clear();

private:
    friend class TComboBox;
    TComboBox& m_owner;
    std::vector<std::string> m_items;  // kept while there is no window
};

// A combo box over the system's COMBOBOX class. Setting ItemIndex fires no
// event; a selection by the user fires OnClick and then OnChange.
class TComboBox : public TWinControl, protected TColoredControl {
public:
    explicit TComboBox(TComponent* owner);
    const char* ClassName() const override { return "TComboBox"; }
    TComboBoxStyle Style = csDropDown;
    // Lines the dropped-down list shows at most.
    int DropDownCount = 8;
    TComboBoxStrings* Items() { return &m_items; }
    // The selected item, or -1. An index outside the items clears the selection.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The selected item's text (a drop-down list has no other).
    std::string Text() const;
    TNotifyEvent OnChange;

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandle() override;
    virtual void Change();

private:
    friend class TComboBoxStrings;
    TComboBoxStrings m_items;
    int m_pendingIndex = -1;
};
