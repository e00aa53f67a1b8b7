#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The widget is never lost off the screen: a saved place far off it
(formLeft=5000, formTop=-2000) shows the widget whole at start, and a screen that
shrinks under it (xrandr on Xvfb, 1280 x 1024 to 800 x 600) brings it back onto
what remains; the saved place follows on close.

Usage (on a private desktop of 1280 x 1024): desktop-off-screen.py PROGRAM
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_checks import Desktop, Program, fail, inked, wait_until  # noqa: E402

GREY = (0x80, 0x80, 0x80)


def today_shown(desktop, left, top):
    return inked(desktop.pixels(left + 30, top + 30, 120, 70), GREY) and inked(desktop.pixels(left + 11, top + 94, 226, 30), GREY)


def settings_value(program, key):
    # The file the program wrote last, wherever this build keeps it.
    paths = [os.path.join(program.folder, folder, "historyLog.ini") for folder in ("config/nimbrell", "NimbrellWeather")]
    paths = sorted((path for path in paths if os.path.exists(path)), key=os.path.getmtime, reverse=True)
    for path in paths[:1]:
        if True:
            for line in open(path, encoding="utf-8"):
                if line.strip().lower().startswith(key.lower() + "="):
                    return line.strip().split("=", 1)[1]
    return None


def shrink_screen():
    for command in (["xrandr", "--newmode", "800x600", "0", "800", "0", "0", "0", "600", "0", "0", "0"],
                    ["xrandr", "--addmode", "screen", "800x600"],
                    ["xrandr", "--output", "screen", "--mode", "800x600"]):
        subprocess.run(command, check=True)


def main():
    desktop = Desktop()
    program = Program(sys.argv[1], settings={"formLeft": 5000, "formTop": -2000})
    try:
        widget = desktop.widget(program.process.pid)
        if widget is None:
            fail("the widget did not appear:\n" + program.output())
        width, height = desktop.size()

        def whole_on_screen():
            left, top = desktop.place(widget)
            return 0 <= left + 11 and left + 237 <= width and 0 <= top + 30 and top + 124 <= height and today_shown(desktop, left, top)

        if not wait_until(whole_on_screen, 20):
            fail("saved at (5000, -2000) the widget is at %s, not whole on the screen" % (desktop.place(widget),))
        program.process.terminate()
        program.process.wait(10)
        left, top = settings_value(program, "formLeft"), settings_value(program, "formTop")
        if (left, top) in ((None, None), ("5000", "-2000")):
            fail("the saved place did not follow: (%s, %s)" % (left, top))
        folder = program.folder
        program.owned = False
        program.close()

        # On the right part of the screen, which then goes.
        program = Program(sys.argv[1], folder=folder, settings={"formLeft": 900, "formTop": 500})
        program.owned = True
        widget = desktop.widget(program.process.pid)
        if widget is None or not wait_until(lambda: today_shown(desktop, 900, 500), 20):
            fail("the widget did not appear at (900, 500):\n" + program.output())
        shrink_screen()
        if desktop.size() != (800, 600):
            fail("the screen is %s after xrandr" % (desktop.size(),))
        width, height = 800, 600
        if not wait_until(whole_on_screen, 10):
            fail("after the screen shrank the widget is at %s, not whole on the screen" % (desktop.place(widget),))
        if program.process.poll() is not None:
            fail("the program ended:\n" + program.output())
    finally:
        program.close()
    print("off-screen: a saved place at (5000, -2000) and a screen that shrank both leave the widget whole on the screen")


if __name__ == "__main__":
    main()
