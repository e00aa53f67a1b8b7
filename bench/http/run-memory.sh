#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Peak memory of one 256 MiB loopback download per client and body framing
# ("worker": the update download worker, which also writes the file):
#   bench/http/run-memory.sh [BUILD_DIR]   (built with -DNIMBRELL_BENCH=ON)
set -euo pipefail
build=${1:-build-bench}
server=$build/bench/http_bench_server
driver=$build/bench/http_download_driver
coproc SERVER { exec "$server"; }
read -r port <&"${SERVER[0]}"
trap 'exec {SERVER[1]}>&-; wait "$SERVER_PID" 2>/dev/null || true' EXIT
for path in length chunked; do
  for client in ours curl worker; do
    out=$( /usr/bin/time -v "$driver" "$client" "http://127.0.0.1:$port/$path" 2>/tmp/nimbrell-time.$$ )
    rss=$(awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}' /tmp/nimbrell-time.$$)
    budget=$((256 + 16))
    verdict="within"
    [ $((rss / 1024)) -le $budget ] || verdict="OVER"
    echo "$path $client: $out; peak RSS $((rss / 1024)) MiB ($verdict the $budget MiB budget)"
  done
done
rm -f /tmp/nimbrell-time.$$
