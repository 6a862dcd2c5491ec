// The calendar view under the mouse: hover with the status line and the
// delayed hints, clicks and double clicks, the context menu, dragging a
// reminder to another day, and the day list's double click and menu.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/Uconverter.h"
#include "model/Ufunction.h"
#include "model/Uglobals.h"
#include "ui/UFormMessageBox.h"
#include "ui/UFormModifyItem.h"
#include "ui/UMain.h"
#include "ui/Ugraphic.h"

// <mmsystem.h> (through the media player) names a macro PlaySound; the
// converter's member keeps its own name here.
#ifdef PlaySound
#undef PlaySound
#endif

int32_t HoverSlotColumn = -1;
int32_t HoverSlotRow = -1;
bool StatusShown = true;
int32_t LastListHintIndex = -1;
TDateTime LastClickTime = 0;
int32_t LastClickColumn = -1;
int32_t LastClickRow = -1;
Eintrag* LastClickEntry = nullptr;

namespace {

std::function<unsigned()>& DoubleClickTimeReader() {
    static auto* function = new std::function<unsigned()>;
    return *function;
}

std::function<void(const RECT*)>& CursorConfiner() {
    static auto* function = new std::function<void(const RECT*)>;
    return *function;
}

const std::string kHyphens(32, '-');

// Day "." month "." year, the separator, hour "." minute of a copy's start.
std::string DateAndTimeText(const Eintrag& copy, const char* separator) {
    const tm start = copy.GetStartTime();
    return IntToStr2(start.tm_mday) + "." + IntToStr2(start.tm_mon + 1) + "." + IntToStr2(start.tm_year + 1900) +
           separator + IntToStr2(start.tm_hour) + "." + IntToStr2(start.tm_min);
}

// The date line, the hyphens, then the title and the text when they are not empty.
std::string HintText(const Eintrag& copy, const char* separator) {
    std::string text = DateAndTimeText(copy, separator) + "\n" + kHyphens;
    if (*copy.GetTitle()) text += std::string("\n     ") + copy.GetTitle();
    if (*copy.GetText()) text += std::string("\n     ") + copy.GetText();
    return text;
}

bool IsCell(int32_t column, int32_t row) {
    return column >= 0 && column < kGridColumns && row >= 0 && row < kGridRows;
}

// The copy at a position of a cell's chain, or null.
Eintrag* CopyAt(int32_t column, int32_t row, int32_t index) {
    if (!IsCell(column, row) || index < 0) return nullptr;
    Eintrag* copy = gConverter->Cells[row][column].First();
    for (int32_t i = 0; copy && i < index; ++i) copy = copy->Next;
    return copy;
}

// The slot walk's hit test: the first copy of the cell in chain order whose
// picture (bounds included) holds the grid point. Copies in the walk that are
// not hit leave -1 in HoverEntryIndex, as the hover tracking wants.
Eintrag* PictureAt(int32_t column, int32_t row, int32_t x, int32_t y, int32_t& index, bool markMisses) {
    index = -1;
    if (!IsCell(column, row)) return nullptr;
    int32_t k = 0;
    for (Eintrag* copy = gConverter->Cells[row][column].First(); copy; copy = copy->Next, ++k) {
        RECT rect;
        // Slots run out in chain order: the copies after the last row have no picture.
        if (!PictureSlotRect(column, row, k, rect)) break;
        if (rect.left <= x && x <= rect.right && rect.top <= y && y <= rect.bottom) {
            index = k;
            return copy;
        }
        if (markMisses) HoverEntryIndex = -1;
    }
    return nullptr;
}

// Restarts the hint timer: the delay counts from now.
void ArmHintTimer() {
    MainForm->TimerShowHint->SetEnabled(false);
    MainForm->TimerShowHint->SetEnabled(true);
}

void SetHintPointToPointer() {
    const POINT point = Mouse->CursorPos();
    HintPointX = point.x;
    HintPointY = point.y;
}

// Shows the grid's context menu at the pointer, with the edit and delete
// items only when a reminder is selected.
void PopupContextMenu(bool withSelection) {
    TPopupMenu* menu = MainForm->PopupMenuOnIcon;
    for (const char* caption : {"Edit Selected Reminder", "Delete Selected Reminder"})
        if (TMenuItem* item = menu->Items()->Find(caption)) item->Visible = withSelection;
    const POINT point = Mouse->CursorPos();
    menu->Popup(point.x, point.y);
}

// The time of day as a fraction of a day, the date dropped.
TDateTime TimeOfDay() {
    const TDateTime now = Now();
    return now - std::floor(now);
}

}  // namespace

//--- Platform calls

unsigned DoubleClickTime() {
    if (DoubleClickTimeReader()) return DoubleClickTimeReader()();
    return GetDoubleClickTime();
}

void SetDoubleClickTimeFunction(std::function<unsigned()> function) {
    DoubleClickTimeReader() = std::move(function);
}

void ConfineCursor(const RECT* rect) {
    if (CursorConfiner()) return CursorConfiner()(rect);
    ClipCursor(rect);
}

void SetConfineCursorFunction(std::function<void(const RECT* rect)> function) {
    CursorConfiner() = std::move(function);
}

//--- Texts

std::string StatusLineText(const Eintrag& copy) {
    return DateAndTimeText(copy, " : ") + "   " + copy.GetTitle();
}

std::string GridHintText(const Eintrag& copy) {
    return HintText(copy, " : ");
}

std::string ListHintText(const Eintrag& copy) {
    return HintText(copy, ":");
}

void ForgetReminder(const Eintrag* master) {
    if (!master || LastClickEntry == master) LastClickEntry = nullptr;
}

//--- Cells under the pointer

void PointToCell(TCustomForm* form, int32_t x, int32_t y) {
    (void)form;
    int32_t column = CellWidth > 0 ? x / CellWidth : 0;
    int32_t row = CellHeight > 0 ? y / CellHeight : 0;
    if (column > 6) --column;
    if (row > 5) --row;
    // Whatever the point, the result names a cell: the arrays are indexed with it.
    HoverColumn = std::clamp(column, 0, kGridColumns - 1);
    HoverRow = std::clamp(row, 0, kGridRows - 1);
}

bool IsInsideGrid(int32_t x, int32_t y) {
    // With the button held the grid keeps the mouse, and points left of or
    // above it arrive too: they are not on a cell.
    return x >= 0 && y >= 0 && x < kGridColumns * CellWidth && y < kGridRows * CellHeight;
}

//--- Hover, hints and status line

Eintrag* TCalendarView::TrackHover(int32_t column, int32_t row, int32_t x, int32_t y) {
    if (!IsCell(column, row)) return nullptr;
    // 1. Entering a cell: its look and sound only, no picture yet.
    if (column != LastHoverColumn || row != LastHoverRow || (LastHoverColumn == -1 && LastHoverRow == -1)) {
        RedrawHoverCells(LastHoverRow, LastHoverColumn, row, column);
        HoverSlotColumn = HoverSlotRow = -1;
        LastHoverColumn = column;
        LastHoverRow = row;
        Application->SetShowHint(false);
        if (Calendar_Settings.Calendar_Play_Sound && gConverter->Cells[row][column].IsInMonth())
            gConverter->PlaySound();
        return nullptr;
    }
    // 2.
    if (!gConverter->Cells[row][column].First()) {
        SetHintMode("Calender", false);
        return nullptr;
    }
    // 3. The picture under the pointer.
    int32_t k = -1;
    Eintrag* copy = PictureAt(column, row, x, y, k, true);
    if (copy) {
        // 4. A picture other than the last one hit: its status line and hint.
        int32_t c = 0, r = 0;
        ComputePictureSlots(CellWidth, CellHeight, DayBand, IconWidth, IconHeight).Place(k, c, r);
        if (c != HoverSlotColumn || r != HoverSlotRow || HoverSlotColumn == -1 || HoverSlotRow == -1) {
            DrawStatusLine(copy);
            GridHint(copy);
            StatusShown = true;
            Application->SetShowHint(false);
            SetHintMode("Calender", true);
        }
        HoverSlotColumn = c;
        HoverSlotRow = r;
        HoverEntryIndex = k;
        return copy->GetMaster();
    }
    // 5. Off the pictures.
    Application->SetShowHint(false);
    MainForm->TimerShowHint->SetEnabled(false);
    if (StatusShown) {
        DrawStatusLine(nullptr);
        StatusShown = false;
    }
    HoverSlotColumn = HoverSlotRow = -1;
    return nullptr;
}

void TCalendarView::RedrawHoverCells(int32_t oldRow, int32_t oldColumn, int32_t newRow, int32_t newColumn) {
    TMainForm* form = MainForm;
    const TCellGeometry geometry = ComputeCellGeometry(form->ClientWidth(), form->ClientHeight());
    CellWidth = geometry.CellWidth;
    CellHeight = geometry.CellHeight;
    TExtnImage* grid = form->ExtnImageGrid;
    TCanvas* canvas = grid->Canvas();
    TCanvas* model = form->BitmapCalendar->Canvas();
    canvas->Brush()->SetStyle(model->Brush()->Style());
    canvas->Font()->SetSize(model->Font()->Size());
    canvas->Font()->SetName(model->Font()->Name());
    auto drawCell = [&](int32_t column, int32_t row, TBitmap* picture) {
        StretchCellPicture(column, row, canvas->Handle(), picture, geometry.GridWidth, geometry.GridHeight);
        DrawEntryPictures(column, row, canvas->Handle());
        DrawCellText(canvas, IntToStr(gConverter->Cells[row][column].GetDay()),
                     column * CellWidth + CellWidth / 8 - 4, row * CellHeight + CellHeight / 8 - 4,
                     Calendar_Settings.Font_Size, Calendar_Settings.Font_Bold_Style != 0,
                     Calendar_Settings.Font_Color, Calendar_Settings.Font_Shadow_Color);
    };
    // Cells outside the shown month never take the hovered look.
    if (oldRow != -1 && oldColumn != -1 && IsCell(oldColumn, oldRow) &&
        gConverter->Cells[oldRow][oldColumn].IsInMonth())
        drawCell(oldColumn, oldRow, form->BitmapDayCell.get());
    if (IsCell(newColumn, newRow) && gConverter->Cells[newRow][newColumn].IsInMonth())
        drawCell(newColumn, newRow, form->BitmapDayCellHover.get());
    grid->Refresh();
}

void TCalendarView::DrawStatusLine(const Eintrag* copy) {
    TMainForm* form = MainForm;
    // The repaint clears the strip.
    DrawCells();
    form->Repaint();
    const std::string text = copy ? StatusLineText(*copy) : std::string();
    TCanvas* canvas = form->Canvas();
    canvas->Font()->SetStyle(0);
    canvas->Font()->SetName(Text_Settings.Font_Name);
    canvas->Brush()->SetStyle(bsClear);
    const RECT rect{LayoutMargin, form->ClientHeight() - StatusHeight, form->ClientWidth() - LayoutMargin,
                    form->ClientHeight()};
    // A title is shown as typed: an "&" in it is no accelerator mark.
    DrawShadowedTextA(canvas, text, rect, TextCentred | DT_NOPREFIX, Text_Settings.Font_Color,
                      Text_Settings.Font_Shadow_Color, 1, 1);
}

void TCalendarView::GridHint(const Eintrag* copy) {
    MainForm->ExtnImageGrid->Hint = GridHintText(*copy);
    Application->HintColor = Hint_Settings.Hint_Background_Color;
    SetHintPointToPointer();
    SetHintMode("Calender", true);
    ArmHintTimer();
}

void TCalendarView::ListHint(int32_t y) {
    TListBox* list = MainForm->ListBoxInfo;
    const int32_t height = std::max(list->ItemHeight(), 1);
    // Above the first row (the list keeps the mouse while a button is held) is no row either.
    const int32_t row = y >= 0 ? y / height : -1;
    if (row < 0 || row >= list->Items()->Count()) {
        LastListHintIndex = -1;
        SetHintMode("Calender", false);
        MainForm->TimerShowHint->SetEnabled(false);
        return;
    }
    if (row == LastListHintIndex) return;
    // A list out of step with the selected cell prepares no hint.
    const Eintrag* copy = CopyAt(SelectedColumn, SelectedRow, row);
    if (!copy) return;
    list->Hint = ListHintText(*copy);
    Application->HintColor = Hint_Settings.Hint_Background_Color;
    Application->SetShowHint(false);
    SetHintMode("Calender", true);
    SetHintPointToPointer();
    ArmHintTimer();
    LastListHintIndex = row;
}

//--- Clicks and the context menu

void TCalendarView::ClickCell(int32_t x, int32_t y) {
    // 1.
    PointToCell(MainForm, x, y);
    SelectedColumn = HoverColumn;
    SelectedRow = HoverRow;
    // 2. Null also when this click enters the cell.
    SelectedEntry = TrackHover(HoverColumn, HoverRow, x, y);
    // 3. Only the time of day counts: after midnight the difference is negative, which is quick enough.
    const TDateTime now = TimeOfDay();
    const double elapsed = (now - LastClickTime) * 86400000.0;
    const bool isDouble = static_cast<double>(DoubleClickTime()) >= elapsed && LastClickColumn == SelectedColumn &&
                          LastClickRow == SelectedRow && LastClickEntry == SelectedEntry;
    LastClickTime = now;
    if (isDouble) {
        // 4.
        if (SelectedEntry)
            OpenModifyItemForEdit();
        else
            OpenModifyItemForNew();
        return;
    }
    // 5.
    FillDayList();
    LastClickColumn = SelectedColumn;
    LastClickRow = SelectedRow;
    LastClickEntry = SelectedEntry;
}

void TCalendarView::RightClickCell(int32_t x, int32_t y) {
    PointToCell(MainForm, x, y);
    SelectedEntry = TrackHover(HoverColumn, HoverRow, x, y);
    PopupContextMenu(SelectedEntry != nullptr);
}

//--- Drag and drop

Eintrag* TCalendarView::BeginDrag(int32_t x, int32_t y) {
    int32_t index = -1;
    Eintrag* copy = PictureAt(HoverColumn, HoverRow, x, y, index, false);
    if (!copy) {
        // A press that starts no drag leaves no drag behind and no pointer confined.
        EndDrag();
        return nullptr;
    }
    // The pointer stays over the grid, half a picture away from its edges.
    TMainForm* form = MainForm;
    RECT window;
    GetWindowRect(form->Handle(), &window);
    RECT confine;
    confine.left = window.left + form->ExtnImageGrid->Left() + IconWidth / 2;
    confine.top = window.top + form->ExtnImageGrid->Top() + IconHeight / 2;
    confine.right = confine.left + form->BitmapCalendar->Width() - IconWidth;
    confine.bottom = confine.top + form->BitmapCalendar->Height() - IconHeight;
    ConfineCursor(&confine);
    Dragging = true;
    return copy->GetMaster();
}

void TCalendarView::TrackDrag(Eintrag* entry, int32_t x, int32_t y) {
    if (!entry) return;
    // The first move records where the drag starts.
    if (DragStartX == -1 || DragStartY == -1) {
        DragStartX = x;
        DragStartY = y;
        return;
    }
    if (std::abs(DragStartX - x) < 2 && std::abs(DragStartY - y) < 2) return;
    Application->SetShowHint(false);
    TMainForm* form = MainForm;
    TExtnImage* grid = form->ExtnImageGrid;
    const int left = x - IconWidth / 2;
    const int top = y - IconHeight / 2;
    // The grid as last drawn, without the previous picture, then the picture at the pointer.
    BitBlt(grid->Canvas()->Handle(), 0, 0, grid->Width(), grid->Height(), form->BitmapCalendar->Canvas()->Handle(), 0,
           0, SRCCOPY);
    const RECT rect{left, top, left + IconWidth, top + IconHeight};
    DrawTransparentPicture(grid->Canvas()->Handle(), rect, entry->GetPictureIndex());
    grid->Refresh();
}

void TCalendarView::EndDrag() {
    const bool wasDragging = Dragging;
    DragEntry = nullptr;
    Dragging = false;
    DragStartX = DragStartY = -1;
    ConfineCursor(nullptr);
    // The grid as last drawn, without the picture at the pointer.
    if (wasDragging) {
        DrawCells();
        MainForm->ExtnImageGrid->Refresh();
    }
}

void TCalendarView::DropEntry(Eintrag* entry, int32_t x, int32_t y) {
    auto finish = [this] {
        Refresh();
        DragStartX = DragStartY = -1;
        Dragging = false;
        ConfineCursor(nullptr);
    };
    // 1.
    ConfineCursor(nullptr);
    // 2.
    const int32_t column = std::clamp(CellWidth > 0 ? x / CellWidth : 0, 0, kGridColumns - 1);
    const int32_t row = std::clamp(CellHeight > 0 ? y / CellHeight : 0, 0, kGridRows - 1);
    // 3. During a drag the hovered cell is still the one where it began.
    if (!entry || (column == HoverColumn && row == HoverRow)) return finish();
    // 4.
    const tm target = gConverter->Cells[row][column].GetDateOnly();
    // 5. A stop date holds 23:59 of its day: a drop on that day itself needs no question.
    tm cleared;
    ClearDateRecord(&cleared);
    if (Converter::CompareDateTime(entry->StopAfter, cleared) != 0 &&
        Converter::TmToDateTime(target) > Converter::TmToDateTime(entry->StopAfter)) {
        if (ShowMessageBox(MsgTargetAfterStop, TextWarning, 1) != 1) return finish();
        ClearDateRecord(&entry->StopAfter);
    }
    // 6. The day moves, the time of day and everything else stay; the moved
    // reminder counts as never confirmed.
    tm start = entry->GetStartTime();
    start.tm_mday = target.tm_mday;
    start.tm_mon = target.tm_mon;
    start.tm_year = target.tm_year;
    entry->SetStartTime(start);
    ClearDateRecord(&entry->LastReminded);
    entry->Acknowledged = false;
    SaveReminderChanges();
    // 7.
    finish();
}

//--- Day list

void TCalendarView::ListDblClick() {
    const int32_t index = std::max(MainForm->ListBoxInfo->ItemIndex(), 0);
    Eintrag* copy = CopyAt(SelectedColumn, SelectedRow, index);
    if (!copy) return;
    // The dialog shows the day's occurrence: it is filled from the copy itself.
    SelectedEntry = copy;
    OpenModifyItemForEdit();
}

void TCalendarView::ListRightClick(int32_t index) {
    if (index == -1) {
        PopupContextMenu(false);
        return;
    }
    const Eintrag* copy = CopyAt(SelectedColumn, SelectedRow, index);
    if (!copy) return;
    SelectedEntry = copy->GetMaster();
    if (!SelectedEntry) return;
    PopupContextMenu(true);
}
