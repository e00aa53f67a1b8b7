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
from desktop_checks import Desktop, Program, fail, inked, wait_until  # noqa: E402
from Xlib import X, Xatom  # noqa: E402

GREY = (0x80, 0x80, 0x80)
# The today area, in the widget's units: the picture, the temperatures, the rows.
TODAY = (8, 4, 232, 126)
# A part of the five-day panel's first row.
PANEL_ROW = (21, 160, 100, 45)


def luminance(pixel):
    r, g, b = pixel
    return (r * 299 + g * 587 + b * 114) // 1000


def edge_width(rows):
    """The mean width of the edges across the rows: the runs of pixels strictly
    between the dark and light sides of a step (the range of five neighbours is
    large and the pixel lies well inside it). A step drawn at the screen's pixels
    is about one pixel wide, the same step enlarged two or more."""
    runs = 0
    pixels = 0
    for row in rows:
        values = [luminance(pixel) for pixel in row]
        inside = False
        for x in range(2, len(values) - 2):
            near = values[x - 2:x + 3]
            low, high = min(near), max(near)
            span = high - low
            edge = span >= 96 and low + span // 5 < values[x] < high - span // 5
            pixels += edge
            runs += edge and not inside
            inside = edge
    return pixels / runs if runs else 0.0


def enlarged(rows):
    """Each pixel as a 2 x 2 block."""
    out = []
    for row in rows:
        wide = [pixel for pixel in row for _ in (0, 1)]
        out.append(wide)
        out.append(wide)
    return out


def area(desktop, window, scale, rect):
    left, top = desktop.place(window)
    x, y, width, height = rect
    return desktop.pixels(left + x * scale, top + y * scale, width * scale, height * scale)


def popup_menus(desktop):
    menu_type = desktop.atom("_NET_WM_WINDOW_TYPE_POPUP_MENU")
    found = []
    for child in desktop.root.query_tree().children:
        try:
            if child.get_attributes().map_state != X.IsViewable:
                continue
            kind = child.get_full_property(desktop.atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM)
        except Exception:
            continue
        if kind and menu_type in kind.value:
            found.append(child)
    return found


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
    os.system("xdotool mousemove %d %d click 3" % (x, y))
    menus = wait_until(lambda: popup_menus(desktop), 10)
    if not menus:
        fail("%s: a right click on the widget opened no menu" % what)
    mx, my = desktop.place(menus[0])
    if abs(mx - x) > 12 * scale or abs(my - y) > 12 * scale:
        fail("%s: the menu opened at (%d, %d), not at the click (%d, %d)" % (what, mx, my, x, y))
    os.system("xdotool key Escape")
    if not wait_until(lambda: not popup_menus(desktop), 10):
        fail("%s: the menu stays open after Escape" % what)
    # The menu lay over the panel's place; the screen shows it gone a moment later.
    if not wait_until(lambda: not inked(area(desktop, window, scale, PANEL_ROW), GREY), 10):
        fail("%s: the five-day panel shows before the double click" % what)
    os.system("xdotool mousemove %d %d click --repeat 2 --delay 80 1" % (x, y))
    if not wait_until(lambda: inked(area(desktop, window, scale, PANEL_ROW), GREY), 10):
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
            if not wait_until(lambda: inked(area(desktop, window, scale, (30, 30, 120, 70)), GREY), 20):
                fail("the widget at scale %d does not show its picture" % scale)
        # The entrance animations end within a second or two.
        wait_until(lambda: False, 3)

        single_rows = area(desktop, single_window, 1, TODAY)
        single_edges = edge_width(single_rows)
        enlarged_edges = edge_width(enlarged(single_rows))
        dense_edges = edge_width(area(desktop, dense_window, 2, TODAY))
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
