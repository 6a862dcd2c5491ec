// The lamp check box: its window style, painting, focus, keys and mouse.
#include "ui/UTransparentCheckBox.h"

#include <algorithm>

TTransparentCheckBox::TTransparentCheckBox(TComponent* owner) : TCustomControl(owner) {
    SetBounds(Left(), Top(), 100, 30);
}

TTransparentCheckBox::~TTransparentCheckBox() = default;

void TTransparentCheckBox::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    params.ExStyle |= WS_EX_TRANSPARENT;
}

int TTransparentCheckBox::Diameter() const {
    return std::min(Width(), Height());
}

RECT TTransparentCheckBox::CaptionRect() {
    const int d = Diameter();
    const int r = d / 2;
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(*Font());
    const SIZE text = canvas->TextExtent(Caption());
    const int top = r - static_cast<int>(text.cy) / 2;
    return RECT{d, top - 1, std::min(Width(), d + static_cast<int>(text.cx) + 2), top + static_cast<int>(text.cy) + 1};
}

// Called when the control paints, into its paint buffer.
void TTransparentCheckBox::Paint() {
    TCanvas* canvas = Canvas();
    // 1.
    canvas->Font()->Assign(*Font());
    // 2.
    const TColor lamp = !Enabled() ? DisabledColor : Checked ? CheckedColor : UncheckedColor;
    // 3.
    if (!Visible()) return;
    const int d = Diameter();
    const int r = d / 2;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(ClientRect());
    canvas->Brush()->SetColor(lamp);
    canvas->Pen()->SetColor(clBtnShadow);
    canvas->Ellipse(0, 0, d, d);
    // The highlight dot up and left of the centre.
    canvas->Pen()->SetColor(clBtnHighlight);
    canvas->Brush()->SetColor(clBtnHighlight);
    const int q = std::max(d / 4, 1);
    canvas->Ellipse(r - q, r - q, r, r);
    canvas->Brush()->SetStyle(bsClear);
    const RECT caption = CaptionRect();
    canvas->Font()->SetColor(Enabled() ? clBtnText : clGrayText);
    canvas->TextRect(caption, d, r - canvas->TextHeight(Caption()) / 2, Caption());
    canvas->Brush()->SetColor(clBtnFace);
    if (Focused()) canvas->DrawFocusRect(caption);
}

// Called when the control gets the focus: the focus frame appears.
void TTransparentCheckBox::DoEnter() {
    Repaint();
}

// Called when the control loses the focus: the focus frame goes.
void TTransparentCheckBox::DoExit() {
    Repaint();
}

// Called when a key goes down while the control has the focus: Return toggles.
void TTransparentCheckBox::KeyDown(WORD& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key != VK_RETURN) return;
    Checked = !Checked;
    Repaint();
}

// Called when any mouse button goes down on the control: a press on the lamp
// toggles it, and so does one anywhere while the control has the focus.
void TTransparentCheckBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    const int d = Diameter();
    if (Focused() || (x <= d && y <= d)) Checked = !Checked;
    Repaint();
}
