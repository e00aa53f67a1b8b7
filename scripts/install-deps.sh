#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build, the program and the tests need.
# Idempotent: installs only what is missing, and updates the package lists only then.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ccache
  libsqlite3-dev zlib1g-dev
  libcairo2-dev libpango1.0-dev libfontconfig-dev libpng-dev libjpeg62-turbo-dev
  libgtk-3-dev libayatana-appindicator3-dev fonts-noto-cjk python3-fonttools
  libgtest-dev libgmock-dev libbenchmark-dev
  libssl-dev ca-certificates
  rapidjson-dev nlohmann-json3-dev libcurl4-openssl-dev
  clang libclang-rt-14-dev clang-format
  xvfb xcompmgr openbox x11-xserver-utils xdotool xclip imagemagick x11-utils python3 libx11-6 python3-xlib
  dbus-daemon python3-gi gir1.2-glib-2.0 strace
  desktop-file-utils appstream lintian man-db dpkg-dev devscripts
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
