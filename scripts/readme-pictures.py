#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the README's pictures of the widget: for a light and a dark desktop, the
widget with its five-day panel closed and open, side by side, from the demo service.

Usage: scripts/readme-pictures.py [PROGRAM]   (default build/app/nimbrell)
Writes docs/widget-light.png and docs/widget-dark.png.
"""

import os
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# What the widget paints at scale 1, with the panel open, and a margin.
CROP = (0, 0, 250, 484)
GAP = 16
DESKTOPS = {"light": "#F4F4F2", "dark": "#2B3340"}


def read_png(path):
    data = open(path, "rb").read()
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
    if depth != 8 or colour not in (2, 6):
        raise SystemExit("%s: not an 8-bit RGB(A) picture" % path)
    step = 4 if colour == 6 else 3
    raw, stride, rows, previous, i = zlib.decompress(idat), width * step, [], bytearray(width * step), 0
    for _ in range(height):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - step] if x >= step else 0
            b = previous[x]
            c = previous[x - step] if x >= step else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([bytes(line[x:x + 3]) for x in range(0, stride, step)])
        previous = line
    return rows


def write_png(path, rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + b"".join(row) for row in rows)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def render(program, folder, background, panel):
    picture = os.path.join(folder, "widget.png")
    environment = dict(os.environ, XDG_CONFIG_HOME=folder + "/config", XDG_CACHE_HOME=folder + "/cache")
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "TEMP"):
        environment.pop(name, None)
    command = [program, "--demo", "--render", picture, "--background", background] + (["--panel"] if panel else [])
    subprocess.run(command, env=environment, check=True, stderr=subprocess.DEVNULL)
    left, top, right, bottom = CROP
    return [row[left:right] for row in read_png(picture)[top:bottom]]


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/app/nimbrell")
    for name, background in DESKTOPS.items():
        with tempfile.TemporaryDirectory() as folder:
            closed = render(program, folder, background, False)
            opened = render(program, folder, background, True)
        fill = bytes(int(background[i:i + 2], 16) for i in (1, 3, 5))
        rows = [closed[y] + [fill] * GAP + opened[y] for y in range(len(closed))]
        write_png(os.path.join(ROOT, "docs", "widget-%s.png" % name), rows)
        print("docs/widget-%s.png" % name)


if __name__ == "__main__":
    main()
