#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The widget's running costs, measured on the real program with the demo service:
#   scripts/with-desktop.sh bench/widget/run-widget.sh build/app/nimbrell
# start-up to the first frame pushed (the database already extracted), resident
# memory after the first forecast and after a minute idle, wake-ups over the
# idle minute, and CPU per second while the five-day panel animates.
set -euo pipefail
program=$(realpath "$1")
runs=${STARTUP_RUNS:-10}
idle=${IDLE_SECONDS:-60}
work=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
unset TEMP

now_ns() { date +%s%N; }
# A first run extracts the database; the runs measured start with it in place.
timeout 20 "$program" --render "$work/first.png" > /dev/null 2>&1

startups=()
for run in $(seq "$runs"); do
  log=$work/log-$run
  start=$(now_ns)
  NIMBRELL_FIRST_FRAME_PROBE=1 "$program" --demo 2> "$log" &
  pid=$!
  while ! grep -q "first frame at [0-9][0-9]* ns" "$log" 2>/dev/null; do sleep 0.005; done
  frame=$(sed -n 's/.*first frame at \([0-9]*\) ns.*/\1/p' "$log")
  startups+=($(( (frame - start) / 1000000 )))
  kill "$pid"; wait "$pid" 2>/dev/null || true
done
sorted=$(printf '%s\n' "${startups[@]}" | sort -n)
echo "start-up to first frame (ms, $runs runs): median $(echo "$sorted" | sed -n "$(( (runs + 1) / 2 ))p"), min $(echo "$sorted" | head -1), max $(echo "$sorted" | tail -1)"

"$program" --demo > /dev/null 2>&1 &
pid=$!
sleep 4 # the first forecast and the two-second entrance
rss() { awk '/^VmRSS/ { print $2 / 1024 " MB" }' /proc/"$pid"/status; }
private() { awk '/^(Private_Clean|Private_Dirty):/ { s += $2 } END { print s / 1024 " MB" }' /proc/"$pid"/smaps_rollup; }
echo "resident after the first forecast: $(rss) ($(private) private)"
# The UI thread's switches: workers come and go, the UI thread is what an idle widget wakes.
switches() { awk '/^(non)?voluntary_ctxt_switches/ { s += $2 } END { print s }' /proc/"$pid"/task/"$pid"/status; }
ticks() { awk '{ print $14 + $15 }' /proc/"$pid"/stat; }
a=$(switches)
sleep "$idle"
b=$(switches)
echo "resident after ${idle} s idle: $(rss) ($(private) private); wake-ups over the idle time: $((b - a))"

# The panel fades in and slides down for 0.8 s each time the mouse enters.
total=0
for _ in 1 2 3 4 5; do
  xdotool mousemove 1200 1000; sleep 0.3
  t1=$(ticks); xdotool mousemove 560 360; sleep 1; t2=$(ticks)
  total=$(( total + t2 - t1 ))
done
echo "CPU while the panel animates: $(( total * 1000 / $(getconf CLK_TCK) / 5 )) ms per second"
