// Label, push button and list box.
#include "classlib/StdCtrls.h"

//--- TLabel

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

void TLabel::AdjustBounds() {
    if (!m_isAutoSize) return;
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, Font()->Handle());
    RECT rect{0, 0, WordWrap ? Width() : 0, 0};
    const std::string text = Caption().empty() ? std::string(" ") : Caption();
    DrawTextA(screen, text.c_str(), -1, &rect, DrawFlags() | DT_CALCRECT);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    SetBounds(Left(), Top(), rect.right, rect.bottom);
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
    DrawTextA(dc, Caption().c_str(), -1, &rect, DrawFlags());
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

//--- TListBoxStrings

int TListBoxStrings::Count() const {
    TListBox& box = m_owner;
    if (box.HandleAllocated()) return static_cast<int>(SendMessageA(box.Handle(), LB_GETCOUNT, 0, 0));
    return static_cast<int>(m_items.size());
}

std::string TListBoxStrings::Strings(int index) const {
    TListBox& box = m_owner;
    if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + IntToStr(index) + ")");
    if (!box.HandleAllocated()) return m_items[static_cast<size_t>(index)];
    const LRESULT length = SendMessageA(box.Handle(), LB_GETTEXTLEN, index, 0);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    SendMessageA(box.Handle(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return text;
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
    if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + IntToStr(index) + ")");
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
