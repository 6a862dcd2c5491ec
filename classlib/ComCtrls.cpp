// Cool bar, tool bar and tool buttons.
#include "classlib/ComCtrls.h"

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
    for (int i = 0; i < ControlCount(); ++i) {
        auto* button = dynamic_cast<TToolButton*>(Controls(i));
        if (!button || !button->Visible()) continue;
        button->SetBounds(x, 0, m_buttonWidth, m_buttonHeight);
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
    HDC dc = canvas->Handle();
    if (m_isDown)
        DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT);
    else if (m_isHot && Enabled())
        DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
    canvas->Brush()->SetStyle(bsClear);
    dc = canvas->Handle();
    if (!Enabled()) SetTextColor(dc, ColorToRGB(clGrayText));
    RECT text = rect;
    if (m_isDown) OffsetRect(&text, 1, 1);
    DrawTextA(dc, Caption().c_str(), -1, &text, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}

void TToolButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && MenuItem) DropDownMenu();
}

void TToolButton::Click() {
    // A menu button acts on the press.
    if (!MenuItem) TGraphicControl::Click();
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
