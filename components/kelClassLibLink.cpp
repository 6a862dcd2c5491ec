// The library's way to the application object.
#include "components/kelClassLibLink.h"

#include <exception>

TkelApplicationLink& kelApplicationLink() {
    static TkelApplicationLink link;
    return link;
}

HWND kelAppHandle() {
    const auto& link = kelApplicationLink();
    return link.Handle ? link.Handle() : nullptr;
}

bool kelAppHasMainForm() {
    const auto& link = kelApplicationLink();
    return link.HasMainForm && link.HasMainForm();
}

void kelAppSetMainFormVisible(bool visible) {
    const auto& link = kelApplicationLink();
    if (link.SetMainFormVisible) link.SetMainFormVisible(visible);
}

void kelAppSetShowMainForm(bool show) {
    const auto& link = kelApplicationLink();
    if (link.SetShowMainForm) link.SetShowMainForm(show);
}

void kelAppProcessMessages() {
    const auto& link = kelApplicationLink();
    if (link.ProcessMessages) {
        link.ProcessMessages();
        return;
    }
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void kelAppHandleException(TObject* sender) noexcept {
    try {
        const auto& link = kelApplicationLink();
        if (link.HandleException) {
            link.HandleException(sender);
            return;
        }
        // No application to show it: it goes to the debugger's output at least.
        try {
            throw;
        } catch (const std::exception& e) {
            OutputDebugStringA(e.what());
        } catch (...) {
            OutputDebugStringA("Unknown exception");
        }
    } catch (...) {
    }
}

HWND kelWindowOf(TComponent* component) {
    const auto& link = kelApplicationLink();
    return component && link.WindowOf ? link.WindowOf(component) : nullptr;
}

bool kelIsControlVisible(TComponent* component) {
    const auto& link = kelApplicationLink();
    return component && link.IsControlVisible && link.IsControlVisible(component);
}

void kelSetControlVisible(TComponent* component, bool visible) {
    const auto& link = kelApplicationLink();
    if (component && link.SetControlVisible) link.SetControlVisible(component, visible);
}

//--- Pictures

TIcon::~TIcon() {
    if (m_icon) DestroyIcon(m_icon);
}

void TIcon::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TIcon*>(&source);
    if (!other) return TPersistent::Assign(source);
    if (other == this) return;
    SetHandle(other->m_icon ? CopyIcon(other->m_icon) : nullptr);
}

void TIcon::SetHandle(HICON icon) {
    if (m_icon && m_icon != icon) DestroyIcon(m_icon);
    m_icon = icon;
    if (OnChange) OnChange();
}

TChangeLink::~TChangeLink() {
    if (Sender) Sender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
    if (OnChange) OnChange(Sender);
}

TCustomImageList::~TCustomImageList() {
    for (TChangeLink* link : m_links) link->Sender = nullptr;
    Clear();
}

int TCustomImageList::AddIcon(HICON icon) {
    m_icons.push_back(CopyIcon(icon));
    Change();
    return Count() - 1;
}

void TCustomImageList::Clear() {
    for (HICON icon : m_icons) DestroyIcon(icon);
    m_icons.clear();
    Change();
}

bool TCustomImageList::GetIcon(int index, TIcon& icon) const {
    if (index < 0 || index >= Count()) return false;
    icon.SetHandle(CopyIcon(m_icons[static_cast<size_t>(index)]));
    return true;
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
    link->Sender = this;
    m_links.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
    for (auto it = m_links.begin(); it != m_links.end(); ++it) {
        if (*it != link) continue;
        link->Sender = nullptr;
        m_links.erase(it);
        return;
    }
}

void TCustomImageList::Change() {
    const std::vector<TChangeLink*> links = m_links;
    for (TChangeLink* link : links) link->Change();
}

//--- Menus

TMenuItem::~TMenuItem() {
    for (TMenuItem* item : m_items) item->m_parent = nullptr;
    if (m_parent) {
        auto& siblings = m_parent->m_items;
        for (auto it = siblings.begin(); it != siblings.end(); ++it) {
            if (*it == this) {
                siblings.erase(it);
                break;
            }
        }
    }
}

void TMenuItem::Add(TMenuItem* item) {
    item->m_parent = this;
    m_items.push_back(item);
}

void TMenuItem::Click() {
    if (OnClick) OnClick(this);
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), m_items(new TMenuItem(this)) {}

namespace {

PopupMenuTracker& Tracker() {
    static PopupMenuTracker tracker;
    return tracker;
}

}  // namespace

void SetPopupMenuTracker(PopupMenuTracker tracker) {
    Tracker() = std::move(tracker);
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(this);
    HMENU menu = CreatePopupMenu();
    TMenuItem* root = Items();
    for (int i = 0; i < root->Count(); ++i) {
        TMenuItem* item = root->Items(i);
        const UINT flags = item->Caption == "-" ? MF_SEPARATOR : MF_STRING;
        AppendMenuA(menu, flags, static_cast<UINT_PTR>(i + 1), item->Caption.c_str());
        if (item->Default) SetMenuDefaultItem(menu, static_cast<UINT>(i + 1), FALSE);
    }
    UINT command = 0;
    if (Tracker()) {
        command = Tracker()(menu, x, y);
    } else {
        HWND owner = kelAppHandle();
        command = static_cast<UINT>(
            TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner ? owner : GetDesktopWindow(), nullptr));
    }
    DestroyMenu(menu);
    if (command >= 1 && static_cast<int>(command) <= root->Count()) root->Items(static_cast<int>(command) - 1)->Click();
}
