# SPDX-License-Identifier: GPL-3.0-or-later
"""What the program's desktop tests written in Python share: starting the program
with folders of its own, finding its windows, reading the screen and waiting."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

from Xlib import X, Xatom, display, protocol
from Xlib.ext import shape, xtest


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


def popup_menus(connection):
    """The shown popup menus (GTK's menu windows) on the connection's screen."""
    def atom(name):
        return connection.intern_atom(name)
    found = []
    for child in connection.screen().root.query_tree().children:
        try:
            if child.get_attributes().map_state != X.IsViewable:
                continue
            kind = child.get_full_property(atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM)
        except Exception:
            continue
        if kind and atom("_NET_WM_WINDOW_TYPE_POPUP_MENU") in kind.value:
            found.append(child)
    return found


class Program:
    """The program run with --demo on folders of its own (settings, cache, runtime)."""

    def __init__(self, binary, folder=None, arguments=(), settings=None, environment=None):
        self.binary = binary
        self.owned = folder is None
        self.folder = folder or tempfile.mkdtemp()
        self.environment = dict(os.environ, TEMP=self.folder, XDG_CONFIG_HOME=os.path.join(self.folder, "config"),
                                XDG_CACHE_HOME=os.path.join(self.folder, "cache"), XDG_RUNTIME_DIR=self.folder)
        self.environment.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self.environment.update(environment or {})
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
        """Ends the program as the session does (SIGTERM) if it still runs. It must
        end cleanly: status 0 and no sanitizer's report in its output."""
        problem = None
        if self.process.poll() is None:
            self.process.terminate()
            try:
                status = self.process.wait(10)
                if status != 0:
                    problem = "the program ended with status %d on SIGTERM" % status
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
                problem = "the program did not end on SIGTERM"
        output = self.output()
        if "Sanitizer" in output or "runtime error:" in output:
            problem = "the program's sanitizers reported"
        self.log.close()
        if self.owned:
            shutil.rmtree(self.folder, ignore_errors=True)
        if problem:
            fail("%s:\n%s" % (problem, output))


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

    def widget(self, pid, timeout=30, scale=1):
        """The program's shown window of the widget's size (in screen pixels at
        the desktop's scale)."""
        def find():
            for window in self.windows_of(pid):
                geometry = window.get_geometry()
                if geometry.width == 635 * scale and geometry.height == 866 * scale:
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

    def input_rectangles(self, window):
        """The window's input shape: empty while the mouse passes through it."""
        reply = window.shape_get_rectangles(shape.SK.Input)
        return [(r.x, r.y, r.width, r.height) for r in reply.rectangles]

    def settled_input(self, window, timeout=20):
        """The input shape once it has stopped changing (the entrance animations
        move what the window paints) and takes the mouse somewhere."""
        seen = []

        def settled():
            seen.append(self.input_rectangles(window))
            return len(seen) >= 4 and seen[-1] and all(shape == seen[-1] for shape in seen[-4:]) and seen[-1]
        return wait_until(settled, timeout)

    def area(self, window, scale, rect):
        """The screen's pixels over a rectangle of the window given in units."""
        left, top = self.place(window)
        x, y, width, height = rect
        return self.pixels(left + x * scale, top + y * scale, width * scale, height * scale)

    def popup_menus(self):
        return [menu.id for menu in popup_menus(self.display)]

    def check_menu_at(self, x, y, tolerance, what):
        """A right click at (x, y) opens a menu there, and Escape closes it."""
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "3"], check=True)
        menus = wait_until(lambda: popup_menus(self.display), 10)
        if not menus:
            fail("%s: a right click on the widget opened no menu" % what)
        mx, my = self.place(menus[0])
        if abs(mx - x) > tolerance or abs(my - y) > tolerance:
            fail("%s: the menu opened at (%d, %d), not at the click (%d, %d)" % (what, mx, my, x, y))
        subprocess.run(["xdotool", "key", "Escape"], check=True)
        if not wait_until(lambda: not self.popup_menus(), 10):
            fail("%s: the menu stays open after Escape" % what)

    def pick_from_menu(self, x, y, steps, button=3):
        """Opens a menu with a click at (x, y) and picks the item that many steps
        down with the keyboard (separators and disabled items are passed over)."""
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", str(button)], check=True)
        if not wait_until(lambda: self.popup_menus(), 10):
            fail("no menu opened at (%d, %d)" % (x, y))
        subprocess.run(["xdotool", "key", "--delay", "60"] + ["Down"] * steps + ["Return"], check=True)
        if not wait_until(lambda: not self.popup_menus(), 10):
            fail("the menu did not close")

    def net_wm_state(self, window):
        value = window.get_full_property(self.atom("_NET_WM_STATE"), Xatom.ATOM)
        return {self.display.get_atom_name(atom) for atom in (value.value if value else [])}


class XSettings:
    """A settings manager as desktops run one: owns _XSETTINGS_S<screen>, keeps the
    settings in _XSETTINGS_SETTINGS on its window and announces itself to the
    clients with a MANAGER message. Integer settings only."""

    def __init__(self, values):
        self.display = display.Display()
        self.screen = self.display.screen()
        root = self.screen.root
        self.serial = 0
        self.values = {}
        self.changed = {}
        self.window = root.create_window(-1, -1, 1, 1, 0, self.screen.root_depth, override_redirect=True)
        self.put(values)
        selection = self.display.intern_atom("_XSETTINGS_S%d" % self.display.get_default_screen())
        self.window.set_selection_owner(selection, X.CurrentTime)
        if self.display.get_selection_owner(selection) != self.window:
            fail("another settings manager owns the selection")
        announce = protocol.event.ClientMessage(
            window=root, client_type=self.display.intern_atom("MANAGER"),
            data=(32, [X.CurrentTime, selection, self.window.id, 0, 0]))
        root.send_event(announce, event_mask=X.StructureNotifyMask)
        self.display.sync()

    def put(self, values):
        """Sets the values (name: integer) and publishes all settings under a new serial."""
        for name, value in values.items():
            if self.values.get(name) != value:
                self.values[name] = value
                self.changed[name] = self.serial
        body = b""
        for name, value in sorted(self.values.items()):
            encoded = name.encode("ascii")
            padded = encoded + b"\0" * (-len(encoded) % 4)
            body += struct.pack("<BxH", 0, len(encoded)) + padded + struct.pack("<Ii", self.changed[name], value)
        data = struct.pack("<B3xII", 0, self.serial, len(self.values)) + body  # 0: least significant byte first
        kind = self.display.intern_atom("_XSETTINGS_SETTINGS")
        self.window.change_property(kind, kind, 8, data)
        self.display.sync()
        self.serial += 1

    def close(self):
        self.display.close()


REQUEST_DOCK = 0
XEMBED_EMBEDDED_NOTIFY = 0
ICON_SIZE = 32
TRAY_AT = (40, 40)


class Tray:
    def __init__(self):
        self.display = display.Display()
        self.screen = self.display.screen()
        self.root = self.screen.root
        self.atom = lambda name: self.display.intern_atom(name)
        self.window = self.root.create_window(
            TRAY_AT[0], TRAY_AT[1], ICON_SIZE, ICON_SIZE, 0, self.screen.root_depth,
            background_pixel=self.screen.black_pixel,
            event_mask=X.SubstructureNotifyMask | X.StructureNotifyMask)
        self.window.change_property(self.atom("_NET_SYSTEM_TRAY_ORIENTATION"), Xatom.CARDINAL, 32, [0])
        self.window.map()
        selection = self.atom("_NET_SYSTEM_TRAY_S%d" % self.display.get_default_screen())
        self.window.set_selection_owner(selection, X.CurrentTime)
        if self.display.get_selection_owner(selection) != self.window:
            fail("another tray owns the selection")
        # Icons already waiting for a tray learn of this one.
        announce = protocol.event.ClientMessage(
            window=self.root, client_type=self.atom("MANAGER"),
            data=(32, [X.CurrentTime, selection, self.window.id, 0, 0]))
        self.root.send_event(announce, event_mask=X.StructureNotifyMask)
        self.display.sync()

    def next_event(self, deadline):
        while time.monotonic() < deadline:
            if self.display.pending_events():
                return self.display.next_event()
            time.sleep(0.02)
        return None

    def wait_for_dock_request(self, timeout):
        deadline = time.monotonic() + timeout
        opcode = self.atom("_NET_SYSTEM_TRAY_OPCODE")
        while True:
            event = self.next_event(deadline)
            if event is None:
                return None
            if event.type == X.ClientMessage and event.client_type == opcode and event.data[1][1] == REQUEST_DOCK:
                return self.display.create_resource_object("window", event.data[1][2])

    def embed(self, icon):
        # As embedders do, so that the icon outlives the tray.
        icon.change_save_set(X.SetModeInsert)
        icon.reparent(self.window, 0, 0)
        icon.configure(width=ICON_SIZE, height=ICON_SIZE)
        notify = protocol.event.ClientMessage(
            window=icon, client_type=self.atom("_XEMBED"),
            data=(32, [X.CurrentTime, XEMBED_EMBEDDED_NOTIFY, 0, self.window.id, 0]))
        icon.send_event(notify)
        icon.map()
        self.display.sync()

    def title(self, window):
        value = window.get_full_property(self.atom("_NET_WM_NAME"), self.atom("UTF8_STRING"))
        return value.value.decode("utf-8") if value else None

    def colours(self, window):
        """The distinct pixel values the window shows."""
        geometry = window.get_geometry()
        image = window.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap, 0xFFFFFFFF)
        data = image.data
        return {bytes(data[i:i + 3]) for i in range(0, len(data), 4)}

    def popup_menus(self):
        return popup_menus(self.display)

    def click(self, x, y, button):
        xtest.fake_input(self.display, X.MotionNotify, x=x, y=y)
        self.display.sync()
        time.sleep(0.1)
        xtest.fake_input(self.display, X.ButtonPress, button)
        self.display.sync()
        time.sleep(0.1)
        xtest.fake_input(self.display, X.ButtonRelease, button)
        self.display.sync()

    def leave(self):
        """Goes away as a tray that ends does: its connection closes, its window and
        selection go, and the icons it held return to the root."""
        self.display.close()

    def die(self):
        """Goes away as a crashing panel may: its window is destroyed outright,
        and the icon windows embedded in it with it."""
        self.window.destroy()
        self.display.sync()
        self.display.close()


def near(a, b, tolerance):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


def inked(rows, background, tolerance=40):
    """Whether anything unlike the background shows in the rows."""
    return any(not near(pixel, background, tolerance) for row in rows for pixel in row)


def inked_bounds(rows, background, tolerance=40):
    """The smallest (left, top, right, bottom) holding every pixel unlike the background, or None."""
    found = [(x, y) for y, row in enumerate(rows) for x, pixel in enumerate(row) if not near(pixel, background, tolerance)]
    if not found:
        return None
    return (min(x for x, _ in found), min(y for _, y in found), max(x for x, _ in found) + 1, max(y for _, y in found) + 1)


def at_rest(grab, timeout, interval=0.4):
    """What grab() returns once it returns the same twice, a while apart (the
    entrance animations have ended), or None."""
    last = [None]

    def same():
        time.sleep(interval)
        now = grab()
        rested = now == last[0] and now
        last[0] = now
        return rested
    return wait_until(same, timeout)


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
            near_values = values[x - 2:x + 3]
            low, high = min(near_values), max(near_values)
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
