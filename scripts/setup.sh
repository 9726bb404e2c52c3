#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the demo run need (only missing ones).
set -euo pipefail
packages=(g++ cmake ninja-build pkgconf qt6-base-dev qt6-charts-dev libqt6opengl6-dev
          libqt6sql6-ibase firebird-dev firebird3.0-server-core firebird3.0-utils
          libxlsxwriter-dev zlib1g-dev fonts-dejavu-core xvfb xauth poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
