#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package: scripts/package.sh [BUILD_DIR]
# Without BUILD_DIR: a Release tree build-release/ with only the programs (no
# tests), built with the distribution's hardening flags. With BUILD_DIR: that
# existing tree as it is configured (CI packages its normal optimised tree,
# configured with -DNIMBRELL_DISTRIBUTION_FLAGS=ON, instead of building
# everything a second time).
# Prints the package's path on standard output.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -eq 0 ]; then
  dir=build-release
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNIMBRELL_TESTS=OFF \
    -DNIMBRELL_DISTRIBUTION_FLAGS=ON > /dev/null
else
  dir=$1
fi
cmake --build "$dir" -j "$(nproc)" --target nimbrell nimbrell-scene nimbrell_documents >&2
rm -f "$dir"/nimbrell_*.deb
(cd "$dir" && cpack -G DEB > cpack.log) || { cat "$dir/cpack.log" >&2; exit 1; }
ls "$PWD/$dir"/nimbrell_*.deb
