#!/usr/bin/python3
"""Converted fonts against an independent PCL interpreter: it must accept each
font we produce and draw text in it as a person expects. What a printer stores
(the FSDOWNLOAD payload) is fed to it as plain PCL, since its own PJL file
system does not load disk fonts; the text follows in the same job and selects
the font by ID or by attributes. Skipped (77) when the interpreter is absent."""
import os
import re
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

from support import DEJAVU, DROID, ESC, IPAGOTHIC, SOURCE, UEL, Printers, glyphcast as run

FONTS = Path(sys.argv.pop(1))
INTERPRETER = Path(os.environ.get("GC_PCL_INTERPRETER") or
                   SOURCE.parent / "shared" / "pcl-interpreter" / "gpcl6")
FONT_ID = 5
AT = ESC + b"&a300V" + ESC + b"&a100H"  # where each page's text starts
UTF8 = ESC + b"(18N" + ESC + b"&t83P"    # Unicode symbol set, UTF-8 text
JAPANESE = "日本語のテキスト".encode()
REFUSALS = (b"corrupt", b"invalidfont", b"Error", b"error")


def glyphcast(*args):
    done = run(*args)
    assert done.returncode == 0, done.stderr
    return done


def payload(font, *options):
    """The file a printer stores for the font: the SIZE bytes after FSDOWNLOAD."""
    with tempfile.TemporaryDirectory() as work:
        out = Path(work) / "font.prn"
        glyphcast("export", "-o", out, "--id", FONT_ID, *options, font)
        stream = out.read_bytes()
    match = re.search(rb"FSDOWNLOAD FORMAT:BINARY SIZE=(\d+) NAME=\"[^\"]*\"\r\n", stream)
    size = int(match.group(1))
    assert stream[match.end() + size:].startswith(UEL)
    return stream[match.end():match.end() + size]


class Page:
    """One rendered page: grey levels, dark below 128."""

    def __init__(self, data):
        # P5, then width, height and maximum, with comment lines between.
        header = re.match(rb"P5(?:\s+|#[^\n]*\n)*(\d+)(?:\s+|#[^\n]*\n)*(\d+)"
                          rb"(?:\s+|#[^\n]*\n)*(\d+)\s", data)
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.pixels = data[header.end():]
        assert len(self.pixels) == self.width * self.height

    def ink_columns(self):
        """The first and last column that holds ink, or None on a blank page."""
        columns = set()
        for y in range(self.height):
            row = self.pixels[y * self.width:(y + 1) * self.width]
            columns.update(x for x, v in enumerate(row) if v < 128)
        return (min(columns), max(columns)) if columns else None

    def ink(self):
        return sum(1 for v in self.pixels if v < 128)


def render(job):
    """The interpreter's pages for `job` and everything it printed."""
    with tempfile.TemporaryDirectory() as work:
        path = Path(work) / "job.pcl"
        path.write_bytes(job)
        done = subprocess.run([str(INTERPRETER), "-dNOPAUSE", "-dBATCH", "-sDEVICE=pgmraw",
                               "-r100", "-o", str(Path(work) / "page-%d.pgm"), str(path)],
                              capture_output=True, timeout=300)
        pages = sorted(Path(work).glob("page-*.pgm"), key=lambda p: int(p.stem[5:]))
        return [Page(p.read_bytes()) for p in pages], done.stdout + done.stderr


def pages(font_bytes, *texts):
    """Each text on a page of its own, after the downloaded font (or none)."""
    return ESC + b"E" + font_bytes + b"".join(AT + t + b"\f" for t in texts)


@unittest.skipUnless(INTERPRETER.exists(), "no PCL interpreter at %s" % INTERPRETER)
class ConvertedFontsOnAnInterpreter(unittest.TestCase):
    def accepted(self, job):
        drawn, said = render(job)
        for word in REFUSALS:
            self.assertNotIn(word, said, said.decode(errors="replace"))
        return drawn

    def test_latin_text_with_word_spaces(self):
        font = payload(DEJAVU)
        by_id = ESC + b"(%dX" % FONT_ID + ESC + b"(19U"
        texts = [by_id + b"Hello World", by_id + b"II II", by_id + b"IIII"]
        hello, spaced, packed = self.accepted(pages(font, *texts))
        resident = render(pages(b"", *texts))[0]
        # Drawn in the downloaded font, not in the interpreter's own.
        self.assertNotEqual(hello.pixels, resident[0].pixels)
        # The never-sent space advances by the font's default HMI.
        left, right = spaced.ink_columns()
        packed_left, packed_right = packed.ink_columns()
        self.assertGreater(right - left, packed_right - packed_left + 3)

    def test_selection_hints_of_inspect(self):
        # inspect's attribute selection reaches the same font as the ID, and
        # its two symbol sets print the same letter for the same text.
        font = payload(DEJAVU)
        hint = glyphcast("inspect", DEJAVU).stdout.decode()
        attributes = re.search(r"by attributes:\s+(\S+)", hint).group(1)
        attributes = attributes.replace("ESC", "\x1b").encode()
        by_id = ESC + b"(%dX" % FONT_ID
        texts = [by_id + ESC + b"(19U" + b"\xc4gypten",
                 ESC + b"(19U" + attributes.replace(b"10.00v", b"12.00v") + b"\xc4gypten",
                 by_id + UTF8 + "Ägypten".encode(),
                 by_id + b"\xc4gypten"]  # the default symbol set, PC-8
        latin1, by_attributes, utf8, pc8 = self.accepted(pages(font, *texts))
        self.assertEqual(by_attributes.pixels, latin1.pixels)
        self.assertEqual(utf8.pixels, latin1.pixels)
        self.assertNotEqual(pc8.pixels, latin1.pixels)

    def test_japanese_text(self):
        for path, options in ((IPAGOTHIC, ()), (DROID, ())):
            if not path.exists():
                continue
            with self.subTest(path.name):
                text = ESC + b"(%dX" % FONT_ID + UTF8 + JAPANESE
                drawn, = self.accepted(pages(payload(path, *options), text))
                resident, = render(pages(b"", text))[0]
                self.assertGreater(drawn.ink(), 0)
                self.assertNotEqual(drawn.pixels, resident.pixels)

    def test_large_font_and_collection_face_sample_pages(self):
        cases = [(DROID, ()), (FONTS / "collection.ttc", ("--face", "1"))]
        for path, options in cases:
            if not path.exists():
                continue
            with self.subTest(path.name):
                stored, sample = self.download_with_sample(path, options)
                drawn = self.accepted(ESC + b"E" + stored + sample)
                self.assertEqual(len(drawn), 1)
                self.assertGreater(drawn[0].ink(), 0)
                # The page's rows select the downloaded font: without it they differ.
                resident = render(ESC + b"E" + sample)[0]
                self.assertNotEqual(drawn[0].pixels, resident[0].pixels)

    def download_with_sample(self, font, options):
        """What a printer with a disk stores and prints for `download --sample`."""
        with tempfile.TemporaryDirectory() as work:
            printer = Printers(work, "printer", 1, "--connections", "1")
            try:
                glyphcast("download", "--printer", printer.address, "--name", "SAMPLED",
                          "--id", FONT_ID, "--sample", "40", *options, font)
                self.assertEqual(printer.proc.wait(timeout=60), 0)
            finally:
                printer.stop()
            root = printer.root
            stored = (root / "0" / "pcl" / "fonts" / "SAMPLED").read_bytes()
            jobs = sorted((root / "jobs").glob("*.pcl"))
            self.assertEqual(len(jobs), 1)
            return stored, jobs[0].read_bytes()


if __name__ == "__main__":
    if not INTERPRETER.exists():
        print("skipped: no PCL interpreter at %s (set GC_PCL_INTERPRETER)" % INTERPRETER)
        sys.exit(77)
    unittest.main(verbosity=1)
