#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the stored form of a path (the value of Data.Path in a scene's text form) for
a path given as M, L, C and Z commands with absolute coordinates, for instance
    ./path-data.py "M 1 0 L 1 1 L 0 0.5 L 1 0 Z"
The stored form: a 32-bit count, then per point a 32-bit kind (0 move, 1 line, 2 curve
point, 3 close) and two 32-bit floats, all little-endian."""
import re
import struct
import sys

KINDS = {"M": 0, "L": 1, "C": 2, "Z": 3}
ARITY = {"M": 1, "L": 1, "C": 3, "Z": 0}


def points(text):
    tokens = re.findall(r"[MLCZ]|-?[0-9.]+", text)
    out = []
    i = 0
    while i < len(tokens):
        command = tokens[i]
        i += 1
        if command not in KINDS:
            sys.exit("unexpected " + command)
        if command == "Z":
            out.append((3, 0.0, 0.0))
            continue
        for _ in range(ARITY[command]):
            out.append((KINDS[command], float(tokens[i]), float(tokens[i + 1])))
            i += 2
    return out


def main():
    data = struct.pack("<I", len(pts := points(" ".join(sys.argv[1:]))))
    for kind, x, y in pts:
        data += struct.pack("<Iff", kind, x, y)
    hexa = data.hex().upper()
    print("{")
    for start in range(0, len(hexa), 64):
        print("  " + hexa[start:start + 64])
    print("}")


main()
