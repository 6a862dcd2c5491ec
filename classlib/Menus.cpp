// Menu items, popup menus and the owner-drawn item painting.
#include "classlib/Menus.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "classlib/Controls.h"
#include "classlib/UtilWindow.h"

namespace {

std::map<UINT, TMenuItem*>& ItemsByCommand() {
    static auto* items = new std::map<UINT, TMenuItem*>;
    return *items;
}

UINT NextCommand() {
    static UINT command = 0x100;
    if (++command >= 0xF000) command = 0x101;
    return command;
}

PopupMenuTracker& Tracker() {
    static auto* tracker = new PopupMenuTracker;
    return *tracker;
}

std::string StripAmpersands(const std::string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') result += '&', ++i;
            continue;
        }
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    }
    return result;
}

HFONT MenuFont(GdiFont& owner) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        owner.Reset(CreateFontIndirectA(&metrics.lfMenuFont));
    return owner ? owner.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Measures an owner-drawn item by its current caption, then lets the item change it.
LRESULT MeasureMenuItem(LPARAM lparam) {
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
    if (measure->CtlType != ODT_MENU) return FALSE;
    auto it = ItemsByCommand().find(measure->itemID);
    if (it == ItemsByCommand().end()) return FALSE;
    TMenuItem* item = it->second;
    TBitmap scratch(1, 1);
    TCanvas* canvas = scratch.Canvas();
    GdiFont font;
    HDC dc = canvas->Handle();
    HGDIOBJ old = SelectObject(dc, MenuFont(font));
    RECT rect{0, 0, 0, 0};
    DrawTextA(dc, item->Caption.c_str(), -1, &rect, DT_SINGLELINE | DT_CALCRECT);
    SelectObject(dc, old);
    int width = rect.right + 30;
    int height = std::max<int>(rect.bottom + 6, GetSystemMetrics(SM_CYMENUCHECK) + 2);
    if (item->OnMeasureItem) item->OnMeasureItem(item, canvas, width, height);
    measure->itemWidth = static_cast<UINT>(std::max(width, 0));
    measure->itemHeight = static_cast<UINT>(std::max(height, 0));
    return TRUE;
}

LRESULT DrawMenuItem(LPARAM lparam) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
    if (draw->CtlType != ODT_MENU) return FALSE;
    auto it = ItemsByCommand().find(draw->itemID);
    if (it == ItemsByCommand().end()) return FALSE;
    TMenuItem* item = it->second;
    const bool isSelected = (draw->itemState & ODS_SELECTED) != 0;
    const bool isDisabled = (draw->itemState & (ODS_DISABLED | ODS_GRAYED)) != 0;
    HDC dc = draw->hDC;
    const int saved = SaveDC(dc);
    GdiBrush background(CreateSolidBrush(GetSysColor(isSelected ? COLOR_HIGHLIGHT : COLOR_MENU)));
    FillRect(dc, &draw->rcItem, background.Get());
    GdiFont font;
    SelectObject(dc, MenuFont(font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(isDisabled ? COLOR_GRAYTEXT : isSelected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    RECT text = draw->rcItem;
    text.left += 20;
    UINT flags = DT_SINGLELINE | DT_VCENTER;
    if (draw->itemState & ODS_NOACCEL) flags |= DT_HIDEPREFIX;
    DrawTextA(dc, item->Caption.c_str(), -1, &text, flags);
    RestoreDC(dc, saved);
    return TRUE;
}

void InstallMenuHandlers() {
    static bool isInstalled = false;
    if (isInstalled) return;
    isInstalled = true;
    SetUtilMessageHandler(WM_MEASUREITEM, [](WPARAM, LPARAM lparam) { return MeasureMenuItem(lparam); });
    SetUtilMessageHandler(WM_DRAWITEM, [](WPARAM, LPARAM lparam) { return DrawMenuItem(lparam); });
}

void AppendItems(HMENU menu, TMenuItem* parent, bool ownerDraw) {
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible) continue;
        if (item->IsLine()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = (item->Enabled ? MF_ENABLED : MF_GRAYED) | (item->Checked ? MF_CHECKED : 0);
        if (item->Count() > 0) {
            HMENU sub = CreatePopupMenu();
            AppendItems(sub, item, ownerDraw);
            AppendMenuA(menu, flags | MF_POPUP | (ownerDraw ? MF_OWNERDRAW : MF_STRING),
                        reinterpret_cast<UINT_PTR>(sub), ownerDraw ? nullptr : item->Caption.c_str());
            continue;
        }
        if (ownerDraw)
            AppendMenuA(menu, flags | MF_OWNERDRAW, item->Command(), reinterpret_cast<LPCSTR>(item));
        else
            AppendMenuA(menu, flags | MF_STRING, item->Command(), item->Caption.c_str());
        if (item->Default) SetMenuDefaultItem(menu, item->Command(), FALSE);
    }
}

}  // namespace

//--- TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), m_command(NextCommand()) {
    ItemsByCommand()[m_command] = this;
}

TMenuItem::~TMenuItem() {
    for (TMenuItem* child : m_items) child->m_parent = nullptr;
    if (m_parent) m_parent->Remove(this);
    ItemsByCommand().erase(m_command);
}

void TMenuItem::Add(TMenuItem* item) {
    if (item->m_parent) item->m_parent->Remove(item);
    item->m_parent = this;
    m_items.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item) {
    m_items.erase(std::remove(m_items.begin(), m_items.end(), item), m_items.end());
    item->m_parent = nullptr;
}

TMenuItem* TMenuItem::Find(const std::string& caption) const {
    const std::string wanted = StripAmpersands(caption);
    for (TMenuItem* item : m_items)
        if (StripAmpersands(item->Caption) == wanted) return item;
    return nullptr;
}

void TMenuItem::Click() {
    if (OnClick && !HasState(csDestroying)) OnClick(this);
}

//--- TMenu

TMenu::TMenu(TComponent* owner) : TComponent(owner), m_items(new TMenuItem(this)) {}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

void TPopupMenu::Popup(int x, int y) {
    try {
        if (OnPopup) OnPopup(this);
    } catch (...) {
        HandleCallbackException(this);
        return;
    }
    TrackMenuItems(Items(), x, y, OwnerDraw, MenuAnimation);
}

TMenuItem* TrackMenuItems(TMenuItem* parent, int x, int y, bool ownerDraw, UINT flags) {
    InstallMenuHandlers();
    HMENU menu = CreatePopupMenu();
    AppendItems(menu, parent, ownerDraw);
    UINT command = 0;
    if (Tracker()) {
        command = Tracker()(menu, x, y, flags);
    } else {
        HWND owner = UtilWindow();
        HWND previous = GetForegroundWindow();
        // The owner must be in front, or the menu does not close when the user
        // clicks elsewhere.
        SetForegroundWindow(owner);
        command = static_cast<UINT>(
            TrackPopupMenu(menu, flags | TPM_RETURNCMD | TPM_LEFTBUTTON | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
        PostMessageA(owner, WM_NULL, 0, 0);
        // The hidden owner gives the keyboard back before the item runs: a dialog
        // opened by the item then has the window the menu came from as its owner,
        // and the keyboard goes back there when the dialog closes.
        if (previous && previous != owner && IsWindow(previous) && IsWindowVisible(previous) &&
            GetForegroundWindow() == owner)
            SetForegroundWindow(previous);
    }
    DestroyMenu(menu);
    if (command == 0) return nullptr;
    auto it = ItemsByCommand().find(command);
    if (it == ItemsByCommand().end()) return nullptr;
    TMenuItem* item = it->second;
    try {
        item->Click();
    } catch (...) {
        HandleCallbackException(item);
    }
    return item;
}

void SetPopupMenuTracker(PopupMenuTracker tracker) {
    Tracker() = std::move(tracker);
}

//--- Shortcut keys

namespace {

std::string KeyName(uint8_t key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    switch (key) {
        case VK_BACK: return "BkSp";
        case VK_TAB: return "Tab";
        case VK_ESCAPE: return "Esc";
        case VK_RETURN: return "Enter";
        case VK_SPACE: return "Space";
        case VK_PRIOR: return "PgUp";
        case VK_NEXT: return "PgDn";
        case VK_END: return "End";
        case VK_HOME: return "Home";
        case VK_LEFT: return "Left";
        case VK_UP: return "Up";
        case VK_RIGHT: return "Right";
        case VK_DOWN: return "Down";
        case VK_INSERT: return "Ins";
        case VK_DELETE: return "Del";
        case VK_SHIFT:
        case VK_CONTROL:
        case VK_MENU: return std::string();
        default: break;
    }
    const UINT scanCode = MapVirtualKeyA(key, 0 /* MAPVK_VK_TO_VSC */);
    if (scanCode == 0) return std::string();
    char name[64] = {};
    const int length = GetKeyNameTextA(static_cast<LONG>(scanCode << 16), name, sizeof name);
    return length > 0 ? std::string(name, static_cast<size_t>(length)) : std::string();
}

}  // namespace

std::string ShortCutToText(TShortCut shortCut) {
    const std::string name = KeyName(static_cast<uint8_t>(shortCut & 0xFF));
    if (name.empty()) return std::string();
    std::string text;
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scAlt) text += "Alt+";
    return text + name;
}

TShortCut TextToShortCut(const std::string& text) {
    TShortCut shift = 0;
    std::string rest = text;
    for (bool found = true; found;) {
        found = false;
        for (const auto& prefix : {std::make_pair("Shift+", scShift), std::make_pair("Ctrl+", scCtrl),
                                   std::make_pair("Alt+", scAlt)}) {
            const size_t length = std::char_traits<char>::length(prefix.first);
            if (rest.size() > length && SameText(rest.substr(0, length), prefix.first)) {
                shift |= prefix.second;
                rest = rest.substr(length);
                found = true;
            }
        }
    }
    for (unsigned key = 1; key <= 0xFF; ++key) {
        const std::string name = KeyName(static_cast<uint8_t>(key));
        if (!name.empty() && SameText(name, rest)) return static_cast<TShortCut>(shift | key);
    }
    return 0;
}
