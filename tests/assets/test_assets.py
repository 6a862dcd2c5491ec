"""Checks the generated artwork and sounds: file formats, sizes, the regions the
program cuts from the skin sheets, transparent picture backgrounds, and that the
generator gives the same bytes on every run."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
GENERATOR = os.path.join(ROOT, "assets", "generate.py")
sys.path.insert(0, os.path.join(ROOT, "assets"))
import generate  # noqa: E402

# The rectangles the main window cuts into its own bitmaps at start-up. Written
# out here a second time on purpose: the program's offsets are fixed, so a slip
# in the generator's table must fail a test rather than shift a sprite.
EXPECTED_CUTS = {
    "BitmapDayCell": ("Top.bmp", 170, 100, 47, 44),
    "BitmapDayCellHover": ("Top.bmp", 217, 100, 47, 44),
    "BitmapDayCellOther": ("Top.bmp", 264, 100, 47, 44),
    "BitmapGlyph": ("Top.bmp", 209, 160, 16, 16),
    "BitmapGlyphHover": ("Top.bmp", 225, 160, 16, 16),
    "BitmapGlyphPressed": ("Top.bmp", 241, 160, 16, 16),
    "BitmapMessageIcon": ("Top.bmp", 558, 100, 32, 32),
    "BitmapArrow": ("Top.bmp", 170, 160, 13, 20),
    "BitmapArrowUpPressed": ("Top.bmp", 183, 160, 13, 20),
    "BitmapArrowDownPressed": ("Top.bmp", 196, 160, 13, 20),
    "BitmapButtonNormal": ("btn.bmp", 0, 0, 75, 25),
    "BitmapButtonHot": ("btn.bmp", 0, 25, 75, 25),
    "BitmapButtonPressed": ("btn.bmp", 0, 50, 75, 25),
    "BitmapButtonDisabled": ("btn.bmp", 0, 75, 75, 25),
}

# Sources of the main window's frame blits (left, top, width, height).
EXPECTED_FRAME = {
    "FrameUpperLeft": (0, 0, 190, 100),
    "FrameTopEdge": (190, 0, 110, 100),
    "FrameUpperRight": (300, 0, 300, 100),
    "FrameLeftEdge": (0, 100, 10, 80),
    "FrameSeparator": (160, 100, 10, 80),
    "FrameRightEdge": (160, 100, 10, 70),
    "FrameLowerLeft": (0, 180, 190, 30),
    "FrameBottomEdge": (190, 180, 110, 30),
    "FrameLowerRight": (300, 180, 300, 30),
}

SHEETS = {"Top.bmp": (600, 210), "BG.bmp": (400, 200), "btn.bmp": (75, 100)}


def read_bmp(path):
    """Checks the headers of a 24-bit BMP and returns (width, height, pixel(x, y))."""
    with open(path, "rb") as fh:
        data = fh.read()
    magic, size, r1, r2, offset = struct.unpack_from("<2sIHHI", data, 0)
    (hsize, w, h, planes, bpp, compression, image_size,
     _, _, used, important) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    stride = (w * 3 + 3) & ~3
    problems = []
    if magic != b"BM":
        problems.append("magic %r" % magic)
    if size != len(data):
        problems.append("file size field %d, file %d" % (size, len(data)))
    if (r1, r2, offset, hsize, planes, bpp, compression) != (0, 0, 54, 40, 1, 24, 0):
        problems.append("header %r" % ((r1, r2, offset, hsize, planes, bpp, compression),))
    if h <= 0 or w <= 0:
        problems.append("size %d x %d" % (w, h))
    if image_size != stride * h or len(data) != 54 + stride * h:
        problems.append("image size %d for %d x %d" % (image_size, w, h))
    if used or important:
        problems.append("palette fields set")
    if problems:
        raise AssertionError("%s: %s" % (os.path.basename(path), "; ".join(problems)))

    def pixel(x, y):
        i = offset + (h - 1 - y) * stride + 3 * x
        b, g, r = data[i:i + 3]
        return (r, g, b)
    return w, h, pixel


def read_wav(path):
    """Checks the RIFF layout of a mono 16-bit 22050 Hz PCM file; returns its samples."""
    with open(path, "rb") as fh:
        data = fh.read()
    assert data[:4] == b"RIFF" and data[8:12] == b"WAVE", "not a RIFF WAVE file"
    assert struct.unpack_from("<I", data, 4)[0] == len(data) - 8, "RIFF size field"
    pos, fmt, samples = 12, None, None
    while pos + 8 <= len(data):
        tag, n = struct.unpack_from("<4sI", data, pos)
        body = data[pos + 8:pos + 8 + n]
        assert len(body) == n, "chunk %r runs past the end" % tag
        if tag == b"fmt ":
            fmt = struct.unpack_from("<HHIIHH", body, 0)
        elif tag == b"data":
            assert n % 2 == 0, "odd data length"
            samples = struct.unpack("<%dh" % (n // 2), body)
        pos += 8 + n + (n & 1)
    assert pos == len(data), "trailing bytes"
    assert fmt == (1, 1, 22050, 44100, 2, 16), "format %r" % (fmt,)
    assert samples, "no data chunk"
    return samples


class GeneratedAssets(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls._tmp = tempfile.TemporaryDirectory()
        cls.out = os.path.join(cls._tmp.name, "a")
        cls.again = os.path.join(cls._tmp.name, "b")
        for d in (cls.out, cls.again):
            subprocess.run([sys.executable, GENERATOR, d], check=True)

    @classmethod
    def tearDownClass(cls):
        cls._tmp.cleanup()

    def path(self, *parts):
        return os.path.join(self.out, *parts)

    def files(self, root):
        found = []
        for base, _, names in os.walk(root):
            for n in names:
                found.append(os.path.relpath(os.path.join(base, n), root))
        return sorted(found)

    def test_two_runs_write_the_same_files_byte_for_byte(self):
        first, second = self.files(self.out), self.files(self.again)
        self.assertEqual(first, second)
        expected = sorted([os.path.join("Skins", "Default", n) for n in SHEETS]
                          + ["main.ico", "mv.wav", "alert.wav"]
                          + [os.path.join("pictures", "picture%d.bmp" % i) for i in range(10)]
                          + [os.path.join("toolbuttons", "tool%d.bmp" % i) for i in range(4)])
        self.assertEqual(first, expected)
        for rel in first:
            with open(os.path.join(self.out, rel), "rb") as a, open(os.path.join(self.again, rel), "rb") as b:
                self.assertEqual(a.read(), b.read(), rel)

    def test_skin_sheets_are_24_bit_bmps_of_the_expected_size(self):
        for name, size in SHEETS.items():
            w, h, _ = read_bmp(self.path("Skins", "Default", name))
            self.assertEqual((w, h), size, name)

    def test_region_table_holds_exactly_the_program_offsets(self):
        cuts = {r.name: (r.sheet, r.x, r.y, r.w, r.h) for r in generate.REGIONS if r.kind == "cut"}
        self.assertEqual(cuts, EXPECTED_CUTS)
        frames = {r.name: r.rect for r in generate.REGIONS if r.kind == "frame"}
        self.assertEqual(frames, EXPECTED_FRAME)
        self.assertEqual(len(generate.REGION), len(generate.REGIONS), "region names must be unique")

    def test_every_region_lies_inside_its_sheet(self):
        for r in generate.REGIONS:
            w, h, _ = read_bmp(self.path("Skins", "Default", r.sheet))
            self.assertTrue(r.w > 0 and r.h > 0, r.name)
            self.assertTrue(0 <= r.x and r.x + r.w <= w and 0 <= r.y and r.y + r.h <= h,
                            "%s %r outside %s (%d x %d)" % (r.name, r.rect, r.sheet, w, h))

    def test_sprites_overlap_neither_each_other_nor_the_frame(self):
        def overlap(a, b):
            return (a.sheet == b.sheet and a.x < b.x + b.w and b.x < a.x + a.w
                    and a.y < b.y + b.h and b.y < a.y + a.h)
        cuts = [r for r in generate.REGIONS if r.kind == "cut"]
        frames = [r for r in generate.REGIONS if r.kind == "frame"]
        for i, a in enumerate(cuts):
            for b in cuts[i + 1:]:
                self.assertFalse(overlap(a, b), "%s overlaps %s" % (a.name, b.name))
            for f in frames:
                self.assertFalse(overlap(a, f), "%s lies under frame piece %s" % (a.name, f.name))

    def test_stretched_frame_pieces_are_uniform_along_the_stretch(self):
        # A stretched piece with detail along the stretch would smear with the window size.
        _, _, px = read_bmp(self.path("Skins", "Default", "Top.bmp"))
        for r in generate.REGIONS:
            if r.kind != "frame" or r.stretch == "none":
                continue
            for y in range(r.y, r.y + r.h):
                for x in range(r.x, r.x + r.w):
                    if r.stretch == "h":
                        self.assertEqual(px(x, y), px(r.x, y), "%s at (%d, %d)" % (r.name, x, y))
                    else:
                        self.assertEqual(px(x, y), px(x, r.y), "%s at (%d, %d)" % (r.name, x, y))

    def test_close_glyph_background_matches_both_title_strips(self):
        # The glyph is copied opaque at y 2 onto the main window and onto every dialog.
        _, _, top = read_bmp(self.path("Skins", "Default", "Top.bmp"))
        bw, _, bg = read_bmp(self.path("Skins", "Default", "BG.bmp"))
        g = generate.REGION["BitmapGlyph"]
        place = generate.REGION["GlyphPlace"]
        for j in range(16):
            for i in (0, 15):
                self.assertEqual(top(g.x + i, g.y + j), top(place.x - 10, place.y + j), "main window row %d" % j)
                self.assertEqual(top(g.x + i, g.y + j), bg(bw // 2, 2 + j), "dialog row %d" % j)
        for name in ("BitmapGlyph", "BitmapGlyphHover", "BitmapGlyphPressed"):
            r = generate.REGION[name]
            self.assertEqual(top(r.x, r.y), top(place.x - 10, place.y), name + " corner")

    def test_arrow_background_matches_the_panel_it_is_drawn_on(self):
        _, _, top = read_bmp(self.path("Skins", "Default", "Top.bmp"))
        for place in ("MonthArrowPlace", "YearArrowPlace"):
            p = generate.REGION[place]
            for name in ("BitmapArrow", "BitmapArrowUpPressed", "BitmapArrowDownPressed"):
                a = generate.REGION[name]
                for y in (0, a.h - 1):
                    self.assertEqual(top(a.x + a.w - 1, a.y + y), top(p.x + p.w - 1, p.y + y), name)

    def test_pictures_sit_on_a_white_transparent_background(self):
        seen = set()
        for i in range(10):
            w, h, px = read_bmp(self.path("pictures", "picture%d.bmp" % i))
            self.assertEqual((w, h), (32, 32))
            pixels = [px(x, y) for y in range(h) for x in range(w)]
            white = sum(1 for p in pixels if p == (255, 255, 255))
            for x, y in ((0, 0), (31, 0), (0, 31), (31, 31)):
                self.assertEqual(px(x, y), (255, 255, 255), "picture%d corner" % i)
            edge = [px(x, y) for x in range(32) for y in (0, 31)] + [px(x, y) for y in range(32) for x in (0, 31)]
            self.assertGreater(sum(1 for p in edge if p == (255, 255, 255)), len(edge) * 0.7, "picture%d edge" % i)
            self.assertGreater(white, 1024 * 0.2, "picture%d has too little background" % i)
            self.assertGreater(1024 - white, 1024 * 0.2, "picture%d is nearly empty" % i)
            key = tuple(pixels)
            self.assertNotIn(key, seen, "picture%d repeats another" % i)
            seen.add(key)

    def test_icon_holds_16_32_and_48_pixel_images(self):
        with open(self.path("main.ico"), "rb") as fh:
            data = fh.read()
        reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        self.assertEqual((reserved, kind, count), (0, 1, 3))
        end = 6 + 16 * count
        sizes = []
        for k in range(count):
            w, h, colours, res, planes, bpp, n, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * k)
            self.assertEqual((colours, res, planes, bpp), (0, 0, 1, 32))
            self.assertEqual(off, end, "images must follow one another")
            self.assertLessEqual(off + n, len(data))
            end = off + n
            hs, iw, ih, ip, ibpp, comp, isize = struct.unpack_from("<IiiHHII", data, off)
            self.assertEqual((hs, iw, ih, ip, ibpp, comp), (40, w, 2 * h, 1, 32, 0))
            mstride = ((w + 31) // 32) * 4
            self.assertEqual(n, 40 + w * h * 4 + mstride * h)
            self.assertEqual(isize, w * h * 4 + mstride * h)
            pixels = data[off + 40:off + 40 + w * h * 4]
            mask = data[off + 40 + w * h * 4:off + n]

            def alpha(x, y):
                return pixels[((h - 1 - y) * w + x) * 4 + 3]

            def masked(x, y):
                return bool(mask[(h - 1 - y) * mstride + x // 8] & (0x80 >> (x % 8)))
            self.assertEqual(alpha(0, h - 1), 0)
            self.assertTrue(masked(0, h - 1))
            self.assertEqual(alpha(w // 2, h // 2), 255)
            self.assertFalse(masked(w // 2, h // 2))
            sizes.append(w)
        self.assertEqual(end, len(data))
        self.assertEqual(sizes, [16, 32, 48])

    def test_sounds_are_short_clean_pcm(self):
        for name, shortest, longest in (("mv.wav", 0.02, 0.5), ("alert.wav", 1.0, 2.0)):
            s = read_wav(self.path(name))
            seconds = len(s) / 22050.0
            self.assertTrue(shortest <= seconds <= longest, "%s lasts %.2f s" % (name, seconds))
            peak = max(abs(v) for v in s)
            self.assertLess(peak, 32000, name + " clips")
            self.assertGreater(peak, 3000, name + " is nearly silent")
            # starting and ending at rest: no click
            self.assertLess(max(abs(v) for v in s[:10]), 1000, name)
            self.assertLess(max(abs(v) for v in s[-10:]), 100, name)


if __name__ == "__main__":
    unittest.main()
