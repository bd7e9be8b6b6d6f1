#!/usr/bin/env bash
# Runs one fuzz target for a fixed time from its seed corpus, keeping what it learns.
#
#   fuzz/run.sh TARGET SECONDS [BUILD_DIR] [extra libFuzzer flags...]
#
# TARGET is script, param, image, xfile, audio or container. The working corpus grows in
# BUILD_DIR/fuzz-corpus/TARGET (seeds are written there on the first run); findings land in
# BUILD_DIR/fuzz-findings/TARGET. Exit status 0 when the time ran out with no finding.
set -euo pipefail
target=${1:?usage: fuzz/run.sh TARGET SECONDS [BUILD_DIR] [flags...]}
seconds=${2:?usage: fuzz/run.sh TARGET SECONDS [BUILD_DIR] [flags...]}
build=${3:-build-fuzz}
shift $(( $# < 3 ? $# : 3 ))
# Absolute: the script target works in a folder of its own.
build=$(cd "$build" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
quiet=()
case $target in
  script) binary=fuzz_script_build; quiet=(-close_fd_mask=3) ;;
  param) binary=fuzz_param_eval ;;
  image) binary=fuzz_image_decode ;;
  xfile) binary=fuzz_xfile_import ;;
  audio) binary=fuzz_audio_decode ;;
  container) binary=fuzz_container_decode ;;
  *) echo "unknown target $target (script, param, image, xfile, audio, container)" >&2; exit 2 ;;
esac
corpus=$build/fuzz-corpus/$target
findings=$build/fuzz-findings/$target
mkdir -p "$corpus" "$findings"
if [ "$target" != container ] && [ -z "$(ls -A "$corpus")" ]; then
  seeds=$(mktemp -d)
  trap 'rm -rf "$seeds"' EXIT
  case $target in
    script | param) "$build/bin/vexil-script-seeds" "$seeds" ;;
    *) "$build/bin/vexil-fuzz-seeds" "$seeds" ;;
  esac
  cp "$seeds/$target"/* "$corpus"/
  rm -rf "$seeds"
  # The bundled demo is a script seed; the demo's own generators add real-sized files of the
  # kinds the demo ships.
  [ "$target" = script ] && cp "$here/../demo/demo.xml" "$corpus/demo.xml"
  if [ "$target" = xfile ] && [ -x "$build/bin/vexil-xmeshgen" ]; then
    "$build/bin/vexil-xmeshgen" "$corpus/cube.x" --texture cube.png
    "$build/bin/vexil-xmeshgen" "$corpus/cube-binary.x" --binary --offset 1 2 3
  fi
  if [ "$target" = image ] && [ -x "$build/bin/vexil-imagegen" ]; then
    pattern=$("$build/bin/vexil-imagegen" --list | awk 'NR == 1 { print $1 }')
    "$build/bin/vexil-imagegen" "$pattern" "$corpus/generated.png" 64 64
  fi
fi
dict=()
[ -f "$here/$target.dict" ] && dict=(-dict="$here/$target.dict")
# Leaks inside system libraries are known and named in one file; everything else is a finding.
export LSAN_OPTIONS="suppressions=$here/../tests/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# 2 s per input and 2 GiB of memory (one allocation of 1 GiB at most): the loaders' own
# limits keep real work far below both. An input past either is a finding like a crash
# (timeout-..., oom-... in the findings folder) and ends the run with a failure.
exec "$build/bin/$binary" "$corpus" "${dict[@]}" "${quiet[@]}" -max_total_time="$seconds" \
  -rss_limit_mb=2048 -malloc_limit_mb=1024 -timeout=2 -timeout_exitcode=1 -error_exitcode=1 \
  -max_len=65536 -artifact_prefix="$findings/" -print_final_stats=1 "$@"
