// Label, push button and list box.
#include "classlib/StdCtrls.h"

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <utility>

//--- TLabel

namespace {

// How far the ink of a text drawn into box (with the font selected into dc)
// reaches past the box on the left and on the right. DT_CALCRECT adds up the
// glyphs' advance widths, and a glyph's ink may stand outside them: with some
// fonts a closing colon lands one pixel past the measured width, and a glyph
// that does not fit the clipping is dropped whole.
std::pair<int, int> InkOverhang(HDC dc, const std::string& text, const RECT& box, UINT flags) {
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    const int margin = std::max<int>(metrics.tmMaxCharWidth, 1);
    const int width = box.right + 2 * margin;
    const int height = box.bottom;
    if (width <= 0 || height <= 0) return {0, 0};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiBitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {0, 0};
    auto* pixels = static_cast<uint32_t*>(bits);
    std::fill(pixels, pixels + static_cast<size_t>(width) * height, 0x00FFFFFFu);
    int first = width;
    int last = -1;
    {
        ScopedSelect select(dc, bitmap.Get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        RECT rect{margin, 0, margin + box.right, box.bottom};
        DrawTextA(dc, text.c_str(), -1, &rect, flags | DT_NOCLIP);
        GdiFlush();
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixels[static_cast<size_t>(y) * width + x] & 0x00FFFFFFu) != 0x00FFFFFFu) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    if (last < 0) return {0, 0};
    return {std::max(0, margin - first), std::max(0, last + 1 - (margin + static_cast<int>(box.right)))};
}

}  // namespace

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 65, 17);
}

void TLabel::SetTransparent(bool transparent) {
    m_isTransparent = transparent;
    Invalidate();
}

void TLabel::SetAutoSize(bool autoSize) {
    m_isAutoSize = autoSize;
    AdjustBounds();
}

void TLabel::TextChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::FontChanged() {
    AdjustBounds();
    Invalidate();
}

UINT TLabel::DrawFlags() const {
    UINT flags = DT_EXPANDTABS | (WordWrap ? DT_WORDBREAK : DT_SINGLELINE);
    if (Alignment == taCenter) flags |= DT_CENTER;
    if (Alignment == taRightJustify) flags |= DT_RIGHT;
    return flags;
}

// The label takes the size of its text as drawn: the box DrawText measures,
// widened by any ink that falls outside it, so that no glyph is clipped away.
void TLabel::AdjustBounds() {
    if (!m_isAutoSize) return;
    ScopedMemoryDC dc;
    ScopedSelect font(dc.Get(), Font()->Handle());
    RECT rect{0, 0, WordWrap ? std::max(Width() - m_inkLeft - m_inkRight, 0) : 0, 0};
    const std::string text = Caption().empty() ? std::string(" ") : Caption();
    DrawTextA(dc.Get(), text.c_str(), -1, &rect, DrawFlags() | DT_CALCRECT);
    std::tie(m_inkLeft, m_inkRight) = InkOverhang(dc.Get(), text, rect, DrawFlags());
    SetBounds(Left(), Top(), m_inkLeft + rect.right + m_inkRight, rect.bottom);
}

void TLabel::Paint() {
    TCanvas* canvas = Canvas();
    RECT rect = ClientRect();
    if (!m_isTransparent) {
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(rect);
    }
    canvas->Brush()->SetStyle(bsClear);
    HDC dc = canvas->Handle();
    if (!Enabled()) SetTextColor(dc, ColorToRGB(clGrayText));
    UINT flags = DrawFlags();
    if (m_isAutoSize) {
        // The text keeps the box it was measured in; its overhanging ink has
        // the margins around it, which DrawText's own clipping would cut off.
        rect.left += m_inkLeft;
        rect.right -= m_inkRight;
        flags |= DT_NOCLIP;
    }
    DrawTextA(dc, Caption().c_str(), -1, &rect, flags);
}

void TLabel::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_MOUSEENTER:
            if (OnMouseEnter && CanFireEvents()) OnMouseEnter(this);
            return;
        case CM_MOUSELEAVE:
            if (OnMouseLeave && CanFireEvents()) OnMouseLeave(this);
            return;
        default: break;
    }
    TGraphicControl::WndProc(message);
}

//--- TButton

TButton::TButton(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 75, 25);
    TabStop = true;
}

void TButton::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SubclassOf = "BUTTON";
    params.Style |= m_isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool isDefault) {
    if (isDefault == m_isDefault) return;
    m_isDefault = isDefault;
    if (HandleAllocated()) {
        const LONG style = GetWindowLongA(Handle(), GWL_STYLE);
        // Only a plain push button changes its look; other kinds keep theirs.
        if ((style & BS_TYPEMASK) == BS_PUSHBUTTON || (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            SendMessageA(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
}

void TButton::Click() {
    TWinControl::Click();
}

bool TButton::DialogKey(WORD key, TShiftState shift, TWinControl* focused) {
    (void)shift;
    if (!CanFocus()) return false;
    const bool isClicked = (key == VK_ESCAPE && Cancel) ||
                           (key == VK_RETURN && (focused == this || (m_isDefault && !dynamic_cast<TButton*>(focused))));
    if (!isClicked) return false;
    Click();
    return true;
}

void TButton::WndProc(TMessage& message) {
    if (message.Msg == CN_COMMAND) {
        if (HIWORD(message.WParam) == BN_CLICKED) Click();
        message.Result = 0;
        return;
    }
    TWinControl::WndProc(message);
}

//--- Items of list and combo boxes

namespace {

void CheckItemIndex(int index, int count) {
    if (index < 0 || index >= count) throw Exception("List index out of bounds (" + IntToStr(index) + ")");
}

// The text of an item held by a list or combo box window, asked for by length, then text.
std::string ItemText(HWND window, UINT lengthMsg, UINT textMsg, int index) {
    const LRESULT length = SendMessageA(window, lengthMsg, index, 0);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    SendMessageA(window, textMsg, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return text;
}

}  // namespace

//--- TListBoxStrings

int TListBoxStrings::Count() const {
    TListBox& box = m_owner;
    if (box.HandleAllocated()) return static_cast<int>(SendMessageA(box.Handle(), LB_GETCOUNT, 0, 0));
    return static_cast<int>(m_items.size());
}

std::string TListBoxStrings::Strings(int index) const {
    TListBox& box = m_owner;
    CheckItemIndex(index, Count());
    if (!box.HandleAllocated()) return m_items[static_cast<size_t>(index)];
    return ItemText(box.Handle(), LB_GETTEXTLEN, LB_GETTEXT, index);
}

int TListBoxStrings::Add(const std::string& text) {
    TListBox& box = m_owner;
    if (box.HandleAllocated())
        return static_cast<int>(SendMessageA(box.Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    m_items.push_back(text);
    return static_cast<int>(m_items.size()) - 1;
}

void TListBoxStrings::Delete(int index) {
    TListBox& box = m_owner;
    CheckItemIndex(index, Count());
    if (box.HandleAllocated())
        SendMessageA(box.Handle(), LB_DELETESTRING, index, 0);
    else
        m_items.erase(m_items.begin() + index);
}

void TListBoxStrings::Clear() {
    TListBox& box = m_owner;
    if (box.HandleAllocated())
        SendMessageA(box.Handle(), LB_RESETCONTENT, 0, 0);
    else
        m_items.clear();
}

//--- TListBox

TListBox::TListBox(TComponent* owner) : TWinControl(owner), m_items(*this), m_canvas(this) {
    SetBounds(0, 0, 121, 97);
    SetColor(clWindow);
    TabStop = true;
}

void TListBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SubclassOf = "LISTBOX";
    params.Style |= WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    if (Style == lbOwnerDrawFixed) params.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
    params.ExStyle |= WS_EX_CLIENTEDGE;
    params.Style &= ~WS_BORDER;
}

void TListBox::CreateWindowHandle() {
    HWND window = Handle();
    if (Style == lbOwnerDrawFixed) SendMessageA(window, LB_SETITEMHEIGHT, 0, m_itemHeight);
    for (const std::string& item : m_items.m_items)
        SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    m_items.m_items.clear();
    if (m_pendingIndex >= 0) SendMessageA(window, LB_SETCURSEL, m_pendingIndex, 0);
}

void TListBox::SetItemHeight(int height) {
    m_itemHeight = height;
    if (HandleAllocated() && Style == lbOwnerDrawFixed) {
        SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, height);
        Invalidate();
    }
}

int TListBox::ItemIndex() {
    if (!HandleAllocated()) return m_pendingIndex;
    return static_cast<int>(SendMessageA(Handle(), LB_GETCURSEL, 0, 0));
}

void TListBox::SetItemIndex(int index) {
    if (!HandleAllocated()) {
        m_pendingIndex = index;
        return;
    }
    // An index outside the items clears the selection on every system.
    if (index < 0 || index >= m_items.Count()) index = -1;
    SendMessageA(Handle(), LB_SETCURSEL, index, 0);
}

void TListBox::DrawItem(int index, RECT rect, UINT state) {
    TCanvas* canvas = Canvas();
    const bool isSelected = (state & ODS_SELECTED) != 0;
    canvas->Brush()->SetColor(isSelected ? clHighlight : Color());
    canvas->FillRect(rect);
    if (index >= 0 && index < m_items.Count()) {
        HDC dc = canvas->Handle();
        SetTextColor(dc, ColorToRGB(isSelected ? clHighlightText : Font()->Color()));
        canvas->TextOut(rect.left + 2, rect.top, m_items.Strings(index));
    }
    if (state & ODS_FOCUS) canvas->DrawFocusRect(rect);
}

void TListBox::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CN_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
            m_canvas.UsePaintDC(item->hDC);
            m_canvas.Font()->Assign(*Font());
            const int index = static_cast<int>(item->itemID);
            const UINT state = item->itemState;
            if (OnDrawItem && CanFireEvents())
                OnDrawItem(this, index, item->rcItem, state);
            else
                DrawItem(index, item->rcItem, state);
            m_canvas.FreeDeviceContext();
            message.Result = TRUE;
            return;
        }
        case CN_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
            item->itemHeight = static_cast<UINT>(m_itemHeight);
            message.Result = TRUE;
            return;
        }
        case CN_COMMAND:
            if (HIWORD(message.WParam) == LBN_SELCHANGE) Click();
            message.Result = 0;
            return;
        default: break;
    }
    TWinControl::WndProc(message);
}

//--- TColoredControl

LRESULT TColoredControl::ControlColors(TControl& control, HDC dc) {
    const TColor color = control.Color();
    if (!m_brush || m_brushColor != color) {
        m_brush.Reset(CreateSolidBrush(ColorToRGB(color)));
        m_brushColor = color;
    }
    SetTextColor(dc, ColorToRGB(control.Enabled() ? control.Font()->Color() : clGrayText));
    SetBkColor(dc, ColorToRGB(color));
    return reinterpret_cast<LRESULT>(m_brush.Get());
}

//--- TCustomEdit

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 121, 21);
    SetColor(clWindow);
    TabStop = true;
}

void TCustomEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SubclassOf = "EDIT";
    params.Style |= ES_AUTOHSCROLL;
    if (ReadOnly) params.Style |= ES_READONLY;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWindowHandle() {
    if (m_maxLength > 0) SendMessageA(Handle(), EM_LIMITTEXT, m_maxLength, 0);
}

std::string TCustomEdit::Text() const {
    if (!HandleAllocated()) return Caption();
    // Handle() is not const; the window exists, so ask it directly.
    HWND window = const_cast<TCustomEdit*>(this)->Handle();
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void TCustomEdit::SetText(const std::string& text) {
    const std::string adjusted = AdjustText(text);
    if (HandleAllocated()) {
        // The system's own change notice of a programmatic set varies by version;
        // the change is told exactly once, here.
        m_isSettingText = true;
        SetWindowTextA(Handle(), adjusted.c_str());
        m_isSettingText = false;
    } else {
        SetCaption(adjusted);
    }
    Change();
}

void TCustomEdit::SetMaxLength(int length) {
    m_maxLength = length;
    if (HandleAllocated()) SendMessageA(Handle(), EM_LIMITTEXT, length, 0);
}

void TCustomEdit::Change() {
    if (OnChange && CanFireEvents()) OnChange(this);
}

void TCustomEdit::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CN_COMMAND:
            if (HIWORD(message.WParam) == EN_CHANGE && !m_isSettingText) Change();
            message.Result = 0;
            return;
        case CN_CTLCOLOREDIT:
        case CN_CTLCOLORSTATIC: message.Result = ControlColors(*this, reinterpret_cast<HDC>(message.WParam)); return;
        default: break;
    }
    TWinControl::WndProc(message);
}

//--- TMemo

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner) {
    SetBounds(0, 0, 185, 89);
}

void TMemo::CreateParams(TCreateParams& params) {
    TCustomEdit::CreateParams(params);
    params.Style &= ~ES_AUTOHSCROLL;
    params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
    if (WantReturns) params.Style |= ES_WANTRETURN;
}

std::string TMemo::AdjustText(const std::string& text) const {
    // The system's multi-line edit breaks lines at CR LF only.
    std::string lines;
    lines.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '\n' && (i == 0 || text[i - 1] != '\r')) lines += '\r';
        lines += ch;
        if (ch == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) lines += '\n';
    }
    return lines;
}

//--- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 97, 17);
    TabStop = true;
}

void TCheckBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SubclassOf = "BUTTON";
    params.Style |= BS_AUTOCHECKBOX;
}

void TCheckBox::CreateWindowHandle() {
    SendMessageA(Handle(), BM_SETCHECK, m_isChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Checked() const {
    if (!HandleAllocated()) return m_isChecked;
    HWND window = const_cast<TCheckBox*>(this)->Handle();
    return SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TCheckBox::SetChecked(bool checked) {
    if (checked == Checked()) return;
    m_isChecked = checked;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    Click();
}

void TCheckBox::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CN_COMMAND:
            // The system has turned the box over already.
            if (HIWORD(message.WParam) == BN_CLICKED) {
                m_isChecked = Checked();
                Click();
            }
            message.Result = 0;
            return;
        case CN_CTLCOLORSTATIC:
        case CN_CTLCOLORBTN: message.Result = ControlColors(*this, reinterpret_cast<HDC>(message.WParam)); return;
        default: break;
    }
    TWinControl::WndProc(message);
}

//--- TComboBoxStrings

int TComboBoxStrings::Count() const {
    TComboBox& box = m_owner;
    if (box.HandleAllocated()) return static_cast<int>(SendMessageA(box.Handle(), CB_GETCOUNT, 0, 0));
    return static_cast<int>(m_items.size());
}

std::string TComboBoxStrings::Strings(int index) const {
    TComboBox& box = m_owner;
    CheckItemIndex(index, Count());
    if (!box.HandleAllocated()) return m_items[static_cast<size_t>(index)];
    return ItemText(box.Handle(), CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

int TComboBoxStrings::Add(const std::string& text) {
    TComboBox& box = m_owner;
    if (box.HandleAllocated())
        return static_cast<int>(SendMessageA(box.Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    m_items.push_back(text);
    return static_cast<int>(m_items.size()) - 1;
}

void TComboBoxStrings::Clear() {
    TComboBox& box = m_owner;
    if (box.HandleAllocated())
        SendMessageA(box.Handle(), CB_RESETCONTENT, 0, 0);
    else
        m_items.clear();
    box.m_pendingIndex = -1;
}

//--- TComboBox

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner), m_items(*this) {
    SetBounds(0, 0, 145, 21);
    SetColor(clWindow);
    TabStop = true;
}

void TComboBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SubclassOf = "COMBOBOX";
    params.Style |= WS_VSCROLL | (Style == csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL);
    // The window's height includes the dropped-down list; the closed box keeps
    // the height the system gives it.
    params.Height = Height() + DropDownCount * 16 + 2;
}

void TComboBox::CreateWindowHandle() {
    HWND window = Handle();
    for (const std::string& item : m_items.m_items)
        SendMessageA(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    m_items.m_items.clear();
    if (m_pendingIndex >= 0) SendMessageA(window, CB_SETCURSEL, m_pendingIndex, 0);
}

int TComboBox::ItemIndex() const {
    if (!HandleAllocated()) return m_pendingIndex;
    HWND window = const_cast<TComboBox*>(this)->Handle();
    return static_cast<int>(SendMessageA(window, CB_GETCURSEL, 0, 0));
}

void TComboBox::SetItemIndex(int index) {
    if (index < 0 || index >= m_items.Count()) index = -1;
    if (!HandleAllocated()) {
        m_pendingIndex = index;
        return;
    }
    SendMessageA(Handle(), CB_SETCURSEL, index, 0);
}

std::string TComboBox::Text() const {
    const int index = ItemIndex();
    if (index >= 0) return m_items.Strings(index);
    if (!HandleAllocated() || Style == csDropDownList) return std::string();
    HWND window = const_cast<TComboBox*>(this)->Handle();
    char text[1024] = {0};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

void TComboBox::Change() {
    if (OnChange && CanFireEvents()) OnChange(this);
}

void TComboBox::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CN_COMMAND:
            if (HIWORD(message.WParam) == CBN_SELCHANGE) {
                Click();
                Change();
            }
            message.Result = 0;
            return;
        case CN_CTLCOLOREDIT:
        case CN_CTLCOLORLISTBOX:
        case CN_CTLCOLORSTATIC: message.Result = ControlColors(*this, reinterpret_cast<HDC>(message.WParam)); return;
        default: break;
    }
    TWinControl::WndProc(message);
}
