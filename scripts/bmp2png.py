#!/usr/bin/env python3
"""Converts uncompressed 24-bit BMP files to PNG files.

    bmp2png.py picture.bmp picture.png
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xwd2png import write_png  # noqa: E402


def read_bmp(data):
    if data[:2] != b"BM":
        raise SystemExit("bmp2png: not a BMP file")
    offset = struct.unpack("<I", data[10:14])[0]
    width, height, _, bits, compression = struct.unpack("<iiHHI", data[18:34])
    if bits != 24 or compression != 0:
        raise SystemExit("bmp2png: only uncompressed 24-bit pictures are supported")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        line = data[offset + y * stride: offset + y * stride + width * 3]
        row = bytearray(width * 3)
        row[0::3], row[1::3], row[2::3] = line[2::3], line[1::3], line[0::3]
        rows.append(bytes(row))
    if height > 0:  # bottom-up
        rows.reverse()
    return width, abs(height), rows


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    with open(sys.argv[1], "rb") as source:
        width, height, rows = read_bmp(source.read())
    write_png(sys.argv[2], width, height, rows)


if __name__ == "__main__":
    main()
