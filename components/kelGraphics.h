// kelGraphics: colour conversions with 21 extra named colours (which colour
// properties accept by name once the library has started), screen and font
// metrics, small drawing routines on a canvas or device context, and a safe way
// to layered-window transparency.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "classlib/Graphics.h"

//--- Colour tables

constexpr TColor CkelColors16[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                     0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                     0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
constexpr TColor CkelColors8[8] = {0x000000, 0x0000FF, 0x008000, 0x00FFFF, 0xFF0000, 0x800080, 0x808000, 0xFFFFFF};
constexpr TColor CkelColors2[2] = {0x000000, 0xFFFFFF};
constexpr TColor CkelTextColors[16] = {0x000000, 0xFFFFFF, 0x008000, 0x000080, 0x008080, 0x800000,
                                       0x800080, 0x808080, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF00FF,
                                       0xC0C0C0, 0x0000FF, 0xFF0000, 0x808000};
constexpr TColor CkelBackgroundColors[15] = {0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF00FF, 0xFF0000,
                                             0x0000FF, 0x800000, 0x008000, 0x808000, 0x800080,
                                             0x000080, 0x008080, 0x808080, 0xC0C0C0, 0x000000};

//--- Colour conversions

// An extra name when the colour has one, else the class library's text.
std::string kelColorToString(TColor color);
// The colour of an extra name, else the class library's conversion (which
// raises EConvertError for a text it cannot read).
TColor kelStringToColor(const std::string& text);
// Extra names first, then the standard ones.
bool kelColorToIdent(TColor color, std::string& name);
bool kelIdentToColor(const std::string& name, TColor& color);
// Every standard colour name, then the 21 extra names in their table's order.
void kelGetColorValues(const std::function<void(const std::string& name)>& proc);

// The colour resolved (a system colour becomes its RGB value), in four byte orders.
uint32_t kelColorToABGR(TColor color);  // 0x00BBGGRR
uint32_t kelColorToARGB(TColor color);  // 0x00RRGGBB
uint32_t kelColorToRGBA(TColor color);  // 0xRRGGBB00
uint32_t kelColorToBGRA(TColor color);  // 0xBBGGRR00

//--- Metrics

// The screen's bits per pixel.
int kelGetCurrentBPP();
// The colour of the screen pixel under the mouse cursor.
TColor kelGetColorUnderCursor();
// The average width of a letter in the canvas's font, and the letters' height.
SIZE kelGetAverageCharSize(TCanvas* canvas);
int kelDialogUnitsToPixelsX(uint16_t units);
int kelDialogUnitsToPixelsY(uint16_t units);
int kelPixelsToDialogUnitsX(uint16_t pixels);
int kelPixelsToDialogUnitsY(uint16_t pixels);

//--- Drawing

// A solid brush of the resolved colour, filled or framed, deleted again.
void kelFillRect(HDC dc, const RECT& rect, TColor color);
void kelFrameRect(HDC dc, const RECT& rect, TColor color);
// Four bands of the given width along the inside of the rectangle's edges.
void kelDrawWideBorder(TCanvas* canvas, const RECT& rect, TColor color, int width);
// Bands from the start colour to the end colour, left to right (horizontal) or
// top to bottom, one band per step of the largest channel difference.
void kelDrawGradient(TCanvas* canvas, const RECT& rect, TColor startColor, TColor endColor, bool horizontal);
// DrawTextA in the colour; disabled text is embossed in the button colours. The
// rectangle comes back as DrawTextA left it (DT_CALCRECT).
void kelDrawText(TCanvas* canvas, const std::string& text, RECT& rect, TColor color, bool enabled, UINT format);
// Only the shadow, offset by (offsetX, offsetY), which stay applied to rect; the
// caller draws the text. Nothing when both offsets are 0.
void kelDrawTextShadow(TCanvas* canvas, const std::string& text, RECT& rect, TColor textColor, TColor shadowColor,
                       int offsetX, int offsetY, UINT format);
// Only the outline copies of the text in the border colour; the caller draws the
// text. With sizes 1 and 1 these are the four diagonal copies.
void kelDrawTextBorder(TCanvas* canvas, const std::string& text, const RECT& rect, TColor textColor,
                       TColor borderColor, int sizeX, int sizeY, UINT format);
// SetLayeredWindowAttributes where the system has it; 0 where it has not.
BOOL kelSetLayeredWindowAttributes(HWND window, COLORREF colorKey, BYTE alpha, DWORD flags);

//--- Unit state

using TkelSetLayeredWindowAttributesProc = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
// The system's SetLayeredWindowAttributes, found at the unit's start (null without it).
extern TkelSetLayeredWindowAttributesProc kelSetLayeredWindowAttributesEntry;

// Start and end of the unit (run by kelInitialize and kelFinalize): the entry
// above, and the extra names as converters of colour properties.
void kelGraphicsInitialize();
void kelGraphicsFinalize();
