#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program's notification-area icon on a session bus with a status-notifier watcher:
this script is the watcher and the panel. It checks that the program registers its item
with the application title and its own picture, that the title then tells the weather,
that the menu the item exports is the program's menu, that clicking its last entry (退出) ends the program with status 0, and
that the item leaves the bus with it.

Usage (on a private desktop and a private session bus):
  dbus-run-session -- with-desktop.sh status-notifier-host.py PROGRAM
"""

import os
import subprocess
import sys
import tempfile
import time

from gi.repository import Gio, GLib

TITLE = "Nimbrell - 桌面天气预报"
WEATHER_TIP = "北京 现在 "
WATCHER_XML = """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
<property name="RegisteredStatusNotifierItems" type="as" access="read"/>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/>
<signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
<signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
<signal name="StatusNotifierHostRegistered"/>
</interface></node>"""


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def pump_until(condition, seconds):
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while not condition() and time.monotonic() < deadline:
        context.iteration(False)
        time.sleep(0.01)
    return condition()


class Watcher:
    def __init__(self, bus):
        self.items = []  # (bus name, object path)
        interface = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML).interfaces[0]
        bus.register_object("/StatusNotifierWatcher", interface, self.call, self.property, None)
        self.owned = False
        Gio.bus_own_name_on_connection(bus, "org.kde.StatusNotifierWatcher", Gio.BusNameOwnerFlags.NONE,
                                       self.acquired, None)

    def acquired(self, *_):
        self.owned = True

    def call(self, bus, sender, path, interface, method, parameters, invocation):
        if method == "RegisterStatusNotifierItem":
            service = parameters.unpack()[0]
            # An item may name its object path (its bus name is then the sender) or its bus name.
            self.items.append((sender, service) if service.startswith("/") else (service, "/StatusNotifierItem"))
        invocation.return_value(None)

    def property(self, bus, sender, path, interface, name):
        values = {"RegisteredStatusNotifierItems": GLib.Variant("as", [name for name, _ in self.items]),
                  "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
                  "ProtocolVersion": GLib.Variant("i", 0)}
        return values[name]


def call(bus, name, path, interface, method, parameters):
    return bus.call_sync(name, path, interface, method, parameters, None, Gio.DBusCallFlags.NONE, 5000, None).unpack()


def menu_items(layout):
    """(id, label, visible) of every entry below the root, in order."""
    _, _, children = layout
    entries = []
    for child in children:
        item_id, properties, _ = child
        if properties.get("type") != "separator":
            entries.append((item_id, properties.get("label", "").replace("_", ""), properties.get("visible", True)))
        entries.extend(menu_items(child))
    return entries


def main():
    program = sys.argv[1]
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    watcher = Watcher(bus)
    if not pump_until(lambda: watcher.owned, 10):
        fail("could not own the watcher's name")

    with tempfile.TemporaryDirectory() as folder:
        environment = dict(os.environ, XDG_CACHE_HOME=folder + "/cache", XDG_RUNTIME_DIR=folder, XDG_CONFIG_HOME=folder + "/config")
        environment.pop("TEMP", None)
        # Its messages go to a file: a pipe nobody reads until the end could fill and
        # stall the program (a sanitized build reports at exit).
        messages = open(os.path.join(folder, "messages"), "w+b")
        child = subprocess.Popen([program, "--demo"], env=environment, stdout=subprocess.DEVNULL, stderr=messages)
        try:
            if not pump_until(lambda: watcher.items, 20):
                fail("the program registered no status-notifier item")
            name, path = watcher.items[0]
            def item_properties():
                return call(bus, name, path, "org.freedesktop.DBus.Properties", "GetAll",
                            GLib.Variant("(s)", ("org.kde.StatusNotifierItem",)))[0]

            properties = item_properties()
            # The title names the program until the first forecast, then says the weather
            # (the demo's default city, Beijing, with its temperature now).
            if properties.get("Title") != TITLE and not properties.get("Title", "").startswith(WEATHER_TIP):
                fail("the item's title is %r" % properties.get("Title"))
            if not pump_until(lambda: item_properties().get("Title", "").startswith(WEATHER_TIP), 20):
                fail("the item's title %r never told the weather" % item_properties().get("Title"))
            if properties.get("Status") != "Active":
                fail("the item is %r, not shown" % properties.get("Status"))
            picture = os.path.join(properties.get("IconThemePath", ""), properties.get("IconName", "") + ".png")
            if not os.path.isfile(picture) or open(picture, "rb").read(8) != b"\x89PNG\r\n\x1a\n":
                fail("the item's picture %s is not a PNG file" % picture)

            menu = properties.get("Menu")
            if not menu:
                fail("the item exports no menu")
            layout = call(bus, name, menu, "com.canonical.dbusmenu", "GetLayout",
                          GLib.Variant("(iias)", (0, -1, [])))[1]
            entries = [entry for entry in menu_items(layout) if entry[2]]
            labels = [label for _, label, _ in entries]
            if len(entries) < 5 or labels[-1] != "退出":
                fail("the exported menu is not the program's: %r" % labels)

            # Registered with the watcher, the icon is docked: mouse pass-through is offered.
            def pass_through_enabled():
                layout = call(bus, name, menu, "com.canonical.dbusmenu", "GetLayout", GLib.Variant("(iias)", (0, -1, [])))[1]
                return [properties.get("enabled", True) for _, properties, _ in layout[2]
                        if properties.get("label", "").replace("_", "") == "鼠标穿透"] == [True]
            if not pump_until(pass_through_enabled, 10):
                fail("registered with the watcher, the item's menu does not offer 鼠标穿透")

            quit_id = entries[-1][0]
            call(bus, name, menu, "com.canonical.dbusmenu", "Event",
                 GLib.Variant("(isvu)", (quit_id, "clicked", GLib.Variant("s", ""), 0)))
            try:
                status = child.wait(timeout=20)
            except subprocess.TimeoutExpired:
                fail("clicking 退出 in the exported menu did not end the program")
            if status != 0:
                messages.seek(0)
                fail("the program ended with %d: %s" % (status, messages.read().decode(errors="replace")))

            def gone():
                return not call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                "NameHasOwner", GLib.Variant("(s)", (name,)))[0]
            if not pump_until(gone, 10):
                fail("the item stayed on the bus after the program ended")
            if os.path.exists(picture):
                fail("the item's picture was left in the runtime folder")
        finally:
            if child.poll() is None:
                child.kill()
                child.wait()
            messages.close()
    print("status-notifier item: registered as %r, menu of %d entries, 退出 ended the program" % (TITLE, len(entries)))


main()
