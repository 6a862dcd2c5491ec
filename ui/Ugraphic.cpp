// The calendar view's layout and drawing, and the skin painters of all windows.
#include "ui/Ugraphic.h"

#include <algorithm>

#include "model/Uconverter.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "ui/UMain.h"
#include "ui/Upictures.h"

bool GlyphHovered = false;

namespace {

WindowDragFunction& DragFunction() {
    static auto* function = new WindowDragFunction;
    return *function;
}

constexpr UINT kTextCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;  // 0x8025
constexpr UINT kTextLeft = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;                 // 0x8024

const char* const kMonthNames[12] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                                     "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};

void BlitGlyph(TCustomForm* form, TBitmap* glyph) {
    if (!glyph || !MainForm) return;
    BitBlt(form->Canvas()->Handle(), form->ClientWidth() - GlyphRightOffset, GlyphTop, GlyphWidth, GlyphHeight,
           glyph->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void StretchFromSkin(HDC target, int x, int y, int width, int height, int sx, int sy, int sw, int sh) {
    if (width <= 0 || height <= 0) return;
    StretchBlt(target, x, y, width, height, MainForm->BitmapSkinTop->Canvas()->Handle(), sx, sy, sw, sh, SRCCOPY);
}

}  // namespace

//--- Close glyph

bool CloseGlyphHitTest(TCustomForm* form, int32_t x, int32_t y) {
    const int32_t left = form->ClientWidth() - GlyphRightOffset;
    return left < x && x < left + GlyphWidth && GlyphTop < y && y < GlyphTop + GlyphHeight;
}

void DrawCloseGlyph(TCustomForm* form) {
    BlitGlyph(form, MainForm ? MainForm->BitmapGlyph.get() : nullptr);
}

void DrawCloseGlyphPressed(TCustomForm* form) {
    BlitGlyph(form, MainForm ? MainForm->BitmapGlyphPressed.get() : nullptr);
}

void TrackCloseGlyphHover(TCustomForm* form, int32_t x, int32_t y) {
    if (CloseGlyphHitTest(form, x, y)) {
        GlyphHovered = true;
        BlitGlyph(form, MainForm ? MainForm->BitmapGlyphHover.get() : nullptr);
    } else if (GlyphHovered) {
        DrawCloseGlyph(form);
        GlyphHovered = false;
    }
}

void DrawFormTitle(TCustomForm* form, const std::wstring& title) {
    TCanvas* canvas = form->Canvas();
    TFont kept;
    kept.Assign(*canvas->Font());
    canvas->Font()->SetStyle(canvas->Font()->Style() | fsBold);
    // The shadow takes the strip's rectangle, the title lies one pixel up and left.
    RECT rect{20, 0, form->ClientWidth() - 130, 20};
    OffsetRect(&rect, -1, -1);
    DrawShadowedText(canvas, title, rect, kTextLeft, Text_Settings.Font_Color, Text_Settings.Font_Shadow_Color);
    canvas->Font()->Assign(kept);
}

void SkinMenuBar() {
    TCoolBar* bar = MainForm->CoolBarMenu;
    TBitmap background(bar->Width(), bar->Height());
    StretchBlt(background.Canvas()->Handle(), 0, 0, bar->Width(), bar->Height(),
               MainForm->BitmapSkinTop->Canvas()->Handle(), bar->Left(), bar->Top(), bar->Width(), bar->Height(),
               SRCCOPY);
    bar->Bitmap()->Assign(background);
    bar->BitmapChanged();
}

//--- Dialog painters

void DrawDialogBackground(TCustomForm* form) {
    if (!MainForm) return;
    TBitmap* skin = MainForm->BitmapSkinBG.get();
    HDC target = form->Canvas()->Handle();
    HDC source = skin->Canvas()->Handle();
    const int width = form->ClientWidth();
    const int height = form->ClientHeight();
    const int skinWidth = skin->Width();
    const int skinHeight = skin->Height();
    StretchBlt(target, 0, 0, width, 20, source, 0, 0, skinWidth, 20, SRCCOPY);
    StretchBlt(target, 0, 20, width, height - 20, source, 0, 20, skinWidth, skinHeight - 20, SRCCOPY);
}

void DrawGroupFrame(TCanvas* canvas, const std::string& caption, int32_t x, int32_t y, int32_t width, int32_t height) {
    TFont kept;
    kept.Assign(*canvas->Font());
    canvas->Font()->SetColor(Text_Settings.Font_Color);
    const int textWidth = canvas->TextWidth(caption);
    const int halfHeight = canvas->TextHeight("0") / 2;
    RECT rect{x + 8, y - halfHeight, x + textWidth + 10, y + halfHeight + 1};
    canvas->Brush()->SetStyle(bsClear);
    DrawTextA(canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &rect, kTextCentred);
    // The light edge, then the dark one a pixel up and left; the top edge
    // leaves a gap for the caption.
    const TColor colors[2] = {cl3DLight, cl3DDkShadow};
    for (int i = 0; i < 2; ++i) {
        const int left = x - i;
        const int top = y - i;
        canvas->Pen()->SetColor(colors[i]);
        canvas->MoveTo(left, top);
        canvas->LineTo(left + 6, top);
        canvas->MoveTo(left + textWidth + 16, top);
        canvas->LineTo(left + width, top);
        canvas->LineTo(left + width, top + height);
        canvas->LineTo(left, top + height);
        canvas->LineTo(left, top);
    }
    canvas->Font()->Assign(kept);
}

//--- Shadowed text

namespace {

// The shadow at textRect moved by (dx, dy), then the text at textRect itself;
// draw(rect) puts the text into a rectangle.
template <class Draw>
void DrawShadowed(TCanvas* canvas, const RECT& textRect, TColor color, TColor shadowColor, int32_t dx, int32_t dy,
                  Draw draw) {
    canvas->Brush()->SetStyle(bsClear);
    RECT rect = textRect;
    OffsetRect(&rect, dx, dy);
    canvas->Font()->SetColor(shadowColor);
    draw(rect);
    rect = textRect;
    canvas->Font()->SetColor(color);
    draw(rect);
}

}  // namespace

void DrawShadowedText(TCanvas* canvas,
                      const std::wstring& text,
                      const RECT& textRect,
                      UINT flags,
                      TColor color,
                      TColor shadowColor,
                      int32_t dx,
                      int32_t dy) {
    DrawShadowed(canvas, textRect, color, shadowColor, dx, dy,
                 [&](RECT& rect) { DrawTextAW(canvas->Handle(), text, -1, &rect, flags); });
}

void DrawShadowedTextA(TCanvas* canvas,
                       const std::string& text,
                       const RECT& textRect,
                       UINT flags,
                       TColor color,
                       TColor shadowColor,
                       int32_t dx,
                       int32_t dy) {
    DrawShadowed(canvas, textRect, color, shadowColor, dx, dy,
                 [&](RECT& rect) { DrawTextA(canvas->Handle(), text.c_str(), -1, &rect, flags); });
}

//--- Transparent pictures

void MakeIconMask(TBitmap* picture, TBitmap* mask) {
    mask->Assign(*picture);
    for (int y = 0; y < mask->Height(); ++y)
        for (int x = 0; x < mask->Width(); ++x)
            mask->SetPixel(x, y, mask->GetPixel(x, y) == RGB(255, 255, 255) ? RGB(0, 0, 0) : RGB(255, 255, 255));
}

void DrawTransparentPicture(HDC target, const RECT& rect, TBitmap* picture, TBitmap* mask) {
    if (picture->Empty()) return;
    MakeIconMask(picture, mask);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    StretchBlt(target, rect.left, rect.top, width, height, mask->Canvas()->Handle(), 0, 0, mask->Width(),
               mask->Height(), SRCPAINT);
    StretchBlt(target, rect.left, rect.top, width, height, picture->Canvas()->Handle(), 0, 0, picture->Width(),
               picture->Height(), SRCAND);
}

void DrawImageListIcon(TImageList* list, TCustomControl* control, const RECT& rect, int32_t index) {
    TBitmap picture(32, 32);
    list->GetBitmap(index, &picture);
    control->Canvas()->Draw(rect.left, 0, &picture);
}

//--- Text helpers

int DrawTextAW(HDC dc, const std::wstring& text, int count, RECT* rect, UINT flags) {
    if (WindowsVersion & 0x80000000u) {
        const std::string narrow = WideToAnsi(text);
        return DrawTextA(dc, narrow.c_str(), count, rect, flags);
    }
    return DrawTextW(dc, text.c_str(), count, rect, flags);
}

//--- Reminder pictures

void DrawTransparentPicture(HDC dc, const RECT& rect, int32_t index) {
    if (!MainForm) return;
    TBitmap* icon = MainForm->BitmapIcon.get();
    // Whatever the collection does not draw stays white, and white is transparent.
    PatBlt(icon->Canvas()->Handle(), 0, 0, MainForm->BitmapIconFrame->Width(), MainForm->BitmapIconFrame->Height(),
           WHITENESS);
    PictureCollection()->GetBitmap(index, icon);
    DrawTransparentPicture(dc, rect, icon, MainForm->BitmapIconMask.get());
}

void SetItemsFontColor(TWinControl* container) {
    for (int i = 0; i < container->ControlCount(); ++i)
        container->Controls(i)->Font()->SetColor(Text_Settings.Font_Color);
}

//--- Window drag

void StartWindowDrag(TCustomForm* form) {
    if (DragFunction()) return DragFunction()(form);
    ReleaseCapture();
    SendMessageA(form->Handle(), WM_SYSCOMMAND, 0xF012, 0);
}

void SetWindowDragFunction(WindowDragFunction function) {
    DragFunction() = std::move(function);
}

void SkinnedFormMouseDown(TCustomForm* form, TMouseButton button, int32_t x, int32_t y, int32_t dragRowLimit) {
    if (CloseGlyphHitTest(form, x, y)) {
        DrawCloseGlyphPressed(form);
        return;
    }
    DrawCloseGlyph(form);
    if (button == mbLeft && (dragRowLimit < 0 || y < dragRowLimit)) StartWindowDrag(form);
}

//--- Calendar view

TCellGeometry ComputeCellGeometry(int32_t clientWidth, int32_t clientHeight) {
    TCellGeometry geometry{};
    geometry.GridWidth = clientWidth - ListWidth - 3 * LayoutMargin;
    geometry.GridHeight = clientHeight - LayoutTop - StatusHeight - BottomMargin;
    geometry.CellWidth = geometry.GridWidth / 7;
    geometry.CellHeight = geometry.GridHeight / 6;
    geometry.DayBand = geometry.CellHeight * 11 / 32;
    return geometry;
}

TPictureSlots ComputePictureSlots(int32_t cellWidth,
                                  int32_t cellHeight,
                                  int32_t dayBand,
                                  int32_t iconWidth,
                                  int32_t iconHeight) {
    TPictureSlots slots{0, 0};
    // A picture size of 0 (no longer possible through the settings) shows nothing.
    if (iconWidth <= 0 || iconHeight <= 0) return slots;
    slots.PerRow = std::max(0, (cellWidth - 5) / iconWidth);
    slots.Rows = std::max(0, (cellHeight - dayBand) / iconHeight);
    return slots;
}

bool PictureSlotRect(int32_t column, int32_t row, int32_t index, RECT& rect) {
    const TPictureSlots slots = ComputePictureSlots(CellWidth, CellHeight, DayBand, IconWidth, IconHeight);
    if (index < 0) return false;
    int32_t c = 0, r = 0;
    slots.Place(index, c, r);
    if (r >= slots.Rows) return false;
    rect.left = column * CellWidth + c * IconWidth + 2;
    rect.top = row * CellHeight + DayBand + r * IconHeight;
    rect.right = rect.left + IconWidth;
    rect.bottom = rect.top + IconHeight;
    return true;
}

void TCalendarView::Refresh() {
    TMainForm* form = MainForm;
    form->ListBoxInfo->SetBounds(ListLeft, LayoutTop, ListWidth,
                                 form->ClientHeight() - LayoutTop - StatusHeight - BottomMargin);
    form->ExtnImageGrid->SetBounds(GridLeft, LayoutTop, form->ExtnImageGrid->Width(), form->ExtnImageGrid->Height());
    gConverter->BuildGrid();
    Paint();
    DrawCells();
    form->ExtnImageGrid->Refresh();
}

void TCalendarView::Paint() {
    TMainForm* form = MainForm;
    HDC dc = form->Canvas()->Handle();
    const int W = form->ClientWidth();
    const int H = form->ClientHeight();
    const int TW = form->BitmapSkinTop->Width();
    const int TH = form->BitmapSkinTop->Height();
    const int M = LayoutMargin;
    const int T = LayoutTop;
    const int S = StatusHeight;
    const int E = form->ListBoxInfo->Width() + 2 * M + 20;
    const int R = 300;
    // The frame: corners unscaled, edges stretched.
    StretchFromSkin(dc, 0, H - S - M, E, S + M, 0, TH - S - M, E, S + M);
    StretchFromSkin(dc, 0, T, M, H - S - M - T, 0, T, M, TH - T - M - S);
    StretchFromSkin(dc, form->ListBoxInfo->Width() + M, T, M, H - S - M - T, ListWidth + M, T, M, TH - T - M - S);
    StretchFromSkin(dc, 0, 0, E, T, 0, 0, E, T);
    StretchFromSkin(dc, E, 0, W - E - R, T, E, 0, TW - E - R, T);
    StretchFromSkin(dc, W - R, 0, R, T, R, 0, R, T);
    StretchFromSkin(dc, W - M, T, M, H - S - M - T, ListWidth + M, T, M, TH - T - M - S - M);
    StretchFromSkin(dc, W - R, H - S - M, R, S + M, R, TH - S - M, R, S + M);
    StretchFromSkin(dc, E, H - S - M, W - E - R, S + M, E, TH - S - M, TW - E - R, S + M);
    DrawCloseGlyph(form);
    // The arrows stand on the fresh frame.
    for (TExtnImage* arrow : {form->ExtnImageMonth, form->ExtnImageYear}) {
        StretchBlt(form->Canvas()->Handle(), arrow->Left(), arrow->Top(), arrow->Width(), arrow->Height(),
                   arrow->Canvas()->Handle(), 0, 0, arrow->Width(), arrow->Height(), SRCCOPY);
    }
    DrawFormTitle(form, TitleMainSkin);
    DrawMonthTitle();
    DrawWeekdayHeadings();
}

void TCalendarView::DrawCells() {
    TMainForm* form = MainForm;
    const TCellGeometry geometry = ComputeCellGeometry(form->ClientWidth(), form->ClientHeight());
    form->BitmapCalendar->SetSize(geometry.GridWidth, geometry.GridHeight);
    CellWidth = geometry.CellWidth;
    CellHeight = geometry.CellHeight;
    DayBand = geometry.DayBand;
    TCanvas* canvas = form->BitmapCalendar->Canvas();
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetName(WideToAnsi(Calendar_Settings.Font_Name));
    HDC dc = canvas->Handle();
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            TWeekDay& cell = gConverter->Cells[row][column];
            TBitmap* picture = form->BitmapDayCell.get();
            if (!cell.IsInMonth())
                picture = form->BitmapDayCellOther.get();
            else if (column == HoverColumn && row == HoverRow && MouseOverGrid)
                picture = form->BitmapDayCellHover.get();
            StretchCellPicture(column, row, dc, picture, geometry.GridWidth, geometry.GridHeight);
            DrawEntryPictures(column, row, dc);
            DrawCellText(canvas, IntToStr(cell.GetDay()), column * CellWidth + CellWidth / 8 - 4,
                         row * CellHeight + CellHeight / 8 - 4, Calendar_Settings.Font_Size,
                         Calendar_Settings.Font_Bold_Style != 0, Calendar_Settings.Font_Color,
                         Calendar_Settings.Font_Shadow_Color);
        }
    }
    TExtnImage* grid = form->ExtnImageGrid;
    BitBlt(grid->Canvas()->Handle(), 0, 0, grid->Width(), grid->Height(), canvas->Handle(), 0, 0, SRCCOPY);
}

void TCalendarView::StretchCellPicture(int32_t column,
                                       int32_t row,
                                       HDC dc,
                                       TBitmap* picture,
                                       int32_t gridWidth,
                                       int32_t gridHeight) {
    // The last column and row take up the remainder of the division.
    const int width = column == 6 ? gridWidth - 6 * CellWidth : CellWidth;
    const int height = row == 5 ? gridHeight - 5 * CellHeight : CellHeight;
    TBitmap* size = MainForm->BitmapDayCell.get();
    StretchBlt(dc, column * CellWidth, row * CellHeight, width, height, picture->Canvas()->Handle(), 0, 0,
               size->Width(), size->Height(), SRCCOPY);
}

void TCalendarView::DrawEntryPictures(int32_t column, int32_t row, HDC dc) {
    if (row < 0 || row >= kGridRows || column < 0 || column >= kGridColumns) return;
    int32_t index = 0;
    for (const Eintrag* copy = gConverter->Cells[row][column].First(); copy; copy = copy->Next, ++index) {
        RECT rect;
        // Slots run out in chain order: the reminders after the last shown slot stay hidden.
        if (!PictureSlotRect(column, row, index, rect)) break;
        DrawTransparentPicture(dc, rect, copy->GetPictureIndex());
    }
}

void TCalendarView::DrawCellText(TCanvas* canvas,
                                 const std::string& text,
                                 int32_t x,
                                 int32_t y,
                                 int32_t size,
                                 bool bold,
                                 TColor colour,
                                 TColor shadowColour) {
    TFont* font = canvas->Font();
    font->SetStyle(bold ? (font->Style() | fsBold) : (font->Style() & ~fsBold));
    font->SetSize(size);
    // Today's number is larger and moved up and left.
    const int c = CellWidth > 0 ? x / CellWidth : -1;
    const int r = CellHeight > 0 ? y / CellHeight : -1;
    if (r >= 0 && r <= 5 && c >= 0 && c <= 6) {
        const tm date = gConverter->Cells[r][c].GetDateOnly();
        try {
            if (date.tm_year > 0 && Converter::TmToDateTime(date) == Date()) {
                font->SetSize(size + 6);
                x -= CellWidth / 16;
                y -= CellHeight / 16;
            }
        } catch (const EConvertError&) {
        }
    }
    const SIZE extent = canvas->TextExtent(text);
    RECT rect{x, y, x + extent.cx, y + extent.cy};
    OffsetRect(&rect, 1, 1);
    font->SetColor(shadowColour);
    DrawTextA(canvas->Handle(), text.c_str(), -1, &rect, kTextCentred);
    OffsetRect(&rect, -1, -1);
    font->SetColor(colour);
    DrawTextA(canvas->Handle(), text.c_str(), -1, &rect, kTextCentred);
}

void TCalendarView::DrawMonthTitle() {
    TMainForm* form = MainForm;
    TCanvas* canvas = form->Canvas();
    const std::string month = ShownMonth >= 0 && ShownMonth <= 11 ? kMonthNames[ShownMonth] : "";
    const std::string year = IntToStr(ShownYear);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetStyle(fsBold);
    canvas->Font()->SetName(Text_Settings.Font_Name);
    const int W = form->ClientWidth();
    RECT monthRect{W - 280, 38, W - 190, 63};
    RECT yearRect{W - 164, 38, W - 98, 63};
    OffsetRect(&monthRect, 1, 1);
    OffsetRect(&yearRect, 1, 1);
    canvas->Font()->SetColor(Text_Settings.Font_Shadow_Color);
    DrawTextA(canvas->Handle(), month.c_str(), -1, &monthRect, kTextCentred);
    DrawTextA(canvas->Handle(), year.c_str(), -1, &yearRect, kTextCentred);
    OffsetRect(&monthRect, -1, -1);
    OffsetRect(&yearRect, -1, -1);
    canvas->Font()->SetColor(Text_Settings.Font_Color);
    DrawTextA(canvas->Handle(), month.c_str(), -1, &monthRect, kTextCentred);
    DrawTextA(canvas->Handle(), year.c_str(), -1, &yearRect, kTextCentred);
}

void TCalendarView::DrawWeekdayHeadings() {
    TMainForm* form = MainForm;
    TCanvas* canvas = form->Canvas();
    TExtnImage* grid = form->ExtnImageGrid;
    const int columnWidth = grid->Width() / 7;
    for (int i = 0; i < 7; ++i) {
        RECT rect{grid->Left() + i * columnWidth, grid->Top() - 20, grid->Left() + (i + 1) * columnWidth, grid->Top()};
        const std::wstring& heading = WeekdayHeadings[Calendar_Settings.Calendar_First_Column ? i : (i + 1) % 7];
        canvas->Font()->SetColor(Text_Settings.Font_Shadow_Color);
        DrawTextAW(canvas->Handle(), heading, -1, &rect, kTextCentred);
        OffsetRect(&rect, -1, -1);
        canvas->Font()->SetColor(Text_Settings.Font_Color);
        DrawTextAW(canvas->Handle(), heading, -1, &rect, kTextCentred);
    }
}

void TCalendarView::SetHintMode(const std::string& name, bool on) {
    const int group = Hint_Settings.Hint_Group_Index;
    if (name == "Calender")
        Application->SetShowHint(on && (group == 0 || group == 2));
    else
        Application->SetShowHint(on && (group == 0 || group == 1));
}

void TCalendarView::FillDayList() {
    TListBox* list = MainForm->ListBoxInfo;
    list->Clear();
    // The rows stand for other reminders now: the first one pointed at gets its hint.
    LastListHintIndex = -1;
    if (SelectedRow < 0 || SelectedRow >= kGridRows || SelectedColumn < 0 || SelectedColumn >= kGridColumns) return;
    for (const Eintrag* copy = gConverter->Cells[SelectedRow][SelectedColumn].First(); copy; copy = copy->Next) {
        const tm start = copy->GetStartTime();
        list->Items()->Add(IntToStr2(start.tm_hour) + "." + IntToStr2(start.tm_min) + " " + copy->GetTitle());
    }
}
