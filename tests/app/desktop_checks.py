# SPDX-License-Identifier: GPL-3.0-or-later
"""What the program's desktop tests written in Python share: starting the program
with folders of its own, finding its windows, reading the screen and waiting."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

from Xlib import X, Xatom, display
from Xlib.ext import shape


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def wait_until(condition, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    return None


class Program:
    """The program run with --demo on folders of its own (settings, cache, runtime)."""

    def __init__(self, binary, folder=None, arguments=(), settings=None):
        self.binary = binary
        self.owned = folder is None
        self.folder = folder or tempfile.mkdtemp()
        self.environment = dict(os.environ, TEMP=self.folder, XDG_CONFIG_HOME=os.path.join(self.folder, "config"),
                                XDG_CACHE_HOME=os.path.join(self.folder, "cache"), XDG_RUNTIME_DIR=self.folder)
        self.environment.pop("DBUS_SESSION_BUS_ADDRESS", None)
        if settings:
            self.write_settings(settings)
        self.log = open(os.path.join(self.folder, "log-%d.txt" % time.monotonic_ns()), "w+")
        self.process = subprocess.Popen([binary, "--demo", *arguments], env=self.environment, stderr=self.log)

    def write_settings(self, values):
        """Writes the settings file wherever this build keeps it (old and new folders)."""
        for folder in (os.path.join(self.folder, "NimbrellWeather"), os.path.join(self.folder, "config", "nimbrell")):
            os.makedirs(folder, mode=0o700, exist_ok=True)
            with open(os.path.join(folder, "historyLog.ini"), "w") as ini:
                ini.write("[CONFIG]\n" + "".join("%s=%s\n" % item for item in values.items()))

    def output(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()
        if self.owned:
            shutil.rmtree(self.folder, ignore_errors=True)


class Desktop:
    def __init__(self):
        self.display = display.Display()
        self.screen = self.display.screen()
        self.root = self.screen.root

    def atom(self, name):
        return self.display.intern_atom(name)

    def size(self):
        geometry = self.root.get_geometry()
        return geometry.width, geometry.height

    def windows_of(self, pid, mapped=True):
        """The top-level windows of the process (under a window manager, its clients)."""
        found = []
        pid_atom = self.atom("_NET_WM_PID")

        def visit(window, depth):
            for child in window.query_tree().children:
                try:
                    owner = child.get_full_property(pid_atom, Xatom.CARDINAL)
                    if owner and owner.value[0] == pid:
                        if not mapped or child.get_attributes().map_state == X.IsViewable:
                            found.append(child)
                        continue
                except Exception:
                    continue
                if depth < 2:  # a window manager's frames hold the clients
                    visit(child, depth + 1)

        visit(self.root, 0)
        return found

    def widget(self, pid, timeout=30):
        """The program's shown window of the widget's size."""
        def find():
            for window in self.windows_of(pid):
                geometry = window.get_geometry()
                if geometry.width == 635 and geometry.height == 866:
                    return window
            return None
        return wait_until(find, timeout)

    def place(self, window):
        """The window's top-left corner on the screen."""
        origin = window.translate_coords(self.root, 0, 0)
        return -origin.x, -origin.y

    def pixels(self, left, top, width, height):
        """The screen's pixels in the rectangle as rows of (r, g, b)."""
        image = self.root.get_image(left, top, width, height, X.ZPixmap, 0xFFFFFFFF)
        data = image.data
        return [[(data[(y * width + x) * 4 + 2], data[(y * width + x) * 4 + 1], data[(y * width + x) * 4])
                 for x in range(width)] for y in range(height)]

    def bounding_rectangles(self, window):
        reply = window.shape_get_rectangles(shape.SK.Bounding)
        return [(r.x, r.y, r.width, r.height) for r in reply.rectangles]

    def net_wm_state(self, window):
        value = window.get_full_property(self.atom("_NET_WM_STATE"), Xatom.ATOM)
        return {self.display.get_atom_name(atom) for atom in (value.value if value else [])}


def near(a, b, tolerance):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


def inked(rows, background, tolerance=40):
    """Whether anything unlike the background shows in the rows."""
    return any(not near(pixel, background, tolerance) for row in rows for pixel in row)
