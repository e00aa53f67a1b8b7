#!/usr/bin/env bash
# Installs what is missing, builds the program and runs it with the built-in
# demo forecast service, so it shows weather without any network.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec ./build/app/nimbrell --demo "$@"
