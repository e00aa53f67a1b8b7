#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Instructions from process start to the first frame pushed, with the demo service and
# the database already extracted: a count that does not depend on how busy the machine
# is. Prints the total (every thread, the dynamic loader included), the UI thread's
# part and the largest parts of the start-up.
#   scripts/with-desktop.sh bench/widget/count-startup.sh build/app/nimbrell
set -euo pipefail
program=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
unset TEMP
timeout 20 "$program" --render "$work/first.png" > /dev/null 2>&1
NIMBRELL_FIRST_FRAME_PROBE=exit valgrind --tool=callgrind --callgrind-out-file="$work/profile" "$program" --demo \
  > /dev/null 2> "$work/log"
grep -o "Collected : [0-9]*" "$work/log" | sed 's/Collected :/all threads:/'
callgrind_annotate --inclusive=yes "$work/profile" 2> /dev/null | grep -v "=>" \
  | grep -E "app/main\.cpp:main |TFormWeather::TFormWeather\(\) |LoadWidgetScene|TvxCustomScene::PaintRoots\(\) |TvxScene::Present\(\) |LoadFontConfiguration\(\) |ShowTrayIcon\(\) |gtk_css_provider_load_from_resource |rtld\.c:_dl_start |pthread_create\.c:start_thread " \
  | sed -E 's/ \[[^]]*\]$//; s/\( *([0-9.]+%)\) +/(\1) /; s/ [^ ]*\/([A-Za-z]+\.(cpp|c):)/ \1/; s/\(std::.*$//' \
  | grep -E '^ *[0-9,]{5,} \(' | awk '!seen[$0]++'
