// Standard controls of the class library: the label and the list box.
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
