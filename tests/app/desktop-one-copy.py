#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""One running widget per settings folder. A second start with the same settings
ends with status 0 within a second and brings the first back: shown, its panel
open and taking the mouse again (pass-through off); one widget window exists. A
start with other settings runs a widget of its own, --render draws beside the
running widget, and a copy killed outright leaves nothing that stops the next
start.

Usage (on a private desktop): desktop-one-copy.py PROGRAM
"""

import glob
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_checks import Desktop, Program, Tray, fail, inked, wait_until  # noqa: E402

PASS_THROUGH = 4  # steps down the widget's menu
GREY = (0x80, 0x80, 0x80)


def widget_windows(desktop):
    """Every shown window of the program's class at the widget's size, whoever runs it."""
    found = []

    def visit(window, depth):
        for child in window.query_tree().children:
            try:
                geometry = child.get_geometry()
                if (child.get_wm_class() == ("nimbrell", "Nimbrell") and (geometry.width, geometry.height) == (635, 866)
                        and child.get_attributes().map_state == 2):
                    found.append(child.id)
                    continue
            except Exception:
                continue
            if depth < 2:
                visit(child, depth + 1)
    visit(desktop.root, 0)
    return found


def panel_shown(desktop, widget):
    left, top = desktop.place(widget)
    return inked(desktop.pixels(left + 21, top + 150, 110, 290), GREY)


def main():
    binary = sys.argv[1]
    desktop = Desktop()
    tray = Tray()
    # The panel only through the menu, so that only the hand-over opens it.
    first = Program(binary, settings={"showMore": 3})
    others = []
    try:
        icon = tray.wait_for_dock_request(30)
        if icon is None:
            fail("no icon asked to be docked:\n" + first.output())
        tray.embed(icon)
        widget = desktop.widget(first.process.pid)
        if widget is None or not wait_until(lambda: "鼠标穿透) is offered" in first.output(), 10):
            fail("the widget did not appear with its icon docked:\n" + first.output())
        left, top = desktop.place(widget)
        rectangle = max(desktop.settled_input(widget), key=lambda r: r[2] * r[3])
        desktop.pick_from_menu(left + rectangle[0] + rectangle[2] // 2, top + rectangle[1] + rectangle[3] // 2, PASS_THROUGH)
        if not wait_until(lambda: not desktop.input_rectangles(widget), 10):
            fail("鼠标穿透 did not let the mouse through")
        if panel_shown(desktop, widget):
            fail("the panel shows before the second start")

        # Loading the program (its libraries; a sanitized build's run time) is no part
        # of the hand-over: the bound is a second past what a start that only
        # prints its version takes here.
        started = time.monotonic()
        subprocess.run([binary, "--version"], env=first.environment, stdout=subprocess.DEVNULL, check=True)
        loading = time.monotonic() - started
        started = time.monotonic()
        second = subprocess.run([binary, "--demo"], env=first.environment, stderr=subprocess.PIPE, timeout=30)
        took = time.monotonic() - started
        if second.returncode != 0 or took > 1.0 + loading:
            fail("the second start ended with status %d after %.2f s (loading takes %.2f s):\n%s"
                 % (second.returncode, took, loading, second.stderr.decode(errors="replace")))
        if not wait_until(lambda: desktop.input_rectangles(widget), 5):
            fail("the first widget still lets the mouse through")
        if not wait_until(lambda: panel_shown(desktop, widget), 5):
            fail("the first widget did not open its panel")
        if first.process.poll() is not None:
            fail("the first copy ended:\n" + first.output())
        if len(widget_windows(desktop)) != 1:
            fail("%d widget windows after the second start" % len(widget_windows(desktop)))

        # A drawing into a file is no widget: it neither takes nor waits for the lock.
        picture = os.path.join(first.folder, "widget.png")
        drawn = subprocess.run([binary, "--demo", "--render", picture], env=first.environment, stderr=subprocess.PIPE,
                               timeout=60)
        if drawn.returncode != 0 or not os.path.getsize(picture):
            fail("--render beside the running widget ended with status %d:\n%s"
                 % (drawn.returncode, drawn.stderr.decode(errors="replace")))
        if first.process.poll() is not None or len(widget_windows(desktop)) != 1:
            fail("--render disturbed the running widget")

        # Other settings, another widget.
        others.append(Program(binary))
        if desktop.widget(others[-1].process.pid) is None or len(widget_windows(desktop)) != 2:
            fail("a start with other settings did not run a widget of its own:\n" + others[-1].output())

        # Killed outright, the first leaves its socket file; the next start runs all the same.
        first.process.send_signal(signal.SIGKILL)
        first.process.wait()
        left_behind = glob.glob(os.path.join(first.folder, "nimbrell", "*.socket"))
        if not left_behind:
            fail("the killed copy left no socket file to test with")
        others.append(Program(binary, folder=first.folder))
        if desktop.widget(others[-1].process.pid) is None:
            fail("after a copy was killed the next start did not run:\n" + others[-1].output())
        if others[-1].process.poll() is not None:
            fail("the start after the killed copy ended:\n" + others[-1].output())
    finally:
        for program in others:
            program.close()
        first.close()
    print("one copy: a second start hands over and ends in %.2f s (a start that prints its version: %.2f s);"
          " --render draws beside it; other settings run their own widget; a killed copy does not stop the next start" % (took, loading))


if __name__ == "__main__":
    main()
