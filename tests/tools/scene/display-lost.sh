#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A program whose X server goes away ends with a message and a failure status,
# not with a signal or a core dump.
set -euo pipefail
tool=$1
scene=$2
coproc XVFB { exec Xvfb -displayfd 1 -screen 0 640x480x24 -nolisten tcp 2> /dev/null; }
server=${XVFB_PID:-}
report=${XVFB[0]:-}
number=
if [ -z "$report" ] || ! read -r -t 30 number <&"$report" || [ -z "$number" ]; then
  echo "Xvfb did not come up" >&2
  exit 1
fi
output=$(mktemp)
trap 'rm -f "$output"' EXIT
DISPLAY=":$number" "$tool" show "$scene" 2> "$output" &
pid=$!
# The display goes away once the window is up.
for _ in $(seq 1 100); do
  DISPLAY=":$number" xdotool search --name '^panel.txt$' > /dev/null 2>&1 && break
  sleep 0.1
done
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
