#!/usr/bin/env bash
# The layer / raw OpenGL ratios of the three frames over several processes of
# d3d9_paired_ratio_bench. A process's own layout (where its heap, buffers and the driver's
# compiled shaders land) moves its ratios by a few percent beyond what its own interval says,
# so the figure to judge by is the median over processes; each process's line is kept too.
#   bench/d3d9/paired-ratios.sh [BUILD_DIR] [PROCESSES] [ROUNDS]
set -euo pipefail
build=${1:-build}
processes=${2:-8}
rounds=${3:-101}
bench=$build/bin/d3d9_paired_ratio_bench
[ -x "$bench" ] || { echo "no $bench: build the d3d9_paired_ratio_bench target first" >&2; exit 2; }
export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-offscreen}
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for ((p = 0; p < processes; p++)); do
  timeout 900 "$bench" --rounds "$rounds" | tee -a "$results"
done
# "grid layer / raw ... CPU 1.012 (95 %: ...), wall 0.998 (95 %: ...) | ...": the two ratios.
awk '
  { for (i = 1; i < NF; i++) {
      if ($i == "CPU") cpu[$1] = cpu[$1] " " $(i + 1)
      if ($i == "wall") wall[$1] = wall[$1] " " $(i + 1)
    } }
  function sorted(list, v,   n, i, j, t) {
    n = split(list, v, " ")
    for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; j--) {
      t = v[j]; v[j] = v[j - 1]; v[j - 1] = t
    }
    return n
  }
  function median(v, n) { return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }
  END {
    split("grid tube quads", frames, " ")
    for (f = 1; f <= 3; f++) {
      fr = frames[f]
      if (!(fr in cpu)) continue
      n = sorted(cpu[fr], c); m = sorted(wall[fr], w)
      printf "%-6s over %d processes: calling thread CPU median %.3f (%.3f-%.3f), " \
             "wall median %.3f (%.3f-%.3f)\n", fr, n, median(c, n), c[1], c[n], median(w, m),
             w[1], w[m]
    }
  }' "$results"
