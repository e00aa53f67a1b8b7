#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# nimbrell-scene show with styled controls on the private test desktop: the pointer on
# the button turns it to its hover colour within 0.3 s, the combo box drops its list
# below the window, a click on an item or Escape closes only the list, and the close
# button closes the window only when the left button is pressed and released on it.
set -euo pipefail
. "$(dirname "$0")/start-show.sh" "$1" "$2"

# The red level of one pixel of the window, read straight from it (not through a
# full-screen grab, which is too slow to time an animation).
pixel="$(dirname "$0")/window-pixel.py"
# The button's top edge, 3 px inside: its fill colour dominates there (#50 at rest,
# #70 hovered, before the gradient towards #30).
probe_x=60
probe_y=13
at_rest() {
  for _ in $(seq 1 50); do
    level=$(python3 "$pixel" level "$window" "$probe_x" "$probe_y")
    [ "$level" -ge 70 ] && [ "$level" -le 82 ] && return 0
    sleep 0.1
  done
  echo "button at rest has level $level" >&2
  exit 1
}

# Level 100 is past half of the 0.2 s animation. A busy machine can hold the window's
# frames back for a moment, so the pointer gets three tries, leaving the button between.
hovered=no
for _ in 1 2 3; do
  at_rest
  if python3 "$pixel" hover "$window" "$probe_x" "$probe_y" "$((X + probe_x))" "$((Y + 25))" 100 300 >&2; then
    hovered=yes
    break
  fi
  xdotool mousemove "$((X + 200))" "$((Y + 300))"
done
[ "$hovered" = yes ] || { echo "no hover colour within 0.3 s in three tries" >&2; exit 1; }

# The grey level of one screen pixel (red channel), for what is outside the window.
grey() {
  import -silent -window root -crop "1x1+$1+$2" -depth 8 txt:- | tail -n 1 | sed -E 's/^[^(]*\(([0-9]+),.*/\1/'
}
# The combo box's list drops below the window, over the desktop's grey (#80); the
# probe is at the top left of its first row, which is never selected here.
below_x=$((X + 14))
below_y=$((Y + 130 + 2 + 8))
wait_level() { # wait_level LOW HIGH WHAT
  for _ in $(seq 1 50); do
    level=$(grey "$below_x" "$below_y")
    [ "$level" -ge "$1" ] && [ "$level" -le "$2" ] && return 0
    sleep 0.1
  done
  echo "$3 (level $level)" >&2
  exit 1
}
wait_level 120 136 "something below the window before the drop-down"
# What the combo box shows, with the pointer away from it: read until two reads in a
# row agree, so that its hover colour has faded.
shown() {
  xdotool mousemove "$((X + 200))" "$((Y + 300))"
  local previous= current
  for _ in $(seq 1 50); do
    current=$(import -silent -window root -crop "90x18+$((X + 12))+$((Y + 110))" -depth 8 txt:- | md5sum)
    [ "$current" = "$previous" ] && break
    previous=$current
    sleep 0.1
  done
  echo "$current"
}
# Fails with MESSAGE unless the window still takes input: the pointer on the button
# brings its hover colour. Input arrives in order, so what was sent before has been
# handled by then.
still_open() {
  xdotool mousemove "$((X + 200))" "$((Y + 300))"
  at_rest
  python3 "$pixel" hover "$window" "$probe_x" "$probe_y" "$((X + probe_x))" "$((Y + 25))" 100 5000 > /dev/null \
    && kill -0 "$pid" 2>/dev/null || { echo "$1" >&2; exit 1; }
}
before=$(shown)
xdotool mousemove "$((X + 60))" "$((Y + 119))" click 1
wait_level 30 80 "the combo box's list did not drop down below it"
# The third item ("1 hour"), below the list's 2 px frame.
xdotool mousemove "$((X + 40))" "$((Y + 130 + 2 + 2 * 19 + 9))" click 1
wait_level 120 136 "a click on an item did not close the list"
[ "$(shown)" != "$before" ] || { echo "the picked item does not show in the combo box" >&2; exit 1; }
kill -0 "$pid" 2>/dev/null || { echo "picking an item closed the window" >&2; exit 1; }
xdotool mousemove "$((X + 60))" "$((Y + 119))" click 1
wait_level 30 80 "the list did not drop down again"
xdotool key Escape
wait_level 120 136 "Escape did not close the list"
still_open "Escape closed the window, not just the list"

close_x=$((X + 224))
close_y=$((Y + 14))
# Pressed on the close button, released elsewhere: the window stays.
xdotool mousemove "$close_x" "$close_y" mousedown 1 mousemove "$((X + 100))" "$((Y + 90))" mouseup 1
still_open "released elsewhere, but the window closed"
# Pressed and released on it: the window closes.
xdotool mousemove "$close_x" "$close_y" mousedown 1 mouseup 1
expect_closed "the close button did not close the window"
echo "show: hover within 0.3 s, close button closes on press and release on it only"
