#!/usr/bin/env python3
"""Draws the program's icons and About picture and writes them as .ico/.bmp.

No dependencies: shapes are distance tests, smoothed by supersampling.
Run from anywhere; the files land beside this script:
  app.ico    icon 139: a blue tile with a white "G"
  item.ico   icon 140: a page with text lines and a blue font glyph block
  about.bmp  bitmap 1056: the tile on a light grey ground (8 bits, palette)
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SUPER = 4  # samples per pixel edge

BLUE = (29, 78, 137)
BLUE_DARK = (16, 46, 86)
WHITE = (255, 255, 255)
PAGE_EDGE = (96, 104, 116)
LINE = (150, 164, 184)


def rounded_rect(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1


def in_g(x, y):
    """The letter G on a 1x1 square, y downwards."""
    dx, dy = x - 0.5, y - 0.5
    d = math.hypot(dx, dy)
    angle = math.degrees(math.atan2(-dy, dx)) % 360  # 0 = east, counter-clockwise
    ring = 0.21 <= d <= 0.36 and not (8 <= angle <= 58)
    bar = 0.5 <= x <= 0.86 and 0.47 <= y <= 0.58 and d <= 0.36
    stem = 0.75 <= x <= 0.86 and 0.47 <= y <= 0.74 and d <= 0.36
    return ring or bar or stem


def tile(x, y):
    """Colour (r, g, b, a) of the app tile at (x, y) in a 1x1 square."""
    if not rounded_rect(x, y, 0.03, 0.03, 0.97, 0.97, 0.18):
        return None
    if in_g(x, y):
        return WHITE
    # a soft shade towards the bottom edge
    t = max(0.0, (y - 0.55) / 0.45)
    return tuple(round(a + (b - a) * t * 0.6) for a, b in zip(BLUE, BLUE_DARK))


def page(x, y):
    """Icon 140: a page with a folded corner, text lines and a glyph block."""
    fold = 0.26
    x0, y0, x1, y1 = 0.16, 0.04, 0.84, 0.96
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return None
    if x - (x1 - fold) > y - y0:  # cut corner
        return None
    edge = 0.045
    on_edge = x < x0 + edge or y > y1 - edge or x > x1 - edge or y < y0 + edge or \
        abs((x - (x1 - fold)) - (y - y0)) < edge * 0.8
    if on_edge:
        return PAGE_EDGE
    if x > x1 - fold and y < y0 + fold:  # the folded flap
        return (216, 222, 230)
    if 0.26 <= x <= 0.56 and 0.30 <= y <= 0.62:  # glyph block
        return BLUE
    for top in (0.34, 0.46, 0.58, 0.72, 0.84):
        left = 0.62 if top < 0.66 else 0.26
        if left <= x <= 0.74 and top <= y <= top + 0.05:
            return LINE
    return WHITE


def render(shape, size, ground=None):
    """RGBA rows, top row first; with `ground`, blended onto that colour."""
    rows = []
    n = SUPER * SUPER
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(SUPER):
                for sx in range(SUPER):
                    c = shape((px + (sx + 0.5) / SUPER) / size, (py + (sy + 0.5) / SUPER) / size)
                    if c is None:
                        if ground:
                            c = ground
                        else:
                            continue
                    hits += 1
                    for i in range(3):
                        acc[i] += c[i]
            if hits == 0:
                row.append((0, 0, 0, 0))
            else:
                rgb = tuple(round(v / hits) for v in acc)
                alpha = 255 if ground else round(255 * hits / n)
                row.append(rgb + (alpha,))
        rows.append(row)
    return rows


def quantize(rows, step):
    return [[tuple(min(255, round(c / step) * step) for c in p[:3]) + (p[3],) for p in r] for r in rows]


def palette_of(rows, limit=256):
    step = 1
    while True:
        q = quantize(rows, step) if step > 1 else rows
        colours = []
        seen = {}
        for r in q:
            for p in r:
                key = p[:3]
                if key not in seen:
                    seen[key] = len(colours)
                    colours.append(key)
        if len(colours) <= limit:
            return q, colours, seen
        step *= 2


def dib_rows(pixels_bytes_per_row):
    pad = (-len(pixels_bytes_per_row)) % 4
    return pixels_bytes_per_row + b"\0" * pad


def and_mask(rows):
    size = len(rows)
    out = b""
    for r in reversed(rows):
        bits = 0
        line = bytearray()
        for i, p in enumerate(r):
            bits = (bits << 1) | (1 if p[3] < 128 else 0)
            if i % 8 == 7:
                line.append(bits)
                bits = 0
        if size % 8:
            line.append(bits << (8 - size % 8))
        out += dib_rows(bytes(line))
    return out


def icon_image_32(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((p[2], p[1], p[0], p[3])) for r in reversed(rows) for p in r)
    return header + xor + and_mask(rows)


def icon_image_8(rows):
    size = len(rows)
    opaque = [[p if p[3] >= 128 else (0, 0, 0, 0) for p in r] for r in rows]
    q, colours, index = palette_of(opaque)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    pal = b"".join(bytes((c[2], c[1], c[0], 0)) for c in colours) + b"\0" * 4 * (256 - len(colours))
    xor = b"".join(dib_rows(bytes(index[p[:3]] for p in r)) for r in reversed(q))
    return header + pal + xor + and_mask(rows)


def write_ico(path, shape, sizes):
    images = []
    for size in sizes:
        rows = render(shape, size)
        images.append((size, 8, icon_image_8(rows)))
        images.append((size, 32, icon_image_32(rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    out += b"".join(d for _, _, d in images)
    with open(path, "wb") as f:
        f.write(out)


def write_bmp8(path, shape, size, ground):
    rows = render(shape, size, ground)
    q, colours, index = palette_of(rows)
    # The first pixel's colour is the transparent one for LoadImage; keep it first.
    first = q[0][0][:3]
    order = [first] + [c for c in colours if c != first]
    index = {c: i for i, c in enumerate(order)}
    pal = b"".join(bytes((c[2], c[1], c[0], 0)) for c in order)
    pixels = b"".join(dib_rows(bytes(index[p[:3]] for p in r)) for r in reversed(q))
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 8, 0, len(pixels), 2835, 2835, len(order), 0)
    offset = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + pal + pixels)


def main():
    write_ico(os.path.join(HERE, "app.ico"), tile, (32, 16, 48))
    write_ico(os.path.join(HERE, "item.ico"), page, (32, 16))
    write_bmp8(os.path.join(HERE, "about.bmp"), tile, 64, (192, 192, 192))


if __name__ == "__main__":
    main()
