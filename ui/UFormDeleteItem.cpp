// The delete dialog: its resource, buttons, painting, keys and close glyph.
#include "ui/UFormDeleteItem.h"

#include <functional>

#include "model/Uconverter.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "ui/UMain.h"
#include "ui/Ugraphic.h"
#include "ui/Umainbutton.h"

TFormDeleteItem* FormDeleteItem = nullptr;

namespace {

// 0x8014, and no prefix processing: an "&" in the title is shown as typed.
constexpr UINT kTextFlags = DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX;

}  // namespace

std::string DeleteItemText(const std::string& prompt, const Eintrag* entry) {
    std::string text = prompt;
    if (!entry) return text;
    const tm start = entry->GetStartTime();
    text += IntToStr2(start.tm_mday) + "." + IntToStr2(start.tm_mon + 1) + "." + IntToStr2(start.tm_year + 1900) +
            ":" + IntToStr2(start.tm_hour) + "." + IntToStr2(start.tm_min);
    text += "\n" + std::string(32, '-');
    if (*entry->GetTitle()) text += std::string("\n     ") + entry->GetTitle();
    return text;
}

//--- The form's resource

TFormDeleteItem::TFormDeleteItem(TComponent* owner) : TForm(owner) {
    CreateComponents();
}

TFormDeleteItem::~TFormDeleteItem() {
    if (FormDeleteItem == this) FormDeleteItem = nullptr;
}

void TFormDeleteItem::CreateComponents() {
    using namespace std::placeholders;
    SetName("FormDeleteItem");
    SetCaption("Delete Item");
    SetBorderStyle(bsNone);
    SetClientSize(400, 221);
    Position = poScreenCenter;
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);
    OnKeyPress = std::bind(&TFormDeleteItem::FormKeyPress, this, _1, _2);
    OnMouseDown = std::bind(&TFormDeleteItem::FormMouseDown, this, _1, _2, _3, _4, _5);
    OnMouseMove = std::bind(&TFormDeleteItem::FormMouseMove, this, _1, _2, _3, _4);
    OnMouseUp = std::bind(&TFormDeleteItem::FormMouseUp, this, _1, _2, _3, _4, _5);
    OnPaint = std::bind(&TFormDeleteItem::FormPaint, this, _1);
}

//--- Showing

void TFormDeleteItem::Setup(const std::string& prompt, const std::string& mode) {
    using namespace std::placeholders;
    Prompt = prompt;
    // The dialog is reused: its buttons are made once.
    if (mode == "YesNo" && !ButtonYes) {
        const RECT yes{75, 170, 75, 25};
        ButtonYes = new TImageButton(this, &yes, AnsiToWide(kTextYes), true);
        ButtonYes->OwnerForm = this;
        ButtonYes->OnClick = std::bind(&TImageButton::OnClickButtonDeleteItemYes, ButtonYes, _1);
        const RECT no{275, 170, 75, 25};
        ButtonNo = new TImageButton(this, &no, AnsiToWide(kTextNo), true);
        ButtonNo->OwnerForm = this;
        ButtonNo->OnClick = std::bind(&TImageButton::OnClickButtonDeleteItemNo, ButtonNo, _1);
        ButtonNo->Cancel = true;
    }
    ShowModal();
}

//--- Painting

// Called when the dialog paints, into its paint buffer.
void TFormDeleteItem::FormPaint(TObject* sender) {
    (void)sender;
    // 1. Built anew from the selected reminder on every painting.
    const std::string text = DeleteItemText(Prompt, SelectedEntry);
    // 2-3.
    DrawDialogBackground(this);
    DrawCloseGlyph(this);
    DrawFormTitle(this, TitleDeleteItem);
    // 4. The shadow takes the rectangle, the text lies one pixel up and left of it.
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(*Font());
    canvas->Font()->SetName(Text_Settings.Font_Name);
    RECT rect{20, 40, ClientWidth() - 20, ClientHeight() - 60};
    OffsetRect(&rect, -1, -1);
    DrawShadowedTextA(canvas, text, rect, kTextFlags, Text_Settings.Font_Color, Text_Settings.Font_Shadow_Color, 1,
                      1);
}

//--- Keys and mouse

// Called when a key is typed while the dialog itself has the focus: Enter deletes, Esc does not.
void TFormDeleteItem::FormKeyPress(TObject* sender, char& key) {
    (void)sender;
    if (key == 13 && ButtonYes) ButtonYes->OnClickButtonDeleteItemYes(ButtonYes);
    if (key == 27 && ButtonNo) ButtonNo->OnClickButtonDeleteItemNo(ButtonNo);
}

// Called when a mouse button goes down on the dialog itself.
void TFormDeleteItem::FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    SkinnedFormMouseDown(this, button, x, y);
}

// Called when the mouse moves over the dialog itself.
void TFormDeleteItem::FormMouseMove(TObject* sender, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    TrackCloseGlyphHover(this, x, y);
}

// Called when a mouse button goes up over the dialog itself: the glyph answers "No".
void TFormDeleteItem::FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    (void)sender;
    (void)shift;
    if (button == mbLeft && CloseGlyphHitTest(this, x, y) && ButtonNo) ButtonNo->OnClickButtonDeleteItemNo(ButtonNo);
}

//--- The buttons

// Called when "Yes" is clicked or Enter typed: the selected reminder goes.
void TImageButton::OnClickButtonDeleteItemYes(TObject* sender) {
    (void)sender;
    // A day copy stands for its master; the list's delete ends the dialog.
    Eintrag* target = SelectedEntry ? SelectedEntry->GetMaster() : nullptr;
    if (target) {
        gConverter->DeleteEntry(target);
        SaveReminderChanges();
    }
    // Without a reminder to delete the dialog still closes.
    if (FormDeleteItem && FormDeleteItem->ModalResult() == mrNone) FormDeleteItem->SetModalResult(1);
}

// Called when "No" is clicked, Esc typed or the close glyph released: nothing is deleted.
void TImageButton::OnClickButtonDeleteItemNo(TObject* sender) {
    (void)sender;
    if (auto* form = dynamic_cast<TCustomForm*>(Parent())) form->SetModalResult(1);
}
