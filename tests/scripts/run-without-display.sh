#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The run command: with a display it starts the widget as before; without one it draws
# the widget into a picture and names it. The installing and building steps are
# replaced by no-ops in a copy of the script folder; the program is the built one.
# Usage: run-without-display.sh RUN_SCRIPT PROGRAM
set -euo pipefail
run_script=$1
program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/checkout/scripts" "$work/checkout/build/app" "$work/data" "$work/elsewhere"
cp "$run_script" "$work/checkout/scripts/run.sh"
printf '#!/bin/sh\nexit 0\n' > "$work/checkout/scripts/install-deps.sh"
printf '#!/bin/sh\nexit 0\n' > "$work/checkout/scripts/build.sh"
chmod +x "$work/checkout/scripts/"*.sh
export HOME="$work/data"
unset TEMP XDG_CONFIG_HOME XDG_CACHE_HOME
fail() { echo "$*" >&2; exit 1; }

# A picture of the whole window with ink in the widget's corner.
check_picture() {
  [ -f "$1" ] || fail "no picture at $1"
  size=$(identify -format '%wx%h' "$1")
  [ "$size" = 635x866 ] || fail "picture of $size"
  ink=$(convert "$1" -crop 226x120+11+7 -alpha extract -format '%[fx:maxima]' info:)
  [ "$ink" != 0 ] || fail "nothing painted in $1"
}

ln -s "$(realpath "$program")" "$work/checkout/build/app/nimbrell"
unset DISPLAY WAYLAND_DISPLAY
# Without a display: the default picture, named on standard output (a program that
# keeps running instead is cut short).
output=$(cd "$work/elsewhere" && timeout 60 "$work/checkout/scripts/run.sh" 2> "$work/stderr") || fail "status $?: $(cat "$work/stderr")"
expected="$work/checkout/build/widget.png"
[ "$output" = "The widget is drawn in $expected" ] || fail "said: $output"
check_picture "$expected"
# A chosen file, relative to where the command was given, and the program's own options.
output=$(cd "$work/elsewhere" && NIMBRELL_RENDER_FILE=open.png timeout 60 "$work/checkout/scripts/run.sh" --panel 2> "$work/stderr") \
  || fail "status $?: $(cat "$work/stderr")"
[ "$output" = "The widget is drawn in $work/elsewhere/open.png" ] || fail "said: $output"
check_picture "$work/elsewhere/open.png"
panel_ink=$(convert "$work/elsewhere/open.png" -crop 226x320+11+127 -alpha extract -format '%[fx:maxima]' info:)
[ "$panel_ink" != 0 ] || fail "--panel was not passed on"

# With a display the program is started as before, with the demo service and the given options.
rm "$work/checkout/build/app/nimbrell"
printf '#!/bin/sh\necho "$@" > "%s"\n' "$work/arguments" > "$work/checkout/build/app/nimbrell"
chmod +x "$work/checkout/build/app/nimbrell"
for display in "DISPLAY=:93" "WAYLAND_DISPLAY=wayland-3"; do
  env "$display" "$work/checkout/scripts/run.sh" --weather-host 127.0.0.1:1 > /dev/null
  [ "$(cat "$work/arguments")" = "--demo --weather-host 127.0.0.1:1" ] || fail "$display: started with $(cat "$work/arguments")"
done
echo "run: a window with a display, else a picture it names"
