#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Small jobs on the private X desktop of with-desktop.sh.

  desktop-tool.py wait-owner SELECTION SECONDS
      waits until the selection (_NET_WM_CM_S0, WM_S0, ...) has an owner; fails
      when it has none in time
  desktop-tool.py root-picture RRGGBB [RRGGBB]
      gives the root a background picture, named in _XROOTPMAP_ID and
      ESETROOT_PMAP_ID as desktop programs do; with two colours, the left half
      has the first and the right half the second
  desktop-tool.py no-root-picture
      removes the root's background picture and its names
"""

import sys
import time

from Xlib import X, Xatom, display


def wait_owner(selection, seconds):
    connection = display.Display()
    atom = connection.intern_atom(selection)
    deadline = time.monotonic() + float(seconds)
    while time.monotonic() < deadline:
        if connection.get_selection_owner(atom) != X.NONE:
            return 0
        time.sleep(0.02)
    return 1


def root_picture(colours):
    connection = display.Display()
    screen = connection.screen()
    root = screen.root
    width, height = screen.width_in_pixels, screen.height_in_pixels
    # The picture outlives this client, as a desktop setter's does.
    connection.set_close_down_mode(X.RetainPermanent)
    picture = root.create_pixmap(width, height, screen.root_depth)
    halves = [colours[0], colours[-1]]
    for index, colour in enumerate(halves):
        gc = picture.create_gc(foreground=int(colour, 16))
        left = index * width // 2
        picture.fill_rectangle(gc, left, 0, width - left if index else width // 2, height)
        gc.free()
    for name in ("_XROOTPMAP_ID", "ESETROOT_PMAP_ID"):
        root.change_property(connection.intern_atom(name), Xatom.PIXMAP, 32, [picture.id])
    root.change_attributes(background_pixmap=picture)
    root.clear_area(0, 0, 0, 0)
    connection.sync()
    return 0


def no_root_picture():
    connection = display.Display()
    root = connection.screen().root
    for name in ("_XROOTPMAP_ID", "ESETROOT_PMAP_ID"):
        root.delete_property(connection.intern_atom(name))
    root.change_attributes(background_pixel=0)
    root.clear_area(0, 0, 0, 0)
    connection.sync()
    return 0


def main(arguments):
    if len(arguments) == 3 and arguments[0] == "wait-owner":
        return wait_owner(arguments[1], arguments[2])
    if len(arguments) in (2, 3) and arguments[0] == "root-picture":
        return root_picture(arguments[1:])
    if arguments == ["no-root-picture"]:
        return no_root_picture()
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
