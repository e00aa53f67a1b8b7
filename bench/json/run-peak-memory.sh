#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Peak resident memory of parsing each document once, per parser, with /usr/bin/time -v.
# Usage: bench/json/run-peak-memory.sh [BUILD_DIR]   (built with -DNIMBRELL_BENCH=ON)
set -euo pipefail
build=${1:-build}
driver=$build/bench/bench_json_peak
for document in forecast generated; do
  for parser in none nimbrell rapidjson nlohmann; do
    kb=$(/usr/bin/time -v "$driver" "$parser" "$document" 2>&1 >/dev/null |
         awk -F': ' '/Maximum resident set size/ { print $2 }')
    printf '%-10s %-10s %8s KB\n' "$document" "$parser" "$kb"
  done
done
