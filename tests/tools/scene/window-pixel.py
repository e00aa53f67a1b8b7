#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the red level of one pixel of an X window (a 1 × 1 image straight from the X
server, so that repeated reads are quick enough to time an animation).

  window-pixel.py level WINDOW X Y
      prints the level once.
  window-pixel.py hover WINDOW X Y SCREEN_X SCREEN_Y MIN_LEVEL LIMIT_MS
      moves the pointer to (SCREEN_X, SCREEN_Y) and reads the pixel until its level is at
      least MIN_LEVEL; prints the time from before the move to the end of the read that
      showed it (an upper bound), and fails when that is over LIMIT_MS.
"""
import ctypes
import subprocess
import sys
import time

x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                          ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x11.XDestroyImage.argtypes = [ctypes.c_void_p]
ALL_PLANES = (1 << 64) - 1
Z_PIXMAP = 2
display = x11.XOpenDisplay(None)
if not display:
    raise SystemExit("cannot open the display")


def red_level(window, x, y):
    image = x11.XGetImage(display, int(window), x, y, 1, 1, ALL_PLANES, Z_PIXMAP)
    if not image:
        raise SystemExit(f"cannot read window {window}")
    pixel = x11.XGetPixel(image, 0, 0)
    x11.XDestroyImage(image)
    return (pixel >> 16) & 0xFF


def main(args):
    mode, window, x, y = args[0], args[1], int(args[2]), int(args[3])
    if mode == "level":
        print(red_level(window, x, y))
        return 0
    screen_x, screen_y, min_level, limit_ms = args[4], args[5], int(args[6]), int(args[7])
    start = time.monotonic()
    subprocess.run(["xdotool", "mousemove", screen_x, screen_y], check=True)
    while True:
        level = red_level(window, x, y)
        elapsed_ms = (time.monotonic() - start) * 1000
        if level >= min_level:
            print(f"hover colour (level {level}) read {elapsed_ms:.0f} ms after the move began")
            return 0 if elapsed_ms <= limit_ms else 1
        if elapsed_ms > limit_ms:
            print(f"no hover colour within {limit_ms} ms (level {level})")
            return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
