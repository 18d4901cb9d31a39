#!/usr/bin/env python3
"""Checks that a Windows deliverable imports only what its target systems have.

Usage: check_imports.py OBJDUMP BINARY LIST [LIST...]

Every import that `objdump -p` lists (DLL and function, or ordinal) must be
on each LIST given: one file per family of target systems. A list line is
"dll function [x64] documented minimum"; [x64] marks functions that only the
64-bit systems have, which a 32-bit binary may not import. Exit status 1
names the binary and each import that a list lacks.
"""
import os
import re
import subprocess
import sys


def read_list(path):
    allowed = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            parts = line.split(None, 2)
            if len(parts) < 3:
                sys.exit(f"{path}:{number}: want 'dll function minimum'")
            dll, function, rest = parts
            allowed[(dll.lower(), function)] = rest.startswith("[x64]")
    return allowed


def imports(objdump, binary):
    text = subprocess.run([objdump, "-p", binary], check=True, capture_output=True,
                          text=True).stdout
    found, dll, inside = [], None, False
    for line in text.splitlines():
        if line.startswith("The Import Tables"):
            inside = True
            continue
        if inside and line[:1].isalpha():  # the next part of the dump
            break
        if not inside:
            continue
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            continue
        # "\t<vma>\t <hint>  <name>"; an import by ordinal has no name
        m = re.match(r"\t[0-9a-f]+\s+(\d+)(?:\s+(\S+))?\s*$", line)
        if m and dll:
            found.append((dll, m.group(2) or "#" + m.group(1)))
    return found, "pei-x86-64" in text


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    objdump, binary, lists = sys.argv[1], sys.argv[2], sys.argv[3:]
    found, wide = imports(objdump, binary)
    name = os.path.basename(binary)
    failures = 0
    for path in lists:
        allowed = read_list(path)
        family = os.path.splitext(os.path.basename(path))[0]
        for dll, function in found:
            key = (dll, function)
            if key not in allowed:
                print(f"{name}: imports {dll}!{function}, which is not on the {family} list")
                failures += 1
            elif allowed[key] and not wide:
                print(f"{name}: imports {dll}!{function}, which only 64-bit systems have")
                failures += 1
    print(f"{name}: {len(found)} imports, {failures} outside "
          + ", ".join(os.path.basename(p) for p in lists))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
