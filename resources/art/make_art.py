#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the weather pictures and the program icon as SVG from shared parts.

Every picture is put together from the same few pieces (cloud, sun, drop,
flake, bolt, bars, wind curls), so the set keeps one look. Run it from
anywhere; it writes next to itself:

    weather/00.svg .. weather/15.svg   175 x 120 weather pictures
    icon/nimbrell.svg                  program icon, 256 x 256 design
    icon/nimbrell-small.svg            program icon redrawn for 16 and 24 px

scripts/render-art.sh turns the SVGs into PNGs.
"""

import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))

WIDTH, HEIGHT = 175, 120


def num(value):
    """Short, stable number text for path data."""
    text = f"{value:.2f}".rstrip("0").rstrip(".")
    return "0" if text == "-0" else text


# ---------------------------------------------------------------------------
# Shared definitions: gradients and the "lift" filter.
#
# The lift filter gives every part a soft dark rim and a soft drop shadow, so
# white clouds still read on a light wallpaper and nothing looks flat on a
# dark one. Each part gets its own filtered group, which also makes a cloud in
# front cast a gentle shadow on the sun behind it.

def linear(ident, stops, x2="0", y2="1"):
    body = "".join(
        f'<stop offset="{o}" stop-color="{c}"/>' for o, c in stops)
    return (f'<linearGradient id="{ident}" x1="0" y1="0" x2="{x2}" '
            f'y2="{y2}">{body}</linearGradient>')


def radial(ident, stops, cx="0.4", cy="0.38", r="0.62"):
    body = "".join(
        f'<stop offset="{o}" stop-color="{c}"/>' for o, c in stops)
    return (f'<radialGradient id="{ident}" cx="{cx}" cy="{cy}" r="{r}">'
            f'{body}</radialGradient>')


def lift_filter(ident, rim, blur, drop, rim_opacity=0.42, shadow_opacity=0.38):
    return (
        f'<filter id="{ident}" x="-30%" y="-30%" width="160%" height="170%" '
        'color-interpolation-filters="sRGB">'
        f'<feMorphology in="SourceAlpha" operator="dilate" radius="{rim}" '
        'result="grown"/>'
        f'<feGaussianBlur in="grown" stdDeviation="{num(rim * 0.45)}" '
        'result="soft"/>'
        f'<feFlood flood-color="#142030" flood-opacity="{rim_opacity}"/>'
        '<feComposite in2="soft" operator="in" result="rim"/>'
        f'<feGaussianBlur in="SourceAlpha" stdDeviation="{blur}"/>'
        f'<feOffset dy="{drop}" result="blurred"/>'
        f'<feFlood flood-color="#0a1018" flood-opacity="{shadow_opacity}"/>'
        '<feComposite in2="blurred" operator="in" result="shadow"/>'
        '<feMerge><feMergeNode in="shadow"/><feMergeNode in="rim"/>'
        '<feMergeNode in="SourceGraphic"/></feMerge></filter>')


DEFS = {
    "lift": lift_filter("lift", rim=1.1, blur=2.0, drop=2.0),
    "liftIcon": lift_filter("liftIcon", rim=4.0, blur=6.0, drop=6.0,
                            rim_opacity=0.55),
    "liftSmall": lift_filter("liftSmall", rim=1.0, blur=0.8, drop=0.6,
                             rim_opacity=0.7, shadow_opacity=0.3),
    "sheen": ('<filter id="sheen" x="-20%" y="-20%" width="140%" '
              'height="140%"><feGaussianBlur stdDeviation="4"/></filter>'),
    # Clouds, light to dark.
    "cloudWhite": linear("cloudWhite", [(0, "#ffffff"), (0.55, "#f3f6fa"),
                                        (1, "#c6d1de")]),
    "cloudGrey": linear("cloudGrey", [(0, "#eef2f6"), (0.5, "#d3dae3"),
                                      (1, "#9ba7b6")]),
    "cloudRain": linear("cloudRain", [(0, "#dde4ec"), (0.5, "#bcc6d2"),
                                      (1, "#8592a3")]),
    "cloudDark": linear("cloudDark", [(0, "#a9b3c0"), (0.5, "#838e9d"),
                                      (1, "#555f6d")]),
    "cloudBack": linear("cloudBack", [(0, "#c3ccd7"), (1, "#7d899a")]),
    "cloudIce": linear("cloudIce", [(0, "#f2f8fc"), (0.5, "#d4e3ee"),
                                    (1, "#98b3c8")]),
    "cloudDust": linear("cloudDust", [(0, "#f1e2c8"), (1, "#c9a676")]),
    "cloudSand": linear("cloudSand", [(0, "#e2bf88"), (0.55, "#c99656"),
                                      (1, "#9c6a33")]),
    "cloudNone": linear("cloudNone", [(0, "#e4e4e4"), (0.55, "#cfcfcf"),
                                      (1, "#a3a3a3")]),
    # Sun core and rays.
    "sunCore": radial("sunCore", [(0, "#fff6b8"), (0.45, "#ffd84a"),
                                  (1, "#ffa11f")]),
    "sunRay": linear("sunRay", [(0, "#ffd23d"), (1, "#ffa41c")]),
    "sunHaze": radial("sunHaze", [(0, "#fbe7b5"), (0.5, "#f0c77e"),
                                  (1, "#d89b4a")]),
    "sunNone": radial("sunNone", [(0, "#eeeeee"), (0.5, "#c8c8c8"),
                                  (1, "#9c9c9c")]),
    # Precipitation.
    "drop": linear("drop", [(0, "#8fdcff"), (1, "#1f7fe6")], x2="0.3"),
    "dropIce": linear("dropIce", [(0, "#f4fcff"), (1, "#8ccbee")], x2="0.3"),
    "icicle": linear("icicle", [(0, "#e9f7ff"), (1, "#9ad3f2")]),
    "bolt": linear("bolt", [(0, "#fff27a"), (0.6, "#ffcc1a"),
                            (1, "#ff9800")], x2="0.4"),
    "fog": linear("fog", [(0, "#f4f7fa"), (1, "#c9d2dc")]),
}


def svg_document(width, height, body, view=None):
    view = view or f"0 0 {width} {height}"
    used = [text for ident, text in DEFS.items() if f"url(#{ident})" in body]
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" '
        f'height="{height}" viewBox="{view}">\n'
        f'<defs>\n' + "\n".join(used) + '\n</defs>\n'
        + body + '</svg>\n')


def lifted(content, filt="lift"):
    return f'<g filter="url(#{filt})">{content}</g>\n'


# ---------------------------------------------------------------------------
# Cloud: an outline of overlapping circles on a flat base, traced as a single
# path so it takes one gradient and one rim.

CLOUD_BUMPS = [(20, 44, 14), (36, 31, 17), (60, 26, 23), (84, 42, 16)]
CLOUD_WIDTH = 100  # the unit cloud spans x 6..100, y 3..58


def upper_intersection(a, b):
    (x0, y0, r0), (x1, y1, r1) = a, b
    dx, dy = x1 - x0, y1 - y0
    d = math.hypot(dx, dy)
    along = (r0 * r0 - r1 * r1 + d * d) / (2 * d)
    h = math.sqrt(r0 * r0 - along * along)
    mx, my = x0 + along * dx / d, y0 + along * dy / d
    p = (mx + h * dy / d, my - h * dx / d)
    q = (mx - h * dy / d, my + h * dx / d)
    return p if p[1] < q[1] else q


def arc_to(circle, start, end):
    cx, cy, r = circle
    a0 = math.atan2(start[1] - cy, start[0] - cx)
    a1 = math.atan2(end[1] - cy, end[0] - cx)
    span = (a1 - a0) % (2 * math.pi)
    large = 1 if span > math.pi else 0
    return f"A{num(r)} {num(r)} 0 {large} 1 {num(end[0])} {num(end[1])}"


def cloud_path_data(bumps=CLOUD_BUMPS):
    first, last = bumps[0], bumps[-1]
    start = (first[0], first[1] + first[2])
    points = [start]
    points += [upper_intersection(a, b) for a, b in zip(bumps, bumps[1:])]
    points.append((last[0], last[1] + last[2]))
    parts = [f"M{num(start[0])} {num(start[1])}"]
    for circle, a, b in zip(bumps, points, points[1:]):
        parts.append(arc_to(circle, a, b))
    parts.append("Z")
    return "".join(parts)


CLOUD_D = cloud_path_data()


def cloud(x, y, scale, fill="cloudWhite", filt="lift", flip=False):
    """A cloud whose unit box (0..100 wide) starts at x, y."""
    mirror = f" translate({CLOUD_WIDTH + 6} 0) scale(-1 1)" if flip else ""
    transform = f"translate({num(x)} {num(y)}) scale({num(scale)}){mirror}"
    # Two clouds never share a place, so the place makes a unique clip id.
    clip = f"cloud-{num(x)}-{num(y)}".replace(".", "_")
    shape = (f'<clipPath id="{clip}"><path transform="{transform}" '
             f'd="{CLOUD_D}"/></clipPath>'
             f'<path transform="{transform}" d="{CLOUD_D}" '
             f'fill="url(#{fill})"/>')
    # A soft light sheen in the upper bumps gives the cloud some volume.
    sheen = (f'<g clip-path="url(#{clip})"><path transform="{transform} '
             f'translate(10 -2) scale(0.8)" d="{CLOUD_D}" fill="#ffffff" '
             'fill-opacity="0.45" filter="url(#sheen)"/></g>')
    return lifted(shape + sheen, filt)


# ---------------------------------------------------------------------------
# Sun: a shaded disc with eight rounded rays.

def sun(cx, cy, radius, core="sunCore", ray="sunRay", rays=8,
        filt="lift", ray_length=None, ray_width=None):
    ray_length = ray_length or radius * 0.46
    ray_width = ray_width or radius * 0.36
    inner = radius + radius * 0.2
    outer = inner + ray_length
    paths = []
    for i in range(rays):
        angle = math.radians(i * 360 / rays - 90)
        ux, uy = math.cos(angle), math.sin(angle)
        px, py = -uy, ux
        w = ray_width / 2
        tip = (cx + ux * outer, cy + uy * outer)
        left = (cx + ux * inner + px * w, cy + uy * inner + py * w)
        right = (cx + ux * inner - px * w, cy + uy * inner - py * w)
        paths.append(f"M{num(left[0])} {num(left[1])}"
                     f"L{num(tip[0])} {num(tip[1])}"
                     f"L{num(right[0])} {num(right[1])}Z")
    corner = num(ray_width * 0.45)
    shapes = (f'<path d="{"".join(paths)}" fill="url(#{ray})" '
              f'stroke="{RAY_EDGES[ray]}" stroke-width="{corner}" '
              'stroke-linejoin="round"/>'
              f'<circle cx="{num(cx)}" cy="{num(cy)}" r="{num(radius)}" '
              f'fill="url(#{core})"/>')
    return lifted(shapes, filt)


# The rays' rounded corners are a stroke in the rays' middle colour.
RAY_EDGES = {"sunRay": "#ffb52a", "sunNone": "#b4b4b4", "sunHaze": "#e3ad62"}


# ---------------------------------------------------------------------------
# Falling things.

def drop_path(r):
    h = r * 2.5
    return (f"M0 {num(-h)}"
            f"C{num(r * 0.3)} {num(-h * 0.62)} {num(r)} {num(-r * 0.75)} "
            f"{num(r)} 0"
            f"A{num(r)} {num(r)} 0 0 1 {num(-r)} 0"
            f"C{num(-r)} {num(-r * 0.75)} {num(-r * 0.3)} {num(-h * 0.62)} "
            f"0 {num(-h)}Z")


def drops(positions, r=6.2, fill="drop", tilt=14):
    """Raindrops; positions are the centres of their round ends."""
    shapes = []
    for x, y in positions:
        shapes.append(
            f'<path transform="translate({num(x)} {num(y)}) rotate({tilt})" '
            f'd="{drop_path(r)}" fill="url(#{fill})"/>'
            f'<ellipse transform="translate({num(x)} {num(y)}) '
            f'rotate({tilt})" cx="{num(-r * 0.38)}" cy="{num(-r * 0.2)}" '
            f'rx="{num(r * 0.22)}" ry="{num(r * 0.42)}" fill="#ffffff" '
            'fill-opacity="0.55"/>')
    return lifted("".join(shapes))


def flake_path(r):
    parts = []
    for i in range(3):
        a = math.radians(90 + i * 60)
        dx, dy = math.cos(a) * r, math.sin(a) * r
        parts.append(f"M{num(-dx)} {num(-dy)}L{num(dx)} {num(dy)}")
    # Short barbs near the end of each arm, bold enough to survive scaling.
    for i in range(6):
        a = math.radians(90 + i * 60)
        ax, ay = math.cos(a), math.sin(a)
        bx, by = ax * r * 0.62, ay * r * 0.62
        for side in (-1, 1):
            b = a + side * math.radians(50)
            ex, ey = bx + math.cos(b) * r * 0.3, by + math.sin(b) * r * 0.3
            parts.append(f"M{num(bx)} {num(by)}L{num(ex)} {num(ey)}")
    return "".join(parts)


def flakes(positions, r=10, width=3.2):
    shapes = []
    for x, y in positions:
        shapes.append(
            f'<path transform="translate({num(x)} {num(y)})" '
            f'd="{flake_path(r)}" fill="none" stroke="#ffffff" '
            f'stroke-width="{num(width)}" stroke-linecap="round" '
            'stroke-linejoin="round"/>'
            f'<circle cx="{num(x)}" cy="{num(y)}" r="{num(width * 0.9)}" '
            'fill="#ffffff"/>')
    return lifted("".join(shapes))


BOLT_D = ("M14 0L27 0L19 17L29 17L8 46L13 25L3 25Z")


def bolt(x, y, scale):
    return lifted(
        f'<path transform="translate({num(x)} {num(y)}) scale({num(scale)})" '
        f'd="{BOLT_D}" fill="url(#bolt)" stroke="#f08c00" '
        f'stroke-width="{num(1.6 / scale)}" stroke-linejoin="round"/>')


def icicles(items):
    """Icicles hanging from (x, y), each (x, y, width, length)."""
    path = "".join(
        f"M{num(x - w / 2)} {num(y)}L{num(x + w / 2)} {num(y)}"
        f"L{num(x)} {num(y + length)}Z" for x, y, w, length in items)
    return lifted(f'<path d="{path}" fill="url(#icicle)" stroke="#dff4ff" '
                  'stroke-width="2.4" stroke-linejoin="round"/>')


def bars(items, fill="fog", height=8):
    """Rounded horizontal bars, each (x, y, length[, opacity])."""
    shapes = []
    for item in items:
        x, y, length = item[:3]
        opacity = item[3] if len(item) > 3 else 1
        shapes.append(
            f'<rect x="{num(x)}" y="{num(y)}" width="{num(length)}" '
            f'height="{height}" rx="{height / 2}" fill="{fill_ref(fill)}" '
            f'fill-opacity="{opacity}"/>')
    return lifted("".join(shapes))


def fill_ref(fill):
    return f"url(#{fill})" if fill in DEFS else fill


def wind(items, colour, width=6):
    """Wind streaks: a straight run ending in a curl, each (x, y, length,
    curl radius); a positive radius curls up, a negative one down, zero
    gives a plain streak."""
    parts = []
    for x, y, length, r in items:
        if r:
            up = 1 if r > 0 else -1
            r = abs(r)
            parts.append(
                f"M{num(x)} {num(y)}H{num(x + length)}"
                f"A{num(r)} {num(r)} 0 1 {0 if up > 0 else 1} "
                f"{num(x + length - r)} {num(y - up * r)}")
        else:
            parts.append(f"M{num(x)} {num(y)}H{num(x + length)}")
    return lifted(f'<path d="{"".join(parts)}" fill="none" stroke="{colour}" '
                  f'stroke-width="{width}" stroke-linecap="round"/>')


def grains(items, colour):
    dots = "".join(
        f'<circle cx="{num(x)}" cy="{num(y)}" r="{num(r)}"/>'
        for x, y, r in items)
    return lifted(f'<g fill="{colour}">{dots}</g>')


# ---------------------------------------------------------------------------
# Block letters for "N/A", drawn as strokes so no font is involved.

def letters_na(x, y, height):
    w = height * 0.72
    gap = height * 0.3
    slash = height * 0.45
    n = (f"M{num(x)} {num(y + height)}V{num(y)}"
         f"L{num(x + w)} {num(y + height)}V{num(y)}")
    sx = x + w + gap
    s = f"M{num(sx)} {num(y + height)}L{num(sx + slash)} {num(y)}"
    ax = sx + slash + gap
    a = (f"M{num(ax)} {num(y + height)}L{num(ax + w / 2 + 1)} {num(y)}"
         f"L{num(ax + w + 2)} {num(y + height)}"
         f"M{num(ax + w * 0.2)} {num(y + height * 0.66)}"
         f"H{num(ax + w * 0.8 + 2)}")
    d = n + s + a
    stroke = height * 0.2
    return lifted(
        f'<path d="{d}" fill="none" stroke="#5f6b78" '
        f'stroke-width="{num(stroke + 3)}" stroke-linecap="round" '
        'stroke-linejoin="round"/>'
        f'<path d="{d}" fill="none" stroke="#ffffff" '
        f'stroke-width="{num(stroke)}" stroke-linecap="round" '
        'stroke-linejoin="round"/>')


# ---------------------------------------------------------------------------
# The sixteen pictures. The widget draws the temperature and the wind over the
# right-hand side of the picture, so the weather sits a little left of centre
# and precipitation stays left of x ~ 120.

def rain_cloud(fill="cloudRain"):
    return cloud(20, 2, 1.12, fill)


def picture_00():
    return (sun(104, 44, 22, core="sunNone", ray="sunNone")
            + cloud(12, 46, 1.12, "cloudNone")
            + letters_na(30, 64, 32))


def picture_01():
    return sun(80, 60, 29, ray_length=15, ray_width=11)


def picture_02():
    return sun(104, 44, 22) + cloud(12, 46, 1.12)


def picture_03():
    return (cloud(44, 12, 0.95, "cloudBack", flip=True)
            + cloud(10, 44, 1.12, "cloudGrey"))


def picture_04():
    return (sun(108, 33, 16) + cloud(16, 16, 1.05, "cloudWhite")
            + drops([(52, 100), (77, 106), (102, 100)]))


def picture_05():
    return (sun(108, 33, 16) + cloud(16, 16, 1.05, "cloudRain")
            + drops([(47, 99), (102, 103)])
            + bolt(58, 63, 1.05))


def picture_06():
    return rain_cloud() + drops([(48, 98), (77, 105), (106, 98)])


def picture_07():
    return (rain_cloud("cloudDark")
            + drops([(42, 87), (66, 87), (90, 87), (114, 87),
                     (54, 106), (78, 106), (102, 106)], r=5.8, tilt=18))


def picture_08():
    return (rain_cloud("cloudDark")
            + drops([(44, 96), (110, 96)])
            + bolt(57, 52, 1.3))


def picture_09():
    return (rain_cloud("cloudGrey")
            + drops([(46, 96), (96, 96)])
            + flakes([(71, 101), (120, 101)], r=9.5))


def picture_10():
    return (rain_cloud("cloudGrey")
            + flakes([(46, 82), (78, 88), (110, 82), (62, 103),
                      (94, 103)], r=9.5))


def picture_11():
    return (rain_cloud("cloudDark")
            + drops([(44, 88), (96, 88), (83, 108)], r=5.8)
            + flakes([(70, 84), (121, 84), (56, 104), (109, 104)], r=8.8))


def picture_12():
    # The icicles start inside the cloud and are drawn first, so they hang
    # from its underside.
    return (icicles([(46, 58, 10, 28), (67, 58, 9, 21), (104, 58, 10, 30),
                     (122, 56, 8, 18)])
            + rain_cloud("cloudIce")
            + drops([(65, 103), (88, 96)], fill="dropIce"))


def picture_13():
    return (cloud(24, 4, 1.0, "cloudGrey")
            + bars([(16, 58, 108), (32, 73, 110), (10, 88, 96),
                    (46, 103, 70)], height=9))


def picture_14():
    return (sun(106, 40, 20, core="sunHaze", ray="sunHaze")
            + bars([(14, 56, 102, 0.95), (34, 72, 92, 0.95),
                    (8, 88, 88, 0.95)], fill="cloudDust", height=9)
            + grains([(24, 106, 3.2), (46, 102, 2.8), (70, 109, 3.4),
                      (94, 103, 2.8), (112, 92, 3), (126, 66, 2.8)],
                     "#cf9b55"))


def picture_15():
    return (cloud(34, 2, 0.98, "cloudSand", flip=True)
            + wind([(20, 56, 86, 11), (12, 75, 112, 0),
                    (28, 93, 74, -8)], "#f0d2a0", width=8)
            + grains([(126, 90, 3.4), (134, 66, 2.8), (114, 106, 3.2),
                      (12, 100, 2.8), (44, 110, 2.6), (136, 110, 2.6)],
                     "#a9672a"))


PICTURES = [picture_00, picture_01, picture_02, picture_03, picture_04,
            picture_05, picture_06, picture_07, picture_08, picture_09,
            picture_10, picture_11, picture_12, picture_13, picture_14,
            picture_15]


# ---------------------------------------------------------------------------
# Program icon: a sun partly behind a cloud.

def icon_large():
    body = (sun(154, 106, 52, filt="liftIcon", ray_length=22, ray_width=22)
            + cloud(8, 116, 1.9, "cloudWhite", filt="liftIcon"))
    return svg_document(256, 256, body)


def icon_small():
    # Fewer, fatter rays and a plainer cloud for a 16 px grid.
    body = (sun(19.6, 12.4, 6.4, filt="liftSmall", rays=8, ray_length=3.6,
                ray_width=4.6)
            + lifted(f'<path transform="translate(0 12.6) scale(0.28)" '
                     f'd="{CLOUD_D}" fill="url(#cloudWhite)"/>', "liftSmall"))
    return svg_document(32, 32, body)


def write(path, text):
    full = os.path.join(HERE, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w", encoding="utf-8") as out:
        out.write(text)


def main():
    for index, picture in enumerate(PICTURES):
        write(f"weather/{index:02d}.svg",
              svg_document(WIDTH, HEIGHT, picture()))
    write("icon/nimbrell.svg", icon_large())
    write("icon/nimbrell-small.svg", icon_small())


if __name__ == "__main__":
    main()
