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
