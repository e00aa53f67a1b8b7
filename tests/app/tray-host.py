#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program's notification-area icon in a real tray: this script is the tray (it owns
_NET_SYSTEM_TRAY_S0, takes the dock request and embeds the icon window), then checks that
the icon shows the program's picture under its title, that releasing the right button
over it opens the program's menu (whose last entry, 退出, ends the program with status 0),
and that the icon leaves the tray when the program ends.

With --silent-bus the program's session bus takes connections and never answers:
the program must not wait for it, and the classic tray gets the icon all the same.
With --late-tray the tray starts only once the program's widget is on the screen: the
icon comes when the tray announces itself.
With --dying-tray a first tray dies once it holds the icon, destroying the icon's window
with its own: the program runs on, and this script's second tray gets the icon again
and goes through the checks with it.

Usage (on a private desktop): tray-host.py PROGRAM [--silent-bus | --late-tray | --dying-tray]
"""

import os
import socket
import subprocess
import sys
import tempfile
import threading

from Xlib import X, Xatom, display

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_checks import Tray, TRAY_AT, fail, wait_until  # noqa: E402

TITLE = "Nimbrell - 桌面天气预报"


def program_window_shown(pid):
    """Whether a window of the process is mapped on the screen."""
    look = display.Display()
    try:
        pid_atom = look.intern_atom("_NET_WM_PID")
        for child in look.screen().root.query_tree().children:
            try:
                owner = child.get_full_property(pid_atom, Xatom.CARDINAL)
                if owner and owner.value[0] == pid and child.get_attributes().map_state == X.IsViewable:
                    return True
            except Exception:
                continue
        return False
    finally:
        look.close()


def silent_bus(path):
    """A socket that takes every connection and never says a word."""
    listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    listener.bind(path)
    listener.listen(8)
    held = []

    def accept():
        while True:
            held.append(listener.accept()[0])

    threading.Thread(target=accept, daemon=True).start()
    return listener


def main():
    program = sys.argv[1]
    late = "--late-tray" in sys.argv[2:]
    tray = None if late else Tray()
    data = tempfile.mkdtemp()
    environment = dict(os.environ, XDG_CONFIG_HOME=data + "/config", XDG_CACHE_HOME=data + "/cache")
    environment.pop("TEMP", None)
    # No session bus: the classic tray is the one to use.
    environment.pop("DBUS_SESSION_BUS_ADDRESS", None)
    environment["XDG_RUNTIME_DIR"] = data
    if "--silent-bus" in sys.argv[2:]:
        bus_path = os.path.join(data, "silent-bus")
        bus = silent_bus(bus_path)  # listening until the end
        environment["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + bus_path
    dying = "--dying-tray" in sys.argv[2:]
    if dying:
        # GTK's teardown of an icon whose window another client destroyed sometimes
        # keeps a few bytes it cannot be made to free (the leak's stack ends inside
        # GLib); every other sanitizer finding still counts.
        environment["ASAN_OPTIONS"] = environment.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
    log = open(os.path.join(data, "log.txt"), "w+")
    process = subprocess.Popen([program, "--demo"], env=environment, stderr=log)

    def output():
        log.flush()
        log.seek(0)
        return log.read()
    try:
        if late:
            if not wait_until(lambda: program_window_shown(process.pid), 30):
                fail("the program's widget did not appear")
            tray = Tray()
        icon = tray.wait_for_dock_request(30)
        if icon is None:
            fail("no icon asked to be docked")
        tray.embed(icon)
        if dying:
            if not wait_until(lambda: "鼠标穿透) is offered" in output(), 10):
                fail("the program did not see its icon docked:\n" + output())
            # Drawn in the tray: the embedding is over. A tray dying while GTK still
            # sets the icon up can still end the program (GTK's own requests on the
            # dead window, made before the program reads of its end).
            if not wait_until(lambda: len(tray.colours(icon)) > 4, 10):
                fail("the icon shows no picture in the tray that will die")
            tray.die()
            if not wait_until(lambda: "is not in a tray" in output() or process.poll() is not None, 10):
                fail("the program did not see its icon leave the tray:\n" + output())
            if process.poll() is not None:
                fail("the program ended when the tray died:\n" + output())
            tray = Tray()
            icon = tray.wait_for_dock_request(30)
            if icon is None:
                fail("after a tray died no icon asked the next one to dock it:\n" + output())
            tray.embed(icon)
            # GTK complains when the program touches a widget that is gone. A window
            # destroyed while GTK animates a widget in it leaves GTK's own teardown
            # without a frame clock: those complaints are GTK's, not a use of the icon.
            if any("CRITICAL" in line and "frame_clock" not in line and "g_signal_handler_disconnect" not in line
                   for line in output().splitlines()):
                fail("the program used GTK's dead icon after the tray died:\n" + output())
        # The title follows the dock request.
        if not wait_until(lambda: tray.title(icon) == TITLE, 10):
            fail("the icon's title is %r" % tray.title(icon))
        # The program's picture: more than the tray's black shows through.
        shown = wait_until(lambda: len(tray.colours(icon)) > 4 and tray.colours(icon), 10)
        if not shown:
            fail("the icon shows no picture")

        # The right button released over the icon opens the program's menu.
        before = {menu.id for menu in tray.popup_menus()}
        # The icon sizes itself within the tray.
        place = icon.get_geometry()
        tray.click(TRAY_AT[0] + place.x + place.width // 2, TRAY_AT[1] + place.y + place.height // 2, 3)
        menu = wait_until(lambda: [m for m in tray.popup_menus() if m.id not in before], 10)
        if not menu:
            fail("no menu opened")
        menu = menu[0]
        origin = menu.translate_coords(tray.root, 0, 0)
        geometry = menu.get_geometry()
        # Its last entry is 退出.
        tray.click(-origin.x + geometry.width // 2, -origin.y + geometry.height - 14, 1)
        try:
            status = process.wait(15)
        except subprocess.TimeoutExpired:
            fail("the menu's last entry did not end the program")
        if status != 0:
            fail("the program ended with status %d:\n%s" % (status, output()))
        # The icon has left the tray.
        gone = wait_until(lambda: not tray.window.query_tree().children, 5)
        if not gone:
            fail("the icon is still in the tray after the program ended")
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
        log.close()
        subprocess.run(["rm", "-rf", data])
    what = " started late" if late else " after one that died" if dying else ""
    print("tray%s: docked with its title and picture, the menu on the right button, gone at exit" % what)


if __name__ == "__main__":
    main()
