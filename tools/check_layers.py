#!/usr/bin/python3
"""Fails on an #include that goes up the engine's layers.

Each source folder is a layer and may include only its own headers and those
of the layers below it (the order in LAYERS, bottom first). The front ends sit
on top and do not include each other; usblib stands alone; the printer
emulator shares nothing with the engine. Unit tests and fuzz targets beside
their code follow their folder's rule and may use tests/support.
Usage: tools/check_layers.py [SOURCE_DIR]"""
import re
import sys
from pathlib import Path

LAYERS = ["resources", "os", "io", "pjl", "pcl", "truetype", "printers", "items", "sample",
          "jobs"]
FRONT_ENDS = {"cli": {"usblib": False}, "app": {"usblib": True}}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def allowed(folder, target, test):
    if target == folder:
        return True
    if target == "tests":
        return test or folder in ("tests", "bench")
    if folder in LAYERS:
        return target in LAYERS and LAYERS.index(target) < LAYERS.index(folder)
    if folder in FRONT_ENDS:
        return target in LAYERS or (target == "usblib" and FRONT_ENDS[folder]["usblib"])
    if folder == "usblib":  # its tests may start threads through the os port
        return test and target == "os"
    if folder == "tools":  # the emulator and the import check: the version header at most
        return target == "resources"
    return True  # tests, bench: anything


def main():
    root = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parents[1])
    problems = []
    for path in sorted(root.rglob("*")):
        if path.suffix not in (".h", ".cpp") or "build" in path.relative_to(root).parts[:1]:
            continue
        rel = path.relative_to(root)
        folder = rel.parts[0]
        test = path.stem.endswith(("_test", "_fuzz")) or folder == "tests"
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match or not (root / match.group(1)).is_dir():
                continue
            if not allowed(folder, match.group(1), test):
                problems.append("%s:%d: %s reaches up into %s/" % (rel, number, folder,
                                                                    match.group(1)))
    for p in problems:
        print(p)
    print("%d include%s against the layers" % (len(problems), "" if len(problems) == 1 else "s"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
