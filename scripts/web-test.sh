#!/usr/bin/env bash
# The browser test: builds the page of the bundled demo (scripts/web-build.sh), a second page
# with every effect (tests/web/every_effect.xml) and the native player; then plays each page in
# headless Chromium and compares frames read at chosen demo times with the native player's
# captures of the same times (tests/web/browser_test.mjs). The bundled demo is compared at the
# golden-frame times, which show each of its effects.
#   scripts/web-test.sh [--keep DIR]    DIR keeps both pictures of every compared frame
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/web-build.sh
cmake --build build --target vexil demo

effects=$(mktemp -d)
trap 'rm -rf "$effects"' EXIT
# Its pictures and mesh from vexil's own generators, the music and logo the bundled demo's.
cmake --build build --target vexil-imagegen vexil-xmeshgen
build/bin/vexil-imagegen plasma "$effects/plasma.png"
build/bin/vexil-imagegen checker "$effects/checker.png"
build/bin/vexil-xmeshgen "$effects/cube.x" --texture checker.png
cp build/demo/logo.png build/demo/music.ogg tests/web/every_effect.xml "$effects/"
VEXIL_WEB_OUT=build-web-effects scripts/web-build.sh "$effects/every_effect.xml"

start=$SECONDS
status=0
golden=$(tr -s ' \n' ',' <tests/golden/times.txt | sed 's/,$//')
timeout 900 node tests/web/browser_test.mjs --site build-web --player build/bin/vexil \
  --demo build/demo --script demo.gma --times "$golden" "$@" || status=1
timeout 900 node tests/web/browser_test.mjs --site build-web-effects --player build/bin/vexil \
  --demo "$effects" --script every_effect.xml \
  --times 1000,3000,5000,7000,9000,11000,13000,15000,17000,19000 "$@" || status=1
echo "web-test: browser tests took $((SECONDS - start)) s"
exit $status
