#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The widget on a screen of twice the density (with-desktop.sh --screen
2560x1600, the program run with GDK_SCALE=2), beside one at scale 1 on the same
desktop: its window is 1270 x 1732 screen pixels, its icon comes at 48 and 96
pixels, its texts and pictures are drawn at those pixels (their edges as narrow
as at scale 1, where an enlarged 1x picture has edges twice as wide), and clicks
land where they land at scale 1:
the right button opens the menu at the pointer, a double click opens the
five-day panel.

Usage (on a private desktop of 2560 x 1600): desktop-hidpi.py PROGRAM
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_checks import Desktop, Program, at_rest, edge_width, enlarged, fail, inked, wait_until  # noqa: E402
from Xlib import Xatom  # noqa: E402

GREY = (0x80, 0x80, 0x80)
# The today area, in the widget's units: the picture, the temperatures, the rows.
TODAY = (8, 4, 232, 126)
# A part of the five-day panel's first row.
PANEL_ROW = (21, 160, 100, 45)


def icon_sizes(desktop, window):
    """The sizes _NET_WM_ICON carries: width, height, then the pixels, for each."""
    icon = window.get_full_property(desktop.atom("_NET_WM_ICON"), Xatom.CARDINAL)
    values = list(icon.value) if icon else []
    sizes = []
    while len(values) >= 2 and values[0] * values[1] + 2 <= len(values):
        sizes.append((values[0], values[1]))
        values = values[2 + values[0] * values[1]:]
    return sizes


def check_clicks(desktop, window, scale, what):
    """A right click at (60, 60) opens the menu there; a double click there opens the panel."""
    left, top = desktop.place(window)
    x, y = left + 60 * scale, top + 60 * scale
    desktop.check_menu_at(x, y, 12 * scale, what)
    # The menu lay over the panel's place; the screen shows it gone a moment later.
    if not wait_until(lambda: not inked(desktop.area(window, scale, PANEL_ROW), GREY), 10):
        fail("%s: the five-day panel shows before the double click" % what)
    os.system("xdotool mousemove %d %d click --repeat 2 --delay 80 1" % (x, y))
    if not wait_until(lambda: inked(desktop.area(window, scale, PANEL_ROW), GREY), 10):
        fail("%s: a double click on the widget did not open the five-day panel" % what)


def main():
    binary = sys.argv[1]
    desktop = Desktop()
    # showMore=1: the panel opens on a double click only, not on entering.
    dense = Program(binary, settings={"formLeft": 60, "formTop": 40, "showMore": 1}, environment={"GDK_SCALE": "2"})
    single = Program(binary, settings={"formLeft": 1700, "formTop": 80, "showMore": 1}, environment={"GDK_SCALE": "1"})
    try:
        dense_window = desktop.widget(dense.process.pid, scale=2)
        if dense_window is None:
            sizes = [(w.get_geometry().width, w.get_geometry().height) for w in desktop.windows_of(dense.process.pid)]
            fail("at GDK_SCALE=2 no window of 1270 x 1732 appeared (windows: %s):\n%s" % (sizes, dense.output()))
        single_window = desktop.widget(single.process.pid)
        if single_window is None:
            fail("at GDK_SCALE=1 the widget did not appear:\n" + single.output())
        if not {(48, 48), (96, 96)} <= set(icon_sizes(desktop, dense_window)):
            fail("the window's icon is not there at 48 and 96 pixels: %s" % icon_sizes(desktop, dense_window))
        for window, scale in ((dense_window, 2), (single_window, 1)):
            if not wait_until(lambda: inked(desktop.area(window, scale, (30, 30, 120, 70)), GREY), 20):
                fail("the widget at scale %d does not show its picture" % scale)
        # Measured once the entrance animations have ended.
        single_rows = at_rest(lambda: desktop.area(single_window, 1, TODAY), 20)
        dense_rows = at_rest(lambda: desktop.area(dense_window, 2, TODAY), 20)
        if not single_rows or not dense_rows:
            fail("the widget's today area does not come to rest")
        single_edges = edge_width(single_rows)
        enlarged_edges = edge_width(enlarged(single_rows))
        dense_edges = edge_width(dense_rows)
        if not 0 < single_edges < 1.5 or enlarged_edges < 1.8:
            fail("the widget at scale 1 shows no sharp edges to compare (%.2f, enlarged %.2f)" % (single_edges, enlarged_edges))
        if not 0 < dense_edges < single_edges + 0.3:
            fail("at scale 2 the today area's edges are %.2f pixels wide, at scale 1 %.2f (enlarged %.2f): it is"
                 " enlarged, not drawn sharp" % (dense_edges, single_edges, enlarged_edges))

        check_clicks(desktop, single_window, 1, "at scale 1")
        check_clicks(desktop, dense_window, 2, "at scale 2")
        for program in (dense, single):
            if program.process.poll() is not None:
                fail("the program ended:\n" + program.output())
    finally:
        dense.close()
        single.close()
    print("GDK_SCALE=2: a window of 1270 x 1732; edges %.2f pixels wide (at scale 1 %.2f, enlarged %.2f); the menu"
          " and the double click land as at scale 1" % (dense_edges, single_edges, enlarged_edges))


if __name__ == "__main__":
    main()
