#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short while
# (FUZZ_SECONDS, default 20) from its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f fuzz/CMakeLists.txt ] || exit 0
./scripts/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DNIMBRELL_TESTS=OFF -DNIMBRELL_FUZZ=ON
seconds=${FUZZ_SECONDS:-20}
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds=fuzz/corpus/${name#fuzz_}
  echo "fuzzing $name for ${seconds}s" >&2
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 \
    -artifact_prefix="build-fuzz/$name-" "$corpus" \
    $( [ -d "$seeds" ] && echo "$seeds" ) 2> "build-fuzz/$name.log" \
    || { tail -n 60 "build-fuzz/$name.log" >&2; exit 1; }
  rm -rf "$corpus"
done
echo "fuzzers: all targets ran clean" >&2
