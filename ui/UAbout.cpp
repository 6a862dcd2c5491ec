// The about box: its resource, its close button, painting, the close glyph and
// dragging, and the home page's link.
#include "ui/UAbout.h"

#include <shellapi.h>

#include "model/Uglobals.h"
#include "ui/Ugraphic.h"
#include "ui/Umainbutton.h"

namespace {

TLabel* MakeLabel(TForm* form, const char* name, int left, int top, const char* caption) {
    auto* label = new TLabel(form);
    label->SetName(name);
    label->SetTransparent(true);
    label->SetCaption(caption);
    label->SetBounds(left, top, label->Width(), label->Height());
    label->SetParent(form);
    return label;
}

ShellExecuteFunction& ShellFunction() {
    static auto* function = new ShellExecuteFunction;
    return *function;
}

const char* OrNull(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace

void ShellExecuteRequest(const TShellExecuteRequest& request) {
    if (ShellFunction()) return ShellFunction()(request);
    ShellExecuteA(request.Owner, OrNull(request.Verb), request.File.c_str(), OrNull(request.Parameters),
                  OrNull(request.Directory), request.Show);
}

void SetShellExecuteFunction(ShellExecuteFunction function) {
    ShellFunction() = std::move(function);
}

//--- The form's resource

TFormAbout::TFormAbout(TComponent* owner) : TForm(owner) {
    CreateComponents();
}

TFormAbout::~TFormAbout() = default;

void TFormAbout::CreateComponents() {
    using namespace std::placeholders;
    SetName("FormAbout");
    SetCaption("About");
    SetBorderStyle(bsNone);
    SetClientSize(325, 200);
    Position = poDesktopCenter;
    SetColor(clBtnFace);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);

    LabelQuibReminder = MakeLabel(this, "LabelQuibReminder", 112, 32, "Quib Reminder");
    LabelQuibReminder->Font()->SetName("MS Sans Serif");
    LabelQuibReminder->Font()->SetHeight(-13);
    LabelQuibReminder->Font()->SetStyle(fsBold);
    LabelVersion = MakeLabel(this, "LabelVersion", 140, 48, "Version 1.3.1");
    LabelCopyright = MakeLabel(this, "LabelCopyright", 108, 64, "");
    Label1 = MakeLabel(this, "Label1", 64, 88, "Home:");
    LabelHome = MakeLabel(this, "LabelHome", 112, 88, "");
    LabelHome->Cursor = crHandPoint;

    OnMouseDown = std::bind(&TFormAbout::FormMouseDown, this, _1, _2, _3, _4, _5);
    OnMouseMove = std::bind(&TFormAbout::FormMouseMove, this, _1, _2, _3, _4);
    OnMouseUp = std::bind(&TFormAbout::FormMouseUp, this, _1, _2, _3, _4, _5);
    OnPaint = std::bind(&TFormAbout::FormPaint, this, _1);
    OnShow = std::bind(&TFormAbout::FormShow, this, _1);
    LabelHome->OnMouseUp = std::bind(&TFormAbout::LabelHomeMouseUp, this, _1, _2, _3, _4, _5);
    LabelHome->OnMouseEnter = std::bind(&TFormAbout::LabelHomeMouseEnter, this, _1);
    LabelHome->OnMouseLeave = std::bind(&TFormAbout::LabelHomeMouseLeave, this, _1);

    // The window exists once the resource is read.
    HandleNeeded();
    for (int i = 0; i < ComponentCount(); ++i) Components(i)->Loaded();
}

//--- Showing and painting

// Called when the box is shown, before it becomes visible.
void TFormAbout::FormShow(TObject* sender) {
    (void)sender;
    using namespace std::placeholders;
    // 1.
    SetItemsFontColor(this);
    // 2. The box is shown once: one close button.
    if (!ButtonClose) {
        const RECT place{200, 150, 75, 25};
        ButtonClose = new TImageButton(this, &place, AnsiToWide(kTextCancel), true);
        ButtonClose->OwnerForm = this;
        ButtonClose->OnClick = std::bind(&TImageButton::OnClickButtonAboutClose, ButtonClose, _1);
        ButtonClose->Cancel = true;
    }
    // 3.
    LabelQuibReminder->SetCaption(WideToAnsi(TextProductName));
    LabelVersion->SetCaption(WideToAnsi(TextVersion));
    LabelCopyright->SetCaption(WideToAnsi(TextCopyright));
    LabelHome->Font()->SetStyle(LabelHome->Font()->Style() | fsUnderline);
    LabelHome->SetCaption(WideToAnsi(TextHomePage));
}

// Called when the box paints, into its paint buffer.
void TFormAbout::FormPaint(TObject* sender) {
    (void)sender;
    DrawDialogBackground(this);
    DrawCloseGlyph(this);
    DrawFormTitle(this, TitleAbout);
}

//--- Mouse: the close glyph and dragging

// Called when a mouse button goes down on the box itself.
void TFormAbout::FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    SkinnedFormMouseDown(this, button, x, y);
}

// Called when the mouse moves over the box itself.
void TFormAbout::FormMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    TrackCloseGlyphHover(this, x, y);
}

// Called when a mouse button goes up over the box itself: the glyph closes it.
void TFormAbout::FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    if (button != mbLeft || !CloseGlyphHitTest(this, x, y)) return;
    SetModalResult(mrOk);
    Release();
}

//--- The home page's link

// Called when any mouse button is released over the link: the page opens in
// the user's browser; the box stays open.
void TFormAbout::LabelHomeMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)button;
    (void)shift;
    (void)x;
    (void)y;
    TShellExecuteRequest request;
    request.Verb = "open";
    request.File = WideToAnsi(TextHomePage);
    request.Show = SW_SHOWNORMAL;
    ShellExecuteRequest(request);
}

void TFormAbout::LabelHomeMouseEnter(TObject* sender) {
    (void)sender;
}

void TFormAbout::LabelHomeMouseLeave(TObject* sender) {
    (void)sender;
}

//--- The close button

// Called when the close button is clicked or Esc typed.
void TImageButton::OnClickButtonAboutClose(TObject* sender) {
    (void)sender;
    DrawFace();
    if (!OwnerForm) return;
    OwnerForm->SetModalResult(mrOk);
    OwnerForm->Release();
}
