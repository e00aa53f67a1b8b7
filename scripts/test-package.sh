#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a build tree, checks it with lintian (no error,
# warning or hardening tag), installs it into the running system, checks the
# installed program's hardening, menu entry and metadata, runs it headless and on
# a private desktop (its window class is the menu entry's StartupWMClass),
# removes the package and checks that none of its files is left. Needs root (dpkg).
#   scripts/test-package.sh [BUILD_DIR]     (default: build; configure it with
#   -DNIMBRELL_DISTRIBUTION_FLAGS=ON, as scripts/test.sh does, or the hardening
#   checks fail)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
fail() { echo "test-package.sh: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || fail "installs into this system with dpkg, so it needs root"
if dpkg-query -W -f='${Status}' nimbrell 2>/dev/null | grep -q "ok installed"; then
  fail "the nimbrell package is installed already; remove it first (dpkg -r nimbrell)"
fi

deb=$(./scripts/package.sh "$dir")
status=0
report=$(lintian -EvIL +pedantic --fail-on error,warning "$deb" 2>&1) || status=$?
echo "$report" >&2
[ "$status" -eq 0 ] || fail "lintian reports errors or warnings in $deb"
! grep -q "^[A-Z]: nimbrell.*: hardening-" <<< "$report" || fail "lintian reports missing hardening in $deb"

# What the package brings, and which of its folders the system has already.
mapfile -t paths < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^/\?$')
existing=()
for path in "${paths[@]}"; do
  [ -e "$path" ] && existing+=("$path")
done

scratch=$(mktemp -d)
cleanup() {
  dpkg -r nimbrell > /dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT

dpkg -i "$deb" > /dev/null
[ "$(command -v nimbrell)" = /usr/bin/nimbrell ] || fail "nimbrell is not /usr/bin/nimbrell after dpkg -i"
version=$(dpkg-deb -f "$deb" Version)
nimbrell --version | grep -q "^nimbrell $version (build [0-9]*)$" || fail "nimbrell --version does not say $version"
# Debian 12's C start files carry no control-flow property note, so the linker
# marks no program built here with one, whatever its own code has. That code's
# protection shows instead as an end-branch instruction at each function that
# may be called indirectly (without it only the start files' few remain).
for program in /usr/bin/nimbrell /usr/bin/nimbrell-scene; do
  hardening-check --nocfprotection "$program" >&2 || fail "hardening-check finds $program unprotected"
  code=$(objdump -d --no-show-raw-insn "$program")
  branches=$(grep -c $'\tendbr64' <<< "$code" || true)
  returns=$(grep -c $'\tret' <<< "$code" || true)
  [ "$branches" -gt $((returns / 2)) ] \
    || fail "$program has $branches end-branch instructions for $returns returns: built without -fcf-protection"
  echo "test-package.sh: $program: $branches end-branch instructions for $returns returns" >&2
done
entry=/usr/share/applications/org.nimbrell.nimbrell.desktop
metainfo=/usr/share/metainfo/org.nimbrell.nimbrell.metainfo.xml
validation=$(desktop-file-validate "$entry" 2>&1) && [ -z "$validation" ] \
  || fail "desktop-file-validate: $validation"
validation=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) \
  || fail "appstreamcli validate: $validation"
! grep -q "^[A-Z]: " <<< "$validation" || fail "appstreamcli validate --pedantic: $validation"

# The desktop groups the widget's window under its menu entry by the window's class.
wm_class=$(sed -n 's/^StartupWMClass=//p' "$entry")
[ -n "$wm_class" ] || fail "$entry has no StartupWMClass"
TEMP="$scratch" XDG_CONFIG_HOME="$scratch/config" ./scripts/with-desktop.sh bash -c '
  nimbrell --demo > "$TEMP/desktop.log" 2>&1 &
  pid=$!
  for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --pid "$pid" 2> /dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] && xprop -id "$window" WM_CLASS > "$TEMP/wm-class"
  kill -TERM "$pid"
  wait "$pid"
' || fail "the installed program showed no window on a private desktop: $(cat "$scratch/desktop.log")"
grep -q "= \".*\", \"$wm_class\"$" "$scratch/wm-class" \
  || fail "the window's class ($(cat "$scratch/wm-class")) is not the menu entry's StartupWMClass $wm_class"
rm -rf "$scratch/NimbrellWeather"

# A headless start from the installed paths with a data directory of its own,
# closed by SIGTERM as a session would.
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u TEMP XDG_CONFIG_HOME="$scratch/config" XDG_CACHE_HOME="$scratch/cache" nimbrell --demo)
"${headless[@]}" > "$scratch/start.log" 2>&1 &
pid=$!
for _ in $(seq 300); do
  [ -s "$scratch/cache/nimbrell/Nimbrell.db" ] && grep -q "data directory" "$scratch/start.log" && break
  kill -0 "$pid" 2> /dev/null || break
  sleep 0.1
done
kill -TERM "$pid" 2> /dev/null || fail "the installed program ended by itself: $(cat "$scratch/start.log")"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { cat "$scratch/start.log" >&2; fail "the installed program ended with status $status"; }
[ -s "$scratch/config/nimbrell/historyLog.ini" ] || { cat "$scratch/start.log" >&2; fail "the installed program wrote no settings"; }

# Drawing the widget needs only what the program embeds.
if timeout 60 "${headless[@]}" --render "$scratch/widget.png" > "$scratch/render.log" 2>&1; then
  [ "$(head -c 8 "$scratch/widget.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] \
    || fail "--render wrote no PNG"
elif grep -q 'unknown option "--render' "$scratch/render.log"; then
  echo "test-package.sh: this build has no --render yet; the installed render is not checked" >&2
else
  cat "$scratch/render.log" >&2
  fail "--render failed"
fi

dpkg -r nimbrell > /dev/null
left=()
for path in "${paths[@]}"; do
  kept=0
  for before in "${existing[@]}"; do
    [ "$path" = "$before" ] && kept=1 && break
  done
  [ "$kept" -eq 0 ] && [ -e "$path" ] && left+=("$path")
done
[ ${#left[@]} -eq 0 ] || fail "dpkg -r left behind: ${left[*]}"
echo "test-package.sh: $(basename "$deb") passes lintian, installs, runs headless and leaves nothing behind" >&2
