#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The widget on a desktop without a compositing manager (with-desktop.sh
--no-compositor): the root has a background picture, blue on the left half and
brown on the right, and the widget at (500, 300) lies across both. Without a
compositor its window must show the picture (never black) around its painted
pixels; a compositor started later makes it blend per pixel without a restart,
with the painted pixels as they were; when the compositor goes it is cut again.

Usage (on a private desktop without a compositor): desktop-no-compositor.py PROGRAM
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_checks import Desktop, Program, at_rest, fail, inked, near, wait_until  # noqa: E402

BLUE = (0x30, 0x70, 0xA0)
BROWN = (0xA0, 0x60, 0x30)
TOOL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "desktop-tool.py")


def background_at(x):
    return BLUE if x < 640 else BROWN


def cut_fault(desktop, window, what):
    """The screen's pixels over the window, and what is wrong with them: the
    root's picture not showing where the window has not painted, or black."""
    left, top = desktop.place(window)
    width = 635
    height = min(866, desktop.size()[1] - top)
    rows = desktop.pixels(left, top, width, height)
    for x, y in ((60, 600), (400, 300), (600, 650), (200, 700)):
        if not near(rows[y][x], background_at(left + x), 4):
            return rows, ("%s: at (%d, %d) of the window the screen shows %s, not the desktop's %s"
                          % (what, x, y, rows[y][x], background_at(left + x)))
    # The texts' dark halo is painted black on purpose; it hugs their light ink.
    # A black pixel with no ink beside it is the window showing nothing.
    stray = [(x, y) for y, row in enumerate(rows) for x, pixel in enumerate(row)
             if max(pixel) < 16 and not beside_ink(rows, x, y, left)]
    if stray:
        return rows, ("%s: %d black pixels in the window away from any text, the first at %s"
                      % (what, len(stray), stray[0]))
    return rows, None


def check_cut(desktop, window, what, timeout=10):
    """The window's pixels once it shows the root's picture where it has not
    painted, and no black (the screen may take a moment to show a change)."""
    last = [None]

    def shown():
        rows, last[0] = cut_fault(desktop, window, what)
        return rows if last[0] is None else None
    rows = wait_until(shown, timeout)
    if rows is None:
        fail(last[0])
    return rows


def beside_ink(rows, x, y, left, reach=3):
    for ny in range(max(0, y - reach), min(len(rows), y + reach + 1)):
        row = rows[ny]
        for nx in range(max(0, x - reach), min(len(row), x + reach + 1)):
            pixel = row[nx]
            if max(pixel) > 96 and not near(pixel, background_at(left + nx), 24):
                return True
    return False


def widget_painted(desktop, window):
    left, top = desktop.place(window)
    return inked(desktop.pixels(left + 30, top + 30, 120, 70), BLUE) and inked(desktop.pixels(left + 144, top + 69, 56, 32), BROWN)


def main():
    binary = sys.argv[1]
    subprocess.run([TOOL, "root-picture", "3070a0", "a06030"], check=True)
    desktop = Desktop()
    program = Program(binary)
    compositor = None
    try:
        window = desktop.widget(program.process.pid)
        if window is None:
            fail("the widget did not appear:\n" + program.output())
        if not wait_until(lambda: widget_painted(desktop, window), 20):
            fail("the widget's picture and temperature do not show")
        # Compared once the entrance animations have ended.
        left, top = desktop.place(window)
        if not at_rest(lambda: desktop.pixels(left, top, 320, 200), 20):
            fail("the widget's picture does not come to rest")
        cut = check_cut(desktop, window, "without a compositor")
        if len(desktop.bounding_rectangles(window)) < 2:
            fail("without a compositor the window is not cut to its painted pixels")

        compositor = subprocess.Popen(["xcompmgr"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([TOOL, "wait-owner", "_NET_WM_CM_S0", "15"], check=True)
        geometry = window.get_geometry()
        whole = [(0, 0, geometry.width, geometry.height)]
        if not wait_until(lambda: desktop.bounding_rectangles(window) == whole, 10):
            fail("with a compositor the window is still cut: %d rectangles" % len(desktop.bounding_rectangles(window)))
        # Blended per pixel: the unpainted parts show the root through the window.
        if not wait_until(lambda: widget_painted(desktop, window), 10):
            fail("with a compositor the widget does not show")
        blended = check_cut(desktop, window, "with a compositor")
        # The painted pixels are as without the compositor; only pixels fainter
        # than the cut (soft shadows) may differ.
        differing = sum(1 for a, b in zip(cut, blended) for p, q in zip(a, b) if not near(p, q, 24))
        if differing > 2000:
            fail("%d pixels differ between the cut window and the blended one" % differing)

        compositor.terminate()
        compositor.wait()
        compositor = None
        if not wait_until(lambda: len(desktop.bounding_rectangles(window)) > 1, 10):
            fail("when the compositor goes the window is not cut again")
        check_cut(desktop, window, "after the compositor went")
        if program.process.poll() is not None:
            fail("the program ended:\n" + program.output())
    finally:
        if compositor:
            compositor.kill()
            compositor.wait()
        program.close()
    print("no compositor: the desktop's picture around the painted pixels, blended once a compositor runs,"
          " cut again when it goes (%d pixels differ)" % differing)


if __name__ == "__main__":
    main()
