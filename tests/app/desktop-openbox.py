#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The widget under a real window manager (with-desktop.sh --wm openbox, two
workspaces): a desktop widget, not a normal window. Its window says it is sticky,
kept below, off the task bar and pager, and names itself; it stays shown after a
workspace switch; a normal window opened over it stays above it, also after a
click on the widget.

Usage (on a private desktop with openbox): desktop-openbox.py PROGRAM
"""

import os
import sys

from Xlib import X, Xatom, Xutil

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_checks import Desktop, Program, fail, inked, near, wait_until  # noqa: E402

GREY = (0x80, 0x80, 0x80)
GREEN = (0x20, 0xA0, 0x40)


def picture_shown(desktop, left, top):
    return inked(desktop.pixels(left + 30, top + 30, 120, 70), GREY, 20)


def current_desktop(desktop):
    value = desktop.root.get_full_property(desktop.atom("_NET_CURRENT_DESKTOP"), Xatom.CARDINAL)
    return value.value[0] if value else None


def switch_desktop(desktop, number):
    from Xlib.protocol import event
    message = event.ClientMessage(window=desktop.root, client_type=desktop.atom("_NET_CURRENT_DESKTOP"),
                                  data=(32, [number, X.CurrentTime, 0, 0, 0]))
    desktop.root.send_event(message, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
    desktop.display.sync()
    if not wait_until(lambda: current_desktop(desktop) == number, 5):
        fail("the window manager did not switch to workspace %d" % number)


def open_normal_window(desktop, left, top, width, height):
    window = desktop.root.create_window(left, top, width, height, 0, desktop.screen.root_depth,
                                        background_pixel=(GREEN[0] << 16) | (GREEN[1] << 8) | GREEN[2])
    window.set_wm_name("a normal window")
    window.set_wm_normal_hints(flags=Xutil.USPosition | Xutil.PPosition, x=left, y=top)
    window.map()
    desktop.display.sync()
    if not wait_until(lambda: window.get_attributes().map_state == X.IsViewable, 5):
        fail("the normal window did not map")
    return window


def stacking(desktop):
    value = desktop.root.get_full_property(desktop.atom("_NET_CLIENT_LIST_STACKING"), Xatom.WINDOW)
    return list(value.value) if value else []


def main():
    desktop = Desktop()
    program = Program(sys.argv[1])
    try:
        widget = desktop.widget(program.process.pid)
        if widget is None:
            fail("the widget did not appear:\n" + program.output())
        state = desktop.net_wm_state(widget)
        for wanted in ("_NET_WM_STATE_BELOW", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"):
            if wanted not in state:
                fail("_NET_WM_STATE lacks %s: %s" % (wanted, sorted(state)))
        # openbox keeps no sticky state of its own: a sticky window is on the
        # workspace "all" (0xFFFFFFFF), the other way window managers have.
        on = widget.get_full_property(desktop.atom("_NET_WM_DESKTOP"), Xatom.CARDINAL)
        if "_NET_WM_STATE_STICKY" not in state and not (on and on.value[0] == 0xFFFFFFFF):
            fail("the widget is not on every workspace: %s, workspace %s" % (sorted(state), on.value[0] if on else None))
        title = widget.get_full_property(desktop.atom("_NET_WM_NAME"), desktop.atom("UTF8_STRING"))
        if not title or title.value.decode() != "Nimbrell 桌面天气":
            fail("the window's title is %r" % (title.value if title else None))
        if widget.get_wm_class() != ("nimbrell", "Nimbrell"):
            fail("the window's class is %r" % (widget.get_wm_class(),))
        icon = widget.get_full_property(desktop.atom("_NET_WM_ICON"), Xatom.CARDINAL)
        if not icon or icon.value[0] * icon.value[1] + 2 > len(icon.value) or icon.value[0] < 16:
            fail("the window has no icon")
        user_time = widget.get_full_property(desktop.atom("_NET_WM_USER_TIME"), Xatom.CARDINAL)
        if not user_time or user_time.value[0] != 0:
            fail("the widget asks for the focus when it is shown")

        left, top = desktop.place(widget)
        if not wait_until(lambda: picture_shown(desktop, left, top), 20):
            fail("the widget's picture does not show at (%d, %d)" % (left, top))

        switch_desktop(desktop, 1)
        wait_until(lambda: False, 0.5)
        if widget.get_attributes().map_state != X.IsViewable or not picture_shown(desktop, left, top):
            fail("after a workspace switch the widget is not shown")

        # A normal window over the left part of the widget's picture.
        normal = open_normal_window(desktop, left - 250, top - 50, 330, 300)
        nx, ny = desktop.place(normal)
        overlap = (left + 35, top + 35, nx + 330 - (left + 35) - 5, 50)
        if overlap[2] < 10:
            fail("the normal window was placed at (%d, %d), not over the widget" % (nx, ny))

        def normal_above():
            rows = desktop.pixels(*overlap)
            return all(near(pixel, GREEN, 8) for row in rows for pixel in row)

        if not wait_until(normal_above, 5):
            fail("a normal window opened over the widget is not above it")
        # A click on the part of the widget's picture that shows.
        click_x, click_y = left + 90, top + 65
        if not picture_shown(desktop, left, top):
            fail("the widget's picture does not show beside the normal window")
        os.system("xdotool mousemove %d %d click 1" % (click_x, click_y))
        wait_until(lambda: False, 1)
        if not normal_above():
            fail("a click on the widget raised it over the normal window")
        order = stacking(desktop)
        if widget.id in order and normal.id in order and order.index(widget.id) > order.index(normal.id):
            fail("the window manager stacks the widget above the normal window")
        if program.process.poll() is not None:
            fail("the program ended:\n" + program.output())
    finally:
        program.close()
    print("openbox: sticky, below, off the task bar, named; shown on the other workspace; under a normal window after a click")


if __name__ == "__main__":
    main()
