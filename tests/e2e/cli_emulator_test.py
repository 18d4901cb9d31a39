#!/usr/bin/python3
"""glyphcast against printer emulators on 127.0.0.1: what the printers store,
the order of printers, and the one message for a failure."""
import json
import subprocess
import tempfile
import unittest
from pathlib import Path

from support import BIN, ESC, SAMPLES, UEL, Printers, glyphcast


class CliAgainstEmulator(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="gc-e2e-")
        self.emulators = []

    def tearDown(self):
        for e in self.emulators:
            e.stop()

    def emulator(self, name, *extra):
        e = Printers(self.work, name, 1, "--idle", "10", *extra, timeout=30)
        self.emulators.append(e)
        return e

    def test_three_printers_store_exactly_the_items(self):
        printers = [self.emulator("p%d" % i) for i in range(3)]
        font = (SAMPLES / "sample.sfp").read_bytes()
        macro = (SAMPLES / "logo.pcl").read_bytes()
        args = []
        for p in printers:
            args += ["--printer", p.address]
        r = glyphcast("download", *args, SAMPLES / "sample.sfp", SAMPLES / "logo.pcl")
        self.assertEqual(r.returncode, 0, r.stderr)
        for p in printers:
            p.stop()
            # A pure font is stored as its own bytes between our font ID and make-permanent.
            self.assertEqual(p.stored("fonts", "sample"), ESC + b"*c0D" + font + ESC + b"*c5F")
            self.assertEqual(p.stored("macros", "logo"), ESC + b"&f0y0X" + macro + ESC + b"&f1X")
            self.assertFalse([e for e in p.events() if e.startswith(("BADSIZE", "NODIR"))])

    def test_export_writes_the_stream_a_printer_receives(self):
        out = Path(self.work) / "out.prn"
        r = glyphcast("export", "-o", out, "--id", "12", SAMPLES / "logo.pcl")
        self.assertEqual(r.returncode, 0, r.stderr)
        macro = (SAMPLES / "logo.pcl").read_bytes()
        payload = ESC + b"&f12y0X" + macro + ESC + b"&f1X"
        expected = (UEL + b"@PJL\r\n" + b'@PJL FSMKDIR NAME="0:\\pcl"\r\n'
                    + b'@PJL FSMKDIR NAME="0:\\pcl\\macros"\r\n'
                    + b'@PJL FSDOWNLOAD FORMAT:BINARY SIZE=%d NAME="0:\\pcl\\macros\\logo"\r\n'
                    % len(payload) + payload + UEL)
        self.assertEqual(out.read_bytes(), expected)
        r = glyphcast("inspect", out)
        self.assertEqual(r.returncode, 0)
        self.assertIn(b"every FSDOWNLOAD SIZE is exact", r.stdout)

    def test_setting_file_round_trip(self):
        lst = Path(self.work) / "items.lst"
        r = glyphcast("list-save", "-o", lst, SAMPLES / "sample.sfp", SAMPLES / "logo.pcl")
        self.assertEqual(r.returncode, 0, r.stderr)
        lines = lst.read_bytes().split(b"\n")
        self.assertEqual(lines[0], str(SAMPLES).encode())
        self.assertEqual(lines[1], b"sample,0,2," + str(SAMPLES / "sample.sfp").encode())
        self.assertEqual(lines[2], b"logo,0,0," + str(SAMPLES / "logo.pcl").encode())
        direct, listed = Path(self.work) / "direct.prn", Path(self.work) / "listed.prn"
        self.assertEqual(glyphcast("export", "-o", direct, SAMPLES / "sample.sfp",
                                   SAMPLES / "logo.pcl").returncode, 0)
        self.assertEqual(glyphcast("export", "-o", listed, "--list", lst).returncode, 0)
        self.assertEqual(direct.read_bytes(), listed.read_bytes())
        lst.write_bytes(lines[0] + b"\nlogo,007,0,x\n")
        r = glyphcast("export", "-o", listed, "--list", lst)
        self.assertEqual(r.stderr, b"glyphcast: It is not a resource setting file.\n")

    def test_font_sample_page_follows_the_font(self):
        p = self.emulator("sample")
        r = glyphcast("download", "--printer", p.address, "--sample", "16", SAMPLES / "sample.sfp")
        self.assertEqual(r.returncode, 0, r.stderr)
        p.stop()
        page = next((p.root / "jobs").iterdir()).read_bytes()
        # The page selects the new font by its symbol set and attributes, then lists the item.
        self.assertTrue(page.startswith(ESC + b"E" + ESC + b"(8U" + ESC + b"(s"), page[:40])
        self.assertIn(b"SAMPLE File:sample", page)
        for bad in ("007", "1.5", "101", "-1"):
            r = glyphcast("download", "--printer", p.address, "--sample", bad, SAMPLES / "sample.sfp")
            self.assertEqual(r.returncode, 1)
            self.assertIn(b"Specify the number of characters per line", r.stderr)

    def test_truetype_font_is_stored_as_exported(self):
        font = BIN.parent / "test-fonts" / "regular.ttf"
        prn = Path(self.work) / "tt.prn"
        self.assertEqual(glyphcast("export", "-o", prn, font).returncode, 0)
        p = self.emulator("tt")
        r = glyphcast("download", "--printer", p.address, "--sample", "16", font)
        self.assertEqual(r.returncode, 0, r.stderr)
        p.stop()
        stream = prn.read_bytes()
        payload = stream[stream.index(b"\r\n", stream.index(b"FSDOWNLOAD")) + 2:-len(UEL)]
        self.assertEqual(p.stored("fonts", "regular"), payload)
        page = next((p.root / "jobs").iterdir()).read_bytes()
        self.assertTrue(page.startswith(ESC + b"E"), page[:40])
        self.assertIn(b"File:regular", page)
        # Unbound scalable, proportional: by height, with the typeface of "abc".
        self.assertIn(ESC + b"(8U" + ESC + b"(s1p10.00v0s0b61753T", page)

    def test_refused_printer_stops_starting_others(self):
        # One printer at a time: the failure stops the printers after it.
        first, refused, third = (self.emulator("a"), self.emulator("b", "--fault", "refuse"),
                                 self.emulator("c"))
        report = Path(self.work) / "report.json"
        r = glyphcast("download", "--jobs", "1", "--report", report, "--printer", first.address,
                      "--printer", refused.address, "--printer", third.address,
                      SAMPLES / "logo.pcl")
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"glyphcast: %s: cannot connect" % refused.address.encode(), r.stderr)
        first.stop()
        third.stop()
        self.assertTrue(any(e.startswith("STORED") for e in first.events()))
        self.assertFalse(any(e.startswith("CONNECT") for e in third.events()))
        results = json.loads(report.read_text())
        self.assertEqual([(p["printer"], p["ok"]) for p in results],
                         [(first.address, True), (refused.address, False),
                          (third.address, False)])
        self.assertEqual(results[2]["message"], "not started: an earlier printer failed")

    def test_delete_all_and_test_macro(self):
        p = self.emulator("d")
        self.assertEqual(glyphcast("download", "--printer", p.address, SAMPLES / "logo.pcl")
                         .returncode, 0)
        self.assertEqual(glyphcast("delete-all", "--printer", p.address).returncode, 0)
        self.assertEqual(glyphcast("test-macro", "--printer", p.address, "12").returncode, 0)
        p.stop()
        self.assertFalse((p.root / "0" / "pcl" / "macros" / "logo").exists())
        jobs = sorted((p.root / "jobs").iterdir())
        self.assertEqual(jobs[0].read_bytes(), ESC + b"*c0F" + ESC + b"&f6X")
        self.assertEqual(jobs[1].read_bytes(), ESC + b"&f12Y" + ESC + b"&f2X")

    def test_bad_items_are_refused_with_the_program_messages(self):
        cases = [
            (["--name", "my font"], b"For a Download name, you can use the following characters"),
            (["--name", ""], b"Enter a Download name"),
            (["--id", "007"], b"Specify a Control ID by an integer between 0 and 32767."),
            (["--id", "32768"], b"Specify a Control ID by an integer between 0 and 32767."),
            (["--name", "x" * 101], "100 文字以内で入力してください。".encode()),
            (["--type", "font"], b"is not a font file"),
        ]
        out = Path(self.work) / "never.prn"
        for extra, message in cases:
            r = glyphcast("export", "-o", out, *extra, SAMPLES / "logo.pcl")
            self.assertEqual(r.returncode, 1, extra)
            self.assertIn(message, r.stderr, extra)
            self.assertFalse(out.exists(), extra)

    def test_export_whose_second_item_fails_leaves_no_file(self):
        out = Path(self.work) / "partial.prn"
        empty = Path(self.work) / "empty.pcl"  # a macro of 0 bytes cannot be sent
        empty.write_bytes(b"")
        # Only a setting file can still name it: adding it is refused.
        lst = Path(self.work) / "partial.lst"
        self.assertEqual(glyphcast("list-save", "-o", lst, SAMPLES / "logo.pcl").returncode, 0)
        lst.write_bytes(lst.read_bytes().rstrip(b"\r\n") + b"\nempty,1,0," + bytes(empty) + b"\n")
        r = glyphcast("export", "-o", out, "--list", lst)
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stderr, b"glyphcast: File write failure.\n")
        self.assertFalse(out.exists())

    def test_ctrl_c_aborts_a_stalled_printer(self):
        import signal
        import time
        stalled = self.emulator("s", "--fault", "stall")
        big = Path(self.work) / "big.prn"
        big.write_bytes(b"\x1bE" + bytes(range(256)) * (64 * 1024))  # 16 MiB of job data
        proc = subprocess.Popen([str(BIN / "glyphcast"), "send-file", "--printer",
                                 stalled.address, str(big)], stderr=subprocess.PIPE)
        time.sleep(1.5)  # the peer's window fills long before this
        start = time.monotonic()
        proc.send_signal(signal.SIGINT)
        _, err = proc.communicate(timeout=20)
        elapsed = time.monotonic() - start
        self.assertEqual(proc.returncode, 3, err)
        self.assertIn(b"aborted: the printer had stopped taking data", err)
        self.assertLess(elapsed, 3.0)  # two ticks and a 200 ms wait, with a generous bound


if __name__ == "__main__":
    unittest.main(verbosity=2)
