#!/usr/bin/env bash
# nimbrell-scene show with styled controls on the private test desktop: the pointer on
# the button turns it to its hover colour within 0.3 s, and the close button closes the
# window only when the left button is pressed and released on it.
set -euo pipefail
. "$(dirname "$0")/start-show.sh" "$1" "$2"

# The grey level of one screen pixel (red channel).
grey() {
  import -silent -window root -crop "1x1+$1+$2" -depth 8 txt:- | tail -n 1 | sed -E 's/^[^(]*\(([0-9]+),.*/\1/'
}
# The button's top edge, 3 px inside: its fill colour dominates there (#50 at rest,
# #70 hovered, before the gradient towards #30).
probe_x=$((X + 60))
probe_y=$((Y + 13))
for _ in $(seq 1 50); do
  level=$(grey "$probe_x" "$probe_y")
  [ "$level" -ge 70 ] && [ "$level" -le 82 ] && break
  sleep 0.1
done
[ "$level" -ge 70 ] && [ "$level" -le 82 ] || { echo "button at rest has level $level" >&2; exit 1; }

xdotool mousemove "$probe_x" "$((Y + 25))"
start=$(date +%s%N)
hovered=no
while :; do
  shot=$(date +%s%N)
  level=$(grey "$probe_x" "$probe_y")
  if [ "$level" -ge 100 ]; then
    hovered=yes
    break
  fi
  [ $(((shot - start) / 1000000)) -gt 350 ] && break
done
[ "$hovered" = yes ] || { echo "no hover colour within 0.3 s (level $level)" >&2; exit 1; }
echo "hover colour after $(((shot - start) / 1000000)) ms"

close_x=$((X + 224))
close_y=$((Y + 14))
# Pressed on the close button, released elsewhere: the window stays.
xdotool mousemove "$close_x" "$close_y" sleep 0.1 mousedown 1 sleep 0.1 mousemove "$((X + 100))" "$((Y + 90))" sleep 0.1 mouseup 1
sleep 0.5
kill -0 "$pid" 2>/dev/null || { echo "released elsewhere, but the window closed" >&2; exit 1; }
# Pressed and released on it: the window closes.
xdotool mousemove "$close_x" "$close_y" sleep 0.1 mousedown 1 sleep 0.1 mouseup 1
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the close button did not close the window" >&2
  exit 1
fi
wait "$pid"
echo "show: hover within 0.3 s, close button closes on press and release on it only"
