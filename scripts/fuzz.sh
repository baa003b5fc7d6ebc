#!/usr/bin/env bash
# Fuzzes every parser of the engine: builds the fuzzing driver (tests/fuzz/), gathers the seeds
# (files of the tree, the build folder and the sources the bootstrap unpacked) and runs each
# target in-process under Wine, a fresh parse per input, a few targets at a time. A target that
# crashes or hangs has its input filed under build/fuzz_faults/campaign/ and is started again
# until its budget is spent; every fault found belongs in tests/fuzz_corpus/<target>/, which the
# test suite replays. The figures (executions, time, faults, memory) end up in
# build/fuzz_faults/campaign/summary.txt, one line per run of a target.
#
#   bash scripts/fuzz.sh [--runs N] [--slow-minutes M] [--jobs J] [TARGET...]
#
# Defaults: 1,000,000 executions per target, 30 minutes for the slow ones (whole shader
# translation, images, Ogg, fonts from sources, the configuration, which is read on a thread of
# its own), 2 targets at a time, every target.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAVEN_BUILD_DIR:-$root/build}
runs=1000000
slow_minutes=30
jobs=2
targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --slow-minutes) slow_minutes=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    -*) echo "usage: fuzz.sh [--runs N] [--slow-minutes M] [--jobs J] [TARGET...]" >&2; exit 1 ;;
    *) targets+=("$1"); shift ;;
  esac
done

bash "$root/scripts/build.sh" quaven_fuzz
driver="$build/tests/fuzz/quaven_fuzz.exe"
out=$build/fuzz_faults/campaign
mkdir -p "$out"
: >"$out/summary.txt"
run() { bash "$root/scripts/wine-run.sh" "$driver" "$@"; }
mapfile -t listed < <(run --list)
[ ${#targets[@]} -gt 0 ] || targets=("${listed[@]%% *}")

# One target until its budget is spent: executions for the fast ones, minutes for the slow.
fuzz_target() {
  local target=$1 slow=0 seed=1 done_runs=0 started=$SECONDS
  printf '%s\n' "${listed[@]}" | grep -qx "$target slow" && slow=1
  local log=$out/$target.log
  : >"$log"
  while :; do
    local budget
    if [ $slow = 1 ]; then
      local left=$((slow_minutes * 60 - (SECONDS - started)))
      [ $left -gt 0 ] || break
      budget=(--seconds "$left")
    else
      local left=$((runs - done_runs))
      [ $left -gt 0 ] || break
      budget=(--runs "$left")
    fi
    local status=0
    run "$target" "${budget[@]}" --random "$seed" --seeds "Z:$build/fuzz_seeds" \
        --seeds "Z:$root/tests/fuzz_corpus" --faults "Z:$out" >>"$log" 2>&1 || status=$?
    # A run that ended normally printed its figures; one that died is started again.
    local ran
    ran=$(sed -n "s/^fuzz $target: \([0-9]*\) executions.*/\1/p" "$log" | tail -1)
    [ $status = 0 ] && break
    echo "run of $target ended with status $status; starting again" >>"$log"
    [ -n "$ran" ] && done_runs=$((done_runs + ran))
    seed=$((seed + 1))
    [ $seed -le 50 ] || break
  done
  grep "^fuzz $target:\|^FAULT" "$log" || true
}

pending=("${targets[@]}")
for target in "${pending[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  fuzz_target "$target" >>"$out/summary.txt" &
done
wait
echo "figures: $out/summary.txt"
cat "$out/summary.txt"
