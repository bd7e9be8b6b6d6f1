#!/usr/bin/env bash
# Regenerates the golden frames of the bundled demo that the golden-frame test compares
# against (tests/golden/demo-MS.png), from the player built in ./build (or $1).
#
#   scripts/update-golden-frames.sh [BUILD_DIR]
#
# Run it when a change is meant to alter the demo's pictures (or the demo itself), look at the
# new frames, and commit them with the change. The times are the ones the test checks.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
BUILD="$(cd "${1:-build}" && pwd)"
TIMES=$(cat tests/golden/times.txt)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$BUILD/demo"
for ms in $TIMES; do
  SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy timeout 300 "$BUILD/bin/vexil" \
    --capture "$scratch/$ms" --from "$ms" --to "$ms" demo.gma >/dev/null
  cp "$scratch/$ms"/frame-*.png "$ROOT/tests/golden/demo-$ms.png"
  echo "tests/golden/demo-$ms.png"
done
