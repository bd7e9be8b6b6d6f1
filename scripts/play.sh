#!/usr/bin/env bash
# Installs what vexil needs, builds it and plays the bundled demo: in a window when a
# display is available, otherwise as a headless render into one video file with the music.
# Usage: scripts/play.sh [gma|zip|PATH]: the demo's container (the default), its one-file
# bundle (build/demo/demo.zip), or any script, container or bundle.
set -euo pipefail
CHOICE="${1:-gma}"
# A path given is relative to where the script was started from.
case "$CHOICE" in gma | zip | /*) ;; *) CHOICE="$(pwd)/$CHOICE" ;; esac
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
scripts/install-deps.sh
scripts/build.sh build
PLAYER="$ROOT/build/bin/vexil"
# The build draws the demo's pictures and music into build/demo beside its script and packs
# the script into demo.gma there; the packed container is what a demo ships as.
case "$CHOICE" in
  gma) CANDIDATES=(build/demo/demo.gma) ;;
  zip) CANDIDATES=(build/demo/demo.zip) ;;
  *)
    CANDIDATES=("$CHOICE")
    if [ ! -f "$CHOICE" ]; then
      echo "No demo at \"$CHOICE\" (give gma, zip, or the path of a script, container or bundle)."
      exit 1
    fi ;;
esac
DEMO="${CANDIDATES[0]}"
for candidate in "${CANDIDATES[@]}"; do
  if [ -f "$candidate" ]; then
    DEMO="$candidate"
    break
  fi
done

# Scripts name their files relative to the folder they are played from: the demo's own.
DEMO_DIR="$(dirname "$DEMO")"
DEMO_FILE="$(basename "$DEMO")"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Playing $DEMO (Escape ends it)."
  cd "$DEMO_DIR"
  exec "$PLAYER" -- "$DEMO_FILE"
fi

# Headless, the demo becomes one video with its music (a few tens of megabytes); PNG frames
# of the whole demo would take gigabytes. When the video libraries cannot be used, frames it is.
CAPTURE="$ROOT/capture"
VIDEO="$CAPTURE/demo.mp4"
mkdir -p "$CAPTURE"
cd "$DEMO_DIR"
echo "No display found: rendering $DEMO headless into $VIDEO (this renders every frame)."
status=0
"$PLAYER" --video "$VIDEO" -- "$DEMO_FILE" || status=$?
if [ "$status" -eq 0 ]; then
  echo "Done: the demo with its music is in $VIDEO; any video player plays it."
  exit 0
fi
# 130 and 143: stopped by Ctrl-C or SIGTERM; the video so far is kept and playable.
if [ "$status" -eq 130 ] || [ "$status" -eq 143 ]; then exit "$status"; fi

echo "The video could not be made; capturing PNG frames and the music into $CAPTURE instead."
"$PLAYER" --capture "$CAPTURE" -- "$DEMO_FILE"
frames=$(find "$CAPTURE" -maxdepth 1 -name 'frame-*.png' | wc -l)
echo "Done: $frames frames in $CAPTURE/frame-NNNNNN.png, the music in $CAPTURE/audio.wav."
