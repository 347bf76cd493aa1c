#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Korvanta needs.
# Idempotent: when everything is present it changes nothing and asks no network.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config git python3 python3-numpy
  qtbase5-dev qtbase5-dev-tools qttools5-dev qttools5-dev-tools qtchooser
  libqt5svg5-dev libqt5serialport5-dev qtmultimedia5-dev libqt5multimedia5-plugins
  libqt5xml5 libqt5network5 libqt5printsupport5 libqt5concurrent5 libqt5sql5
  qt5-image-formats-plugins
  libopencv-dev
  libbenchmark-dev
  clang libclang-rt-dev llvm lld
  xvfb xauth x11-apps imagemagick xdotool
  fonts-liberation2 fonts-dejavu-core breeze-icon-theme
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
