#!/usr/bin/env bash
# Runs a command on a private X desktop: Xvfb (24-bit) with the xcompmgr
# compositor, so that per-pixel alpha is real. The compositor paints the root
# in solid grey #808080. DISPLAY points at it for the command.
set -euo pipefail

for number in $(seq 90 140); do
  [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] || break
done
export DISPLAY=:$number
# No accessibility bus on the private desktop.
export NO_AT_BRIDGE=1

Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp -noreset > /dev/null 2>&1 &
xvfb=$!
cleanup() {
  kill "${compositor:-}" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

for _ in $(seq 1 100); do
  xdpyinfo > /dev/null 2>&1 && break
  sleep 0.05
done
xcompmgr > /dev/null 2>&1 &
compositor=$!
sleep 0.3

"$@"
