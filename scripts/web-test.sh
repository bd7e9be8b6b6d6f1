#!/usr/bin/env bash
# The browser test: builds the page of the bundled demo (scripts/web-build.sh) and the native
# player, then plays the page in headless Chromium and compares frames read at the golden
# frames' demo times with the native captures of the same times (tests/web/browser_test.mjs).
#   scripts/web-test.sh [--keep DIR]    DIR keeps both pictures of every compared frame
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/web-build.sh
cmake --build build --target vexil demo
times=$(tr -s ' \n' ',' <tests/golden/times.txt | sed 's/,$//')
start=$SECONDS
timeout 900 node tests/web/browser_test.mjs --site build-web --player build/bin/vexil \
  --demo build/demo --script demo.gma --times "$times" "$@"
echo "web-test: browser test took $((SECONDS - start)) s"
