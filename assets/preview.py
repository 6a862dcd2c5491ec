#!/usr/bin/env python3
"""Writes PNG previews of the generated artwork.

    python3 assets/preview.py [PREVIEWDIR]      (default: build/asset-previews)

Generates the assets into PREVIEWDIR/files, reads the bitmaps back from there
and writes enlarged copies, a contact sheet of Top.bmp with every region
outlined, the pictures at the sizes the calendar uses, and mock-ups of the main
window and of the dialogs put together the way the program blits them (texts in
a small stand-in font, in the default text colours).
"""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
import generate  # noqa: E402
import xwd2png  # noqa: E402


# ---------------------------------------------------------------------------
# A plain RGB image with the few operations the previews need.
# ---------------------------------------------------------------------------


class Img:
    def __init__(self, w, h, colour=(255, 255, 255)):
        self.w, self.h = w, h
        self.px = [list(colour) for _ in range(w * h)]

    def get(self, x, y):
        return self.px[y * self.w + x]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = list(c)

    def fill(self, x, y, w, h, c):
        for yy in range(max(0, y), min(self.h, y + h)):
            for xx in range(max(0, x), min(self.w, x + w)):
                self.px[yy * self.w + xx] = list(c)

    def outline(self, x, y, w, h, c):
        for xx in range(x, x + w):
            self.set(xx, y, c)
            self.set(xx, y + h - 1, c)
        for yy in range(y, y + h):
            self.set(x, yy, c)
            self.set(x + w - 1, yy, c)


def read_bmp(path):
    with open(path, "rb") as fh:
        data = fh.read()
    off = struct.unpack_from("<I", data, 10)[0]
    w, h = struct.unpack_from("<ii", data, 18)
    stride = (w * 3 + 3) & ~3
    img = Img(w, h)
    for y in range(h):
        row = off + (h - 1 - y) * stride
        for x in range(w):
            b, g, r = data[row + 3 * x: row + 3 * x + 3]
            img.px[y * w + x] = [r, g, b]
    return img


def stretch(src, sx, sy, sw, sh, dst, dx, dy, dw, dh, op="copy"):
    """Nearest-pixel stretch like StretchBlt; op copy, and, or."""
    if dw <= 0 or dh <= 0:
        return
    for j in range(dh):
        ty = dy + j
        if not 0 <= ty < dst.h:
            continue
        syy = sy + (j * sh) // dh
        for i in range(dw):
            tx = dx + i
            if not 0 <= tx < dst.w:
                continue
            s = src.get(sx + (i * sw) // dw, syy)
            if op == "copy":
                dst.px[ty * dst.w + tx] = list(s)
            else:
                d = dst.px[ty * dst.w + tx]
                if op == "and":
                    dst.px[ty * dst.w + tx] = [s[0] & d[0], s[1] & d[1], s[2] & d[2]]
                else:
                    dst.px[ty * dst.w + tx] = [s[0] | d[0], s[1] | d[1], s[2] | d[2]]


def copy(src, dst, dx, dy, op="copy"):
    stretch(src, 0, 0, src.w, src.h, dst, dx, dy, src.w, src.h, op)


def crop(src, x, y, w, h):
    out = Img(w, h)
    stretch(src, x, y, w, h, out, 0, 0, w, h)
    return out


def transparent(pic, dst, dx, dy, size):
    """The program's transparent picture drawing: mask OR, then picture AND."""
    mask = Img(pic.w, pic.h)
    for i, p in enumerate(pic.px):
        mask.px[i] = [0, 0, 0] if p == [255, 255, 255] else [255, 255, 255]
    stretch(mask, 0, 0, pic.w, pic.h, dst, dx, dy, size, size, "or")
    stretch(pic, 0, 0, pic.w, pic.h, dst, dx, dy, size, size, "and")


def scaled(img, k):
    out = Img(img.w * k, img.h * k)
    stretch(img, 0, 0, img.w, img.h, out, 0, 0, out.w, out.h)
    return out


def write_png(img, path):
    rows = [b"".join(bytes(p) for p in img.px[y * img.w:(y + 1) * img.w]) for y in range(img.h)]
    xwd2png.write_png(path, img.w, img.h, rows)


# ---------------------------------------------------------------------------
# A 5 x 7 stand-in font (upper case, digits, a few signs), 6 pixels a letter.
# ---------------------------------------------------------------------------

_FONT = {
    "A": "01110 10001 10001 11111 10001 10001 10001",
    "B": "11110 10001 10001 11110 10001 10001 11110",
    "C": "01110 10001 10000 10000 10000 10001 01110",
    "D": "11110 10001 10001 10001 10001 10001 11110",
    "E": "11111 10000 10000 11110 10000 10000 11111",
    "F": "11111 10000 10000 11110 10000 10000 10000",
    "G": "01110 10001 10000 10111 10001 10001 01111",
    "H": "10001 10001 10001 11111 10001 10001 10001",
    "I": "01110 00100 00100 00100 00100 00100 01110",
    "J": "00111 00010 00010 00010 00010 10010 01100",
    "K": "10001 10010 10100 11000 10100 10010 10001",
    "L": "10000 10000 10000 10000 10000 10000 11111",
    "M": "10001 11011 10101 10101 10001 10001 10001",
    "N": "10001 10001 11001 10101 10011 10001 10001",
    "O": "01110 10001 10001 10001 10001 10001 01110",
    "P": "11110 10001 10001 11110 10000 10000 10000",
    "Q": "01110 10001 10001 10001 10101 10010 01101",
    "R": "11110 10001 10001 11110 10100 10010 10001",
    "S": "01111 10000 10000 01110 00001 00001 11110",
    "T": "11111 00100 00100 00100 00100 00100 00100",
    "U": "10001 10001 10001 10001 10001 10001 01110",
    "V": "10001 10001 10001 10001 10001 01010 00100",
    "W": "10001 10001 10001 10101 10101 10101 01010",
    "X": "10001 10001 01010 00100 01010 10001 10001",
    "Y": "10001 10001 10001 01010 00100 00100 00100",
    "Z": "11111 00001 00010 00100 01000 10000 11111",
    "0": "01110 10001 10011 10101 11001 10001 01110",
    "1": "00100 01100 00100 00100 00100 00100 01110",
    "2": "01110 10001 00001 00010 00100 01000 11111",
    "3": "11111 00010 00100 00010 00001 10001 01110",
    "4": "00010 00110 01010 10010 11111 00010 00010",
    "5": "11111 10000 11110 00001 00001 10001 01110",
    "6": "00110 01000 10000 11110 10001 10001 01110",
    "7": "11111 00001 00010 00100 01000 01000 01000",
    "8": "01110 10001 10001 01110 10001 10001 01110",
    "9": "01110 10001 10001 01111 00001 00010 01100",
    ":": "00000 01100 01100 00000 01100 01100 00000",
    ".": "00000 00000 00000 00000 00000 01100 01100",
    "-": "00000 00000 00000 11111 00000 00000 00000",
    "?": "01110 10001 00001 00010 00100 00000 00100",
    ",": "00000 00000 00000 00000 01100 00100 01000",
    "'": "01100 00100 01000 00000 00000 00000 00000",
    " ": "00000 00000 00000 00000 00000 00000 00000",
}


def text_width(s, bold=False):
    return len(s) * 6 - 1 + (1 if bold else 0)


def text(img, x, y, s, colour, bold=False):
    for k, ch in enumerate(s.upper()):
        rows = _FONT.get(ch, _FONT["?"]).split()
        for j, row in enumerate(rows):
            for i, bit in enumerate(row):
                if bit == "1":
                    img.set(x + k * 6 + i, y + j, colour)
                    if bold:
                        img.set(x + k * 6 + i + 1, y + j, colour)


def text_in(img, rect, s, colour, bold=False, align="centre"):
    x0, y0, x1, y1 = rect
    tw = text_width(s, bold)
    x = x0 if align == "left" else x0 + (x1 - x0 - tw) // 2
    y = y0 + (y1 - y0 - 7) // 2
    text(img, x, y, s, colour, bold)


def shadowed(img, rect, s, bold=False, align="centre", colour=(0, 0, 255), shadow=(240, 240, 240)):
    """Shadow one pixel right of and below the text, as the program draws it."""
    x0, y0, x1, y1 = rect
    text_in(img, (x0 + 1, y0 + 1, x1 + 1, y1 + 1), s, shadow, bold, align)
    text_in(img, rect, s, colour, bold, align)


# ---------------------------------------------------------------------------
# Mock-ups
# ---------------------------------------------------------------------------

BLUE = (0, 0, 255)
BTNFACE = (240, 240, 240)


def main_window(top, cells, pics, cw, ch, icon_size=32):
    img = Img(cw, ch)
    TW, TH = top.w, top.h
    E, R, M, T, S = 190, 300, 10, 100, 20
    W, H = cw, ch
    for d, s in (
        ((0, H - S - M, E, S + M), (0, TH - S - M, E, S + M)),
        ((0, T, M, H - S - M - T), (0, T, M, TH - T - M - S)),
        ((150 + M, T, M, H - S - M - T), (150 + M, T, M, TH - T - M - S)),
        ((0, 0, E, T), (0, 0, E, T)),
        ((E, 0, W - E - R, T), (E, 0, TW - E - R, T)),
        ((W - R, 0, R, T), (R, 0, R, T)),
        ((W - M, T, M, H - S - M - T), (150 + M, T, M, TH - T - M - S - M)),
        ((W - R, H - S - M, R, S + M), (R, TH - S - M, R, S + M)),
        ((E, H - S - M, W - E - R, S + M), (E, TH - S - M, TW - E - R, S + M)),
    ):
        stretch(top, s[0], s[1], s[2], s[3], img, d[0], d[1], d[2], d[3])
    glyph = crop(top, 209, 160, 16, 16)
    copy(glyph, img, W - 20, 2)
    arrow = crop(top, 170, 160, 13, 20)
    stretch(arrow, 0, 0, 13, 20, img, W - 196, 40, 18, 20)
    stretch(crop(top, 183, 160, 13, 20), 0, 0, 13, 20, img, W - 98, 40, 18, 20)
    shadowed(img, (20, 0, W - 130, 20), "Quib Reminder", bold=True, align="left", shadow=BTNFACE)
    shadowed(img, (W - 280, 38, W - 190, 63), "SEPTEMBER", bold=True, shadow=BTNFACE)
    shadowed(img, (W - 164, 38, W - 98, 63), "2025", bold=True, shadow=BTNFACE)
    for k, name in enumerate(("FILE", "EXTRAS", "HELP")):
        text(img, 16 + k * 47, 30, name, (0, 0, 0))
    # day list
    lh = H - 130
    img.fill(10, 100, 150, lh, (255, 255, 255))
    img.outline(10, 100, 150, lh, (130, 135, 140))
    text(img, 14, 104, "09.00 DENTIST", (0, 0, 0))
    text(img, 14, 117, "18.30 CALL MUM", (0, 0, 0))
    # grid
    gw, gh = W - 180, H - 130
    cwid, chei = gw // 7, gh // 6
    band = chei * 11 // 32
    colw = gw // 7
    for i, name in enumerate(("MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN")):
        shadowed(img, (170 + i * colw, 80, 170 + (i + 1) * colw, 100), name, bold=True, shadow=BTNFACE)
    grid = Img(gw, gh)
    first = 0  # 1 September 2025 is a Monday
    entries = {3: [0], 9: [3, 4], 12: [2], 16: [5, 8, 6], 21: [9], 27: [1, 7], 33: [6]}
    for r in range(6):
        for c in range(7):
            k = r * 7 + c
            day = k - first + 1
            inmonth = 1 <= day <= 30
            label = day if inmonth else (31 + day if day < 1 else day - 30)
            look = cells["normal"]
            if not inmonth:
                look = cells["other"]
            elif (r, c) == (2, 2):
                look = cells["hover"]
            w = gw - 6 * cwid if c == 6 else cwid
            h = gh - 5 * chei if r == 5 else chei
            stretch(look, 0, 0, 47, 44, grid, c * cwid, r * chei, w, h)
            per_row = max(0, (cwid - 5) // icon_size)
            rows = (chei - band) // icon_size
            sc = sr = 0
            for p in entries.get(k, []):
                if sr < rows:
                    transparent(pics[p], grid, c * cwid + sc * icon_size + 2, r * chei + band + sr * icon_size, icon_size)
                sc += 1
                if sc >= per_row:
                    sc, sr = 0, sr + 1
            x = c * cwid + cwid // 8 - 4
            y = r * chei + chei // 8 - 4
            big = inmonth and day == 17
            if big:
                x -= cwid // 16
                y -= chei // 16
            s = str(label)
            rect = (x, y, x + text_width(s, True), y + 9)
            shadowed(grid, rect, s, True, colour=BLUE, shadow=(255, 255, 255))
            if big:
                text_in(grid, (rect[0] - 1, rect[1], rect[2] - 1, rect[3]), s, BLUE, True)
    copy(grid, img, 170, 100)
    shadowed(img, (10, H - 20, W - 10, H), "17.09.2025 : 09.05   DENTIST", shadow=BTNFACE)
    return img


def dialog(bg, w, h):
    img = Img(w, h)
    stretch(bg, 0, 0, bg.w, 20, img, 0, 0, w, 20)
    stretch(bg, 0, 20, bg.w, bg.h - 20, img, 0, 20, w, h - 20)
    return img


def button(img, states, state, x, y, w, caption, disabled=False):
    stretch(states[state], 0, 0, 75, 25, img, x, y, w, 25)
    off = 1 if state == "pressed" else 0
    rect = (x + off, y + off, x + w + off, y + 25 + off)
    if disabled:
        shadowed(img, rect, caption, colour=(180, 180, 180), shadow=(255, 255, 255))
    else:
        shadowed(img, rect, caption, shadow=BTNFACE)


def main(argv):
    outdir = argv[1] if len(argv) > 1 else os.path.join("build", "asset-previews")
    files = os.path.join(outdir, "files")
    generate.write_all(files)
    skins = os.path.join(files, "Skins", "Default")
    top = read_bmp(os.path.join(skins, "Top.bmp"))
    bg = read_bmp(os.path.join(skins, "BG.bmp"))
    btn = read_bmp(os.path.join(skins, "btn.bmp"))
    pics = [read_bmp(os.path.join(files, "pictures", "picture%d.bmp" % i)) for i in range(10)]

    write_png(scaled(top, 2), os.path.join(outdir, "Top.png"))
    write_png(scaled(bg, 2), os.path.join(outdir, "BG.png"))
    write_png(scaled(btn, 4), os.path.join(outdir, "btn.png"))

    # Contact sheet: Top.bmp at 2x with every region outlined, plus BG and btn.
    colours = {"cut": (230, 30, 30), "frame": (20, 150, 60), "area": (200, 0, 200), "sheet": (0, 120, 220)}
    sheet = Img(1240, 420 + 10 + 400 + 30)
    copy(scaled(top, 2), sheet, 0, 0)
    copy(scaled(bg, 2), sheet, 0, 440)
    copy(scaled(btn, 2), sheet, 820, 440)
    origin = {generate.TOP: (0, 0), generate.BG: (0, 440), generate.BTN: (820, 440)}
    for r in generate.REGIONS:
        if r.kind == "frame":
            continue
        ox, oy = origin[r.sheet]
        sheet.outline(ox + 2 * r.x, oy + 2 * r.y, 2 * r.w, 2 * r.h, colours[r.kind])
    write_png(sheet, os.path.join(outdir, "contact-sheet.png"))
    frames = scaled(top, 2)
    for r in generate.REGIONS:
        if r.kind == "frame":
            frames.outline(2 * r.x + 1, 2 * r.y + 1, 2 * r.w - 2, 2 * r.h - 2, colours["frame"])
    write_png(frames, os.path.join(outdir, "frame-regions.png"))

    # Cut images enlarged.
    cut = Img(16 + 4 * (47 * 3 + 16 + 32), 4 * 44 + 16 + 4 * 25 * 4 + 40, (200, 200, 200))
    x = 8
    for name in ("BitmapDayCell", "BitmapDayCellHover", "BitmapDayCellOther"):
        r = generate.REGION[name]
        copy(scaled(crop(top, r.x, r.y, r.w, r.h), 4), cut, x, 8)
        x += 4 * r.w + 8
    y = 8 + 4 * 44 + 8
    x = 8
    for name in ("BitmapGlyph", "BitmapGlyphHover", "BitmapGlyphPressed", "BitmapArrow",
                 "BitmapArrowUpPressed", "BitmapArrowDownPressed", "BitmapMessageIcon"):
        r = generate.REGION[name]
        copy(scaled(crop(top, r.x, r.y, r.w, r.h), 4), cut, x, y)
        x += 4 * r.w + 8
    write_png(cut, os.path.join(outdir, "cuts.png"))

    # Pictures: 4x, then at the sizes the calendar offers, on a day cell.
    cells = {k: crop(top, generate.REGION[n].x, generate.REGION[n].y, 47, 44)
             for k, n in (("normal", "BitmapDayCell"), ("hover", "BitmapDayCellHover"), ("other", "BitmapDayCellOther"))}
    strip = Img(10 * 136 + 8, 136 + 8 + 3 * 72 + 8, (255, 255, 255))
    for i, p in enumerate(pics):
        copy(scaled(p, 4), strip, 8 + i * 136, 8)
    for row, size in enumerate((32, 24, 18)):
        for i, p in enumerate(pics):
            cx, cy = 8 + i * 136, 144 + row * 72
            stretch(cells["normal"], 0, 0, 47, 44, strip, cx, cy, 60, 56)
            transparent(p, strip, cx + 3, cy + 19, size)
            tmp = Img(size, size)
            stretch(strip, cx + 3, cy + 19, size, size, tmp, 0, 0, size, size)
            copy(scaled(tmp, 2), strip, cx + 66, cy)
    write_png(strip, os.path.join(outdir, "pictures.png"))

    # Icon sizes.
    ic = Img(8 + 16 + 8 + 32 + 8 + 48 + 8 + 4 * 48 + 8, 4 * 48 + 16, (255, 255, 255))
    x = 8
    for s in (16, 32, 48):
        cv = generate.render_app_icon(s)
        for dark in (0, 1):
            back = (40, 44, 52) if dark else (255, 255, 255)
            y0 = 8 + dark * 60
            for yy in range(s):
                for xx in range(s):
                    a = cv.a[yy * s + xx]
                    c = [int(cv.r[yy * s + xx] * a + back[0] * (1 - a) + .5),
                         int(cv.g[yy * s + xx] * a + back[1] * (1 - a) + .5),
                         int(cv.b[yy * s + xx] * a + back[2] * (1 - a) + .5)]
                    ic.set(x + xx, y0 + yy, c)
        x += s + 8
    big = Img(48, 48)
    cv = generate.render_app_icon(48)
    for i in range(48 * 48):
        a = cv.a[i]
        big.px[i] = [int(cv.r[i] * a + 255 * (1 - a) + .5), int(cv.g[i] * a + 255 * (1 - a) + .5),
                     int(cv.b[i] * a + 255 * (1 - a) + .5)]
    copy(scaled(big, 4), ic, x, 8)
    write_png(ic, os.path.join(outdir, "icon.png"))

    # Mock-ups.
    write_png(main_window(top, cells, pics, 509, 394), os.path.join(outdir, "mock-main-min.png"))
    write_png(main_window(top, cells, pics, 760, 560), os.path.join(outdir, "mock-main.png"))
    write_png(main_window(top, cells, pics, 760, 560, 18), os.path.join(outdir, "mock-main-18.png"))

    states = {k: crop(btn, 0, generate.REGION[n].y, 75, 25)
              for k, n in (("normal", "BitmapButtonNormal"), ("hot", "BitmapButtonHot"),
                           ("pressed", "BitmapButtonPressed"), ("disabled", "BitmapButtonDisabled"))}
    glyph = {k: crop(top, generate.REGION[n].x, generate.REGION[n].y, 16, 16)
             for k, n in (("normal", "BitmapGlyph"), ("hover", "BitmapGlyphHover"), ("pressed", "BitmapGlyphPressed"))}
    alarm = dialog(bg, 530, 370)
    copy(glyph["hover"], alarm, 510, 2)
    shadowed(alarm, (20, 0, 400, 20), "Reminder", bold=True, align="left", shadow=BTNFACE)
    transparent(pics[0], alarm, 30, 40, 32)
    text(alarm, 31 + 78, 41, "17.09.2025 09.05", BTNFACE)
    text(alarm, 30 + 78, 40, "17.09.2025 09.05", BLUE)
    text(alarm, 31 + 78, 53, "DENTIST", BTNFACE)
    text(alarm, 30 + 78, 52, "DENTIST", BLUE)
    text(alarm, 31, 81, "BRING THE INSURANCE CARD.", BTNFACE)
    text(alarm, 30, 80, "BRING THE INSURANCE CARD.", BLUE)
    button(alarm, states, "normal", 88, 320, 75, "OK")
    button(alarm, states, "hot", 352, 320, 75, "Snooze")
    write_png(alarm, os.path.join(outdir, "mock-alarm.png"))

    box_ = dialog(bg, 357, 169)
    copy(glyph["pressed"], box_, 337, 2)
    shadowed(box_, (20, 5, 297, 18), "Warning", bold=True, align="left", shadow=BTNFACE)
    mi = generate.REGION["BitmapMessageIcon"]
    copy(crop(top, mi.x, mi.y, 32, 32), box_, 20, 55, "and")
    shadowed(box_, (65, 55, 317, 120), "DELETE THE SELECTED REMINDER?", align="left", shadow=BTNFACE)
    button(box_, states, "pressed", 70, 130, 75, "Yes")
    button(box_, states, "normal", 211, 130, 75, "No")
    write_png(scaled(box_, 2), os.path.join(outdir, "mock-message.png"))

    opts = dialog(bg, 493, 341)
    copy(glyph["normal"], opts, 473, 2)
    shadowed(opts, (20, 0, 363, 20), "General Settings", bold=True, align="left", shadow=BTNFACE)
    button(opts, states, "normal", 311, 64, 145, "Change Text Color ...")
    button(opts, states, "hot", 311, 104, 145, "Change Shadow Color ...")
    button(opts, states, "disabled", 311, 144, 145, "Delete Selected Icon", disabled=True)
    button(opts, states, "pressed", 240, 295, 75, "OK")
    button(opts, states, "normal", 380, 295, 75, "Cancel")
    write_png(opts, os.path.join(outdir, "mock-settings.png"))

    about = dialog(bg, 325, 200)
    copy(glyph["normal"], about, 305, 2)
    shadowed(about, (20, 0, 195, 20), "About Quib Reminder", bold=True, align="left", shadow=BTNFACE)
    write_png(scaled(about, 2), os.path.join(outdir, "mock-about.png"))
    print(outdir)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
