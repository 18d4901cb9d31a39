"""What the end-to-end tests share: where the binaries and fonts are, the
escape bytes, and emulated printers that stop by themselves."""
import subprocess
import sys
import time
from pathlib import Path

# Each test script is started as: python3 script.py BIN_DIR [more args]
BIN = Path(sys.argv.pop(1))
SOURCE = Path(__file__).resolve().parents[2]
SAMPLES = SOURCE / "samples"
DEJAVU = Path("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
IPAGOTHIC = Path("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf")
DROID = Path("/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf")
ESC = b"\x1b"
UEL = ESC + b"%-12345X"


class Printers:
    """COUNT emulated printers in one printer-emulator process, each with its
    own disk; the process ends by itself after TIMEOUT seconds."""

    def __init__(self, work, name, count=1, *extra, timeout=60):
        self.root = Path(work) / name
        self.log = Path(work) / (name + ".log")
        ports = Path(work) / (name + ".ports")
        self.proc = subprocess.Popen(
            [str(BIN / "printer-emulator"), "--root", str(self.root), "--printers", str(count),
             "--port", "0", "--port-file", str(ports), "--log", str(self.log),
             "--timeout", str(timeout), *extra], stdout=subprocess.DEVNULL)
        for _ in range(500):
            if ports.exists() and len(ports.read_text().split()) == count:
                break
            time.sleep(0.01)
        lines = ports.read_text().split()
        self.addresses = lines if count > 1 else ["127.0.0.1:" + lines[0]]
        self.address = self.addresses[0]
        self.count = count

    def args(self):
        return [arg for a in self.addresses for arg in ("--printer", a)]

    def disk(self, i=0):
        return self.root / ("p%03d" % i) if self.count > 1 else self.root

    def stored(self, kind, name, i=0):
        return (self.disk(i) / "0" / "pcl" / kind / name).read_bytes()

    def events(self):
        return self.log.read_text().splitlines() if self.log.exists() else []

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
        return self.proc.wait(timeout=10)


def glyphcast(*args, timeout=120, **kwargs):
    return subprocess.run([str(BIN / "glyphcast"), *map(str, args)], capture_output=True,
                          timeout=timeout, **kwargs)
