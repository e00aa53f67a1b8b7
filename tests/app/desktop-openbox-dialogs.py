#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The update and settings windows under a real window manager (with-desktop.sh
--wm openbox): each is a normal window, modal, owned by the widget and stacked
above it (_NET_CLIENT_LIST_STACKING), and stays so after a click on the widget,
which is kept below.

Usage (on a private desktop with openbox): desktop-openbox-dialogs.py PROGRAM
"""

import http.server
import json
import os
import sys
import threading

from Xlib import X, Xatom
from Xlib.protocol import event

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_checks import Desktop, Program, fail, wait_until  # noqa: E402

SETTINGS_STEP = 4  # 软件设置, with no tray to offer 鼠标穿透
UPDATE_SIZE = (691, 345)
SETTINGS_SIZE = (555, 517)


class Updates(http.server.BaseHTTPRequestHandler):
    """Offers a build newer than any."""

    def do_GET(self):
        host = "127.0.0.1:%d" % self.server.server_address[1]
        body = json.dumps({"updateInfo": {"versionDate": "209912312359", "url": "http://%s/n.bin" % host,
                                          "name": "n.bin", "description": "newer"}}).encode()
        self.send_response(200 if self.path == "/weather/updateInfo.html" else 404)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *arguments):
        pass


def stacking(desktop):
    value = desktop.root.get_full_property(desktop.atom("_NET_CLIENT_LIST_STACKING"), Xatom.WINDOW)
    return list(value.value) if value else []


def window_of_size(desktop, pid, size):
    for window in desktop.windows_of(pid):
        geometry = window.get_geometry()
        if (geometry.width, geometry.height) == size:
            return window
    return None


def check_above(desktop, dialog, widget, what):
    """What must hold of a shown dialog: the reason it does not, or None."""
    kind = dialog.get_full_property(desktop.atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM)
    kinds = {desktop.display.get_atom_name(atom) for atom in (kind.value if kind else [])}
    if kinds and kinds != {"_NET_WM_WINDOW_TYPE_NORMAL"}:
        return "the %s window is not a normal window: %s" % (what, sorted(kinds))
    if "_NET_WM_STATE_MODAL" not in desktop.net_wm_state(dialog):
        return "the %s window is not modal: %s" % (what, sorted(desktop.net_wm_state(dialog)))
    owner = dialog.get_wm_transient_for()
    if owner is None or owner.id != widget.id:
        return "the %s window does not belong to the widget" % what
    order = stacking(desktop)
    if widget.id not in order or dialog.id not in order:
        return "the window manager does not list both windows: %s" % order
    if order.index(dialog.id) < order.index(widget.id):
        return "the %s window is stacked below the widget" % what
    return None


def shows_above(desktop, dialog, widget, what, click_at):
    if not wait_until(lambda: check_above(desktop, dialog, widget, what) is None, 10):
        fail(check_above(desktop, dialog, widget, what))
    os.system("xdotool mousemove %d %d click 1" % click_at)
    wait_until(lambda: False, 1)  # what the window manager does with the click
    problem = check_above(desktop, dialog, widget, what)
    if problem:
        fail("after a click on the widget " + problem)


def close(desktop, window):
    message = event.ClientMessage(window=window, client_type=desktop.atom("_NET_CLOSE_WINDOW"),
                                  data=(32, [X.CurrentTime, 2, 0, 0, 0]))
    desktop.root.send_event(message, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
    desktop.display.sync()


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Updates)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    desktop = Desktop()
    # In the top-left corner, beside the centred windows.
    program = Program(sys.argv[1], arguments=["--update-host", "127.0.0.1:%d" % server.server_address[1]],
                      settings={"formLeft": 10, "formTop": 10})
    try:
        pid = program.process.pid
        widget = desktop.widget(pid)
        if widget is None:
            fail("the widget did not appear:\n" + program.output())
        left, top = desktop.place(widget)
        rectangle = max(desktop.settled_input(widget), key=lambda r: r[2] * r[3])
        click_at = (left + rectangle[0] + rectangle[2] // 2, top + rectangle[1] + rectangle[3] // 2)

        update = wait_until(lambda: window_of_size(desktop, pid, UPDATE_SIZE), 20)
        if update is None:
            fail("the update window did not open:\n" + program.output())
        shows_above(desktop, update, widget, "update", click_at)
        close(desktop, update)
        if not wait_until(lambda: window_of_size(desktop, pid, UPDATE_SIZE) is None, 10):
            fail("the update window did not close")

        desktop.pick_from_menu(*click_at, SETTINGS_STEP)
        settings = wait_until(lambda: window_of_size(desktop, pid, SETTINGS_SIZE), 10)
        if settings is None:
            fail("the settings window did not open:\n" + program.output())
        shows_above(desktop, settings, widget, "settings", click_at)
        if program.process.poll() is not None:
            fail("the program ended:\n" + program.output())
    finally:
        program.close()
        server.shutdown()
    print("openbox: the update and settings windows are normal, modal and above the widget, also after a click on it")


if __name__ == "__main__":
    main()
