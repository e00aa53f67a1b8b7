#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Re-renders the artwork under resources/art from its SVG sources:
#   weather/NN.svg      -> weather/NN.png (175 x 120) and weather/2x/NN.png (350 x 240)
#   icon/nimbrell.svg   -> icon/nimbrell-SIZE.png for 32 px and up (96: twice 48)
#   icon/nimbrell-small.svg -> icon/nimbrell-16.png and icon/nimbrell-24.png
#   window/*.svg        -> the settings and update windows' pictures, and window/2x/*.png
# Any other SVG is rendered at its own size next to itself, and the weather and
# window pictures also at twice their size, for screens of twice the density (not
# the update icon: it is drawn at less than a third of its size, so its one
# picture has pixels enough for such screens too).
# Needs rsvg-convert (Debian package librsvg2-bin); the build does not.
# Pass --generate to rewrite the SVGs with make_art.py and make_window_art.py first.
set -euo pipefail
cd "$(dirname "$0")/../resources/art"

if ! command -v rsvg-convert > /dev/null; then
  echo "render-art.sh: rsvg-convert not found (apt-get install librsvg2-bin)" >&2
  exit 1
fi

if [[ ${1:-} == --generate ]]; then
  python3 make_art.py
  python3 make_window_art.py
fi

render() {  # render SVG PNG [SIZE | xZOOM]
  case ${3:-} in
    '') rsvg-convert -o "$2" "$1" ;;
    x*) rsvg-convert --zoom "${3#x}" -o "$2" "$1" ;;
    *) rsvg-convert --width "$3" --height "$3" --keep-aspect-ratio -o "$2" "$1" ;;
  esac
  echo "$2"
}

for size in 16 24; do
  render icon/nimbrell-small.svg "icon/nimbrell-$size.png" "$size"
done
for size in 32 48 64 96 128 256; do
  render icon/nimbrell.svg "icon/nimbrell-$size.png" "$size"
done

while IFS= read -r -d '' svg; do
  case $svg in
    ./icon/*) continue ;;
  esac
  render "$svg" "${svg%.svg}.png"
  case $svg in
    ./window/update-icon.svg) ;;
    ./weather/* | ./window/*)
      dense=$(dirname "$svg")/2x
      mkdir -p "$dense"
      render "$svg" "$dense/$(basename "${svg%.svg}").png" x2
      ;;
  esac
done < <(find . -name '*.svg' -not -path './preview/*' -print0 | sort -z)

# The settings header is stored as a JPEG (it is opaque).
for header in window/config-header window/2x/config-header; do
  if command -v convert > /dev/null; then
    convert "$header.png" -type TrueColor -quality 95 "$header.jpg"
    echo "$header.jpg"
  else
    echo "render-art.sh: convert (imagemagick) not found; $header.jpg left as it was" >&2
  fi
done
