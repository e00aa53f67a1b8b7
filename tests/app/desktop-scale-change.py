#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The desktop's scale changing while the widget runs, as a settings manager
changes it (Gdk/WindowScalingFactor, no GDK_SCALE): at 1 the window is 635 x 866
and drawn sharp; at 2 it becomes 1270 x 1732 screen pixels, its picture twice
the size with edges as narrow as at 1 (drawn at the screen's pixels, not
enlarged), and a right click opens the menu at the pointer; back at 1 it is
635 x 866 and sharp again.

Usage (on a private desktop of 2560 x 1600): desktop-scale-change.py PROGRAM
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_checks import (Desktop, Program, XSettings, at_rest, edge_width, enlarged, fail, inked,  # noqa: E402
                            inked_bounds, wait_until)

GREY = (0x80, 0x80, 0x80)
SCALE = "Gdk/WindowScalingFactor"
# The widget's top in units: the today area and the row below it, all it paints
# while the five-day panel is closed.
TOP = (0, 0, 320, 200)
# The today area: the picture, the temperatures, the rows.
TODAY = (8, 4, 232, 126)


def window_sizes(desktop, program):
    return [(w.get_geometry().width, w.get_geometry().height) for w in desktop.windows_of(program.process.pid)]


def close_to(bounds, expected, tolerance):
    return bounds is not None and all(abs(a - b) <= tolerance for a, b in zip(bounds, expected))


def drawn_at(desktop, program, scale, bounds_at_1, what):
    """The widget's window at the scale, once it shows its picture at that scale
    and at rest: the window and the edge width of its today area."""
    window = desktop.widget(program.process.pid, 10, scale)
    if window is None:
        fail("%s: no window of %d x %d (windows: %s):\n%s"
             % (what, 635 * scale, 866 * scale, window_sizes(desktop, program), program.output()))
    expected = [value * scale for value in bounds_at_1]
    seen = []

    def drawn():
        seen.append(inked_bounds(desktop.area(window, scale, TOP), GREY))
        return close_to(seen[-1], expected, 2 * scale)
    if not wait_until(drawn, 20):
        fail("%s: the picture covers %s, not about %s" % (what, seen[-1], expected))
    rows = at_rest(lambda: desktop.area(window, scale, TOP), 20)
    if not rows or not close_to(inked_bounds(rows, GREY), expected, 2 * scale):
        fail("%s: the picture does not come to rest at its size" % what)
    return window, edge_width(desktop.area(window, scale, TODAY))


def main():
    binary = sys.argv[1]
    # The scale comes from the settings manager alone.
    for name in ("GDK_SCALE", "GDK_DPI_SCALE"):
        os.environ.pop(name, None)
    desktop = Desktop()
    settings = XSettings({SCALE: 1})
    # showMore=1: the five-day panel stays closed.
    program = Program(binary, settings={"formLeft": 60, "formTop": 40, "showMore": 1})
    try:
        window = desktop.widget(program.process.pid)
        if window is None:
            fail("at scale 1 the widget did not appear (windows: %s):\n%s" % (window_sizes(desktop, program),
                                                                              program.output()))
        if not wait_until(lambda: inked(desktop.area(window, 1, TODAY), GREY), 20):
            fail("at scale 1 the widget does not show its picture")
        rows = at_rest(lambda: desktop.area(window, 1, TOP), 20)
        if not rows:
            fail("at scale 1 the widget's picture does not come to rest")
        bounds = inked_bounds(rows, GREY)
        today = desktop.area(window, 1, TODAY)
        edges_1, edges_enlarged = edge_width(today), edge_width(enlarged(today))
        if not 0 < edges_1 < 1.5 or edges_enlarged < 1.8:
            fail("at scale 1 the widget shows no sharp edges (%.2f, enlarged %.2f)" % (edges_1, edges_enlarged))

        settings.put({SCALE: 2})
        window, edges_2 = drawn_at(desktop, program, 2, bounds, "at scale 2")
        if not 0 < edges_2 < edges_1 + 0.3:
            fail("at scale 2 the today area's edges are %.2f pixels wide, at scale 1 %.2f (enlarged %.2f): it is"
                 " enlarged, not drawn sharp" % (edges_2, edges_1, edges_enlarged))
        left, top = desktop.place(window)
        desktop.check_menu_at(left + 60 * 2, top + 60 * 2, 24, "at scale 2")

        settings.put({SCALE: 1})
        window, edges_back = drawn_at(desktop, program, 1, bounds, "back at scale 1")
        if not 0 < edges_back < 1.5:
            fail("back at scale 1 the today area's edges are %.2f pixels wide" % edges_back)
        if program.process.poll() is not None:
            fail("the program ended:\n" + program.output())
    finally:
        program.close()
        settings.close()
    print("scale 1 -> 2 -> 1 at run time: 635 x 866, 1270 x 1732, 635 x 866; edges %.2f, %.2f, %.2f pixels wide"
          " (enlarged %.2f); the menu opens at the pointer at 2" % (edges_1, edges_2, edges_back, edges_enlarged))


if __name__ == "__main__":
    main()
