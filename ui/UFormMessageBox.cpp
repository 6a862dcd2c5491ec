// The skinned message box: its resource, buttons by mode, painting, keys and
// close glyph, and ShowMessageBox.
#include "ui/UFormMessageBox.h"

#include <functional>

#include "model/Uglobals.h"
#include "ui/UMain.h"
#include "ui/Ugraphic.h"
#include "ui/Umainbutton.h"

namespace {

constexpr int kButtonTop = 130;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr UINT kTitleFlags = DT_NOPREFIX | DT_WORDBREAK;                     // 0x810
// Messages quote titles and file names: an "&" in them is shown as typed.
constexpr UINT kMessageFlags = DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX;  // 0x8814

}  // namespace

TMessageBoxButtonPlaces MessageBoxButtonPlaces(int32_t clientWidth) {
    const int32_t x0 = clientWidth / 2 - 37;
    return TMessageBoxButtonPlaces{x0, x0 / 2, (3 * x0) / 2};
}

//--- The form's resource

TFormMessageBox::TFormMessageBox(TComponent* owner) : TForm(owner) {
    CreateComponents();
}

TFormMessageBox::~TFormMessageBox() = default;

void TFormMessageBox::CreateComponents() {
    using namespace std::placeholders;
    SetName("FormMessageBox");
    SetCaption("");
    SetBorderStyle(bsNone);
    SetClientSize(357, 169);
    Position = poDesktopCenter;
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    OnKeyPress = std::bind(&TFormMessageBox::FormKeyPress, this, _1, _2);
    OnMouseDown = std::bind(&TFormMessageBox::FormMouseDown, this, _1, _2, _3, _4, _5);
    OnMouseMove = std::bind(&TFormMessageBox::FormMouseMove, this, _1, _2, _3, _4);
    OnMouseUp = std::bind(&TFormMessageBox::FormMouseUp, this, _1, _2, _3, _4, _5);
    OnPaint = std::bind(&TFormMessageBox::FormPaint, this, _1);
    OnShow = std::bind(&TFormMessageBox::FormShow, this, _1);
    HandleNeeded();
}

//--- Showing

void TFormMessageBox::RemoveButtons() {
    for (TImageButton** button : {&ButtonOK, &ButtonYes, &ButtonNo}) {
        delete *button;
        *button = nullptr;
    }
}

// Called on every showing, before the box becomes visible: the buttons of the mode.
void TFormMessageBox::FormShow(TObject* sender) {
    (void)sender;
    using namespace std::placeholders;
    RemoveButtons();
    const TMessageBoxButtonPlaces places = MessageBoxButtonPlaces(ClientWidth());
    auto make = [this](int left, const wchar_t* caption, void (TImageButton::*handler)(TObject*)) {
        const RECT rect{left, kButtonTop, kButtonWidth, kButtonHeight};
        auto* button = new TImageButton(this, &rect, caption, true);
        button->OwnerForm = this;
        button->OnClick = std::bind(handler, button, _1);
        return button;
    };
    if (Mode == 0) {
        ButtonOK = make(places.Ok, L"OK", &TImageButton::OnClickButtonMessageBoxOK);
        ButtonOK->Cancel = true;
    } else if (Mode == 1) {
        ButtonYes = make(places.Yes, L"Yes", &TImageButton::OnClickButtonMessageBoxYES);
        ButtonNo = make(places.No, L"No", &TImageButton::OnClickButtonMessageBoxNO);
        ButtonNo->Cancel = true;
    }
}

//--- Painting

// Called when the box paints, into its paint buffer.
void TFormMessageBox::FormPaint(TObject* sender) {
    (void)sender;
    DrawDialogBackground(this);
    DrawCloseGlyph(this);
    TCanvas* canvas = Canvas();
    if (MainForm) {
        // White pixels of the icon leave the background as it is.
        TBitmap* icon = MainForm->BitmapMessageIcon.get();
        BitBlt(canvas->Handle(), 20, 55, 32, 32, icon->Canvas()->Handle(), 0, 0, SRCAND);
    }
    // The shadow takes each rectangle, the text lies one pixel up and left of it.
    canvas->Font()->SetStyle(canvas->Font()->Style() | fsBold);
    RECT title{20, 5, ClientWidth() - 60, canvas->TextHeight("0") + 5};
    OffsetRect(&title, -1, -1);
    DrawShadowedText(canvas, MessageTitle, title, kTitleFlags, Text_Settings.Font_Color,
                     Text_Settings.Font_Shadow_Color);
    canvas->Font()->SetStyle(canvas->Font()->Style() & ~fsBold);
    RECT message{65, 55, Width() - 40, 120};
    OffsetRect(&message, -1, -1);
    DrawShadowedText(canvas, MessageText, message, kMessageFlags, Text_Settings.Font_Color,
                     Text_Settings.Font_Shadow_Color);
}

//--- Keys and mouse

// Called when a key is typed while the box itself has the focus: Enter and Esc end it with 0.
void TFormMessageBox::FormKeyPress(TObject* sender, char& key) {
    (void)sender;
    if (key != 13 && key != 27) return;
    Mode = 0;
    SetModalResult(mrOk);
}

// Called when a mouse button goes down on the box itself.
void TFormMessageBox::FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    SkinnedFormMouseDown(this, button, x, y);
}

// Called when the mouse moves over the box itself.
void TFormMessageBox::FormMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    TrackCloseGlyphHover(this, x, y);
}

// Called when a mouse button goes up over the box itself: the glyph closes it
// and Mode keeps the mode, except that a question closed this way is answered
// "No", as Esc answers it: the mode number of the yes/no box reads as "Yes".
void TFormMessageBox::FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    if (button != mbLeft || !CloseGlyphHitTest(this, x, y)) return;
    if (Mode == 1) Mode = 0;
    SetModalResult(mrOk);
    Release();
}

//--- ShowMessageBox

namespace {

// While the program ends no window of ours can run a modal loop any more, and a
// box of ours would close unseen: a failed save at the end would go unreported.
// The system's box still asks.
int32_t ShowSystemMessageBox(const std::wstring& text, const std::wstring& title, int32_t mode) {
    const UINT buttons = mode == 1 ? MB_YESNO | MB_ICONQUESTION : MB_OK | MB_ICONEXCLAMATION;
    const int answer = MessageBoxW(nullptr, text.c_str(), title.c_str(), buttons | MB_SETFOREGROUND | MB_TOPMOST);
    return mode == 1 && answer == IDYES ? 1 : 0;
}

}  // namespace

int32_t ShowMessageBox(const std::wstring& text, const std::wstring& title, int32_t mode) {
    if (Application->Terminated()) return ShowSystemMessageBox(text, title, mode);
    auto* box = NewForm<TFormMessageBox>(MainForm);
    box->MessageText = text;
    box->MessageTitle = title;
    box->Mode = mode;
    try {
        box->ShowModal();
    } catch (...) {
        FreeForm(box);
        throw;
    }
    // A box that the end of the program closed was answered by nobody: it
    // yields what Esc yields, never a "Yes".
    const int32_t result = Application->Terminated() && box->ModalResult() == mrCancel ? 0 : box->Mode;
    // Gone at once; the glyph's own release request then finds no window.
    FreeForm(box);
    return result;
}
