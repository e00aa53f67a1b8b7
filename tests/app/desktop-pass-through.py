#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Mouse pass-through (鼠标穿透) leaves the notification-area icon as the only way
back to the widget, so it is offered only while the icon is docked. Without a
tray the item is disabled (the keys pass over it to 软件设置). With this script's
tray the item makes clicks reach the window below the widget, the tray icon's
menu turns it off, and the tray going away turns it off by itself. A tray that
dies, destroying the icon's window with its own, does the same and the program
runs on.

Usage (on a private desktop): desktop-pass-through.py PROGRAM
"""

import os
import sys

from Xlib import X

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_checks import TRAY_AT, Desktop, Program, Tray, fail, wait_until  # noqa: E402

# Steps down the widget's menu: 刷新, 未来五天, 嵌入桌面, 鼠标穿透, 软件设置.
PASS_THROUGH = 4
SETTINGS_WITHOUT_PASS_THROUGH = 4
SETTINGS_SIZE = (555, 517)


def click_point(rectangles, left, top):
    """The middle of the widest input rectangle, on the screen."""
    x, y, width, height = max(rectangles, key=lambda r: r[2] * r[3])
    return left + x + width // 2, top + y + height // 2


class WindowBelow:
    """A plain window under the widget that notes the presses reaching it."""

    def __init__(self, desktop, left, top, width, height):
        self.display = desktop.display
        self.window = desktop.root.create_window(left, top, width, height, 0, desktop.screen.root_depth,
                                                 background_pixel=0x2040A0, event_mask=X.ButtonPressMask,
                                                 override_redirect=True)
        self.window.map()
        self.display.sync()

    def pressed(self):
        while self.display.pending_events():
            if self.display.next_event().type == X.ButtonPress:
                return True
        return False


def click(x, y):
    os.system("xdotool mousemove %d %d click 1" % (x, y))


def without_tray(desktop, binary):
    program = Program(binary)
    try:
        widget = desktop.widget(program.process.pid)
        if widget is None:
            fail("the widget did not appear:\n" + program.output())
        left, top = desktop.place(widget)
        x, y = click_point(desktop.settled_input(widget), left, top)
        desktop.pick_from_menu(x, y, SETTINGS_WITHOUT_PASS_THROUGH)

        def settings_open():
            return any((w.get_geometry().width, w.get_geometry().height) == SETTINGS_SIZE
                       for w in desktop.windows_of(program.process.pid))
        if not wait_until(settings_open, 10):
            fail("without a tray the fourth step of the menu is not 软件设置: 鼠标穿透 is not disabled")
        if not desktop.input_rectangles(widget):
            fail("without a tray the widget lets the mouse through")
    finally:
        program.close()


def dock(tray, program, times):
    """The tray takes the icon, and the program sees it docked for the times-th time."""
    icon = tray.wait_for_dock_request(30)
    if icon is None:
        fail("no icon asked to be docked (time %d):\n%s" % (times, program.output()))
    tray.embed(icon)
    if not wait_until(lambda: program.output().count("鼠标穿透) is offered") >= times, 10):
        fail("the program did not see its icon docked (time %d):\n%s" % (times, program.output()))
    return icon


def with_tray(desktop, binary):
    tray = Tray()
    program = Program(binary)
    try:
        icon = dock(tray, program, 1)
        widget = desktop.widget(program.process.pid)
        if widget is None:
            fail("the widget did not appear:\n" + program.output())
        left, top = desktop.place(widget)
        x, y = click_point(desktop.settled_input(widget), left, top)
        # Under the widget from here on, as a window the user works in would be.
        below = WindowBelow(desktop, x - 40, y - 40, 80, 80)
        widget.configure(stack_mode=X.Above)
        desktop.display.sync()

        click(x, y)
        wait_until(lambda: False, 0.3)
        if below.pressed():
            fail("without pass-through a click on the widget reached the window below")

        desktop.pick_from_menu(x, y, PASS_THROUGH)
        if not wait_until(lambda: not desktop.input_rectangles(widget), 10):
            fail("鼠标穿透 did not let the mouse through")
        click(x, y)
        if not wait_until(below.pressed, 5):
            fail("with pass-through the click did not reach the window below")

        # The tray icon's menu (the program's own) turns it off.
        place = icon.get_geometry()
        desktop.pick_from_menu(TRAY_AT[0] + place.x + place.width // 2, TRAY_AT[1] + place.y + place.height // 2,
                               PASS_THROUGH)
        if not wait_until(lambda: desktop.input_rectangles(widget), 10):
            fail("the tray icon's menu did not turn pass-through off")

        # On again, then the tray goes: off by itself.
        desktop.pick_from_menu(x, y, PASS_THROUGH)
        if not wait_until(lambda: not desktop.input_rectangles(widget), 10):
            fail("鼠标穿透 did not let the mouse through the second time")
        tray.leave()
        if not wait_until(lambda: desktop.input_rectangles(widget), 10):
            fail("the tray went away and the widget still lets the mouse through:\n" + program.output())

        # A tray started later gets the icon again; one that dies destroying the
        # icon's window with its own takes the icon out, and the program runs on
        # (tray-host.py --dying-tray docks it in the next tray).
        tray = Tray()
        dock(tray, program, 2)
        desktop.pick_from_menu(x, y, PASS_THROUGH)
        if not wait_until(lambda: not desktop.input_rectangles(widget), 10):
            fail("鼠标穿透 did not let the mouse through in the second tray")
        tray.die()
        if not wait_until(lambda: desktop.input_rectangles(widget) or program.process.poll() is not None, 10):
            fail("the tray died and the widget still lets the mouse through:\n" + program.output())
        if program.process.poll() is not None:
            fail("the program ended when the tray died:\n" + program.output())
    finally:
        program.close()


def main():
    desktop = Desktop()
    without_tray(desktop, sys.argv[1])
    with_tray(desktop, sys.argv[1])
    print("pass-through: disabled without a tray; with one it lets clicks through, the tray's menu, the tray"
          " going away and a tray dying turn it off")


if __name__ == "__main__":
    main()
