#!/usr/bin/env bash
# Soak test (not part of CI): captures the bundled demo again and again for a given time and
# records, per round, the player's peak memory (resident set) and the most files it held open,
# sampled through /proc while it runs, so that a leak per frame or per run shows as growth.
#
#   scripts/soak.sh [--minutes N] [--build DIR] [--fps N] [--log FILE]
#
# Defaults: 30 minutes, build/, 60 fps, soak.tsv. Each round's frames are deleted before the
# next; the log has one line per round and the script ends with a summary. Exit status 1 when
# a round failed or peak memory or open files grew by more than the tolerance between the
# first rounds and the last ones.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=30
build=build
fps=60
log=soak.tsv
while [ $# -gt 0 ]; do
  case $1 in
    --minutes) minutes=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --fps) fps=$2; shift 2 ;;
    --log) log=$2; shift 2 ;;
    *) echo "usage: scripts/soak.sh [--minutes N] [--build DIR] [--fps N] [--log FILE]" >&2; exit 2 ;;
  esac
done
[ -x "$build/bin/vexil" ] && [ -f "$build/demo/demo.gma" ] ||
  { echo "build vexil and its demo into $build first" >&2; exit 2; }
player=$(cd "$build/bin" && pwd)/vexil
demo_dir=$(cd "$build/demo" && pwd)

# Growth allowed between the first and the last rounds, and within a round: 2 % of peak
# memory (allocator and driver noise); no open file at all.
rss_tolerance_percent=2
work=$(mktemp -d "${TMPDIR:-/tmp}/vexil-soak-XXXXXX")
player_pid=
cleanup() {
  # The player ends its capture on SIGTERM after the frame it is writing: wait for it, or
  # that frame lands in a folder being removed and keeps it.
  if [ -n "$player_pid" ]; then
    kill "$player_pid" 2>/dev/null || true
    wait "$player_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
printf 'round\tseconds\tstatus\tframes\tpeak_rss_kib\trss_quarter_kib\trss_three_quarters_kib\tmax_open_files\n' > "$log"
deadline=$(( $(date +%s) + minutes * 60 ))
round=0
failed=0
while [ "$(date +%s)" -lt "$deadline" ]; do
  round=$(( round + 1 ))
  rm -rf "$work/frames"
  start=$(date +%s%N)
  # The demo plays from its own folder, as a person starts it.
  (cd "$demo_dir" && exec "$player" --capture "$work/frames" --fps "$fps" demo.gma) \
    > "$work/out" 2> "$work/err" &
  player_pid=$!
  peak=0 fds=0
  samples=()
  while kill -0 "$player_pid" 2>/dev/null; do
    status_file=/proc/$player_pid/status
    if rss=$(awk '/^VmRSS:/ { print $2 }' "$status_file" 2>/dev/null) && [ -n "$rss" ]; then
      samples+=("$rss")
      hwm=$(awk '/^VmHWM:/ { print $2 }' "$status_file" 2>/dev/null || echo 0)
      [ "${hwm:-0}" -gt "$peak" ] && peak=$hwm
      open=$(ls "/proc/$player_pid/fd" 2>/dev/null | wc -l)
      [ "$open" -gt "$fds" ] && fds=$open
    fi
    sleep 0.2
  done
  status=0
  wait "$player_pid" || status=$?
  player_pid=
  seconds=$(awk -v ns=$(( $(date +%s%N) - start )) 'BEGIN { printf "%.1f", ns / 1e9 }')
  frames=$(ls "$work/frames" 2>/dev/null | grep -c '^frame-' || true)
  count=${#samples[@]}
  # Resident memory a quarter and three quarters into the round: a leak per frame shows here.
  q1=${samples[$(( count / 4 ))]:-0}
  q3=${samples[$(( count * 3 / 4 ))]:-0}
  printf '%d\t%s\t%d\t%d\t%d\t%d\t%d\t%d\n' "$round" "$seconds" "$status" "$frames" "$peak" \
    "$q1" "$q3" "$fds" >> "$log"
  if [ "$status" -ne 0 ]; then
    failed=1
    echo "round $round: the player ended with status $status:" >&2
    tail -5 "$work/err" >&2
  fi
done

# First and last thirds of the rounds compared: a leak that outlives a run (files, shared
# memory) shows as a rise from one to the other; one per frame as a rise within each round.
awk -F'\t' -v tol="$rss_tolerance_percent" -v failed="$failed" '
  NR > 1 {
    n++; rss[n] = $5; fd[n] = $8; within += $7 - $6
    if (min == "" || $5 < min) min = $5
    if ($5 > max) max = $5
  }
  END {
    if (n == 0) { print "no round finished"; exit 1 }
    third = int(n / 3); if (third < 1) third = 1
    for (i = 1; i <= third; i++) { r1 += rss[i]; f1 = (fd[i] > f1 ? fd[i] : f1) }
    for (i = n - third + 1; i <= n; i++) { r2 += rss[i]; f2 = (fd[i] > f2 ? fd[i] : f2) }
    r1 /= third; r2 /= third
    growth = (r2 - r1) * 100 / r1
    printf "%d rounds; peak memory %d-%d KiB, first third %.0f KiB, last third %.0f KiB (%+.2f %%); ", n, min, max, r1, r2, growth
    printf "most open files %d in the first third, %d in the last; ", f1, f2
    within /= n
    printf "within a round, from a quarter to three quarters: %+.0f KiB on average\n", within
    # The rise within a round is the demo reaching its heavier parts, the same in every round:
    # shown, not judged. A leak per frame or per run shows in the peaks across rounds.
    flat = growth <= tol && f2 <= f1
    print (flat ? "flat" : "GROWING") (failed ? "; some rounds failed" : "")
    exit (flat && !failed) ? 0 : 1
  }' "$log"
