#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# nimbrell-scene show opens a scene in a window that shows its pixels on the
# desktop, and Escape closes it. Runs on the private test desktop.
set -euo pipefail
. "$(dirname "$0")/start-show.sh" "$1" "$2"
# The panel's dark background shows near its lower left once it is painted.
for _ in $(seq 1 50); do
  pixel=$(import -silent -window root -crop "1x1+$((X + 15))+$((Y + HEIGHT - 20))" -depth 8 txt:- | tail -n 1)
  case "$pixel" in
    *"#203040"*) break ;;
  esac
  sleep 0.1
done
case "$pixel" in
  *"#203040"*) ;;
  *) echo "unexpected pixel: $pixel" >&2; exit 1 ;;
esac
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + HEIGHT / 2))"
# Without a window manager the keyboard follows the pointer: wait until the
# server has it over the window.
for _ in $(seq 1 50); do
  eval "$(xdotool getmouselocation --shell)"
  [ "$WINDOW" = "$window" ] && break
  sleep 0.1
done
xdotool key Escape
expect_closed "Escape did not close the window"
echo "show: opened, painted and closed on Escape"
