#!/usr/bin/env python3
"""Builds the program's own artwork and sounds.

    python3 assets/generate.py OUTDIR

writes
    OUTDIR/Skins/Default/Top.bmp   main window frame and sprite sheet (600 x 210)
    OUTDIR/Skins/Default/BG.bmp    dialog background (400 x 200)
    OUTDIR/Skins/Default/btn.bmp   push button states (75 x 100)
    OUTDIR/main.ico                program icon (16, 32 and 48 pixels)
    OUTDIR/mv.wav                  calendar hover sound
    OUTDIR/alert.wav               alarm chime
    OUTDIR/pictures/pictureN.bmp   the ten built-in reminder pictures (32 x 32)
    OUTDIR/toolbuttons/toolN.bmp   the general settings' four page buttons (32 x 32)

Everything is drawn from signed distance functions with analytic anti-aliasing,
using nothing but the standard library, and the output is the same bytes on
every run. REGIONS below is the one table of where the program cuts and reads
its skin sheets; the drawing code places every element by looking it up there.
"""

import collections
import math
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Where the program reads the skin sheets.
#
# kind:
#   cut    copied once, at start-up, into a bitmap of its own (the field name is
#          the region's name); size and offset must match the program exactly
#   frame  source of one of the main window's frame blits; stretch says in
#          which direction the blit stretches it (h, v, both or none), so those
#          regions are kept uniform in that direction
#   area   a place on a sheet that the program draws over (text, controls,
#          the close glyph, the arrows); kept quiet so text stays readable
#   sheet  the whole sheet, stretched as a background
# Coordinates are sheet pixels: x, y of the top-left corner, width, height.
# ---------------------------------------------------------------------------


_RegionBase = collections.namedtuple("Region", "name sheet x y w h kind stretch meaning")


class Region(_RegionBase):
    __slots__ = ()

    @property
    def rect(self):
        return (self.x, self.y, self.w, self.h)


TOP, BG, BTN = "Top.bmp", "BG.bmp", "btn.bmp"

SHEET_SIZES = {TOP: (600, 210), BG: (400, 200), BTN: (75, 100)}

REGIONS = (
    # --- cut at start-up from Top.bmp ---------------------------------------
    Region("BitmapDayCell", TOP, 170, 100, 47, 44, "cut", "none",
           "day cell of the shown month, stretched to the cell; day number in the "
           "top band (11/32 of the height), reminder pictures below it"),
    Region("BitmapDayCellHover", TOP, 217, 100, 47, 44, "cut", "none",
           "the day cell under the mouse pointer"),
    Region("BitmapDayCellOther", TOP, 264, 100, 47, 44, "cut", "none",
           "day cell outside the shown month"),
    Region("BitmapGlyph", TOP, 209, 160, 16, 16, "cut", "none",
           "close glyph, normal; copied opaque onto the title strip of every window"),
    Region("BitmapGlyphHover", TOP, 225, 160, 16, 16, "cut", "none",
           "close glyph under the mouse pointer"),
    Region("BitmapGlyphPressed", TOP, 241, 160, 16, 16, "cut", "none",
           "close glyph pressed"),
    Region("BitmapMessageIcon", TOP, 558, 100, 32, 32, "cut", "none",
           "message box icon, combined by AND: white shows the background"),
    Region("BitmapArrow", TOP, 170, 160, 13, 20, "cut", "none",
           "month/year arrows released, stretched to 18 x 20; upper half = next, "
           "lower half = previous"),
    Region("BitmapArrowUpPressed", TOP, 183, 160, 13, 20, "cut", "none",
           "arrows with the upper half (next) pressed"),
    Region("BitmapArrowDownPressed", TOP, 196, 160, 13, 20, "cut", "none",
           "arrows with the lower half (previous) pressed"),
    # --- cut at start-up from btn.bmp ----------------------------------------
    Region("BitmapButtonNormal", BTN, 0, 0, 75, 25, "cut", "none",
           "push button, normal; stretched to the button (also 145 x 25), caption centred on it"),
    Region("BitmapButtonHot", BTN, 0, 25, 75, 25, "cut", "none",
           "push button under the mouse pointer"),
    Region("BitmapButtonPressed", BTN, 0, 50, 75, 25, "cut", "none",
           "push button pressed (caption moves one pixel right and down)"),
    Region("BitmapButtonDisabled", BTN, 0, 75, 75, 25, "cut", "none",
           "push button disabled (caption in the inactive-border colour over a white shadow)"),
    # --- main window frame blits from Top.bmp (E=190, R=300, M=10, T=100, S=20)
    Region("FrameUpperLeft", TOP, 0, 0, 190, 100, "frame", "none",
           "upper-left corner at (0, 0): title strip, menu bar, start of the heading band"),
    Region("FrameTopEdge", TOP, 190, 0, 110, 100, "frame", "h",
           "top edge, stretched over (190, 0, W - 490, 100)"),
    Region("FrameUpperRight", TOP, 300, 0, 300, 100, "frame", "none",
           "upper-right corner at (W - 300, 0): month/year panel, close glyph place"),
    Region("FrameLeftEdge", TOP, 0, 100, 10, 80, "frame", "v",
           "left edge, stretched over (0, 100, 10, H - 130)"),
    Region("FrameSeparator", TOP, 160, 100, 10, 80, "frame", "v",
           "strip between day list and grid, stretched over (160, 100, 10, H - 130)"),
    Region("FrameRightEdge", TOP, 160, 100, 10, 70, "frame", "v",
           "right edge: the separator's column again, 10 rows shorter, stretched over "
           "(W - 10, 100, 10, H - 130)"),
    Region("FrameLowerLeft", TOP, 0, 180, 190, 30, "frame", "none",
           "lower-left corner at (0, H - 30): bottom margin and status strip"),
    Region("FrameBottomEdge", TOP, 190, 180, 110, 30, "frame", "h",
           "bottom edge, stretched over (190, H - 30, W - 490, 30)"),
    Region("FrameLowerRight", TOP, 300, 180, 300, 30, "frame", "none",
           "lower-right corner at (W - 300, H - 30)"),
    # --- places on Top.bmp the program draws over (sheet coordinates) -------
    Region("TitleStrip", TOP, 0, 0, 600, 20, "area", "h",
           "title strip; bold title from x 20, close glyph at W - 20; rows 0-20 drag the window"),
    Region("MenuBar", TOP, 10, 24, 143, 19, "area", "both",
           "menu bar (File, Extras, Help) background, copied from under the menu bar"),
    Region("MonthTitle", TOP, 320, 38, 90, 25, "area", "none",
           "month name, centred (W - 280 .. W - 190)"),
    Region("MonthArrowPlace", TOP, 404, 40, 18, 20, "area", "none",
           "month arrows (W - 196, 40, 18 x 20)"),
    Region("YearTitle", TOP, 436, 38, 66, 25, "area", "none",
           "year, centred (W - 164 .. W - 98)"),
    Region("YearArrowPlace", TOP, 502, 40, 18, 20, "area", "none",
           "year arrows (W - 98, 40, 18 x 20)"),
    Region("GlyphPlace", TOP, 580, 2, 16, 16, "area", "none",
           "where the close glyph lands on the main window (W - 20, 2)"),
    Region("WeekdayHeadings", TOP, 170, 80, 420, 20, "area", "h",
           "weekday headings above the grid, one per column, centred"),
    Region("StatusStrip", TOP, 0, 190, 600, 20, "area", "h",
           "status line, centred between x 10 and W - 10"),
    # --- BG.bmp ----------------------------------------------------------------
    Region("DialogTitleStrip", BG, 0, 0, 400, 20, "sheet", "h",
           "dialog title strip, stretched to (0, 0, client width, 20); bold title from "
           "x 20, close glyph at client width - 20"),
    Region("DialogBody", BG, 0, 20, 400, 180, "sheet", "both",
           "dialog body, stretched over the client area below the title strip "
           "(and in pieces under the settings pages)"),
)

REGION = {r.name: r for r in REGIONS}

# Heights of the bands that the layout fixes.
TITLE_H = 20          # title strip of every window
LIST_LEFT, LIST_W = 10, 150
GRID_LEFT = 170
LAYOUT_TOP = 100
STATUS_H = 20
BAND_FRACTION = 11.0 / 32.0   # day-number band of a cell

# ---------------------------------------------------------------------------
# Palette: light, calm slate-blue surfaces so the default texts (pure blue
# with a light grey or white one-pixel shadow) read well everywhere.
# ---------------------------------------------------------------------------

ACCENT = (62, 118, 186)
ACCENT_DARK = (44, 92, 152)
SURFACE = (233, 238, 244)           # main window body
HEADER_TOP = (241, 244, 248)        # header area, top row
TITLE_TOP = (227, 234, 243)         # title strip gradient
TITLE_BOTTOM = (207, 218, 232)
TITLE_LINE = (176, 192, 212)
EDGE = (160, 177, 199)              # dialog outline
INK = (74, 92, 116)                 # glyph cross, arrows
PANEL = (255, 255, 255)
PANEL_LINE = (187, 200, 217)
BAND = (218, 228, 240)              # weekday heading band
STATUS = (224, 231, 240)
STATUS_LINE = (206, 216, 229)
HALO = (242, 245, 249)              # what anti-aliased picture edges blend into
RED = (214, 84, 76)
WHITE = (255, 255, 255)

# ---------------------------------------------------------------------------
# Shapes: signed distance functions (negative inside) with a bounding box.
# ---------------------------------------------------------------------------


def _clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def _mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


class Shape:
    def __init__(self, f, bbox):
        self.f = f
        self.bbox = bbox  # x0, y0, x1, y1

    def __or__(self, o):
        f, g = self.f, o.f
        a, b = self.bbox, o.bbox
        return Shape(lambda x, y: min(f(x, y), g(x, y)),
                     (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3])))

    def __and__(self, o):
        f, g = self.f, o.f
        a, b = self.bbox, o.bbox
        return Shape(lambda x, y: max(f(x, y), g(x, y)),
                     (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3])))

    def __sub__(self, o):
        f, g = self.f, o.f
        return Shape(lambda x, y: max(f(x, y), -g(x, y)), self.bbox)

    def grow(self, r):
        f = self.f
        a = self.bbox
        return Shape(lambda x, y: f(x, y) - r, (a[0] - r, a[1] - r, a[2] + r, a[3] + r))

    def stroke(self, w):
        """A line of width w centred on the outline."""
        f = self.f
        h = w / 2.0
        a = self.bbox
        return Shape(lambda x, y: abs(f(x, y)) - h, (a[0] - h, a[1] - h, a[2] + h, a[3] + h))

    def inner(self, w):
        """A band of width w just inside the outline."""
        f = self.f
        return Shape(lambda x, y: max(f(x, y), -(f(x, y) + w)), self.bbox)

    def tf(self, s, dx=0.0, ds=0.0):
        """Scaled by s about the origin, then moved by (dx, ds)."""
        f = self.f
        a = self.bbox
        inv = 1.0 / s
        return Shape(lambda x, y: f((x - dx) * inv, (y - ds) * inv) * s,
                     (a[0] * s + dx, a[1] * s + ds, a[2] * s + dx, a[3] * s + ds))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def box(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def f(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        out = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return out + min(max(qx, qy), 0.0) - r
    return Shape(f, (x0, y0, x1, y1))


def capsule(ax, ay, bx, by, r):
    ex, ey = bx - ax, by - ay
    ee = ex * ex + ey * ey or 1e-12

    def f(x, y):
        wx, wy = x - ax, y - ay
        t = _clamp((wx * ex + wy * ey) / ee)
        return math.hypot(wx - ex * t, wy - ey * t) - r
    return Shape(f, (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r))


def polygon(pts):
    pts = [(float(px), float(py)) for px, py in pts]
    n = len(pts)

    def f(x, y):
        d = (x - pts[0][0]) ** 2 + (y - pts[0][1]) ** 2
        s = 1.0
        j = n - 1
        for i in range(n):
            vix, viy = pts[i]
            vjx, vjy = pts[j]
            ex, ey = vjx - vix, vjy - viy
            wx, wy = x - vix, y - viy
            t = _clamp((wx * ex + wy * ey) / (ex * ex + ey * ey))
            bx, by = wx - ex * t, wy - ey * t
            d = min(d, bx * bx + by * by)
            c1 = y >= viy
            c2 = y < vjy
            c3 = ex * wy > ey * wx
            if (c1 and c2 and c3) or not (c1 or c2 or c3):
                s = -s
            j = i
        return s * math.sqrt(d)
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    return Shape(f, (min(xs), min(ys), max(xs), max(ys)))


def halfplane(px, py, nx, ny):
    """Everything on the side of the line through (px, py) that the normal (nx, ny) points away from."""
    ln = math.hypot(nx, ny)
    nx, ny = nx / ln, ny / ln
    return Shape(lambda x, y: (x - px) * nx + (y - py) * ny, (-1e6, -1e6, 1e6, 1e6))


def vgrad(y0, c0, y1, c1):
    span = float(y1 - y0) or 1.0
    return lambda x, y: _mix(c0, c1, _clamp((y - y0) / span))


# ---------------------------------------------------------------------------
# Canvas with straight (not premultiplied) colour and an optional alpha.
# ---------------------------------------------------------------------------


class Canvas:
    def __init__(self, w, h, colour=WHITE, alpha=False):
        self.w, self.h = w, h
        n = w * h
        self.r = [float(colour[0])] * n
        self.g = [float(colour[1])] * n
        self.b = [float(colour[2])] * n
        self.a = [0.0] * n if alpha else None

    # Composites `colour` (a tuple or a function of x, y) with coverage `cov`.
    def _put(self, i, col, cov):
        if self.a is None:
            k = 1.0 - cov
            self.r[i] = self.r[i] * k + col[0] * cov
            self.g[i] = self.g[i] * k + col[1] * cov
            self.b[i] = self.b[i] * k + col[2] * cov
        else:
            da = self.a[i]
            oa = cov + da * (1.0 - cov)
            if oa <= 0.0:
                return
            kd = da * (1.0 - cov) / oa
            ks = cov / oa
            self.r[i] = self.r[i] * kd + col[0] * ks
            self.g[i] = self.g[i] * kd + col[1] * ks
            self.b[i] = self.b[i] * kd + col[2] * ks
            self.a[i] = oa

    def paint(self, shape, colour, opacity=1.0, clip=None):
        x0, y0, x1, y1 = shape.bbox
        ix0 = max(0, int(math.floor(x0)) - 1)
        iy0 = max(0, int(math.floor(y0)) - 1)
        ix1 = min(self.w, int(math.ceil(x1)) + 1)
        iy1 = min(self.h, int(math.ceil(y1)) + 1)
        if clip is not None:
            cx, cy, cw, ch = clip
            ix0, iy0 = max(ix0, cx), max(iy0, cy)
            ix1, iy1 = min(ix1, cx + cw), min(iy1, cy + ch)
        f = shape.f
        dyn = callable(colour)
        for y in range(iy0, iy1):
            py = y + 0.5
            row = y * self.w
            for x in range(ix0, ix1):
                cov = 0.5 - f(x + 0.5, py)
                if cov <= 0.0:
                    continue
                if cov > 1.0:
                    cov = 1.0
                cov *= opacity
                self._put(row + x, colour(x + 0.5, py) if dyn else colour, cov)

    def fill(self, x, y, w, h, colour):
        """Fills whole pixels, no anti-aliasing; colour may be a function of x, y."""
        dyn = callable(colour)
        for yy in range(max(0, y), min(self.h, y + h)):
            for xx in range(max(0, x), min(self.w, x + w)):
                c = colour(xx + 0.5, yy + 0.5) if dyn else colour
                i = yy * self.w + xx
                self.r[i], self.g[i], self.b[i] = float(c[0]), float(c[1]), float(c[2])
                if self.a is not None:
                    self.a[i] = 1.0

    def draw(self, other, x, y):
        """Composites another canvas (with its alpha, if it has one) at (x, y)."""
        for yy in range(other.h):
            for xx in range(other.w):
                tx, ty = x + xx, y + yy
                if not (0 <= tx < self.w and 0 <= ty < self.h):
                    continue
                j = yy * other.w + xx
                cov = 1.0 if other.a is None else other.a[j]
                if cov > 0.0:
                    self._put(ty * self.w + tx, (other.r[j], other.g[j], other.b[j]), cov)

    def pixel(self, x, y):
        i = y * self.w + x
        return (_q(self.r[i]), _q(self.g[i]), _q(self.b[i]))

    def rows_rgb(self):
        """Rows top to bottom, each a bytes object of R, G, B triples."""
        out = []
        for y in range(self.h):
            row = bytearray()
            base = y * self.w
            for x in range(self.w):
                i = base + x
                row += bytes((_q(self.r[i]), _q(self.g[i]), _q(self.b[i])))
            out.append(bytes(row))
        return out


def _q(v):
    v = int(v + 0.5)
    return 0 if v < 0 else 255 if v > 255 else v


# ---------------------------------------------------------------------------
# File formats
# ---------------------------------------------------------------------------


def bmp24(canvas):
    """A bottom-up 24-bit BMP with a 40-byte info header."""
    w, h = canvas.w, canvas.h
    stride = (w * 3 + 3) & ~3
    pad = b"\0" * (stride - w * 3)
    rows = canvas.rows_rgb()
    pixels = bytearray()
    for row in reversed(rows):
        bgr = bytearray(len(row))
        bgr[0::3], bgr[1::3], bgr[2::3] = row[2::3], row[1::3], row[0::3]
        pixels += bgr + pad
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def ico(canvases):
    """An icon file with one 32-bit image (alpha and AND mask) per canvas."""
    images = []
    for c in canvases:
        w, h = c.w, c.h
        xor = bytearray()
        mask = bytearray()
        mstride = ((w + 31) // 32) * 4
        for y in range(h - 1, -1, -1):
            mrow = bytearray(mstride)
            for x in range(w):
                i = y * w + x
                a = _q(c.a[i] * 255.0)
                if a == 0:
                    xor += b"\0\0\0\0"
                    mrow[x // 8] |= 0x80 >> (x % 8)
                else:
                    xor += bytes((_q(c.b[i]), _q(c.g[i]), _q(c.r[i]), a))
            mask += mrow
        info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((w, h, info + bytes(xor) + bytes(mask)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return bytes(out)


RATE = 22050


def wav16(samples):
    """Mono 16-bit PCM at RATE from floats in -1..1."""
    data = bytearray()
    for s in samples:
        v = int(round(_clamp(s, -1.0, 1.0) * 32767.0))
        data += struct.pack("<h", v)
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + bytes(data)
    return b"RIFF" + struct.pack("<I", len(body)) + body


# ---------------------------------------------------------------------------
# Skin pieces
# ---------------------------------------------------------------------------


def title_colour(y):
    """Colour of title-strip row y (shared by Top.bmp and BG.bmp, so the close
    glyph, which is copied opaque, matches both)."""
    if y < 2:
        return ACCENT
    if y >= TITLE_H - 1:
        return TITLE_LINE
    return _mix(TITLE_TOP, TITLE_BOTTOM, (y - 2) / float(TITLE_H - 4))


def paint_title_strip(cv, width):
    for y in range(TITLE_H):
        cv.fill(0, y, width, 1, title_colour(y))


def paint_glyph(cv, ox, oy, state):
    """Close glyph, 16 x 16, on the title strip's own rows (the glyph sits at y 2)."""
    for y in range(16):
        cv.fill(ox, oy + y, 16, 1, title_colour(2 + y))
    c = ox + 8.0
    m = oy + 8.0
    if state == "normal":
        col, d = INK, 0.0
    else:
        back = (222, 92, 84) if state == "hover" else (176, 58, 54)
        cv.paint(box(ox + 0.5, oy + 0.5, ox + 15.5, oy + 15.5, 3.0), back)
        col, d = (252, 252, 252), (0.5 if state == "pressed" else 0.0)
    k = 3.3
    cross = (capsule(c - k + d, m - k + d, c + k + d, m + k + d, 0.85)
             | capsule(c - k + d, m + k + d, c + k + d, m - k + d, 0.85))
    cv.paint(cross, col)


def paint_arrows(cv, ox, oy, pressed):
    """Month/year arrows, 13 x 20 (drawn 18 x 20): up = next, down = previous."""
    cv.fill(ox, oy, 13, 20, PANEL)
    cv.fill(ox, oy + 2, 1, 16, (226, 232, 240))        # divider from the text
    for half in ("up", "down"):
        top = oy if half == "up" else oy + 10
        down = pressed == half
        if down:
            cv.paint(box(ox + 1.5, top + 0.5, ox + 12.5, top + 9.5, 2.5), (212, 226, 244))
        col = ACCENT_DARK if down else INK
        cx = ox + 7.0
        sh = 0.5 if down else 0.0
        if half == "up":
            tri = polygon([(cx, top + 3.0 + sh), (cx + 3.6, top + 7.6 + sh), (cx - 3.6, top + 7.6 + sh)])
        else:
            tri = polygon([(cx - 3.6, top + 2.4 + sh), (cx + 3.6, top + 2.4 + sh), (cx, top + 7.0 + sh)])
        cv.paint(tri.grow(0.35), col)


CELL_STYLES = {
    #         body              band              border
    "normal": ((252, 253, 255), (235, 241, 249), (200, 211, 225)),
    "hover": ((236, 244, 253), (211, 228, 248), (92, 144, 204)),
    "other": ((237, 240, 244), (229, 233, 238), (211, 217, 225)),
}


def paint_day_cell(cv, ox, oy, w, h, style):
    body, band, border = CELL_STYLES[style]
    cv.fill(ox, oy, w, h, SURFACE)                      # gap between the cards
    card = box(ox + 1.0, oy + 1.0, ox + w - 1.0, oy + h - 1.0, 3.0)
    cv.paint(card, body)
    band_h = int(h * BAND_FRACTION)
    cv.paint(card & box(ox, oy, ox + w, oy + band_h, 0.0), band)
    cv.paint(card.inner(1.0), border)


def paint_message_icon(cv, ox, oy):
    cv.fill(ox, oy, 32, 32, WHITE)
    ring = circle(ox + 16.0, oy + 16.0, 13.5)
    cv.paint(ring, ACCENT)
    cv.paint(circle(ox + 16.0, oy + 9.6, 2.2), WHITE)
    cv.paint(box(ox + 14.2, oy + 13.2, ox + 17.8, oy + 24.5, 1.0), WHITE)


def build_top():
    w, h = SHEET_SIZES[TOP]
    cv = Canvas(w, h, SURFACE)
    # Title strip and the header under it (both uniform across the width, so the
    # stretched top edge does not smear).
    paint_title_strip(cv, w)
    cv.fill(0, TITLE_H, w, 80 - TITLE_H, vgrad(TITLE_H, HEADER_TOP, 80, SURFACE))
    # Program emblem left of the title text.
    cv.draw(render_app_icon(16), 2, 2)
    # Weekday heading band over the grid (rounded only at its ends, outside
    # the stretched top edge).
    hd = REGION["WeekdayHeadings"]
    cv.paint(box(hd.x + 0.5, hd.y + 1.0, hd.x + hd.w - 0.5, hd.y + hd.h - 1.0, 4.0), BAND)
    # Month/year panel: one rounded panel holding both titles and both arrows.
    mt, ya = REGION["MonthTitle"], REGION["YearArrowPlace"]
    panel = box(mt.x - 10.0, 35.0, ya.x + ya.w + 10.0, 66.0, 7.0)
    cv.paint(panel.grow(1.0), PANEL_LINE)
    cv.paint(panel, PANEL)
    sep_x = (REGION["MonthArrowPlace"].x + REGION["MonthArrowPlace"].w + REGION["YearTitle"].x) // 2
    cv.fill(sep_x, 40, 1, 21, (220, 227, 236))
    for name in ("MonthArrowPlace", "YearArrowPlace"):
        a = REGION[name]
        paint_arrows(cv, a.x, a.y, None)
        # the program stretches 13 -> 18; the sheet only needs the background
        cv.fill(a.x + 13, a.y, a.w - 13, a.h, PANEL)
    # Status strip along the bottom.
    st = REGION["StatusStrip"]
    cv.fill(st.x, st.y, st.w, 1, STATUS_LINE)
    cv.fill(st.x, st.y + 1, st.w, st.h - 1, vgrad(st.y, STATUS, st.y + st.h, (219, 227, 237)))
    # Sprites.
    for name, style in (("BitmapDayCell", "normal"), ("BitmapDayCellHover", "hover"),
                        ("BitmapDayCellOther", "other")):
        r = REGION[name]
        paint_day_cell(cv, r.x, r.y, r.w, r.h, style)
    for name, state in (("BitmapGlyph", "normal"), ("BitmapGlyphHover", "hover"),
                        ("BitmapGlyphPressed", "pressed")):
        r = REGION[name]
        paint_glyph(cv, r.x, r.y, state)
    gp = REGION["GlyphPlace"]
    paint_glyph(cv, gp.x, gp.y, "normal")
    for name, pressed in (("BitmapArrow", None), ("BitmapArrowUpPressed", "up"),
                          ("BitmapArrowDownPressed", "down")):
        r = REGION[name]
        paint_arrows(cv, r.x, r.y, pressed)
    mi = REGION["BitmapMessageIcon"]
    paint_message_icon(cv, mi.x, mi.y)
    return cv


def build_bg():
    w, h = SHEET_SIZES[BG]
    cv = Canvas(w, h, SURFACE)
    paint_title_strip(cv, w)
    cv.fill(0, TITLE_H, w, h - TITLE_H, vgrad(TITLE_H, (247, 249, 252), h, (229, 235, 243)))
    # Thin outline: the dialogs have no border of their own.
    cv.fill(0, 2, 1, h - 2, EDGE)
    cv.fill(w - 1, 2, 1, h - 2, EDGE)
    cv.fill(0, h - 1, w, 1, EDGE)
    return cv


BUTTON_STYLES = {
    #           top              bottom           border
    "normal": ((255, 255, 255), (232, 238, 245), (158, 176, 199)),
    "hot": ((244, 249, 255), (214, 231, 250), (88, 142, 204)),
    "pressed": ((203, 220, 241), (224, 235, 248), (66, 116, 178)),
    "disabled": ((241, 243, 246), (236, 239, 243), (201, 208, 217)),
}


def paint_button(cv, oy, state):
    top, bottom, border = BUTTON_STYLES[state]
    w, h = 75, 25
    cv.fill(0, oy, w, h, (236, 241, 247))           # close to the dialog body behind it
    face = box(0.5, oy + 0.5, w - 0.5, oy + h - 0.5, 3.0)
    cv.paint(face, vgrad(oy + 1, top, oy + h - 1, bottom))
    if state == "pressed":
        cv.paint(face & box(0, oy, w, oy + 3.0), (188, 207, 231), 0.6)
    cv.paint(face.inner(1.0), border)


def build_btn():
    w, h = SHEET_SIZES[BTN]
    cv = Canvas(w, h, WHITE)
    for name, state in (("BitmapButtonNormal", "normal"), ("BitmapButtonHot", "hot"),
                        ("BitmapButtonPressed", "pressed"), ("BitmapButtonDisabled", "disabled")):
        paint_button(cv, REGION[name].y, state)
    return cv


# ---------------------------------------------------------------------------
# Reminder pictures: 32 x 32 on pure white, which the program treats as
# transparent. Each picture is a list of (shape, colour) layers in a 32-unit
# space; outlines are the shape grown and painted first in a darker colour.
# ---------------------------------------------------------------------------


def _r4(v):
    return round(v, 4)


def _outlined(shape, fill, line, width=1.3):
    return [(shape.grow(width), line), (shape, fill)]


def bell_layers():
    body = (circle(16.0, 12.5, 8.0)
            | polygon([(8.0, 12.5), (24.0, 12.5), (25.2, 20.5), (27.0, 23.0), (5.0, 23.0), (6.8, 20.5)])
            | box(4.5, 21.5, 27.5, 25.0, 1.7))
    line = (170, 104, 22)
    layers = []
    layers += _outlined(circle(16.0, 27.0, 2.6), (196, 128, 38), line)
    layers += _outlined(circle(16.0, 4.4, 2.0), (242, 170, 60), line)
    layers += _outlined(body, (245, 178, 66), line)
    layers.append((capsule(11.6, 9.5, 10.4, 19.0, 1.25) & body, (252, 218, 150)))
    layers.append((box(5.8, 22.3, 26.2, 23.2, 0.4), (230, 150, 50)))
    return layers


def calendar_layers():
    page = box(4.5, 6.5, 27.5, 28.5, 3.0)
    layers = _outlined(page, (250, 251, 253), (84, 102, 128))
    layers.append((page & box(0.0, 0.0, 32.0, 13.5), (66, 126, 206)))
    for x in (10.5, 21.5):
        layers += _outlined(capsule(x, 3.6, x, 9.2, 1.3), (66, 78, 96), (250, 251, 253), 0.9)
    cols = ((7.5, 11.5), (14.0, 18.0), (20.5, 24.5))
    rows = ((16.5, 19.8), (22.3, 25.6))
    for ri, (y0, y1) in enumerate(rows):
        for ci, (x0, x1) in enumerate(cols):
            today = ri == 1 and ci == 2
            layers.append((box(x0, y0, x1, y1, 0.8), (226, 84, 74) if today else (192, 205, 222)))
    return layers


def cake_layers():
    line = (150, 92, 58)
    layers = _outlined(box(6.5, 17.0, 25.5, 28.5, 2.0), (214, 152, 104), line)
    layers.append((box(6.5, 22.0, 25.5, 24.0), (250, 228, 200)))
    frosting = (box(5.5, 13.5, 26.5, 19.0, 2.5) | circle(9.8, 19.2, 1.9)
                | circle(16.0, 19.8, 2.1) | circle(22.2, 19.2, 1.9))
    layers += _outlined(frosting, (243, 136, 176), (190, 76, 122), 1.1)
    layers += _outlined(box(14.6, 7.5, 17.4, 13.8, 0.6), (112, 156, 230), (60, 100, 170), 0.9)
    flame = circle(16.0, 5.0, 1.9) | polygon([(14.2, 4.6), (17.8, 4.6), (16.0, 0.9)])
    layers.append((flame, (248, 164, 40)))
    layers.append((circle(16.0, 5.3, 0.8), (255, 232, 130)))
    return layers


def phone_layers():
    layers = _outlined(box(9.0, 2.5, 23.0, 29.5, 3.2), (56, 68, 82), (34, 42, 52), 0.8)
    layers.append((box(11.0, 6.5, 21.0, 24.5, 0.8), vgrad(6.5, (150, 212, 247), 24.5, (92, 162, 226))))
    layers.append((capsule(14.3, 4.5, 17.7, 4.5, 0.55), (128, 142, 158)))
    layers.append((circle(16.0, 27.0, 1.3), (128, 142, 158)))
    layers.append((circle(16.0, 20.4, 2.4), (72, 186, 108)))          # the call button
    return layers


def envelope_layers():
    line = (60, 108, 170)
    env = box(3.0, 7.5, 29.0, 25.5, 2.0)
    layers = _outlined(env, (224, 236, 250), line)
    layers.append((polygon([(3.5, 8.0), (28.5, 8.0), (16.0, 18.0)]) & env, (200, 219, 244)))
    layers.append((capsule(4.2, 24.6, 12.8, 16.8, 0.6) | capsule(27.8, 24.6, 19.2, 16.8, 0.6), (140, 172, 212)))
    layers.append((capsule(4.0, 8.8, 16.0, 18.2, 0.85) | capsule(28.0, 8.8, 16.0, 18.2, 0.85), line))
    layers.append((circle(16.0, 18.0, 2.3), (220, 78, 70)))
    return layers


def clock_layers():
    cx, cy = 16.0, 16.5
    layers = _outlined(circle(cx, cy, 13.0), (40, 162, 152), (24, 118, 110), 1.0)
    layers.append((circle(cx, cy, 10.2), (250, 252, 252)))
    for k in range(12):
        a = k * math.pi / 6.0
        px, py = _r4(cx + 8.3 * math.sin(a)), _r4(cy - 8.3 * math.cos(a))
        layers.append((circle(px, py, 1.05 if k % 3 == 0 else 0.6), (70, 84, 98)))
    layers.append((capsule(cx, cy, 11.8, 14.1, 1.15), (44, 54, 66)))   # hour: ten
    layers.append((capsule(cx, cy, 22.3, 12.9, 0.9), (44, 54, 66)))    # minute: ten past
    layers.append((circle(cx, cy, 1.6), (226, 84, 74)))
    return layers


def _tangent_point(px, py, cx, cy, r, leftmost):
    """Where a line from (px, py) touches the circle (cx, cy, r): the touching
    point with the smaller x when leftmost, else the one with the larger x."""
    d = math.hypot(px - cx, py - cy)
    phi = math.atan2(py - cy, px - cx)
    beta = math.acos(r / d)
    pts = [(_r4(cx + r * math.cos(phi + s * beta)), _r4(cy + r * math.sin(phi + s * beta))) for s in (1.0, -1.0)]
    pts.sort()
    return pts[0] if leftmost else pts[1]


def heart_layers():
    r = 6.4
    lx, rx, cy = 10.9, 21.1, 11.8
    tip = (16.0, 27.6)
    tl = _tangent_point(tip[0], tip[1], lx, cy, r, True)
    tr = _tangent_point(tip[0], tip[1], rx, cy, r, False)
    heart = (circle(lx, cy, r) | circle(rx, cy, r)
             | polygon([tl, (lx, cy), (16.0, 10.0), (rx, cy), tr, tip]))
    layers = _outlined(heart, (228, 64, 90), (166, 34, 58))
    layers.append((circle(9.6, 9.8, 1.9), (245, 152, 168)))
    return layers


def _star(cx, cy, outer, inner):
    pts = []
    for k in range(10):
        a = -math.pi / 2.0 + k * math.pi / 5.0
        rr = outer if k % 2 == 0 else inner
        pts.append((_r4(cx + rr * math.cos(a)), _r4(cy + rr * math.sin(a))))
    return polygon(pts)


def star_layers():
    star = _star(16.0, 17.2, 12.6, 5.3).grow(1.0)
    layers = _outlined(star, (248, 198, 46), (198, 138, 18), 1.2)
    layers.append((_star(16.0, 17.2, 6.0, 2.6).grow(0.5), (253, 226, 122)))
    return layers


def pill_layers():
    ax, ay, bx, by = 9.5, 22.5, 22.5, 9.5
    cap = capsule(ax, ay, bx, by, 6.2)
    mx, my = (ax + bx) / 2.0, (ay + by) / 2.0
    dx, dy = bx - ax, by - ay
    line = (76, 58, 148)
    layers = [(cap.grow(1.2), line)]
    layers.append((cap & halfplane(mx, my, dx, dy), (124, 92, 214)))      # lower-left half
    layers.append((cap & halfplane(mx, my, -dx, -dy), (238, 232, 252)))   # upper-right half
    n = math.hypot(dx, dy)
    px, py = -dy / n * 6.2, dx / n * 6.2
    layers.append((capsule(mx - px, my - py, mx + px, my + py, 0.6), line))
    layers.append((capsule(17.0, 11.0, 20.5, 7.5, 0.9) & cap.grow(-1.5), (252, 250, 255)))
    layers.append((capsule(7.4, 20.4, 10.4, 17.4, 0.9) & cap.grow(-1.5), (164, 138, 232)))
    return layers


def car_layers():
    line = (24, 96, 62)
    body = box(2.8, 14.5, 29.2, 23.5, 3.0) | polygon([(8.6, 15.0), (11.9, 8.6), (20.6, 8.6), (25.0, 15.0)]).grow(0.8)
    layers = _outlined(body, (46, 152, 100), line, 1.2)
    layers.append((polygon([(10.6, 14.4), (12.9, 9.9), (15.4, 9.9), (15.4, 14.4)]), (198, 230, 248)))
    layers.append((polygon([(16.9, 14.4), (16.9, 9.9), (19.9, 9.9), (22.9, 14.4)]), (198, 230, 248)))
    layers.append((box(26.9, 16.4, 29.0, 18.6, 0.6), (252, 220, 90)))
    layers.append((box(3.0, 16.4, 4.6, 18.6, 0.5), (226, 84, 74)))
    for wx in (9.4, 22.6):
        layers += _outlined(circle(wx, 23.6, 3.7), (48, 54, 62), (250, 251, 253), 0.9)
        layers.append((circle(wx, 23.6, 1.5), (178, 188, 198)))
    return layers


# In the order the program offers them; picture 0 is the default of a new reminder.
PICTURES = (
    ("bell", bell_layers),
    ("calendar", calendar_layers),
    ("cake", cake_layers),
    ("phone", phone_layers),
    ("envelope", envelope_layers),
    ("clock", clock_layers),
    ("heart", heart_layers),
    ("star", star_layers),
    ("pill", pill_layers),
    ("car", car_layers),
)


def render_layers(layers, size, scale=1.0, dx=0.0, dy=0.0):
    cv = Canvas(size, size, WHITE, alpha=True)
    for shape, colour in layers:
        if callable(colour):
            src = colour
            colour = (lambda f: (lambda x, y: f((x - dx) / scale, (y - dy) / scale)))(src)
        cv.paint(shape.tf(scale, dx, dy), colour)
    return cv


def flatten_picture(cv, halo=HALO):
    """Puts a picture on pure white: faint edge pixels become white (transparent),
    the rest blends into the colour it will be seen on (a light grey for the
    calendar's light cells), and no pixel of the figure itself comes out as
    exactly white."""
    out = Canvas(cv.w, cv.h, WHITE)
    for i in range(cv.w * cv.h):
        a = cv.a[i]
        if a < 0.3:
            continue
        col = _mix(halo, (cv.r[i], cv.g[i], cv.b[i]), a)
        if _q(col[0]) == 255 and _q(col[1]) == 255 and _q(col[2]) == 255:
            col = (254.0, 254.0, 254.0)
        out.r[i], out.g[i], out.b[i] = col
    return out


def build_pictures():
    return [flatten_picture(render_layers(make(), 32)) for _, make in PICTURES]


# ---------------------------------------------------------------------------
# Tool button pictures of the general settings dialog: 32 x 32 on pure white
# (transparent), seen on the silver bar of the dialog's page buttons.
# ---------------------------------------------------------------------------

SILVER = (192, 192, 192)


def text_tool_layers():
    """A letter A over a red underline: the font of the texts."""
    ink = (44, 74, 142)
    letter = (capsule(8.0, 25.5, 16.0, 4.5, 2.3) | capsule(16.0, 4.5, 24.0, 25.5, 2.3)
              | capsule(11.2, 18.0, 20.8, 18.0, 2.0))
    layers = [(letter, ink)]
    layers += _outlined(capsule(5.5, 29.0, 26.5, 29.0, 1.2), (226, 84, 74), (170, 52, 46), 0.6)
    return layers


def hint_tool_layers():
    """A yellow tooltip with lines of text."""
    bubble = box(2.5, 4.5, 29.5, 22.5, 3.0) | polygon([(7.5, 21.0), (14.5, 21.0), (6.5, 28.5)])
    layers = _outlined(bubble, (255, 242, 170), (176, 142, 40), 1.2)
    for y, x1 in ((10.0, 24.5), (14.0, 22.0), (18.0, 17.0)):
        layers.append((capsule(7.5, y, x1, y, 1.1), (112, 100, 72)))
    return layers


def icons_tool_layers():
    """Four small pictures in a grid: the picture collection."""
    layers = []
    tiles = (((3.5, 3.5), (245, 178, 66)), ((17.5, 3.5), (66, 126, 206)),
             ((3.5, 17.5), (228, 64, 90)), ((17.5, 17.5), (46, 152, 100)))
    for (x, y), fill in tiles:
        shade = (fill[0] * 0.7, fill[1] * 0.7, fill[2] * 0.7)
        layers += _outlined(box(x, y, x + 11.0, y + 11.0, 2.2), fill, shade, 1.0)
        layers.append((circle(x + 3.8, y + 3.8, 1.6), (255, 250, 235)))
    return layers


def general_tool_layers():
    """A gear: the general options."""
    cx, cy = 16.0, 16.0
    gear = circle(cx, cy, 9.6)
    for k in range(8):
        a = k * math.pi / 4.0
        ux, uy = math.cos(a), math.sin(a)
        vx, vy = -uy, ux
        pts = []
        for along, across in ((8.0, -2.6), (13.6, -1.9), (13.6, 1.9), (8.0, 2.6)):
            pts.append((_r4(cx + ux * along + vx * across), _r4(cy + uy * along + vy * across)))
        gear = gear | polygon(pts)
    gear = gear - circle(cx, cy, 3.6)
    layers = _outlined(gear, (132, 146, 166), (64, 76, 96), 1.1)
    layers.append((circle(cx, cy, 7.0).inner(1.2), (172, 184, 200)))
    return layers


# In the order of the dialog's image list: Text, Hint, Icons, General.
TOOL_BUTTONS = (
    ("text", text_tool_layers),
    ("hint", hint_tool_layers),
    ("icons", icons_tool_layers),
    ("general", general_tool_layers),
)


def build_tool_buttons():
    return [flatten_picture(render_layers(make(), 32), SILVER) for _, make in TOOL_BUTTONS]


# ---------------------------------------------------------------------------
# Program icon: a calendar page with the reminder bell.
# ---------------------------------------------------------------------------


def app_icon_layers(size):
    page = box(3.5, 5.5, 28.5, 29.5, 3.5)
    layers = _outlined(page, (250, 251, 253), (52, 84, 125), 1.4 if size <= 16 else 1.1)
    layers.append((page & box(0.0, 0.0, 32.0, 13.0), vgrad(5.5, (84, 146, 218), 13.0, (56, 112, 190))))
    for x in (10.0, 22.0):
        layers += _outlined(capsule(x, 2.6, x, 8.6, 1.6), (48, 60, 78), (250, 251, 253), 0.9)
    # the bell, scaled into the page
    s, bx, by = 0.5, 16.0 - 16.0 * 0.5, 13.6
    for shape, colour in bell_layers():
        layers.append((shape.tf(s, bx, by), colour))
    return layers


def render_app_icon(size):
    return render_layers(app_icon_layers(size), size, size / 32.0)


def build_icon():
    return ico([render_app_icon(s) for s in (16, 32, 48)])


# ---------------------------------------------------------------------------
# Sounds
# ---------------------------------------------------------------------------


def _tone(buf, start, freq, partials, amp):
    """Adds a struck tone: partials are (ratio, level, decay seconds)."""
    attack = int(0.004 * RATE)
    n0 = int(start * RATE)
    for i in range(len(buf) - n0):
        t = i / float(RATE)
        env = 0.5 - 0.5 * math.cos(math.pi * i / attack) if i < attack else 1.0
        v = 0.0
        for ratio, level, decay in partials:
            v += level * math.exp(-t / decay) * math.sin(2.0 * math.pi * freq * ratio * t)
        buf[n0 + i] += amp * env * v


def _finish(buf, peak, fade):
    top = max(abs(v) for v in buf) or 1.0
    k = peak / top
    n = len(buf)
    nf = int(fade * RATE)
    for i in range(n):
        g = k
        if i >= n - nf:
            g *= 0.5 + 0.5 * math.cos(math.pi * (i - (n - nf)) / nf)
        buf[i] *= g
    return buf


def build_hover_sound():
    """A soft, short tick-chime (about 0.1 s)."""
    buf = [0.0] * int(0.10 * RATE)
    _tone(buf, 0.0, 1568.0, ((1.0, 1.0, 0.022), (2.0, 0.25, 0.010), (3.0, 0.08, 0.006)), 1.0)
    return wav16(_finish(buf, 0.32, 0.02))


def build_alert_sound():
    """A gentle rising three-note chime (G5, C6, E6), about 1.6 s."""
    buf = [0.0] * int(1.6 * RATE)
    bell = ((1.0, 1.0, 0.55), (2.0, 0.28, 0.22), (3.0, 0.08, 0.12), (4.16, 0.03, 0.08))
    for start, freq in ((0.0, 783.99), (0.18, 1046.50), (0.36, 1318.51)):
        _tone(buf, start, freq, bell, 1.0)
    return wav16(_finish(buf, 0.6, 0.08))


# ---------------------------------------------------------------------------


def build_all():
    """Every output file as {relative path: bytes}."""
    files = {
        "Skins/Default/Top.bmp": bmp24(build_top()),
        "Skins/Default/BG.bmp": bmp24(build_bg()),
        "Skins/Default/btn.bmp": bmp24(build_btn()),
        "main.ico": build_icon(),
        "mv.wav": build_hover_sound(),
        "alert.wav": build_alert_sound(),
    }
    for i, cv in enumerate(build_pictures()):
        files["pictures/picture%d.bmp" % i] = bmp24(cv)
    for i, cv in enumerate(build_tool_buttons()):
        files["toolbuttons/tool%d.bmp" % i] = bmp24(cv)
    return files


def write_all(outdir, files=None):
    files = build_all() if files is None else files
    for rel, data in sorted(files.items()):
        path = os.path.join(outdir, *rel.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as fh:
            fh.write(data)
    return files


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: generate.py OUTDIR\n")
        return 2
    write_all(argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
