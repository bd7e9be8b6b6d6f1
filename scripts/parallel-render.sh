#!/usr/bin/env bash
# Renders a demo in pieces with GNU parallel, on this machine or on several, and joins them:
# one video with the whole music, and the hash manifest of the whole render.
#
#   scripts/parallel-render.sh [options] SCRIPT OUTDIR
#
# options (each also as the environment variable in brackets):
#   --pieces N          pieces to split the render into (VEXIL_PIECES, default 4)
#   --fps N             frame rate (VEXIL_FPS, default 60)
#   --size WxH          picture size (VEXIL_SIZE, default: the script's)
#   --video NAME        the joined video in OUTDIR (VEXIL_VIDEO, default demo.mp4; .mkv, .webm)
#   --jobs N            pieces rendered at once on each machine (VEXIL_JOBS, default: one per
#                       core; a render uses several cores, so fewer is often faster)
#   --sshloginfile F    render on the machines listed in F (GNU parallel's format); OUTDIR and
#                       the script must be on storage every machine sees under the same path,
#                       and vexil installed on each (VEXIL_SSHLOGINFILE)
#   --bin DIR           the folder of vexil and vexil-join (VEXIL_BIN, default: from PATH)
#   -- ARGS...          more options for every render, e.g. -- --from 30000 --to 90000
#
# OUTDIR then holds part-NNNN.mkv and part-NNNN.txt (the pieces), music.wav (the whole music),
# the joined video and hashes.txt, the manifest of the whole render.
set -euo pipefail

pieces=${VEXIL_PIECES:-4}
fps=${VEXIL_FPS:-60}
size=${VEXIL_SIZE:-}
video=${VEXIL_VIDEO:-demo.mp4}
jobs=${VEXIL_JOBS:-}
sshloginfile=${VEXIL_SSHLOGINFILE:-}
bin=${VEXIL_BIN:-}
extra=()
usage() { sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2; }
while [[ $# -gt 0 ]]; do
  case "$1" in
    --pieces) pieces=$2; shift 2 ;;
    --fps) fps=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --video) video=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --sshloginfile) sshloginfile=$2; shift 2 ;;
    --bin) bin=$2; shift 2 ;;
    --help|-h) usage ;;
    --) shift; break ;;
    -*) echo "parallel-render.sh: unknown option $1" >&2; usage ;;
    *) break ;;
  esac
done
[[ $# -ge 2 ]] || usage
script=$1
out=$2
shift 2
[[ "${1:-}" == "--" ]] && shift
extra+=("$@")
[[ "$pieces" =~ ^[1-9][0-9]*$ ]] || { echo "parallel-render.sh: --pieces needs a whole number" >&2; exit 2; }
command -v parallel > /dev/null || { echo "parallel-render.sh: GNU parallel is not installed (apt-get install parallel)" >&2; exit 1; }

vexil=${bin:+$bin/}vexil
join=${bin:+$bin/}vexil-join
mkdir -p "$out"
# Absolute paths: the pieces may run on other machines, in another working folder.
script=$(realpath "$script")
out=$(realpath "$out")
[[ -n "$bin" ]] && vexil=$(realpath "$vexil") && join=$(realpath "$join")

common=(--fps "$fps")
[[ -n "$size" ]] && common+=(--size "$size")
common+=("${extra[@]}")

# One command per line: every piece (pictures and hashes), and the whole music. Each runs in
# the script's folder, which the script names its files from.
commands=$(mktemp)
trap 'rm -f "$commands"' EXIT
q() { printf '%q ' "$@"; }
in_folder="cd $(q "$(dirname "$script")")&&"
for ((k = 0; k < pieces; k++)); do
  part=$(printf '%s/part-%04d' "$out" "$k")
  echo "$in_folder $(q "$vexil" --video "$part.mkv" --hashes "$part.txt" --chunk "$k/$pieces" "${common[@]}" -- "$script")"
done > "$commands"
echo "$in_folder $(q "$vexil" --audio-only "$out/music.wav" "${common[@]}" -- "$script")" >> "$commands"

options=(--halt soon,fail=1 --line-buffer)
[[ -n "$jobs" ]] && options+=(-j "$jobs")
[[ -n "$sshloginfile" ]] && options+=(--sshloginfile "$sshloginfile" --workdir "$out")
parallel "${options[@]}" < "$commands"

parts=()
manifests=()
for ((k = 0; k < pieces; k++)); do
  parts+=("$(printf '%s/part-%04d.mkv' "$out" "$k")")
  manifests+=("$(printf '%s/part-%04d.txt' "$out" "$k")")
done
"$join" "$out/$video" "${parts[@]}" --audio "$out/music.wav"
"$join" --hashes "$out/hashes.txt" "${manifests[@]}" --audio "$out/music.wav"
