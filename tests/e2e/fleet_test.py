#!/usr/bin/python3
"""glyphcast's printer commands over fleets of emulated printers (several in one
printer-emulator process): parallel downloads with a result per printer,
read-back of what each printer holds, verification, single deletes, printers
without a disk or that store short, failures and Ctrl-C. Every emulator stops
by itself."""
import json
import signal
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from support import BIN, ESC, SAMPLES, Printers, glyphcast


class Fleet(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="gc-fleet-")
        self.running = []

    def tearDown(self):
        for p in self.running:
            p.stop()

    def printers(self, name, count, *extra):
        p = Printers(self.work, name, count, *extra)
        self.running.append(p)
        return p

    def macro(self, size, name="big.pcl"):
        path = Path(self.work) / name
        path.write_bytes(ESC + b"E" + bytes(range(256)) * (size // 256))
        return path

    def test_parallel_download_stores_the_same_bytes_everywhere(self):
        # Throttled printers overlap only if the fleet serves them at once.
        fleet = self.printers("fleet", 6, "--rate", "200000")
        macro = self.macro(120 * 1024)
        report = Path(self.work) / "report.json"
        r = glyphcast("download", "--jobs", "3", "--report", report, *fleet.args(),
                      SAMPLES / "sample.sfp", macro)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn(b"6 printers: 6 done, 0 failed, 0 not started", r.stderr)
        results = json.loads(report.read_text())
        self.assertEqual([p["printer"] for p in results], fleet.addresses)
        self.assertTrue(all(p["ok"] and p["message"] == "" and p["bytes"] > 120 * 1024
                            for p in results))
        fleet.stop()
        stored = {fleet.disk(i).joinpath("0/pcl/macros/big").read_bytes() for i in range(6)}
        self.assertEqual(stored, {ESC + b"&f0y0X" + macro.read_bytes() + ESC + b"&f1X"})
        # At most three connections at once, and three at some moment.
        open_now = most = 0
        for line in fleet.log.read_text().splitlines():
            event = line.split(" ", 2)[1] if line.startswith("p0") else ""
            open_now += event == "CONNECT"
            open_now -= event == "CLOSE"
            most = max(most, open_now)
        self.assertEqual(most, 3)

    def test_keep_going_tries_every_printer(self):
        good = self.printers("good", 2)
        refused = self.printers("refused", 1, "--fault", "refuse")
        report = Path(self.work) / "report.json"
        args = ["--printer", good.addresses[0], "--printer", refused.addresses[0],
                "--printer", good.addresses[1]]
        r = glyphcast("download", "--jobs", "1", "--keep-going", "--report", report, *args,
                      SAMPLES / "logo.pcl")
        self.assertEqual(r.returncode, 1)
        results = json.loads(report.read_text())
        self.assertEqual([p["ok"] for p in results], [True, False, True])
        self.assertTrue(results[1]["message"].startswith("cannot connect"))
        self.assertEqual(r.stderr.count(b"glyphcast: "), 1)  # one line for the one failure

    def test_stored_verify_and_delete(self):
        fleet = self.printers("disk", 2, "--odd-replies")
        self.assertEqual(glyphcast("download", *fleet.args(), SAMPLES / "sample.sfp",
                                   SAMPLES / "logo.pcl").returncode, 0)
        report = Path(self.work) / "stored.json"
        r = glyphcast("stored", "--report", report, *fleet.args())
        self.assertEqual(r.returncode, 0, r.stderr)
        lines = r.stdout.decode().splitlines()
        self.assertEqual(lines[0].split(), ["PRINTER", "FOLDER", "NAME", "SIZE"])
        self.assertEqual(sorted(l.split()[1:] for l in lines[1:]),
                         sorted([["fonts", "sample", "260"], ["macros", "logo", "46"]] * 2))
        self.assertEqual(json.loads(report.read_text())[0]["files"],
                         [{"folder": "fonts", "name": "sample", "size": 260},
                          {"folder": "macros", "name": "logo", "size": 46}])

        r = glyphcast("verify", *fleet.args(), SAMPLES / "sample.sfp", SAMPLES / "logo.pcl")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual([l.split()[1] for l in r.stdout.decode().splitlines()[1:]], ["yes", "yes"])

        r = glyphcast("delete", "--type", "macro", *fleet.args(), "logo", "absent")
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(sorted(l.split()[1:] for l in r.stdout.decode().splitlines()[1:]),
                         sorted([["logo", "deleted"], ["absent", "not", "there"]] * 2))
        r = glyphcast("verify", *fleet.args(), SAMPLES / "logo.pcl")
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"logo is missing (file not found (FILEERROR=3))", r.stderr)

    def test_printers_without_disk_or_that_store_short(self):
        nodisk = self.printers("nodisk", 1, "--no-disk")
        r = glyphcast("stored", *nodisk.args())
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"no usable disk: volume not available (FILEERROR=1)", r.stderr)
        lossy = self.printers("lossy", 1, "--lossy")
        report = Path(self.work) / "verify.json"
        r = glyphcast("download", "--verify", "--report", report, *lossy.args(),
                      SAMPLES / "logo.pcl")
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"logo is short: 30 of 46 bytes", r.stderr)
        self.assertFalse(json.loads(report.read_text())[0]["verified"])
        # A printer that takes data but never answers PJL.
        silent = self.printers("silent", 1, "--fault", "stall")
        r = glyphcast("stored", "--reply-timeout", "300", *silent.args())
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"no answer to PJL within", r.stderr)

    def test_reset_and_refused_printers_fail_with_their_reason(self):
        reset = self.printers("reset", 1, "--fault", "reset-after=1000")
        r = glyphcast("send-file", *reset.args(), self.macro(2 << 20))
        self.assertEqual(r.returncode, 1)
        self.assertRegex(r.stderr, rb"the connection failed after \d+ bytes|reset the connection")

    def test_ctrl_c_cancels_the_fleet(self):
        stalled = self.printers("stalled", 2, "--fault", "stall")
        big = self.macro(16 << 20)
        proc = subprocess.Popen([str(BIN / "glyphcast"), "send-file", "--jobs", "2",
                                 *stalled.args(), str(big)], stderr=subprocess.PIPE)
        time.sleep(1.5)  # both windows fill long before this
        proc.send_signal(signal.SIGINT)
        _, err = proc.communicate(timeout=20)
        self.assertEqual(proc.returncode, 3, err)
        self.assertEqual(err.count(b"aborted: the printer had stopped taking data"), 2, err)

    def test_usage_errors(self):
        for args in (["stored"], ["download", "--printer", "127.0.0.1", "--jobs", "0", "x"],
                     ["delete", "--printer", "127.0.0.1", "a\\b"],
                     ["delete", "--printer", "127.0.0.1", "--type", "disk", "a"]):
            self.assertEqual(glyphcast(*args).returncode, 2, args)


if __name__ == "__main__":
    unittest.main(verbosity=1)
