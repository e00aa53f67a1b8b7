#!/usr/bin/env bash
# A program whose X server goes away ends with a message and a failure status,
# not with a signal or a core dump.
set -euo pipefail
tool=$1
scene=$2
for number in $(seq 150 199); do
  [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] || break
done
Xvfb ":$number" -screen 0 640x480x24 -nolisten tcp > /dev/null 2>&1 &
server=$!
for _ in $(seq 1 100); do
  DISPLAY=":$number" xdpyinfo > /dev/null 2>&1 && break
  sleep 0.05
done
output=$(mktemp)
DISPLAY=":$number" "$tool" show "$scene" 2> "$output" &
pid=$!
sleep 1
kill "$server"
status=0
wait "$pid" || status=$?
if [ "$status" -ne 1 ]; then
  echo "exit status $status, expected 1" >&2
  cat "$output" >&2
  exit 1
fi
grep -q "lost the connection to the display" "$output" || { echo "no message:" >&2; cat "$output" >&2; exit 1; }
echo "display lost: ended with status 1 and a message"
