// Cool bar, tool bar and tool buttons; the date picker.
#include "classlib/ComCtrls.h"

#include <commctrl.h>

#include <cmath>

//--- TCoolBar

TCoolBar::TCoolBar(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 150, 75);
}

void TCoolBar::AddBand(TWinControl* control) {
    control->SetParent(this);
    control->SetBounds(0, 0, Width(), control->Height());
    if (AutoSize) SetBounds(Left(), Top(), Width(), control->Height());
}

void TCoolBar::PaintBackground(HDC dc, const RECT& rect) {
    if (m_bitmap.Empty()) return TCustomControl::PaintBackground(dc, rect);
    HDC source = m_bitmap.Canvas()->Handle();
    for (int y = 0; y < ClientHeight(); y += m_bitmap.Height())
        for (int x = 0; x < ClientWidth(); x += m_bitmap.Width())
            BitBlt(dc, x, y, m_bitmap.Width(), m_bitmap.Height(), source, 0, 0, SRCCOPY);
}

//--- TToolBar

TToolBar::TToolBar(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 150, 29);
}

void TToolBar::SetButtonSize(int width, int height) {
    m_buttonWidth = width;
    m_buttonHeight = height;
    ArrangeButtons();
}

void TToolBar::ArrangeButtons() {
    int x = 0;
    int y = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        auto* button = dynamic_cast<TToolButton*>(Controls(i));
        if (!button || !button->Visible()) continue;
        if (x > 0 && x + m_buttonWidth > ClientWidth()) {
            x = 0;
            y += m_buttonHeight;
        }
        button->SetBounds(x, y, m_buttonWidth, m_buttonHeight);
        x += m_buttonWidth;
    }
    Invalidate();
}

void TToolBar::PaintBackground(HDC dc, const RECT& rect) {
    if (!Transparent || !Parent()) return TCustomControl::PaintBackground(dc, rect);
    // What lies behind the bar in the parent, moved to the bar's origin.
    const int saved = SaveDC(dc);
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x - Left(), origin.y - Top(), nullptr);
    RECT parentRect = rect;
    OffsetRect(&parentRect, Left(), Top());
    Parent()->PaintBackground(dc, parentRect);
    RestoreDC(dc, saved);
}

//--- TToolButton

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 23, 22);
}

void TToolButton::SetParent(TWinControl* parent) {
    TGraphicControl::SetParent(parent);
    if (auto* bar = dynamic_cast<TToolBar*>(parent)) bar->ArrangeButtons();
}

void TToolButton::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_MOUSEENTER:
            m_isHot = true;
            Invalidate();
            return;
        case CM_MOUSELEAVE:
            m_isHot = false;
            Invalidate();
            return;
        default: break;
    }
    TGraphicControl::WndProc(message);
}

void TToolButton::Paint() {
    TCanvas* canvas = Canvas();
    RECT rect = ClientRect();
    const bool isDown = IsDown();
    HDC dc = canvas->Handle();
    if (m_isChecked && !m_isDown) {
        // A check button that is down shows a lighter face inside its edge.
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(clBtnHighlight);
        RECT face = rect;
        InflateRect(&face, -1, -1);
        canvas->FillRect(face);
        dc = canvas->Handle();
    }
    if (isDown)
        DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT);
    else if (m_isHot && Enabled())
        DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
    RECT text = rect;
    auto* bar = dynamic_cast<TToolBar*>(Parent());
    auto* images = bar ? dynamic_cast<TImageList*>(bar->Images) : nullptr;
    if (images && ImageIndex >= 0) {
        // The picture centred above the caption (or alone without captions).
        const int textHeight = bar->ShowCaptions ? canvas->TextHeight("0") : 0;
        const int gap = bar->ShowCaptions ? 2 : 0;
        int x = (Width() - images->Width()) / 2;
        int y = (Height() - images->Height() - gap - textHeight) / 2;
        if (isDown) {
            ++x;
            ++y;
        }
        images->Draw(canvas, x, y, ImageIndex);
        text.top = y + images->Height() + gap;
        text.bottom = text.top + textHeight;
        if (isDown) OffsetRect(&text, 0, -1);
    }
    if (bar && !bar->ShowCaptions && images && ImageIndex >= 0) return;
    canvas->Brush()->SetStyle(bsClear);
    dc = canvas->Handle();
    if (!Enabled()) SetTextColor(dc, ColorToRGB(clGrayText));
    if (isDown) OffsetRect(&text, 1, 1);
    DrawTextA(dc, Caption().c_str(), -1, &text, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

void TToolButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && MenuItem) DropDownMenu();
}

void TToolButton::Click() {
    // A menu button acts on the press.
    if (MenuItem) return;
    if (Style == tbsCheck) SetDown(Grouped ? true : !m_isChecked);
    TGraphicControl::Click();
}

void TToolButton::SetDown(bool down) {
    if (down == m_isChecked) return;
    m_isChecked = down;
    Invalidate();
    if (!down || !Grouped || Style != tbsCheck || !Parent()) return;
    // The group: the grouped check buttons next to this one on either side.
    TWinControl* bar = Parent();
    int index = 0;
    while (index < bar->ControlCount() && bar->Controls(index) != this) ++index;
    for (int step : {-1, 1}) {
        for (int i = index + step; i >= 0 && i < bar->ControlCount(); i += step) {
            auto* other = dynamic_cast<TToolButton*>(bar->Controls(i));
            if (!other || !other->Grouped || other->Style != tbsCheck) break;
            other->SetDown(false);
        }
    }
}

void TToolButton::DropDownMenu() {
    if (!MenuItem || !Parent()) return;
    m_isDown = true;
    Repaint();
    const POINT below = ClientToScreen(POINT{0, Height()});
    TrackMenuItems(MenuItem, below.x, below.y, false, TPM_LEFTALIGN | TPM_TOPALIGN);
    m_isDown = false;
    m_isHot = false;
    Repaint();
}

//--- TDateTimePicker

namespace {

SYSTEMTIME ToSystemTime(TDateTime date) {
    int year = 0, month = 0, day = 0;
    DecodeDate(date, year, month, day);
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    // The day of the week of day 0 (1899-12-30) was a Saturday.
    const int days = static_cast<int>(std::floor(date));
    time.wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 6) % 7);
    return time;
}

}  // namespace

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 186, 21);
    SetColor(clWindow);
    TabStop = true;
    m_date = std::floor(::Date());
}

void TDateTimePicker::CreateParams(TCreateParams& params) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    TWinControl::CreateParams(params);
    params.SubclassOf = DATETIMEPICK_CLASSA;
    params.Style |= DTS_SHORTDATEFORMAT;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TDateTimePicker::CreateWindowHandle() {
    SetDate(m_date);
}

TDateTime TDateTimePicker::Date() const {
    if (!HandleAllocated()) return m_date;
    HWND window = const_cast<TDateTimePicker*>(this)->Handle();
    SYSTEMTIME time{};
    if (SendMessageA(window, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID) return m_date;
    TDateTime date = 0;
    return TryEncodeDate(time.wYear, time.wMonth, time.wDay, date) ? date : m_date;
}

void TDateTimePicker::SetDate(TDateTime date) {
    m_date = std::floor(date);
    if (!HandleAllocated()) return;
    SYSTEMTIME time = ToSystemTime(m_date);
    SendMessageA(Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}
