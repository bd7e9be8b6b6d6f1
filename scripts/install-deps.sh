#!/usr/bin/env bash
# Installs the Debian 12 packages vexil needs to build, test and play.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libgl-dev libgl1-mesa-dri libegl-mesa0
  libtinyxml-dev libstb-dev libpng-dev libjpeg62-turbo-dev libsndfile1-dev zlib1g-dev libdeflate-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core libimgui-dev
  libgtest-dev libgmock-dev libbenchmark-dev libsamplerate0-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev libxxhash-dev
  clang libclang-rt-14-dev clang-format
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
