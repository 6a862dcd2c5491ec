// Menus of the class library: menu items in a tree, the main menu (a holder of
// submenus that other controls drop down) and popup menus. Popups are built
// anew each time they open, so owner-drawn items are measured on every popup.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Graphics.h"

class TMenuItem;
using TMenuMeasureItemEvent = std::function<void(TObject* sender, TCanvas* canvas, int& width, int& height)>;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;
    const char* ClassName() const override { return "TMenuItem"; }

    std::string Caption;
    bool Visible = true;
    bool Enabled = true;
    bool Checked = false;
    bool Default = false;
    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;

    int Count() const { return static_cast<int>(m_items.size()); }
    TMenuItem* Items(int index) const { return m_items.at(static_cast<size_t>(index)); }
    TMenuItem* Parent() const { return m_parent; }
    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);
    // The direct child whose caption matches, ignoring case and "&"; or null.
    TMenuItem* Find(const std::string& caption) const;
    bool IsLine() const { return Caption == "-"; }
    // Runs OnClick.
    virtual void Click();
    // The command identifier of the item in built menus.
    UINT Command() const { return m_command; }

private:
    TMenuItem* m_parent = nullptr;
    std::vector<TMenuItem*> m_items;
    UINT m_command;
};

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* owner);
    const char* ClassName() const override { return "TMenu"; }
    // The invisible root item; the menu's items are its children.
    TMenuItem* Items() { return m_items; }
    bool OwnerDraw = false;

private:
    TMenuItem* m_items;
};

// The menus of a form. It is never the window's menu bar: its submenus open
// from the tool buttons that name them.
class TMainMenu : public TMenu {
public:
    using TMenu::TMenu;
    const char* ClassName() const override { return "TMainMenu"; }
};

// How a popup menu unfolds; a set, given to TrackPopupMenu as its flags. The
// empty set leaves it to the system.
enum TMenuAnimation : UINT {
    maLeftToRight = TPM_HORPOSANIMATION,
    maRightToLeft = TPM_HORNEGANIMATION,
    maTopToBottom = TPM_VERPOSANIMATION,
    maBottomToTop = TPM_VERNEGANIMATION,
    maNone = TPM_NOANIMATION,
};

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner);
    const char* ClassName() const override { return "TPopupMenu"; }
    bool AutoPopup = true;
    UINT MenuAnimation = 0;  // TMenuAnimation values or-ed together
    TComponent* PopupComponent = nullptr;
    TNotifyEvent OnPopup;
    // Shows the menu at a screen point and returns when it closes; the chosen
    // item's OnClick runs before Popup returns. Exceptions there are shown, not thrown.
    void Popup(int x, int y);
};

// Opens an item's visible children as a popup menu at a screen point, with or
// without owner drawing, and clicks the chosen one. Returns the chosen item or
// null. Tool buttons use it for the main menu's submenus.
TMenuItem* TrackMenuItems(TMenuItem* parent, int x, int y, bool ownerDraw, UINT flags = 0);

// Tests answer popup menus instead of a user: the function gets the built menu,
// the place and the caller's TrackPopupMenu flags, and returns the chosen
// command (0 for none). Empty restores the real menu.
using PopupMenuTracker = std::function<UINT(HMENU menu, int x, int y, UINT flags)>;
void SetPopupMenuTracker(PopupMenuTracker tracker);

//--- Shortcut keys

// A menu shortcut: the virtual key in the low byte, the shift keys as flags.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// "Shift+Ctrl+Alt+" as held, then the key's name ("A", "F5", "Del", "PgUp", or
// the keyboard's own name for the key); empty for 0 or a key without a name.
std::string ShortCutToText(TShortCut shortCut);
// The shortcut a text names (the shift names in any order and case); 0 when the
// text names no key.
TShortCut TextToShortCut(const std::string& text);
