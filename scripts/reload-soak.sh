#!/usr/bin/env bash
# Reload soak (not part of CI): plays a copy of the bundled demo in edit mode and saves its
# script again and again, waiting for each reload, and logs the player's resident memory after
# every one, so that memory kept per reload shows as a steady rise.
#
#   scripts/reload-soak.sh [--reloads N] [--start MS] [--build DIR] [--limit-mib M] [--log FILE]
#
# Defaults: 300 reloads, from demo time 115000 (the outro: the demo then holds at its end, so
# every reload builds the whole demo and draws the same picture), build/, 5 MiB,
# reload-soak.tsv. The rise is measured from reloads 10-39 (by then every library, font and
# device program that picture needs has been made once) to the last 30. With --start 0 the demo
# plays through its scenes during the reloads, and what the heavier scenes use shows as well.
# Exit status 1 when a reload did not happen, the player failed, or memory rose by more than
# the limit.
set -euo pipefail
cd "$(dirname "$0")/.."
reloads=300
start_ms=115000
build=build
limit_mib=5
log=reload-soak.tsv
while [ $# -gt 0 ]; do
  case $1 in
    --reloads) reloads=$2; shift 2 ;;
    --start) start_ms=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --limit-mib) limit_mib=$2; shift 2 ;;
    --log) log=$2; shift 2 ;;
    *) echo "usage: scripts/reload-soak.sh [--reloads N] [--start MS] [--build DIR] [--limit-mib M] [--log FILE]" >&2
       exit 2 ;;
  esac
done
[ -x "$build/bin/vexil" ] && [ -f "$build/demo/demo.gma" ] ||
  { echo "build vexil and its demo into $build first" >&2; exit 2; }
[ "$reloads" -ge 80 ] || { echo "--reloads: at least 80" >&2; exit 2; }
player=$(cd "$build/bin" && pwd)/vexil
log=$(realpath -m "$log")

work=$(mktemp -d "${TMPDIR:-/tmp}/vexil-reload-soak-XXXXXX")
player_pid=
cleanup() {
  if [ -n "$player_pid" ]; then
    kill "$player_pid" 2>/dev/null || true
    wait "$player_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A copy of the demo, so that saving its script leaves the build alone.
cp -r "$build/demo" "$work/demo"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
(cd "$work/demo" && exec "$player" --edit --start "$start_ms" demo.gma) > "$work/out" 2> "$work/err" &
player_pid=$!

resident_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$player_pid/status"; }
reloaded() { grep -c '^vexil: reloaded' "$work/out" || true; }
# Waits up to 60 s for the player to have reloaded $1 times.
wait_for_reloads() {
  local deadline=$(( $(date +%s) + 60 ))
  while [ "$(reloaded)" -lt "$1" ]; do
    kill -0 "$player_pid" 2>/dev/null || { echo "the player ended:" >&2; tail -5 "$work/err" >&2; return 1; }
    [ "$(date +%s)" -lt "$deadline" ] || { echo "reload $1 did not happen within 60 s" >&2; return 1; }
    sleep 0.05
  done
}

# The demo is playing once its first frames are out: give it a moment, then start saving.
sleep 3
kill -0 "$player_pid" 2>/dev/null || { echo "the player did not start:" >&2; cat "$work/err" >&2; exit 1; }
printf 'reload\tseconds\trss_kib\n' > "$log"
start=$(date +%s%N)
printf '0\t0.0\t%d\n' "$(resident_kib)" >> "$log"
for i in $(seq 1 "$reloads"); do
  touch "$work/demo/demo.gma"
  wait_for_reloads "$i"
  seconds=$(awk -v ns=$(( $(date +%s%N) - start )) 'BEGIN { printf "%.1f", ns / 1e9 }')
  printf '%d\t%s\t%d\n' "$i" "$seconds" "$(resident_kib)" >> "$log"
done

# Single readings move by a few MiB with the moment they are taken (between two frames, while
# the renderer's buffers are faulted in again): thirty readings after the first ten reloads are
# compared with the last thirty.
awk -F'\t' -v limit="$limit_mib" '
  NR > 1 { rss[$1] = $3; n = $1 }
  END {
    for (i = 10; i < 40; i++) early += rss[i] / 30
    for (i = n - 29; i <= n; i++) late += rss[i] / 30
    for (i = int(n / 2) - 29; i <= int(n / 2); i++) middle += rss[i] / 30
    printf "%d reloads: resident %.1f MiB at start, %.1f MiB over reloads 10-39, %.1f MiB over the last 30; ", n, rss[0] / 1024, early / 1024, late / 1024
    printf "rise %+.2f MiB (%+.1f KiB per reload), over the last half %+.2f MiB\n", (late - early) / 1024, (late - early) / (n - 25), (late - middle) / 1024
    flat = (late - early) / 1024 <= limit
    print (flat ? "flat" : "GROWING") " (limit " limit " MiB)"
    exit flat ? 0 : 1
  }' "$log"
