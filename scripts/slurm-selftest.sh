#!/usr/bin/env bash
# Starts a one-node Slurm cluster on this machine from Debian's packages (munge, the controller
# slurmctld and the node daemon slurmd, all on localhost), renders a stretch of the bundled demo
# with scripts/slurm-render.sbatch in 4 pieces, waits for the join and checks the result against
# a whole render: the joined manifest line for line, the music byte for byte, the video's
# frame count. Not part of CI: it needs root and installs packages.
#
#   scripts/slurm-selftest.sh [BUILD]      (default build/, with the demo built)
#
# Everything it starts is stopped again by its process id; its files live in one temporary
# folder (kept with VEXIL_KEEP=1).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=$(realpath "${1:-build}")
[[ -x "$build/bin/vexil" && -x "$build/bin/vexil-join" && -f "$build/demo/demo.gma" ]] ||
  { echo "slurm-selftest: build vexil, vexil-join and the demo in $build first" >&2; exit 1; }
[[ "$(id -u)" -eq 0 ]] || { echo "slurm-selftest: run as root (it starts munged and slurmd)" >&2; exit 1; }

if ! command -v slurmctld > /dev/null || ! command -v munged > /dev/null; then
  echo "slurm-selftest: installing slurm-wlm and munge"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q slurm-wlm munge
fi

work=$(mktemp -d /tmp/vexil-slurm.XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2> /dev/null || true; done
  [[ "${VEXIL_KEEP:-0}" == 1 ]] && echo "slurm-selftest: files kept in $work" || rm -rf "$work"
}
trap cleanup EXIT

# munge: its own key and socket in the work folder, run as the munge user.
mkdir -p "$work/munge" "$work/munge-key"
chown munge: "$work/munge" "$work/munge-key"
chmod 755 "$work/munge"
chmod 700 "$work/munge-key"
key=$work/munge-key/munge.key
dd if=/dev/urandom of="$key" bs=1024 count=1 status=none
chown munge: "$key"
chmod 400 "$key"
socket=$work/munge/munge.socket
runuser -u munge -- munged --foreground --key-file="$key" --socket="$socket" \
  --pid-file="$work/munge/munged.pid" --log-file="$work/munge/munged.log" \
  --seed-file="$work/munge-key/munge.seed" &
pids+=($!)
for _ in $(seq 50); do [[ -S "$socket" ]] && break; sleep 0.1; done
[[ -S "$socket" ]] || { echo "slurm-selftest: munged did not start" >&2; cat "$work/munge/munged.log" >&2; exit 1; }

node=$(hostname -s)
cpus=$(nproc)
memory=$(awk '/MemTotal/ { print int($2 / 1024 / 2) }' /proc/meminfo)
mkdir -p "$work/state" "$work/spool" "$work/log"
conf=$work/slurm.conf
cat > "$conf" << CONF
ClusterName=vexiltest
SlurmctldHost=$node
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$socket
CryptoType=crypto/munge
MpiDefault=none
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SwitchType=switch/none
ReturnToService=2
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
SlurmctldPort=${VEXIL_SLURMCTLD_PORT:-16817}
SlurmdPort=${VEXIL_SLURMD_PORT:-16818}
NodeName=$node CPUs=$cpus RealMemory=$memory State=UNKNOWN
PartitionName=vexil Nodes=$node Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$conf
slurmctld -D -i -f "$conf" &
pids+=($!)
slurmd -D -f "$conf" &
pids+=($!)
for _ in $(seq 60); do
  sinfo -h -o '%T' 2> /dev/null | grep -q -E '^idle' && break
  sleep 1
done
if ! sinfo -h -o '%T' 2> /dev/null | grep -q -E '^idle'; then
  echo "slurm-selftest: the node did not come up" >&2
  sinfo >&2 || true
  tail -20 "$work/log/slurmctld.log" "$work/log/slurmd.log" >&2 || true
  exit 1
fi
echo "slurm-selftest: one-node cluster up: $(sinfo -h -o '%N %c CPUs %T')"

# The recipe, as a user submits it, on 3 s of the demo at a low rate and size.
out=$work/out
(
  cd "$work"
  VEXIL_SCRIPT=$build/demo/demo.gma VEXIL_OUT=$out VEXIL_PIECES=4 VEXIL_FPS=10 VEXIL_SIZE=96x72 \
    VEXIL_VIDEO=joined.mkv VEXIL_BIN=$build/bin VEXIL_EXTRA="--from 0 --to 3000" \
    VEXIL_SBATCH="--cpus-per-task=1" "$source_dir/scripts/slurm-render.sbatch"
)
deadline=$((SECONDS + 300))
while [[ -n "$(squeue -h -o %i)" ]]; do
  ((SECONDS < deadline)) || { echo "slurm-selftest: the jobs did not finish in 5 minutes" >&2; squeue >&2; exit 1; }
  sleep 1
done

fail=0
check() { if "$@"; then echo "  ok: ${*: -1}"; else echo "  FAILED: $*"; fail=1; fi; }
[[ -f "$out/join.log" ]] && cat "$out/join.log"
(cd "$build/demo" && "$build/bin/vexil" --hashes "$work/whole.txt" --capture "$work/whole" \
  --fps 10 --size 96x72 --from 0 --to 3000 demo.gma)
echo "slurm-selftest: checks"
check cmp -s "$work/whole.txt" "$out/hashes.txt"
check cmp -s "$work/whole/audio.wav" "$out/music.wav"
check test -s "$out/joined.mkv"
check grep -q "31 frames at 10 fps (96x72) from 4 pieces" "$out/join.log"
if command -v ffprobe > /dev/null; then
  frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
    -of csv=p=0 "$out/joined.mkv")
  check test "$frames" = 31
fi
[[ $fail -eq 0 ]] && echo "slurm-selftest: passed" || { echo "slurm-selftest: FAILED" >&2; exit 1; }
