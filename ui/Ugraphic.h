// The calendar view of the main window and the skin painters every window
// shares: close glyph, window title, dialog background, group frame, shadowed
// text, transparent pictures, menu-bar skin, and the text helpers of the
// skinned windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "classlib/Forms.h"
#include "classlib/Graphics.h"

class Eintrag;
class TImageList;

//--- Close glyph

constexpr int GlyphWidth = 16;
constexpr int GlyphHeight = 16;
constexpr int GlyphTop = 2;
constexpr int GlyphRightOffset = 20;

// True while some window shows its close glyph in the hover look.
extern bool GlyphHovered;

// Whether the client point lies strictly inside the glyph's frame.
bool CloseGlyphHitTest(TCustomForm* form, int32_t x, int32_t y);
void DrawCloseGlyph(TCustomForm* form);
void DrawCloseGlyphPressed(TCustomForm* form);
// The hover look while the point is on the glyph; the normal look once when it leaves.
void TrackCloseGlyphHover(TCustomForm* form, int32_t x, int32_t y);
// The bold shadowed title in the top strip.
void DrawFormTitle(TCustomForm* form, const std::wstring& title);
// Gives the main window's menu bar the skin under it as its background.
void SkinMenuBar();

//--- Dialog painters

// The first step of a skinned dialog's painting: the top 20 rows of the skin's
// "BG.bmp" stretched over the caption strip, the rest over the client area.
void DrawDialogBackground(TCustomForm* form);
// An etched rectangle whose top edge carries the caption, in the text colour;
// the canvas keeps the last pen colour and the clear brush.
void DrawGroupFrame(TCanvas* canvas, const std::string& caption, int32_t x, int32_t y, int32_t width, int32_t height);

//--- Shadowed text

// Text flags of the skinned surfaces.
constexpr UINT TextCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;  // 0x8025
constexpr UINT TextLeft = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;                 // 0x8024

// Draws a text twice with a clear brush: in the shadow colour moved by
// (dx, dy), then in the colour at textRect. Most windows put the shadow one
// pixel right of and below the text (1, 1); the alarm window one pixel right (1, 0).
void DrawShadowedText(TCanvas* canvas,
                      const std::wstring& text,
                      const RECT& textRect,
                      UINT flags,
                      TColor color,
                      TColor shadowColor,
                      int32_t dx = 1,
                      int32_t dy = 1);
// The same for an 8-bit text, drawn with DrawTextA.
void DrawShadowedTextA(TCanvas* canvas,
                       const std::string& text,
                       const RECT& textRect,
                       UINT flags,
                       TColor color,
                       TColor shadowColor,
                       int32_t dx = 1,
                       int32_t dy = 1);

//--- Transparent pictures (white is transparent)

// Fills mask with the transparency mask of picture: black where the picture
// is exactly white (0xFFFFFF), white everywhere else.
void MakeIconMask(TBitmap* picture, TBitmap* mask);
// Draws a picture stretched onto a rectangle with its white pixels left out:
// the mask (made here into `mask`) ORed on, then the picture ANDed on. Callers
// fetch the picture first (the reminder pictures come from the picture
// collection's image list, which draws them into the main window's BitmapIcon).
void DrawTransparentPicture(HDC target, const RECT& rect, TBitmap* picture, TBitmap* mask);
// The draw-cell painter of the picture strips: picture `index` of the list,
// opaque and unscaled, at the cell's left edge and the control's top.
void DrawImageListIcon(TImageList* list, TCustomControl* control, const RECT& rect, int32_t index);

//--- Text helpers of the skinned windows

// Wide text with DrawTextA on the Windows 9x family, DrawTextW otherwise.
int DrawTextAW(HDC dc, const std::wstring& text, int count, RECT* rect, UINT flags);
// Gives every control directly inside the container the text colour of the settings.
void SetItemsFontColor(TWinControl* container);

//--- Reminder pictures

// Draws picture `index` of the picture collection into a rectangle of a DC,
// stretched from 32 x 32, with its white pixels transparent. Works with the main
// window's BitmapIcon and BitmapIconMask; an index outside the collection draws
// nothing.
void DrawTransparentPicture(HDC dc, const RECT& rect, int32_t index);

//--- Moving a window by dragging

// Starts the system's move loop for a window (release the capture, then the
// move-by-caption command). Tests replace it to record the request instead.
void StartWindowDrag(TCustomForm* form);
using WindowDragFunction = std::function<void(TCustomForm* form)>;
// Installs a replacement; an empty function restores the real drag.
void SetWindowDragFunction(WindowDragFunction function);
// A button going down on a skinned window's own surface: on the close glyph it
// shows the pressed glyph; elsewhere the glyph is drawn plain again and the left
// button starts dragging the window when the point lies in the drag area (rows
// above dragRowLimit; -1 for the whole surface).
void SkinnedFormMouseDown(TCustomForm* form, TMouseButton button, int32_t x, int32_t y, int32_t dragRowLimit = -1);

//--- Calendar view

// Draws the main window's body: the skin frame, the titles, the weekday
// headings and the month grid, laid out from the window's client size.
class TCalendarView {
public:
    int32_t LastHoverColumn = -1;
    int32_t LastHoverRow = -1;

    // Full relayout and redraw: the day list and grid placed, the grid rebuilt
    // from the model, the frame painted, the cells drawn and the grid shown.
    void Refresh();
    // The main window's frame, glyph, arrows, title, month title and headings.
    void Paint();
    // Recomputes the cell geometry and draws the 42 cells into the grid image.
    void DrawCells();
    void StretchCellPicture(int32_t column,
                            int32_t row,
                            HDC dc,
                            TBitmap* picture,
                            int32_t gridWidth,
                            int32_t gridHeight);
    void DrawEntryPictures(int32_t column, int32_t row, HDC dc);
    void DrawCellText(TCanvas* canvas,
                      const std::string& text,
                      int32_t x,
                      int32_t y,
                      int32_t size,
                      bool bold,
                      TColor colour,
                      TColor shadowColour);
    void DrawMonthTitle();
    void DrawWeekdayHeadings();
    // Switches the application's hints for the calendar ("Calender") or the controls.
    void SetHintMode(const std::string& name, bool on);
    // Lists the reminders of the selected day in the day list, one line each:
    // hour "." minute, a blank and the title.
    void FillDayList();

    //--- Hover, hints and status line

    // Follows the pointer over cell (column, row) at grid point (x, y): the
    // hovered look on entering a cell, then the picture under the pointer with
    // its status line and delayed hint. Returns that picture's master, or null.
    Eintrag* TrackHover(int32_t column, int32_t row, int32_t x, int32_t y);
    // Draws the old cell in its normal look and the new one hovered, on the grid image.
    void RedrawHoverCells(int32_t oldRow, int32_t oldColumn, int32_t newRow, int32_t newColumn);
    // The status strip with a day copy's date, time and title; empty for null.
    void DrawStatusLine(const Eintrag* copy);
    // Prepares the delayed hint of a picture of the grid.
    void GridHint(const Eintrag* copy);
    // Prepares the delayed hint of the day-list row at y (list coordinates).
    void ListHint(int32_t y);

    //--- Clicks, context menu, drag and drop

    // A left (or middle) click on the grid: selects the day and fills the day
    // list; a second click within the double-click time on the same day and
    // picture opens the add/modify dialog.
    void ClickCell(int32_t x, int32_t y);
    // A right click on the grid: the context menu with the items that fit the spot.
    void RightClickCell(int32_t x, int32_t y);
    // A press on the grid: the master whose picture is under the point (the
    // pointer is confined to the grid then), or null.
    Eintrag* BeginDrag(int32_t x, int32_t y);
    // The dragged picture follows the pointer once it moved 2 pixels.
    void TrackDrag(Eintrag* entry, int32_t x, int32_t y);
    // Ends a drag: moves the reminder to the day under the point, asking first
    // when that day lies after its stop date.
    void DropEntry(Eintrag* entry, int32_t x, int32_t y);
    // Ends a drag without moving anything: the pointer is set free, the drag
    // state cleared and a picture drawn at the pointer removed. Harmless when
    // no drag runs.
    void EndDrag();

    //--- Day list

    // Opens the add/modify dialog on the day copy of the selected line (the first without a selection).
    void ListDblClick();
    // The context menu for line `index`, or with "Add New Reminder" only for -1.
    void ListRightClick(int32_t index);
};

// The cell of a grid point into HoverColumn and HoverRow (the grid's remainder
// belongs to the last column and row).
void PointToCell(TCustomForm* form, int32_t x, int32_t y);
// Whether a grid point lies on the 7 x 6 cells.
bool IsInsideGrid(int32_t x, int32_t y);

// The texts of a day copy: the status line, the grid's hint and the day list's hint.
std::string StatusLineText(const Eintrag& copy);
std::string GridHintText(const Eintrag& copy);
std::string ListHintText(const Eintrag& copy);

//--- Calendar view state kept between mouse events (program-wide)

extern int32_t HoverSlotColumn;  // slot of the picture last hit in the hovered cell; -1 none
extern int32_t HoverSlotRow;
extern bool StatusShown;  // the status strip may show a reminder and is cleared off the pictures
extern int32_t LastListHintIndex;  // the day-list row whose hint was last prepared; -1 none
extern TDateTime LastClickTime;    // time of day of the previous click on the grid
extern int32_t LastClickColumn;
extern int32_t LastClickRow;
extern Eintrag* LastClickEntry;  // the master under the previous click (a master or null)

// Lets go of the records the view remembers: those equal to `master`, or every
// one for null (the list was replaced). Called before records are deleted.
void ForgetReminder(const Eintrag* master);

//--- Platform calls of the calendar view (tests replace them)

// The system's double-click time in milliseconds.
unsigned DoubleClickTime();
void SetDoubleClickTimeFunction(std::function<unsigned()> function);
// Confines the pointer to a screen rectangle; null frees it.
void ConfineCursor(const RECT* rect);
void SetConfineCursorFunction(std::function<void(const RECT* rect)> function);

// Cell geometry of a grid area (pure: for painting and tests).
struct TCellGeometry {
    int32_t GridWidth;
    int32_t GridHeight;
    int32_t CellWidth;
    int32_t CellHeight;
    int32_t DayBand;
};
TCellGeometry ComputeCellGeometry(int32_t clientWidth, int32_t clientHeight);

// How a cell's reminder pictures are laid out: PerRow in a row, in Rows rows
// below the day band.
struct TPictureSlots {
    int32_t PerRow;
    int32_t Rows;
    // The slot (column c, row r) of the index-th picture: slots fill a row from the
    // left, then the next row; without room for a whole picture in a row, each
    // picture takes a row of its own.
    void Place(int32_t index, int32_t& c, int32_t& r) const {
        c = PerRow > 0 ? index % PerRow : 0;
        r = PerRow > 0 ? index / PerRow : index;
    }
};
TPictureSlots ComputePictureSlots(int32_t cellWidth,
                                  int32_t cellHeight,
                                  int32_t dayBand,
                                  int32_t iconWidth,
                                  int32_t iconHeight);
// The rectangle, in grid coordinates, of the picture of the index-th reminder (in
// chain order) of a cell, with the current layout values; false when that
// reminder's picture is not shown.
bool PictureSlotRect(int32_t column, int32_t row, int32_t index, RECT& rect);
