// Where the component library meets the class library's window layer: the
// control types it names (shift state, mouse buttons and events), the pictures
// and menus the tray icon uses (TIcon, TMenuItem, TPopupMenu, TCustomImageList
// with TChangeLink), and the application object's services.
//
// The types are declared here as the class library declares them, reduced to
// what the component library uses, for as long as the library is built without
// the window layer; once the window layer is part of the class library, this
// header includes its headers instead, and the table below is filled from the
// application object.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Classes.h"

enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TShiftState = uint32_t;
enum : uint32_t {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

//--- Pictures

// An icon picture owning its handle.
class TIcon : public TPersistent {
public:
    TIcon() = default;
    ~TIcon() override;
    const char* ClassName() const override { return "TIcon"; }
    // Copies another icon's picture.
    void Assign(const TPersistent& source) override;
    // Takes an icon handle (owned from then on); nullptr empties the icon.
    void SetHandle(HICON icon);
    HICON Handle() const { return m_icon; }
    bool Empty() const { return m_icon == nullptr; }
    std::function<void()> OnChange;

private:
    HICON m_icon = nullptr;
};

class TCustomImageList;

// Tells its owner that an image list changed (pictures added, replaced or removed).
class TChangeLink {
public:
    TChangeLink() = default;
    ~TChangeLink();
    TChangeLink(const TChangeLink&) = delete;
    TChangeLink& operator=(const TChangeLink&) = delete;
    TCustomImageList* Sender = nullptr;
    TNotifyEvent OnChange;
    void Change();
};

// A list of pictures of one size, of which icons can be made.
class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* owner) : TComponent(owner) {}
    ~TCustomImageList() override;
    const char* ClassName() const override { return "TCustomImageList"; }

    int Count() const { return static_cast<int>(m_icons.size()); }
    // Appends a copy of the icon.
    int AddIcon(HICON icon);
    void Clear();
    // Puts picture index into icon; false (icon untouched) for an index out of range.
    bool GetIcon(int index, TIcon& icon) const;
    void RegisterChanges(TChangeLink* link);
    void UnRegisterChanges(TChangeLink* link);

protected:
    void Change();

private:
    std::vector<HICON> m_icons;
    std::vector<TChangeLink*> m_links;
};

//--- Menus

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner) : TComponent(owner) {}
    ~TMenuItem() override;
    const char* ClassName() const override { return "TMenuItem"; }

    std::string Caption;
    bool Default = false;
    TNotifyEvent OnClick;

    int Count() const { return static_cast<int>(m_items.size()); }
    TMenuItem* Items(int index) const { return m_items.at(static_cast<size_t>(index)); }
    void Add(TMenuItem* item);
    // Runs OnClick.
    virtual void Click();

private:
    TMenuItem* m_parent = nullptr;
    std::vector<TMenuItem*> m_items;
};

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* owner);
    const char* ClassName() const override { return "TMenu"; }
    // The invisible root item; the menu's items are its children.
    TMenuItem* Items() { return m_items; }

private:
    TMenuItem* m_items;
};

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner) : TMenu(owner) {}
    const char* ClassName() const override { return "TPopupMenu"; }
    bool AutoPopup = true;
    TComponent* PopupComponent = nullptr;
    TNotifyEvent OnPopup;
    // Shows the menu at a screen point and returns when it closes.
    void Popup(int x, int y);
};

// Tests answer popup menus instead of a user: the function gets the menu and the
// point and returns the chosen command (0 for none). Empty restores the real menu.
using PopupMenuTracker = std::function<UINT(HMENU menu, int x, int y)>;
void SetPopupMenuTracker(PopupMenuTracker tracker);

//--- The application object

// The application object's services the library uses: its window (the taskbar
// button), its main form, its message pump and its error display. They reach the
// class library's application object through this table, which the program's
// start-up fills; while a member is empty, the library acts as if there were no
// application window, no main form, and nothing to show.
struct TkelApplicationLink {
    std::function<HWND()> Handle;
    std::function<bool()> HasMainForm;
    std::function<void(bool visible)> SetMainFormVisible;
    std::function<void(bool show)> SetShowMainForm;  // whether the message loop shows the main form
    std::function<void()> ProcessMessages;
    // Shows the exception being handled (called inside a catch block), sender first.
    std::function<void(TObject* sender)> HandleException;
    // The window of a component that is a windowed control, or null.
    std::function<HWND(TComponent* component)> WindowOf;
    std::function<bool(TComponent* component)> IsControlVisible;
    std::function<void(TComponent* component, bool visible)> SetControlVisible;
};

TkelApplicationLink& kelApplicationLink();

HWND kelAppHandle();
bool kelAppHasMainForm();
void kelAppSetMainFormVisible(bool visible);
void kelAppSetShowMainForm(bool show);
void kelAppProcessMessages();
void kelAppHandleException(TObject* sender) noexcept;
HWND kelWindowOf(TComponent* component);
bool kelIsControlVisible(TComponent* component);
void kelSetControlVisible(TComponent* component, bool visible);
