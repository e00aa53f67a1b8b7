#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, checks the formatting and the layering (scripts/layers.txt),
# builds from scratch and runs the whole test suite: once in a normal build with the
# distribution's hardening flags, then the Debian package built from that tree
# (installed into this system and removed again), once under AddressSanitizer +
# UndefinedBehaviorSanitizer, then each fuzz target briefly. The benchmarks, the
# loopback download benchmark among them, are compiled (not run) so they keep building.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
# The builds below share one compiler cache (CMake picks ccache up when it is installed);
# paths inside the tree are hashed relative to it, so a fresh clone elsewhere still hits.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
./scripts/check-format.sh
./scripts/check-layers.sh
./scripts/add-spdx.sh --check

./scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNIMBRELL_DISTRIBUTION_FLAGS=ON
ctest --test-dir build --output-on-failure -j 2 --no-tests=error
./scripts/test-package.sh build

./scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DNIMBRELL_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
  ctest --test-dir build-asan --output-on-failure -j 2 --no-tests=error

cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DNIMBRELL_BENCH=ON -DNIMBRELL_TESTS=OFF > /dev/null
cmake --build build-bench --target nimbrell_benchmarks -j "$(nproc)"

./scripts/run-fuzzers.sh
