#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/check-layers.sh passes on the tree and fails on a copy of it with one include
# planted against the rules: an upward one, one beside, a GTK header outside platform/gtk.
set -euo pipefail
source=$(cd "$(dirname "$0")/../.." && pwd)
check=$source/scripts/check-layers.sh
"$check" "$source"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folders=$(awk '!/^#/ && !/^</ && NF { print $1 }' "$source/scripts/layers.txt")

plant() { # FILE LINE: copies the tree, adds LINE to FILE, expects the check to fail naming it
  rm -rf "$work/tree"
  mkdir -p "$work/tree/scripts"
  cp "$source/scripts/layers.txt" "$work/tree/scripts/"
  (cd "$source" && cp -r --parents $folders "$work/tree/")
  printf '%s\n' "$2" >> "$work/tree/$1"
  if "$check" "$work/tree" 2> "$work/out"; then
    echo "FAIL: '$2' in $1 passed the check" >&2
    exit 1
  fi
  grep -q "^$1:[0-9]*: " "$work/out" || { echo "FAIL: no report of $1" >&2; cat "$work/out" >&2; exit 1; }
}

plant base/Utf.h '#include "app/FormWeather.h"'
plant json/JsonValue.h '#include "http/HttpClient.h"'
plant data/CityDatabase.cpp '#include "update/UpdateThread.h"'
plant scene/core/TvxObject.h '#include "scene/host/TvxCustomScene.h"'
plant scene/render/TvxCanvas.h '#include <gtk/gtk.h>'
echo "check-layers: every planted include was caught" >&2
