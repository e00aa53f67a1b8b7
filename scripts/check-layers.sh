#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails on any #include that scripts/layers.txt does not allow: a folder including one
# beside or above it, or a GTK, GDK or X11 header outside the folders allowed to.
# Usage: check-layers.sh [TREE]   (default: this repository)
set -euo pipefail
tree=${1:-$(dirname "$0")/..}
cd "$tree"
rules=scripts/layers.txt

declare -A allowed system
while read -r name rest; do
  [[ -z $name || $name == \#* ]] && continue
  if [[ $name == \<* ]]; then
    system[$name]=$rest
  else
    allowed[$name]=$rest
  fi
done < "$rules"

# Whether PATH lies in one of the folders listed in WORDS.
inside() {
  local path=$1 folder
  for folder in $2; do
    [[ $path == "$folder"/* ]] && return 0
  done
  return 1
}

faults=0
declare -A owners
while IFS=: read -r file line text; do
  if [[ -z ${owners[$file]+set} ]]; then
    owner=${file%/*}
    while [[ $owner == */* && -z ${allowed[$owner]+set} ]]; do
      owner=${owner%/*}
    done
    owners[$file]=$owner
  fi
  owner=${owners[$file]}
  [[ -n ${allowed[$owner]+set} ]] || continue
  if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+/[^\"]+)\" ]]; then
    included=${BASH_REMATCH[1]}
    [[ -d ${included%%/*} ]] || continue # not one of the program's folders
    inside "$included" "$owner ${allowed[$owner]}" && continue
  elif [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*(\<[^/\>]+/) ]]; then
    included=${BASH_REMATCH[1]}
    [[ -n ${system[$included]+set} ]] || continue
    inside "$file" "${system[$included]}" && continue
  else
    continue
  fi
  echo "$file:$line: $owner/ may not include ${included}" >&2
  faults=$((faults + 1))
done < <(grep -rHn --include='*.cpp' --include='*.h' '^[[:space:]]*#[[:space:]]*include' "${!allowed[@]}" 2>/dev/null || true)

if ((faults > 0)); then
  echo "layers: $faults include(s) against scripts/layers.txt" >&2
  exit 1
fi
echo "layers: every include as scripts/layers.txt allows" >&2
