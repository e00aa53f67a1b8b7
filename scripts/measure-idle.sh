#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts a command, lets it settle, then counts its context switches (all
# threads) and CPU time over an idle period: an idle widget should not wake up.
#   scripts/with-desktop.sh scripts/measure-idle.sh build/tools/scene/nimbrell-scene show SCENE.txt
set -euo pipefail
seconds=${IDLE_SECONDS:-10}
"$@" > /dev/null 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
sleep 2
switches() { cat /proc/"$pid"/task/*/status | awk '/^(non)?voluntary_ctxt_switches/ { s += $2 } END { print s }'; }
ticks() { awk '{ print $14 + $15 }' /proc/"$pid"/stat; }
a=$(switches); t1=$(ticks)
sleep "$seconds"
b=$(switches); t2=$(ticks)
echo "threads: $(ls /proc/"$pid"/task | wc -l); wake-ups over ${seconds} s: $((b - a)); CPU time: $(( (t2 - t1) * 1000 / $(getconf CLK_TCK) )) ms"
