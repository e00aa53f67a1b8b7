#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Where the widget's resident memory is, after the first forecast: the totals by
# kind, then every mapping's resident and private dirty kilobytes, largest first.
#   scripts/with-desktop.sh bench/widget/memory-by-kind.sh build/app/nimbrell [LINES]
set -euo pipefail
program=$(realpath "$1")
lines=${2:-30}
work=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
unset TEMP
# A first run writes the database and the program's faces.
timeout 20 "$program" --render "$work/first.png" > /dev/null 2>&1
"$program" --demo > /dev/null 2>&1 &
pid=$!
sleep 5 # the first forecast and the two-second entrance
grep -E '^(VmRSS|RssAnon|RssFile|RssShmem)' /proc/"$pid"/status | tr -s ' \t' ' '
echo "kB resident, kB private dirty, mapping:"
awk '/^[0-9a-f]+-[0-9a-f]+ / { name = $6 == "" ? "[anon]" : $6 }
     /^Rss:/ { rss[name] += $2 }
     /^Private_Dirty:/ { dirty[name] += $2 }
     END { for (n in rss) if (rss[n] > 0) print rss[n], dirty[n], n }' /proc/"$pid"/smaps \
  | sort -rn | head -n "$lines"
