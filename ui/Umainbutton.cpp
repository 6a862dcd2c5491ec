// The skinned push button: message map, face and caption, and the click
// handlers of the dialogs' buttons.
#include "ui/Umainbutton.h"

#include "model/Uglobals.h"
#include "ui/UFormMessageBox.h"
#include "ui/UFormRemindeNow.h"
#include "ui/UMain.h"
#include "ui/Ugraphic.h"

namespace {

// The caption colour of a disabled button: the system colour of inactive borders.
constexpr TColor kDisabledTextColor = SystemColor(COLOR_INACTIVEBORDER);  // 0x8000000B

}  // namespace

//--- Construction

TImageButton::TImageButton(TComponent* owner) : TButton(owner) {
    ButtonCanvas = std::make_unique<TControlCanvas>(this);
    ButtonCanvas->Brush()->SetStyle(bsClear);
}

TImageButton::TImageButton(TWinControl* parent, const RECT* rect, const std::wstring& caption, bool shadow)
    : TImageButton(static_cast<TComponent*>(nullptr)) {
    SetParent(parent);
    CaptionText = caption;
    DrawShadow = shadow;
    // The rectangle's last two values are the width and the height.
    SetBounds(rect->left, rect->top, rect->right, rect->bottom);
}

TImageButton::~TImageButton() {
    *m_isAlive = false;
    SetState(csDestroying, true);
    ButtonCanvas->FreeDeviceContext();
}

void TImageButton::CreateParams(TCreateParams& params) {
    TButton::CreateParams(params);
    // The system button keeps its clicks and keys, but every face it would
    // draw (pushed, focused, released) comes here to be drawn from the skin.
    params.Style = (params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

//--- Message map

void TImageButton::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_PAINT: return PaintIt(message);
        case WM_KEYUP: return OnPushed(message);
        case WM_CHAR: return OnKeyDownMessage(message);
        case WM_LBUTTONDOWN: return ClickedTrue(message);
        case WM_LBUTTONUP: return ClickedFalse(message);
        case WM_LBUTTONDBLCLK: return OnDblClickMessage(message);
        case CM_MOUSEENTER: return OnMouseEnterMessage(message);
        case CM_MOUSELEAVE: return OnMouseLeaveMessage(message);
        case CN_DRAWITEM: {
            // The system button's own painting.
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam);
            ButtonCanvas->UsePaintDC(item->hDC);
            PaintFace(ButtonCanvas.get(), Focused());
            ButtonCanvas->FreeDeviceContext();
            message.Result = TRUE;
            return;
        }
        default: break;
    }
    TButton::WndProc(message);
}

void TImageButton::PaintIt(TMessage& message) {
    const std::shared_ptr<bool> isAlive = m_isAlive;
    TButton::WndProc(message);
    // A click handler may have destroyed the button or its window.
    if (!*isAlive) return;
    DrawFace();
}

// Called on a key release: only the space key's release counts, and it clicks.
void TImageButton::OnPushed(TMessage& message) {
    message.Result = 0;
    if (message.WParam != 32) return;
    IsSpaceDown = false;
    PaintIt(message);
}

// Called on a typed character: only the space shows the pressed look; other
// characters end here, so no key-press event follows.
void TImageButton::OnKeyDownMessage(TMessage& message) {
    message.Result = 0;
    if (message.WParam != 32) return;
    IsSpaceDown = true;
    PaintIt(message);
}

void TImageButton::ClickedTrue(TMessage& message) {
    IsMouseDown = true;
    PaintIt(message);
}

void TImageButton::ClickedFalse(TMessage& message) {
    IsMouseDown = false;
    PaintIt(message);
}

// Called on the second press of a double click. An owner-drawn system button
// would only report the double click; it is pressed like a plain push button,
// so the release after it clicks again.
void TImageButton::OnDblClickMessage(TMessage& message) {
    message.Msg = WM_LBUTTONDOWN;
    PaintIt(message);
}

void TImageButton::OnMouseEnterMessage(TMessage& message) {
    IsMouseOver = true;
    PaintIt(message);
}

void TImageButton::OnMouseLeaveMessage(TMessage& message) {
    IsMouseOver = false;
    PaintIt(message);
}

//--- Face

void TImageButton::DrawFace() {
    if (!HandleAllocated() || HasState(csDestroying)) return;
    PaintFace(ButtonCanvas.get(), Focused());
}

void TImageButton::PaintFace(TCanvas* canvas, bool isFocused) {
    if (!MainForm) return;
    const int width = Width();
    const int height = Height();
    TBitmap* state = MainForm->BitmapButtonDisabled.get();
    bool isPressed = false;
    if (Enabled()) {
        isPressed = IsSpaceDown || (IsMouseDown && IsMouseOver);
        if (isPressed)
            state = MainForm->BitmapButtonPressed.get();
        else if (IsMouseOver)
            state = MainForm->BitmapButtonHot.get();
        else
            state = MainForm->BitmapButtonNormal.get();
    }
    // Each state image is stretched over the whole button, whatever its width.
    StretchBlt(canvas->Handle(), 0, 0, width, height, state->Canvas()->Handle(), 0, 0, state->Width(), state->Height(),
               SRCCOPY);
    DrawMyText(canvas, Enabled(), isPressed);
    if (Enabled() && isFocused) {
        canvas->Brush()->SetStyle(bsClear);
        canvas->Pen()->SetStyle(psDot);
        canvas->Pen()->SetColor(Text_Settings.Font_Color);
        canvas->Rectangle(3, 3, width - 3, height - 3);
    }
}

void TImageButton::DrawMyText(TCanvas* canvas, bool enabled, bool pressed) {
    RECT rect{0, 0, Width(), Height()};
    if (pressed) OffsetRect(&rect, 1, 1);
    // Only the name comes from the settings; size and style are the canvas's own.
    canvas->Font()->SetName(Text_Settings.Font_Name);
    const TColor color = enabled ? Text_Settings.Font_Color : kDisabledTextColor;
    if (DrawShadow) {
        const TColor shadow = enabled ? Text_Settings.Font_Shadow_Color : clWhite;
        DrawShadowedText(canvas, CaptionText, rect, TextCentred, color, shadow, 1, 1);
        return;
    }
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetColor(color);
    DrawTextAW(canvas->Handle(), CaptionText, -1, &rect, TextCentred);
}

//--- Click handlers: message box

void TImageButton::OnClickButtonMessageBoxOK(TObject* sender) {
    (void)sender;
    auto* box = dynamic_cast<TFormMessageBox*>(OwnerForm);
    if (!box) return;
    box->Mode = 0;
    box->SetModalResult(mrOk);
}

void TImageButton::OnClickButtonMessageBoxYES(TObject* sender) {
    (void)sender;
    auto* box = dynamic_cast<TFormMessageBox*>(OwnerForm);
    if (!box) return;
    box->Mode = 1;
    box->SetModalResult(mrOk);
}

void TImageButton::OnClickButtonMessageBoxNO(TObject* sender) {
    (void)sender;
    auto* box = dynamic_cast<TFormMessageBox*>(OwnerForm);
    if (!box) return;
    box->Mode = 0;
    box->SetModalResult(mrOk);
}

void TImageButton::OnClickFormRemindeNowButtonDontRemindeMore(TObject* sender) {
    DrawFace();
    if (auto* window = dynamic_cast<TFormRemindeNow*>(Parent())) window->ButtonDontRemindeMoreClick(sender);
}

void TImageButton::OnClickFormRemindeNowButtonRemindeMeLater(TObject* sender) {
    DrawFace();
    if (auto* window = dynamic_cast<TFormRemindeNow*>(Parent())) window->ButtonRemindeMeLaterClick(sender);
}
