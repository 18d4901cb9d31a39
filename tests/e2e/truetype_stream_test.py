#!/usr/bin/python3
"""glyphcast export of TrueType fonts, read back piece by piece and compared
with fontTools' own reading of the same font files: the PJL frame and its
SIZE, the descriptor, every segment and the checksum, and one character per
mapped code followed by every glyph no code reaches."""
import io
import re
import struct
import sys
import tempfile
import unittest
from pathlib import Path

from fontTools.ttLib import TTFont

from support import DEJAVU, DROID, ESC, IPAGOTHIC, UEL, glyphcast

FONTS = Path(sys.argv.pop(1))
FONT_ID = 5


def u16(data, at):
    return struct.unpack_from(">H", data, at)[0]


def u32(data, at):
    return struct.unpack_from(">L", data, at)[0]


def export(font, name="TT"):
    with tempfile.TemporaryDirectory() as work:
        out = Path(work) / "out.prn"
        done = glyphcast("export", "-o", out, "--name", name, "--id", FONT_ID, font)
        assert done.returncode == 0, done.stderr
        return out.read_bytes()


class Font:
    """The parts of a font file the stream is compared with, read by fontTools."""

    def __init__(self, path):
        self.tt = TTFont(path)
        self.raw = {tag: self.tt.reader[tag] for tag in self.tt.reader.keys()}
        self.entry = self.tt.reader.tables
        self.glyf = self.raw["glyf"]
        head = self.tt["head"]
        loca = self.raw["loca"]
        count = self.tt["maxp"].numGlyphs
        if head.indexToLocFormat:
            self.loca = list(struct.unpack(">%dL" % (count + 1), loca[:4 * (count + 1)]))
        else:
            self.loca = [2 * v for v in struct.unpack(">%dH" % (count + 1), loca[:2 * (count + 1)])]
        self.count = count

    def outline(self, glyph):
        return self.glyf[self.loca[glyph]:self.loca[glyph + 1]] if glyph < self.count else b""

    def chosen_subtable(self):
        cmap = self.raw["cmap"]
        records = [(u16(cmap, 4 + 8 * i), u16(cmap, 6 + 8 * i), u32(cmap, 8 + 8 * i))
                   for i in range(u16(cmap, 2))]
        formats = [u16(cmap, offset) for _, _, offset in records]
        passes = [lambda p, e, f: (p, e) == (3, 1), lambda p, e, f: p == 0,
                  lambda p, e, f: (p, e) == (3, 0), lambda p, e, f: (p, e) == (1, 0),
                  lambda p, e, f: f == 4, lambda p, e, f: f == 0, lambda p, e, f: f == 2,
                  lambda p, e, f: f == 6]
        for test in passes:
            for (p, e, offset), f in zip(records, formats):
                if test(p, e, f):
                    return f, cmap[offset:]
        return formats[0], cmap[records[0][2]:]

    def codes(self):
        """(code, glyph) in the order the writer walks them, and the codes visited."""
        fmt, sub = self.chosen_subtable()
        if fmt == 0:
            return [(c, sub[6 + c]) for c in range(256)], 256
        if fmt == 6:
            first, count = u16(sub, 6), u16(sub, 8)
            return [(first + i, u16(sub, 10 + 2 * i)) for i in range(count)], count
        if fmt != 4:
            return [], 0
        segs = u16(sub, 6) // 2
        walk = []
        for s in range(segs):
            end, start = u16(sub, 14 + 2 * s), u16(sub, 16 + 2 * segs + 2 * s)
            delta, range_at = u16(sub, 16 + 4 * segs + 2 * s), 16 + 6 * segs + 2 * s
            offset = u16(sub, range_at)
            if start == 0xFFFF or end == 0xFFFF:
                break
            for code in range(start, end + 1):
                if offset == 0:
                    glyph = (code + delta) & 0xFFFF
                else:
                    glyph = u16(sub, range_at + offset + 2 * (code - start))
                    glyph = (glyph + delta) & 0xFFFF if glyph else 0
                walk.append((code, glyph))
        return walk, len(walk)


def expected_characters(font):
    walk, visited = font.codes()
    pending = set(range(font.count))
    chars = []
    for code, glyph in walk:
        pending.discard(glyph)
        if code == 32:
            continue
        if font.outline(glyph):
            chars.append((code, glyph, font.outline(glyph)))
    default = next((font.outline(g) for g in range(font.count) if font.outline(g)), b"")
    chars.append((65535, 0, font.outline(0) or default))
    pending.discard(0)
    for g in sorted(pending):
        if font.outline(g):
            data = font.glyf[font.loca[g]:] if g == font.count - 1 else font.outline(g)
            chars.append((65535, g, data))
    return chars, visited


class Stream:
    """A TrueType font download taken apart."""

    def __init__(self, data, name):
        prefix = UEL + b"@PJL\r\n" + b'@PJL FSMKDIR NAME="0:\\pcl\\fonts"\r\n'
        line = (re.escape(b"@PJL FSDOWNLOAD FORMAT:BINARY SIZE=") + b"(\\d+)" +
                re.escape(b' NAME="0:\\pcl\\fonts\\' + name.encode() + b'"\r\n'))
        match = re.match(re.escape(prefix) + line, data)
        assert match, data[:200]
        assert data.endswith(UEL)
        self.size = int(match.group(1))
        self.payload = data[match.end():-len(UEL)]
        match = re.match(re.escape(ESC + b"*c%dD" % FONT_ID) + re.escape(ESC + b")s") +
                         b"(\\d+)W", self.payload)
        assert match
        self.header = self.payload[match.end():match.end() + int(match.group(1))]
        self.rest = self.payload[match.end() + len(self.header):]

    def segments(self):
        """The segments by identifier, and where the null segment starts.
        Format 16 gives each segment a 32-bit size, format 15 a 16-bit one."""
        at, found = 72, {}
        wide = self.header[2] == 16
        width = 4 if wide else 2
        while self.header[at:at + 2] != b"\xff\xff":
            size = u32(self.header, at + 2) if wide else u16(self.header, at + 2)
            found[self.header[at:at + 2].decode()] = \
                self.header[at + 2 + width:at + 2 + width + size]
            at += 2 + width + size
        return found, at

    def characters(self):
        chars, at = [], 0
        command = re.compile(re.escape(ESC + b"*c") + b"(\\d+)E" + re.escape(ESC + b"(s") +
                             b"(\\d+)W")
        while True:
            match = command.match(self.rest, at)
            if not match:
                return chars, self.rest[at:]
            code, length = int(match.group(1)), int(match.group(2))
            body = self.rest[match.end():match.end() + length]
            chars.append((code, body))
            at = match.end() + length


class TrueTypeStreams(unittest.TestCase):
    def check(self, path, name="TT"):
        font = Font(path)
        stream = Stream(export(path, name), name)
        self.assertEqual(len(stream.payload), stream.size)
        header = stream.header
        head, post = font.tt["head"], font.tt["post"]

        d = header[:72]
        segments, end = stream.segments()
        # Format 16 only where a segment does not fit format 15's 16-bit sizes.
        self.assertEqual((u16(d, 0), d[2]),
                         (72, 16 if max(map(len, segments.values())) > 0xFFFF else 15))
        self.assertEqual(u16(d, 8), (head.xMax - head.xMin) & 0xFFFF)
        self.assertEqual(u16(d, 10), (head.yMax - head.yMin) & 0xFFFF)
        self.assertEqual(d[13], 0 if post.isFixedPitch else 1)
        self.assertEqual(d[28], 2)
        self.assertEqual(u16(d, 64), head.unitsPerEm)
        self.assertEqual(d[66:70], font.raw["post"][8:12])
        self.assertEqual((d[70], d[71]), (1, 0))
        self.assertTrue(all(0x20 <= b <= 0x7F for b in d[48:64]) and d[48:64] != b" " * 16)
        pclt = font.raw.get("PCLT")
        if not pclt and not post.isFixedPitch:
            # The default HMI: the advance of the space, else a quarter em.
            space = dict(font.codes()[0]).get(32)
            width = font.tt["hmtx"][font.tt.getGlyphName(space)][0] if space is not None else 0
            self.assertEqual(u16(d, 16), width or head.unitsPerEm // 4)

        self.assertEqual(list(segments), ["CC"] + (["CP"] if "CP" in segments else []) +
                         ["GT", "PA"])
        self.assertEqual(segments["CC"], pclt[36:44] if pclt else bytes(7) + b"\x06")
        self.assertEqual(segments["PA"], font.raw["OS/2"][32:42] + b"\0\0")
        if "CP" in segments:
            self.assertIsNotNone(pclt)
            text = font.tt["name"].getDebugName(0).encode("latin-1")
            self.assertEqual(segments["CP"].rstrip(b"\0"), text)
            self.assertEqual(len(segments["CP"]) % 4, 0)
        # Null segment, reserved byte and checksum; bytes 64 to the end sum to 0.
        null = b"\xff\xff" + bytes(4 if d[2] == 16 else 2)
        self.assertEqual(header[end:-1], null + b"\0")
        self.assertEqual(sum(header[64:]) % 256, 0)

        gt = segments["GT"]
        tags = ([t for t in ("cvt ", "fpgm") if t in font.raw] + ["gdir", "head", "hhea", "hmtx",
                "maxp"] + (["prep"] if "prep" in font.raw else []))
        n = u16(gt, 4)
        power = 1 << (n.bit_length() - 1)
        self.assertEqual((u32(gt, 0), n), (0x10000, len(tags)))
        self.assertEqual((u16(gt, 6), u16(gt, 8), u16(gt, 10)),
                         (16 * power, power.bit_length() - 1, 16 * n - 16 * power))
        offset = 12 + 16 * n
        for i, tag in enumerate(tags):
            entry = gt[12 + 16 * i:28 + 16 * i]
            self.assertEqual(entry[:4], tag.encode())
            if tag == "gdir":
                self.assertEqual(entry[4:], bytes(12))
                continue
            length = font.entry[tag].length
            self.assertEqual(struct.unpack(">LLL", entry[4:]),
                             (font.entry[tag].checkSum, offset, length))
            self.assertEqual(gt[offset:offset + length], font.raw[tag])
            offset += (length + 3) & ~3
        self.assertEqual(len(gt), offset)
        sfnt = TTFont(io.BytesIO(gt))
        for tag in ("head", "hhea", "hmtx", "maxp"):
            self.assertEqual(sfnt.reader[tag], font.raw[tag])
        self.assertEqual(sfnt["maxp"].numGlyphs, font.count)

        expected, visited = expected_characters(font)
        fmt, _ = font.chosen_subtable()
        chars, tail = stream.characters()
        self.assertEqual(tail, ESC + b"*c5F")
        self.assertEqual([(c, u16(b, 6)) for c, b in chars], [(c, g) for c, g, _ in expected])
        for (code, body), (_, glyph, outline) in zip(chars, expected):
            n = len(outline)
            self.assertEqual(body[:8], bytes([15, 0, 2, 15]) + struct.pack(">HH", n + 4, glyph))
            self.assertEqual(body[8:8 + n], outline)
            self.assertEqual(body[8 + n], 0)
            self.assertEqual((sum(body[4:8]) + sum(outline) + body[9 + n]) % 256, 0)
            self.assertNotEqual(code, 32)
        sent = {u16(b, 6) for _, b in chars}
        self.assertTrue(all(g in sent for g in range(font.count) if font.outline(g)))
        if fmt == 4:
            self.assertEqual(u16(d, 38), visited & 0xFFFF)
        return stream

    def test_small_fonts(self):
        for name in ("regular", "bold", "fixed", "fixed_os2v4", "pclt", "pclt_bound",
                     "empty_notdef", "format0", "format6", "symbol", "wide_name", "glyph32",
                     "no_space", "big_gt"):
            with self.subTest(name):
                self.check(FONTS / (name + ".ttf"))

    def test_global_tables(self):
        # Without cvt, fpgm and prep the first table starts at 92, with all three at 140.
        for name, first in (("regular", 92), ("fixed", 140)):
            gt = self.check(FONTS / (name + ".ttf")).segments()[0]["GT"]
            offsets = [u32(gt, 12 + 16 * i + 8) for i in range(u16(gt, 4))]
            self.assertEqual(min(o for o in offsets if o), first)

    def test_copyright_only_with_pclt(self):
        self.assertIn("CP", self.check(FONTS / "pclt.ttf").segments()[0])
        self.assertNotIn("CP", self.check(FONTS / "regular.ttf").segments()[0])

    def test_real_fonts(self):
        # IPAGothic's glyph 32 has an outline that no code reaches; Droid Sans
        # Fallback's global tables (156 KB) need format 16.
        fonts = [f for f in (DEJAVU, IPAGOTHIC, DROID) if f.exists()]
        self.assertIn(DEJAVU, fonts, "fonts-dejavu-core is not installed")
        for path in fonts:
            with self.subTest(path.name):
                self.check(path, path.stem)


if __name__ == "__main__":
    unittest.main(verbosity=1)
