#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command on a private X desktop: Xvfb (24-bit) with the xcompmgr
# compositor, so that per-pixel alpha is real. The compositor paints the root in
# solid grey #808080 where windows change. DISPLAY points at it for the command.
# Xvfb picks a free display itself and reports it once it accepts clients; when
# it does not come up the command is not run and the script fails.
#
# Usage: with-desktop.sh [OPTION...] COMMAND [ARGUMENT...]
#   --no-compositor   no compositing manager; the root gets a #808080 background
#                     picture, named in _XROOTPMAP_ID as desktop programs set it
#   --wm openbox      a real window manager (openbox, two workspaces) beside the
#                     compositor; the command runs once it manages the screen
#   --screen WxH      the screen's size (1280x1024 by default); xrandr can make it
#                     smaller at run time (it cannot grow past this)
set -euo pipefail

compositing=yes
manager=
screen=1280x1024
while [ $# -gt 0 ]; do
  case $1 in
    --no-compositor) compositing=; shift ;;
    --wm) manager=$2; shift 2 ;;
    --screen) screen=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
if [ $# -eq 0 ]; then
  echo "usage: with-desktop.sh [--no-compositor] [--wm openbox] [--screen WxH] COMMAND [ARGUMENT...]" >&2
  exit 2
fi
case $manager in
  '' | openbox) ;;
  *) echo "with-desktop: unknown window manager $manager" >&2; exit 2 ;;
esac

here=$(cd "$(dirname "$0")" && pwd)

# No accessibility bus on the private desktop.
export NO_AT_BRIDGE=1

coproc XVFB { exec Xvfb -displayfd 1 -screen 0 "${screen}x24" -nolisten tcp -noreset 2> /dev/null; }
xvfb=${XVFB_PID:-}
report=${XVFB[0]:-}
helpers=()
scratch=
cleanup() {
  for pid in "${helpers[@]}"; do
    kill "$pid" 2> /dev/null || true
  done
  kill "$xvfb" 2> /dev/null || true
  wait 2> /dev/null || true
  if [ -n "$scratch" ]; then rm -rf "$scratch"; fi
}
trap cleanup EXIT

number=
if [ -z "$report" ] || ! read -r -t 30 number <&"$report" || [ -z "$number" ]; then
  echo "with-desktop: Xvfb did not come up" >&2
  exit 1
fi
export DISPLAY=:$number

# Starts a helper and waits until it owns the X selection that says it is ready.
start_owner() {
  local selection=$1 what=$2
  shift 2
  "$@" > /dev/null 2>&1 &
  helpers+=("$!")
  if ! "$here/desktop-tool.py" wait-owner "$selection" 15; then
    echo "with-desktop: $what did not start on $DISPLAY" >&2
    exit 1
  fi
}

if [ -n "$compositing" ]; then
  start_owner _NET_WM_CM_S0 "the compositor" xcompmgr
else
  "$here/desktop-tool.py" root-picture 808080
fi

if [ "$manager" = openbox ]; then
  scratch=$(mktemp -d)
  mkdir -p "$scratch/openbox"
  # Stock bindings, two workspaces.
  sed 's|<number>4</number>|<number>2</number>|' /etc/xdg/openbox/rc.xml > "$scratch/openbox/rc.xml"
  XDG_CONFIG_HOME=$scratch start_owner WM_S0 "openbox" openbox --config-file "$scratch/openbox/rc.xml"
fi

"$@"
