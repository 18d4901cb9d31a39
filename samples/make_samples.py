#!/usr/bin/env python3
"""Writes the sample PCL5 bitmap soft font and the sample macro of the quick start.

The font is a tiny 8x8 bitmap design of the letters A, B, C and a few digits;
the macro prints one line of text. Both are made here from first principles."""
import struct
import sys
from pathlib import Path

ESC = b"\x1b"

GLYPHS = {
    "A": ["..XX....", ".X..X...", "X....X..", "X....X..", "XXXXXX..", "X....X..", "X....X..", "........"],
    "B": ["XXXXX...", "X....X..", "X....X..", "XXXXX...", "X....X..", "X....X..", "XXXXX...", "........"],
    "C": [".XXXX...", "X....X..", "X.......", "X.......", "X.......", "X....X..", ".XXXX...", "........"],
    "0": [".XXXX...", "X...XX..", "X..X.X..", "X.X..X..", "XX...X..", "X....X..", ".XXXX...", "........"],
    "1": ["..X.....", ".XX.....", "..X.....", "..X.....", "..X.....", "..X.....", ".XXX....", "........"],
}


def header(name: bytes) -> bytes:
    d = bytearray(64)
    struct.pack_into(">HBB", d, 0, 64, 0, 2)          # size, format 0 (bitmap), type 2 (8-bit)
    struct.pack_into(">HHH", d, 6, 7, 8, 8)           # baseline, cell width, cell height
    d[12], d[13] = 0, 1                               # portrait, proportional
    struct.pack_into(">HHHH", d, 14, 8 * 32 + ord("U") - 64, 32, 32, 20)  # 8U, pitch, height, x-height
    d[24] = 0                                         # medium stroke weight
    struct.pack_into(">HH", d, 32, 32, 32)            # text height, text width
    struct.pack_into(">HH", d, 36, 32, 255)           # first and last code
    d[48:64] = name.ljust(16)[:16]
    return bytes(d)


def character(code: int, rows) -> bytes:
    raster = bytes(int(r.replace(".", "0").replace("X", "1"), 2) for r in rows)
    desc = struct.pack(">BBBBBBhhHHh", 4, 0, 14, 1, 0, 0, 0, 7, 8, 8, 32)
    data = desc + raster
    return ESC + b"*c%dE" % code + ESC + b"(s%dW" % len(data) + data


def font() -> bytes:
    out = ESC + b")s64W" + header(b"GlyphcastSample")
    for ch, rows in GLYPHS.items():
        out += character(ord(ch), rows)
    return out


def macro() -> bytes:
    return ESC + b"&a300V" + b"Glyphcast sample macro" + ESC + b"&l0H"


def main(folder: str) -> None:
    out = Path(folder)
    out.mkdir(parents=True, exist_ok=True)
    (out / "sample.sfp").write_bytes(font())
    (out / "logo.pcl").write_bytes(macro())


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else str(Path(__file__).parent))
