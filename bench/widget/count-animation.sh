#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The five-day panel's fade and slide on the real program with the demo service:
# CPU per second while it animates (ENTRIES mouse entries of a second each), or,
# with --callgrind, the UI thread's instructions per frame painted and pushed,
# collected only while the panel animates.
#   scripts/with-desktop.sh bench/widget/count-animation.sh [--callgrind] build/app/nimbrell
set -euo pipefail
callgrind=
if [ "${1:-}" = --callgrind ]; then
  callgrind=yes
  shift
fi
program=$(realpath "$1")
entries=${ENTRIES:-5}
work=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
unset TEMP
# A first run extracts the database.
timeout 20 "$program" --render "$work/first.png" > /dev/null 2>&1

# Leaves the widget, then enters it: the panel fades in and slides down for 0.8 s.
enter() {
  xdotool mousemove 1200 1000
  sleep 0.3
  xdotool mousemove 560 360
}

if [ -z "$callgrind" ]; then
  "$program" --demo > /dev/null 2>&1 &
  pid=$!
  sleep 4 # the first forecast and the two-second entrance
  ticks() { awk '{ print $14 + $15 }' /proc/"$pid"/stat; }
  total=0
  for _ in $(seq "$entries"); do
    xdotool mousemove 1200 1000
    sleep 0.3
    t1=$(ticks)
    xdotool mousemove 560 360
    sleep 1
    t2=$(ticks)
    total=$((total + t2 - t1))
  done
  echo "CPU while the panel animates: $((total * 1000 / $(getconf CLK_TCK) / entries)) ms per second"
  exit 0
fi

NIMBRELL_FIRST_FRAME_PROBE=1 valgrind --tool=callgrind --instr-atstart=no --separate-threads=yes \
  --callgrind-out-file="$work/profile" "$program" --demo > /dev/null 2> "$work/log" &
pid=$!
# Under valgrind the start and the entrance take longer.
for _ in $(seq 120); do
  if grep -q "first frame at" "$work/log" 2> /dev/null; then break; fi
  sleep 0.5
done
sleep 15 # the first forecast and the two-second entrance
# The first entry blurs the rows' halos once for the forecast's texts: not a cost of
# every entry.
enter
sleep 5
callgrind_control -i on "$pid" > /dev/null
for _ in $(seq "$entries"); do
  enter
  sleep 3 # far fewer frames run under valgrind: give the 0.8 s animation time to end
done
callgrind_control -i off "$pid" > /dev/null
kill -TERM "$pid"
wait "$pid" 2> /dev/null || true
# The UI thread is the first thread's profile.
ui=$(ls "$work"/profile-01 2> /dev/null || ls "$work"/profile* | head -1)
annotated=$(callgrind_annotate --inclusive=yes --threshold=99.9 --auto=no "$ui" 2> /dev/null || true)
total=$(echo "$annotated" | sed -n 's/^ *\([0-9,]*\) .*PROGRAM TOTALS.*/\1/p' | tr -d ,)
# Frames: the calls of the scene's Present, read from the call graph.
frames=$(callgrind_annotate --threshold=100 --auto=no --tree=calling "$ui" 2> /dev/null \
  | sed -n -E 's/.*> .*TvxScene::Present\(\) \(([0-9]+)x\).*/\1/p' | awk '{ s += $1 } END { print s + 0 }')
echo "UI thread instructions while animating: $total"
echo "frames pushed: $frames"
if [ "$frames" -gt 0 ]; then
  echo "instructions per frame: $((total / frames))"
fi
echo "$annotated" | grep -v "=>" | grep -E "TvxCustomScene::Draw\(\) |TvxCustomScene::PaintRoots\(\) |TvxScene::Present\(\) |PaintBackground\(\) |FillText|DrawBitmap|ApplyEffects|PushLayered" \
  | sed -E 's/ \[[^]]*\]$//; s/\(std::.*$//; s| [^ ]*/([A-Za-z]+\.(cpp\|h):)| \1|' | awk '!seen[$0]++' | head -20 || true
