// The calendar view of the main window and the skin painters every window
// shares: close glyph, window title, text drawing, menu-bar skin.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "classlib/Forms.h"
#include "classlib/Graphics.h"

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
// Wide text with DrawTextA on the Windows 9x family, DrawTextW otherwise.
int DrawTextAW(HDC dc, const std::wstring& text, int count, RECT* rect, UINT flags);

//--- Reminder pictures

// Fills mask with the transparency mask of picture: black where the picture is
// exactly white, white everywhere else.
void MakeIconMask(TBitmap* picture, TBitmap* mask);
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
};

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
