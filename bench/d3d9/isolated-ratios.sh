#!/usr/bin/env bash
# The layer / raw OpenGL ratios with every run in a process of its own: one frame on one side
# per process, the sides alternated, ROUNDS rounds, medians of the calling thread's CPU time
# and of the wall time per frame. In one process the benchmarks leave state behind for each
# other (the heap, llvmpipe's threads and shader variants), which moved a frame's ratio by
# 10 to 30 % from run to run; fresh processes keep only the frame's own cost.
#   bench/d3d9/isolated-ratios.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
build=${1:-build}
rounds=${2:-7}
bench=$build/bin/d3d9_frame_bench
[ -x "$bench" ] || { echo "no $bench: build the d3d9_frame_bench target first" >&2; exit 2; }
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for ((round = 0; round < rounds; round++)); do
  for frame in grid tube quads; do
    # Which side goes first changes every round.
    if ((round % 2)); then sides="RawOpenGL LayerOnGL"; else sides="LayerOnGL RawOpenGL"; fi
    for side in $sides; do
      # One run of 0.3 s of the calling thread's CPU time (a few seconds of wall time):
      # "BM_side/frame  wall us  cpu us  iterations", colours taken out.
      timeout 300 "$bench" --benchmark_filter="^BM_$side/$frame\$" --benchmark_repetitions=1 \
        --benchmark_min_time=0.3 2>/dev/null | sed 's/\x1b\[[0-9;]*m//g' |
        awk -v side="$side" -v frame="$frame" \
          '$1 == "BM_" side "/" frame { print side, frame, $2, $4 }' >> "$results"
    done
  done
done
# Medians per side and frame, then the ratios.
awk '
  { wall[$1 " " $2] = wall[$1 " " $2] " " $3; cpu[$1 " " $2] = cpu[$1 " " $2] " " $4 }
  function median(list,   n, v, i, j, t) {
    n = split(list, v, " ")
    for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; j--) {
      t = v[j]; v[j] = v[j - 1]; v[j - 1] = t
    }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  END {
    split("grid tube quads", frames, " ")
    for (f = 1; f <= 3; f++) {
      fr = frames[f]
      lw = median(wall["LayerOnGL " fr]); rw = median(wall["RawOpenGL " fr])
      lc = median(cpu["LayerOnGL " fr]); rc = median(cpu["RawOpenGL " fr])
      if (rw == 0 || rc == 0) { printf "%-6s no result\n", fr; continue }
      printf "%-6s layer wall %8.0f us cpu %7.0f us | raw wall %8.0f us cpu %7.0f us | " \
             "layer / raw: wall %.3f, calling thread CPU %.3f\n", fr, lw, lc, rw, rc, lw / rw, lc / rc
    }
  }' "$results"
