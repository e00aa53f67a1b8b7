#!/usr/bin/env bash
# Runs a command on a private X desktop: Xvfb (24-bit) with the xcompmgr
# compositor, so that per-pixel alpha is real. The compositor paints the root
# in solid grey #808080. DISPLAY points at it for the command. Xvfb picks a
# free display itself and reports it once it accepts clients; when it does not
# come up the command is not run and the script fails.
set -euo pipefail

# No accessibility bus on the private desktop.
export NO_AT_BRIDGE=1

coproc XVFB { exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset 2> /dev/null; }
xvfb=${XVFB_PID:-}
report=${XVFB[0]:-}
cleanup() {
  kill "${compositor:-}" 2> /dev/null || true
  kill "$xvfb" 2> /dev/null || true
  wait 2> /dev/null || true
}
trap cleanup EXIT

number=
if [ -z "$report" ] || ! read -r -t 30 number <&"$report" || [ -z "$number" ]; then
  echo "with-desktop: Xvfb did not come up" >&2
  exit 1
fi
export DISPLAY=:$number

xcompmgr > /dev/null 2>&1 &
compositor=$!
# xcompmgr has no ready signal; give it a moment, then make sure it runs.
sleep 0.3
if ! kill -0 "$compositor" 2> /dev/null; then
  echo "with-desktop: the compositor did not start on $DISPLAY" >&2
  exit 1
fi

"$@"
