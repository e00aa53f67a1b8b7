#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for a short while
# (FUZZ_SECONDS, default 20) from its seed corpus. A crash, a sanitizer report
# of any kind, or one input running longer than FUZZ_INPUT_TIMEOUT seconds
# (default 10) fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f fuzz/CMakeLists.txt ] || exit 0
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DNIMBRELL_TESTS=OFF -DNIMBRELL_FUZZ=ON > /dev/null
cmake --build build-fuzz --target nimbrell_fuzzers -j "$(nproc)"
seconds=${FUZZ_SECONDS:-20}
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds=fuzz/corpus/${name#fuzz_}
  echo "fuzzing $name for ${seconds}s" >&2
  "$target" -max_total_time="$seconds" -timeout="${FUZZ_INPUT_TIMEOUT:-10}" -rss_limit_mb=2048 -print_final_stats=0 \
    -artifact_prefix="build-fuzz/$name-" "$corpus" \
    $( [ -d "$seeds" ] && echo "$seeds" ) 2> "build-fuzz/$name.log" \
    || { tail -n 60 "build-fuzz/$name.log" >&2; exit 1; }
  rm -rf "$corpus"
done
echo "fuzzers: all targets ran clean" >&2
