#!/usr/bin/env bash
# Installs the Debian 12 packages vexil needs to build, test, package and play. It says what
# it is about to install first. With VEXIL_NO_INSTALL=1, or on a system without apt, it
# installs nothing and prints the packages that are missing, to install by hand.
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libgl-dev libgl1-mesa-dri libegl-mesa0
  libtinyxml-dev libstb-dev libpng-dev libjpeg62-turbo-dev libsndfile1-dev zlib1g-dev libdeflate-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core libimgui-dev
  libgtest-dev libgmock-dev libbenchmark-dev libsamplerate0-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev libxxhash-dev
  libzip-dev
  # rendering in pieces (scripts/parallel-render.sh and its test)
  parallel
  clang libclang-rt-14-dev clang-format
  # the Debian package and the checks of what it installs
  dpkg-dev file lintian desktop-file-utils shared-mime-info libxml2-utils man-db
)

if ! command -v apt-get >/dev/null 2>&1 || ! command -v dpkg-query >/dev/null 2>&1; then
  echo "install-deps: no apt on this system; install these packages (Debian 12 names) by hand:"
  echo "  ${PACKAGES[*]}"
  exit 0
fi
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if [ "${VEXIL_NO_INSTALL:-0}" = "1" ]; then
  echo "install-deps: VEXIL_NO_INSTALL=1, so nothing is installed; missing:"
  echo "  ${missing[*]}"
  exit 0
fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: about to install with apt-get${SUDO:+ (through sudo)}: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
