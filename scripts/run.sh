#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the program and runs it with the built-in
# demo forecast service, so it shows weather without any network. Without a display
# it draws the widget into a picture instead (NIMBRELL_RENDER_FILE, by default
# build/widget.png in the checkout) and says where it is.
set -euo pipefail
picture=$(realpath -m "${NIMBRELL_RENDER_FILE:-$(dirname "$0")/../build/widget.png}")
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/app/nimbrell --demo "$@"
fi
for argument in "$@"; do
  case "$argument" in
    --render | --render=*) exec ./build/app/nimbrell --demo "$@" ;;
  esac
done
echo "No display: drawing the widget into a picture instead of a window." >&2
./build/app/nimbrell --demo --render "$picture" "$@"
echo "The widget is drawn in $picture"
