#!/usr/bin/python3
"""Builds the small TrueType test fonts, each showing one thing, into OUTDIR.

Glyph order of every TrueType font here: 0 .notdef (a box), 1 space (empty),
2 A, 3 B, 4 x (500 units high), 5 extra (an outline no code reaches),
6 Acomp (a composite of A that no code reaches)."""
import array
import struct
import sys
from pathlib import Path

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont, newTable
from fontTools.ttLib.tables import ttProgram
from fontTools.ttLib.tables.O_S_2f_2 import Panose
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable
from fontTools.ttLib.ttCollection import TTCollection

ORDER = [".notdef", "space", "A", "B", "x", "extra", "Acomp"]
CODES = {0x20: "space", 0x41: "A", 0x42: "B", 0x61: "A", 0x78: "x"}


def box(x0, y0, x1, y1):
    pen = TTGlyphPen(None)
    pen.moveTo((x0, y0))
    pen.lineTo((x0, y1))
    pen.lineTo((x1, y1))
    pen.lineTo((x1, y0))
    pen.closePath()
    return pen.glyph()


def triangle():
    pen = TTGlyphPen(None)
    pen.moveTo((0, 0))
    pen.lineTo((300, 700))
    pen.lineTo((600, 0))
    pen.closePath()
    return pen.glyph()


def composite():
    pen = TTGlyphPen({"A": None})
    pen.addComponent("A", (1, 0, 0, 1, 20, 0))
    return pen.glyph()


def glyphs(empty_notdef=False):
    return {
        ".notdef": TTGlyphPen(None).glyph() if empty_notdef else box(50, 0, 450, 700),
        "space": TTGlyphPen(None).glyph(),
        "A": triangle(),
        "B": box(0, -100, 550, 700),
        "x": box(0, 0, 500, 500),
        "extra": box(10, 10, 90, 90),
        "Acomp": composite(),
    }


def panose():
    value = Panose()
    for i, field in enumerate(("bFamilyType", "bSerifStyle", "bWeight", "bProportion",
                               "bContrast", "bStrokeVariation", "bArmStyle", "bLetterForm",
                               "bMidline", "bXHeight")):
        setattr(value, field, i + 1)
    return value


def subtable(fmt, platform, encoding, mapping):
    table = CmapSubtable.newSubtable(fmt)
    table.platformID, table.platEncID, table.language = platform, encoding, 0
    table.cmap = dict(mapping)
    return table


def build(path, names=None, advance=None, fixed=False, os2_version=4, empty_notdef=False,
          cmaps=None, extras=False, pclt=None, name_records=None, pads=0, cvt_size=3,
          zigzag=0, codes=CODES, flavor=None):
    fb = FontBuilder(unitsPerEm=1000, isTTF=True)
    order = ORDER + ["pad%02d" % i for i in range(pads)]
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(codes)
    outlines = glyphs(empty_notdef)
    for i in range(pads):
        outlines["pad%02d" % i] = box(0, 0, 100 + i, 100)
    if zigzag:
        # Every step needs two-byte coordinates: about four bytes a point.
        pen = TTGlyphPen(None)
        pen.moveTo((0, 0))
        for i in range(1, zigzag):
            pen.lineTo((i % 2 * 600, (i // 2) % 2 * 700))
        pen.closePath()
        outlines["B"] = pen.glyph()
    fb.setupGlyf(outlines)
    widths = advance or {".notdef": 500, "space": 250, "A": 600, "B": 550, "x": 500,
                         "extra": 100, "Acomp": 620}
    fb.setupHorizontalMetrics({g: (widths.get(g, 100), 0) for g in order})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable(names or {"familyName": "Plain", "styleName": "Regular"}, mac=False)
    fb.setupOS2(version=os2_version, sxHeight=480, panose=panose())
    fb.setupPost(isFixedPitch=1 if fixed else 0, underlinePosition=-75, underlineThickness=50)
    font = fb.font
    if cmaps is not None:
        font["cmap"].tables = cmaps
    if name_records is not None:
        font["name"].names = []
        for text, name_id, platform, encoding, language in name_records:
            font["name"].setName(text, name_id, platform, encoding, language)
    if extras:
        cvt = newTable("cvt ")
        cvt.values = array.array("h", [0, 100, -100] + [7] * (cvt_size - 3))
        font["cvt "] = cvt
        for tag in ("fpgm", "prep"):
            table = newTable(tag)
            table.program = ttProgram.Program()
            table.program.fromBytecode(b"\xb0\x00\x21")  # PUSHB 0, POP
            font[tag] = table
    if pclt is not None:
        fields = dict(fontNumber=0x00001234, pitch=600, xHeight=480, style=0x0102,
                      typeFamily=0x1357, capHeight=700, symbolSet=0,
                      typeFace=b"PCLT Face       ", complement=b"\xff" * 7 + b"\xfe",
                      fileName=b"ABCD00", strokeWeight=3, widthType=0, serifStyle=64)
        fields.update(pclt)
        table = newTable("PCLT")
        table.data = struct.pack(
            ">LLHHHHHH16s8s6sbbBB", 0x00010000, fields["fontNumber"], fields["pitch"],
            fields["xHeight"], fields["style"], fields["typeFamily"], fields["capHeight"],
            fields["symbolSet"], fields["typeFace"], fields["complement"], fields["fileName"],
            fields["strokeWeight"], fields["widthType"], fields["serifStyle"], 0)
        font["PCLT"] = table
    font.flavor = flavor
    font.save(path)
    return font


def main(out):
    out.mkdir(parents=True, exist_ok=True)
    bmp = lambda: [subtable(4, 3, 1, CODES)]
    build(out / "regular.ttf", names={"familyName": "Plain", "styleName": "Regular",
                                      "fullName": "abc"})
    build(out / "bold.ttf", names={"familyName": "Plain", "styleName": "Bold",
                                   "fullName": "Plain Bold"})
    # The Macintosh record wins although the Unicode-platform one comes first.
    build(out / "mac_name.ttf", name_records=[
        ("Regular", 2, 3, 1, 0x409), ("Unicode Family", 1, 0, 3, 0),
        ("Mac Family", 1, 1, 0, 0), ("Windows Family", 1, 3, 1, 0x409)])
    # U+03A9 and U+0416 have no Windows-1252 byte; U+1F600 is two units.
    build(out / "wide_name.ttf", name_records=[
        ("Regular", 2, 3, 1, 0x409), ("\u03a9mega \u0416 \U0001F600 caf\u00e9", 1, 3, 1, 0x409)])
    build(out / "long_name.ttf", names={"familyName": "N" * 250, "styleName": "Regular"})
    build(out / "no_subfamily.ttf", name_records=[
        ("Family Only", 1, 3, 1, 0x409), ("Full Of It", 4, 3, 1, 0x409)])
    build(out / "fixed.ttf", fixed=True, os2_version=1, extras=True,
          advance={g: 600 for g in ORDER})
    # Glyph 32 has an outline and no code reaches it.
    build(out / "glyph32.ttf", pads=33)
    # Too big for the 16-bit sizes: a GT segment of 80 KB, a glyph of 64 KB.
    build(out / "big_gt.ttf", extras=True, cvt_size=40000)
    build(out / "big_glyph.ttf", zigzag=17000)
    build(out / "fixed_os2v4.ttf", fixed=True, os2_version=4)
    build(out / "pclt.ttf", pclt={}, names={"familyName": "Plain", "styleName": "Regular",
                                            "copyright": "(c) Test Fonts 2026"})
    build(out / "pclt_bound.ttf", pclt={"symbolSet": 277})
    build(out / "empty_notdef.ttf", empty_notdef=True)
    build(out / "format0.ttf", cmaps=[subtable(0, 1, 0, CODES)])
    build(out / "format6.ttf", cmaps=[subtable(6, 1, 0, {c: CODES[c] for c in (0x41, 0x42)})])
    build(out / "format12.ttf", cmaps=[subtable(12, 3, 10, CODES)])
    variations = subtable(14, 0, 5, {})
    variations.uvsDict = {0xFE00: [(0x41, "A")]}
    build(out / "format14.ttf", cmaps=[variations])
    build(out / "symbol.ttf", cmaps=[subtable(4, 1, 0, {0x41: "B"}), subtable(4, 3, 0, CODES)])
    # A Unicode-platform subtable comes after a Windows BMP one in the passes.
    build(out / "unicode_first.ttf", cmaps=[subtable(4, 0, 3, {0x41: "B"}),
                                            subtable(4, 3, 1, CODES)])

    fb = FontBuilder(unitsPerEm=1000, isTTF=False)
    fb.setupGlyphOrder([".notdef", "A"])
    fb.setupCharacterMap({0x41: "A"})
    pen = T2CharStringPen(600, None)
    pen.moveTo((0, 0))
    pen.lineTo((300, 700))
    pen.lineTo((600, 0))
    pen.closePath()
    a = pen.getCharString()
    fb.setupCFF("CffFont", {}, {".notdef": a, "A": a}, {})
    fb.setupHorizontalMetrics({".notdef": (600, 0), "A": (600, 0)})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": "Cff", "styleName": "Regular"}, mac=False)
    fb.setupOS2()
    fb.setupPost()
    fb.save(out / "cff.otf")

    collection = TTCollection()
    collection.fonts = [TTFont(out / "regular.ttf"), TTFont(out / "bold.ttf")]
    collection.save(out / "collection.ttc")
    (out / "empty.ttf").write_bytes(b"")

    # No space: the default HMI falls back to a quarter em.
    build(out / "no_space.ttf", codes={c: g for c, g in CODES.items() if c != 0x20})
    # Font files that cannot be converted and must never pass for macros.
    build(out / "web.woff", flavor="woff")
    (out / "web.woff2").write_bytes(b"wOF2\0\1\0\0" + bytes(40))
    type1 = b"%!PS-AdobeFont-1.0: TestType1 001.000\n/FontName /TestType1 def\n"
    (out / "type1.pfa").write_bytes(type1)
    (out / "type1.pfb").write_bytes(b"\x80\x01" + struct.pack("<L", len(type1)) + type1 +
                                    b"\x80\x03")
    regular = (out / "regular.ttf").read_bytes()
    (out / "no_glyf.ttf").write_bytes(regular.replace(b"glyf", b"gly_", 1))
    # Starts like an sfnt, but no table directory fits: an ordinary file.
    (out / "sfnt_like.pcl").write_bytes(b"\0\1\0\0\xff\xff" + b"\x1b&a100H" * 4)


if __name__ == "__main__":
    main(Path(sys.argv[1]))
