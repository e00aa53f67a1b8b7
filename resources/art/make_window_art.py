#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the pictures of the settings and update windows as SVG.

They share the weather pictures' gradients, lift filter, sun and cloud
(make_art.py), so the windows and the widget keep one look. Run it from
anywhere; it writes next to itself:

    window/config-frame.svg     207 x 105  settings frame, stretched with
                                           fixed margins (22, 22, 25, 25)
    window/config-titlebar.svg  800 x 26   settings title bar, tiled
    window/config-header.svg     64 x 50   settings header, tiled (opaque)
    window/config-logo.svg      120 x 120  settings logo
    window/update-frame.svg     224 x 121  update frame, stretched with
                                           fixed margins (60, 60, 60, 60)
    window/update-icon.svg      256 x 256  update icon, shown at 80 x 80

A stretched frame keeps its corners and stretches its edges and middle, so
every edge and the middle are drawn uniform along the direction they stretch.
"""

import make_art
from make_art import linear, lifted, num, radial, svg_document, write


def drop_shadow(ident, blur, dx, dy, colour, opacity, x, y, width, height):
    """A soft shadow of the shape's outline under the shape itself."""
    return (f'<filter id="{ident}" x="{x}" y="{y}" width="{width}" '
            f'height="{height}" color-interpolation-filters="sRGB">'
            f'<feGaussianBlur in="SourceAlpha" stdDeviation="{blur}"/>'
            f'<feOffset dx="{dx}" dy="{dy}" result="blurred"/>'
            f'<feFlood flood-color="{colour}" flood-opacity="{opacity}"/>'
            '<feComposite in2="blurred" operator="in"/>'
            '<feMerge><feMergeNode/><feMergeNode in="SourceGraphic"/></feMerge>'
            '</filter>')


make_art.DEFS.update({
    "frameShadow": drop_shadow("frameShadow", 3.2, 3, 4, "#000000", 0.55,
                               "-20%", "-30%", "140%", "170%"),
    "glowShadow": drop_shadow("glowShadow", 9, 0, 8, "#001418", 0.6,
                              "-40%", "-60%", "180%", "240%"),
    "configPanel": linear("configPanel", [(0, "#5a5a5a"), (0.12, "#414141"),
                                          (1, "#262626")]),
    "configRim": linear("configRim", [(0, "#a8a8a8"), (0.5, "#5c5c5c"),
                                      (1, "#3a3a3a")]),
    "titleBar": linear("titleBar", [(0, "#fbfbfb"), (0.48, "#e2e2e2"),
                                    (0.52, "#cbcbcb"), (1, "#d9d9d9")]),
    "header": linear("header", [(0, "#3d3d3d"), (1, "#232323")]),
    "badge": radial("badge", [(0, "#4fb6ff"), (0.6, "#1f6fd0"),
                              (1, "#0d3b80")], cx="0.5", cy="0.35", r="0.7"),
    "badgeRing": linear("badgeRing", [(0, "#ffffff"), (1, "#8fa7c4")]),
    "glossFade": (
        '<linearGradient id="glossFade" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#ffffff" stop-opacity="0.75"/>'
        '<stop offset="1" stop-color="#ffffff" stop-opacity="0.05"/>'
        '</linearGradient>'),
    "updatePanel": (
        '<linearGradient id="updatePanel" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#2c4a52" stop-opacity="0.96"/>'
        '<stop offset="1" stop-color="#0f2227" stop-opacity="0.96"/>'
        '</linearGradient>'),
    "updateRim": linear("updateRim", [(0, "#bff4fb"), (0.4, "#4fb7c6"),
                                      (1, "#1a5f6a")]),
    "updateBadge": radial("updateBadge", [(0, "#7ff0e0"), (0.55, "#14b3a6"),
                                          (1, "#07605f")],
                          cx="0.5", cy="0.32", r="0.72"),
    "arrow": linear("arrow", [(0, "#ffffff"), (1, "#dcefff")]),
    "arrowAccent": linear("arrowAccent", [(0, "#ffe27a"), (1, "#f5a80f")]),
})


def gloss(cx, cy, rx, ry):
    """The glass highlight across the upper half of a round badge."""
    return (f'<ellipse cx="{num(cx)}" cy="{num(cy)}" rx="{num(rx)}" '
            f'ry="{num(ry)}" fill="url(#glossFade)"/>')


def config_frame():
    # The panel leaves room for its shadow to the right and below, which the
    # larger right and bottom margins keep unstretched.
    body = ('<g filter="url(#frameShadow)">'
            '<rect x="3.5" y="3.5" width="192" height="90" rx="8" '
            'fill="url(#configPanel)" stroke="#111111"/>'
            '<rect x="5" y="5" width="189" height="87" rx="6.5" fill="none" '
            'stroke="url(#configRim)" stroke-opacity="0.8"/>'
            '</g>\n')
    return svg_document(207, 105, body)


def config_titlebar():
    body = ('<rect width="800" height="26" fill="url(#titleBar)"/>'
            '<rect width="800" height="1" fill="#ffffff"/>'
            '<rect y="25" width="800" height="1" fill="#8a8a8a"/>\n')
    return svg_document(800, 26, body)


def config_header():
    # Fine diagonal lines with a period that divides the width, so the tile
    # repeats without a seam.
    lines = "".join(
        f'<path d="M{x} 50L{x + 50} 0" stroke="#ffffff" stroke-opacity="0.045" '
        'stroke-width="2"/>' for x in range(-56, 72, 8))
    body = ('<rect width="64" height="50" fill="url(#header)"/>'
            + lines
            + '<rect width="64" height="1" fill="#555555"/>'
            '<rect y="49" width="64" height="1" fill="#151515"/>\n')
    return svg_document(64, 50, body)


def config_logo():
    mark = (make_art.sun(154, 106, 52, filt="liftIcon", ray_length=22,
                         ray_width=22)
            + make_art.cloud(8, 116, 1.9, "cloudWhite", filt="liftIcon"))
    body = (lifted('<circle cx="60" cy="60" r="53" fill="url(#badge)" '
                   'stroke="url(#badgeRing)" stroke-width="4"/>', "lift")
            + f'<g transform="translate(21 18) scale(0.31)">{mark}</g>\n'
            + gloss(60, 36, 40, 24) + '\n')
    return svg_document(120, 120, body)


def update_frame():
    # Edges within 60 px of the border stay as drawn; the panel's sides, top
    # and bottom run straight through the stretched middle.
    body = ('<g filter="url(#glowShadow)">'
            '<rect x="30.5" y="9.5" width="167" height="76" rx="10" '
            'fill="url(#updatePanel)" stroke="#061214"/>'
            '<rect x="32" y="11" width="164" height="73" rx="8.5" '
            'fill="none" stroke="url(#updateRim)" stroke-width="1.5"/>'
            '</g>\n')
    return svg_document(224, 121, body)


def update_icon():
    arrow = ('<path d="M104 54H152V118H186L128 180L70 118H104Z" '
             'fill="url(#arrow)" stroke="#0b5752" stroke-width="6" '
             'stroke-linejoin="round"/>')
    tray = ('<path d="M62 170V196H194V170" fill="none" stroke="url(#arrowAccent)" '
            'stroke-width="18" stroke-linecap="round" stroke-linejoin="round"/>')
    body = (lifted('<circle cx="128" cy="128" r="112" fill="url(#updateBadge)" '
                   'stroke="url(#badgeRing)" stroke-width="8"/>', "liftIcon")
            + gloss(128, 74, 82, 50) + '\n'
            + lifted(arrow + tray, "liftIcon"))
    return svg_document(256, 256, body)


PICTURES = {
    "window/config-frame.svg": config_frame,
    "window/config-titlebar.svg": config_titlebar,
    "window/config-header.svg": config_header,
    "window/config-logo.svg": config_logo,
    "window/update-frame.svg": update_frame,
    "window/update-icon.svg": update_icon,
}


def main():
    for path, picture in PICTURES.items():
        write(path, picture())


if __name__ == "__main__":
    main()
