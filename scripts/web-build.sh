#!/usr/bin/env bash
# Builds vexil for the browser into build-web/: index.html, vexil.js, vexil.wasm and the packed
# demo (demo.data, demo.data.js). Serve that folder with any static web server and open it.
#
#   scripts/web-build.sh              the bundled demo (built natively first for its assets)
#   scripts/web-build.sh FOLDER       a demo folder: its demo.gma, or its one .xml script
#   scripts/web-build.sh FOLDER/SCRIPT   a given script in its folder
#
# Installs emscripten and chromium from Debian when they are missing; the libraries the
# player needs are built from Debian's source packages into a cache that later runs reuse:
# VEXIL_WEB_CACHE, by default ~/.cache/vexil-web (kept outside the repository). VEXIL_WEB_OUT
# names another output folder than build-web/.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
CACHE=${VEXIL_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vexil-web}
OUT=${VEXIL_WEB_OUT:-$ROOT/build-web}
WASM_BUILD=$ROOT/build-wasm
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
# The native build makes the bundled demo's assets and the .gma tool. The player is built with
# warnings as errors, as CI builds it natively.
scripts/install-deps.sh
missing=()
for p in emscripten chromium dpkg-dev python3; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Which demo: a folder and the script in it.
# DEMO_FILES: what to pack of the folder, all of it when empty.
DEMO_FILES=()
if [ $# -eq 0 ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build --target demo
  DEMO_DIR=$ROOT/build/demo
  SCRIPT=demo.gma
  # Only the files the demo's build makes (the build system's own files and anything else
  # left in that folder stay out), and not the plain script the container holds.
  mapfile -t DEMO_FILES < <(ninja -C build -t query demo/demo |
    sed -n '/^  input:/,/^  outputs:/s|^    demo/\([^/]*\)$|\1|p' | grep -vx 'demo.xml')
  if [ ${#DEMO_FILES[@]} -eq 0 ]; then
    echo "web-build: cannot tell the bundled demo's files from the build in build/" >&2
    exit 1
  fi
elif [ -d "$1" ]; then
  DEMO_DIR=$(cd "$1" && pwd)
  if [ -f "$DEMO_DIR/demo.gma" ]; then
    SCRIPT=demo.gma
  else
    mapfile -t scripts < <(cd "$DEMO_DIR" && ls -- *.xml 2>/dev/null)
    if [ ${#scripts[@]} -ne 1 ]; then
      echo "web-build: $1 holds ${#scripts[@]} .xml scripts and no demo.gma; name the script" >&2
      exit 2
    fi
    SCRIPT=${scripts[0]}
  fi
elif [ -f "$1" ]; then
  DEMO_DIR=$(cd "$(dirname "$1")" && pwd)
  SCRIPT=$(basename "$1")
else
  echo "web-build: no demo folder or script at $1" >&2
  exit 2
fi

scripts/web-libs.sh "$CACHE"

# The player itself: the same sources, configured for emscripten.
start=$SECONDS
emcmake cmake -S . -B "$WASM_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$CACHE/bin/node-emulator" \
  -DVEXIL_WEB_PREFIX="$CACHE/prefix" -DVEXIL_WERROR=ON >/dev/null
nice -n 10 cmake --build "$WASM_BUILD" -j2 --target vexil
echo "web-build: player built in $((SECONDS - start)) s"

rm -rf "$OUT"
mkdir -p "$OUT"
cp "$WASM_BUILD/bin/vexil.js" "$WASM_BUILD/bin/vexil.wasm" "$OUT/"

# The page, told which script to start and what to call the demo.
# A container's script is enciphered: its name comes from the plain script beside it, if any.
title_from=$DEMO_DIR/$SCRIPT
if [ "$SCRIPT" = demo.gma ] && [ -f "$DEMO_DIR/demo.xml" ]; then title_from=$DEMO_DIR/demo.xml; fi
title=$(grep -a -o '<[A-Za-z]* name="[^"]*"' "$title_from" 2>/dev/null | head -n1 |
  sed 's/.*name="\(.*\)"/\1/' || true)
escape() { printf '%s' "$1" | sed -e 's/[\\\x27]/\\&/g' -e 's/[&|]/\\&/g' -e 's/</\\x3c/g'; }
sed -e "s|@VEXIL_SCRIPT@|$(escape "$SCRIPT")|" -e "s|@VEXIL_TITLE@|$(escape "$title")|" \
  player/web/index.html >"$OUT/index.html"

# The demo's folder as /demo, and the fonts text is drawn with at the path a Debian system
# has them (the player's font lookup reads that folder).
FONTS=/usr/share/fonts/truetype/dejavu
font_args=()
for font in DejaVuSans DejaVuSans-Bold DejaVuSans-Oblique DejaVuSans-BoldOblique DejaVuSerif \
  DejaVuSerif-Bold DejaVuSansMono DejaVuSansMono-Bold; do
  if [ -f "$FONTS/$font.ttf" ]; then font_args+=(--preload "$FONTS/$font.ttf@$FONTS/$font.ttf"); fi
done
demo_args=(--preload "$DEMO_DIR@/demo")
if [ ${#DEMO_FILES[@]} -gt 0 ]; then
  demo_args=()
  for file in "${DEMO_FILES[@]}"; do demo_args+=(--preload "$DEMO_DIR/$file@/demo/$file"); done
fi
(cd "$OUT" && python3 /usr/share/emscripten/tools/file_packager.py demo.data \
  "${demo_args[@]}" "${font_args[@]}" --js-output=demo.data.js >/dev/null \
  2> >(grep -v 'Remember to build the main file with' >&2))
echo "web-build: $SCRIPT from $DEMO_DIR is in $OUT; serve it, e.g."
echo "  python3 -m http.server --bind 127.0.0.1 --directory $OUT 8000"
