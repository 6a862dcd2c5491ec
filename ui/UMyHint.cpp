// The program's hint window.
#include "ui/UMyHint.h"

#include "model/Uglobals.h"
#include "ui/Ugraphic.h"

TMyHint::TMyHint(TComponent* owner)
    : THintWindow(owner),
      FontName(Hint_Settings.Font_Name),
      TextColor(Hint_Settings.Hint_Font_Color),
      BackgroundColor(Hint_Settings.Hint_Background_Color) {
    // The size and style stay those of the screen's hint font.
    Canvas()->Font()->SetName(FontName);
    Canvas()->Font()->SetColor(TextColor);
}

TMyHint::~TMyHint() = default;

// Called when the hint window paints.
void TMyHint::Paint() {
    // The window is filled with its colour; a different one paints it again.
    SetColor(BackgroundColor);
    RECT rect = ClientRect();
    rect.left += 2;
    rect.top += 2;
    const std::wstring text = AnsiToWide(Caption());
    DrawTextAW(Canvas()->Handle(), text, -1, &rect, DrawTextBiDiModeFlagsReadingOnly() | DT_NOPREFIX | DT_WORDBREAK);
}

// Called when the window's frame paints: a raised edge one pixel wide.
void TMyHint::NCPaint(HDC dc) {
    RECT rect{0, 0, Width(), Height()};
    DrawEdge(dc, &rect, BDR_RAISEDOUTER, BF_RECT);
}
