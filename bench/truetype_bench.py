#!/usr/bin/python3
"""Converting a large TrueType font to a .prn file with glyphcast, against cp
of a file of the output's size: best wall time of several runs and peak
resident memory. It reports; it never fails on a figure. Needs GNU time
(Debian package time).

usage: bench/truetype_bench.py BIN_DIR [FONT] [RUNS]"""
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

DEFAULT_FONT = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"


def measure(command, runs):
    """Best wall time and peak RSS (KiB) of `command` over `runs` runs. GNU time
    starts it, so the peak is the command's own and not this interpreter's."""
    best, peak = None, 0
    for _ in range(runs):
        start = time.perf_counter()
        done = subprocess.run(["/usr/bin/time", "-f", "%M", *command], capture_output=True)
        elapsed = time.perf_counter() - start
        if done.returncode != 0:
            sys.exit("failed: " + " ".join(command))
        best = elapsed if best is None else min(best, elapsed)
        peak = max(peak, int(done.stderr.split()[-1]))
    return best, peak


def main():
    bin_dir = Path(sys.argv[1])
    font = Path(sys.argv[2] if len(sys.argv) > 2 else DEFAULT_FONT)
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    with tempfile.TemporaryDirectory() as work:
        out = Path(work) / "font.prn"
        convert = [str(bin_dir / "glyphcast"), "export", "-o", str(out), str(font)]
        convert_time, convert_rss = measure(convert, runs)
        size = out.stat().st_size
        same_size = Path(work) / "same-size"
        same_size.write_bytes(os.urandom(size))
        copy_time, copy_rss = measure(["/bin/cp", str(same_size), str(Path(work) / "copy")], runs)
    print(f"{font.name}: {font.stat().st_size} bytes in, {size} bytes out, best of {runs}")
    print(f"  glyphcast export  {convert_time * 1000:8.1f} ms  peak RSS {convert_rss / 1024:6.1f} MiB")
    print(f"  cp (same size)    {copy_time * 1000:8.1f} ms  peak RSS {copy_rss / 1024:6.1f} MiB")


if __name__ == "__main__":
    main()
