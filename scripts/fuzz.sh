#!/usr/bin/env bash
# Fuzzes every parser of the engine. The parsers that need nothing of Windows (the XML reader,
# DataManager's databases, the shader translator down to its seven writers) are built for Linux
# and run under libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer (targets
# "native:<name>"); every target also runs in-process under Wine in the mutational driver of
# tests/fuzz/, a fresh parse per input, guided by the coverage of the engine's code. Seeds: files of the tree, of the build folder and of the
# sources the bootstrap unpacked (gathered by tests/fuzz/gather_seeds.py).
#
# A target that crashes, hangs (over a second) or trips a sanitizer has its input filed under
# build/fuzz_faults/campaign/ and is started again until its budget is spent. Every fault found
# belongs, once fixed, in tests/fuzz_corpus/<target>/, which the test suite replays. The figures
# (executions, time, faults, memory) are added to build/fuzz_faults/campaign/summary.txt.
#
#   bash scripts/fuzz.sh [--runs N] [--slow-minutes M] [--jobs J] [TARGET...]
#
# Defaults: 1,000,000 executions per target, 30 minutes for the slow ones (whole shader
# translation, images, Ogg, fonts from sources, the configuration, which is read on a thread of
# its own), 2 targets at a time, every target. Runs under Wine use a prefix of their own, so a
# test run alongside does not stop them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAVEN_BUILD_DIR:-$root/build}
arguments="$*"
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

# The seeds come with the driver of the ordinary build; the campaign's driver is built again
# in a folder of its own with the parsing layers instrumented for coverage. (The bootstrap,
# run by build.sh, installs clang for the Linux build too.)
bash "$root/scripts/build.sh" quaven_fuzz
coverage_build=$build/fuzz_coverage
if [ ! -f "$coverage_build/build.ninja" ]; then
  cmake -S "$root" -B "$coverage_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
    -DQUAVEN_DEPS_PREFIX="${QUAVEN_CACHE:-$HOME/.cache/quaven}/deps" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" -DQUAVEN_FUZZ_COVERAGE=ON >/dev/null
fi
cmake --build "$coverage_build" -j "$(nproc)" --target quaven_fuzz
driver="$coverage_build/tests/fuzz/quaven_fuzz.exe"
native_build=$build/fuzz_native
if [ ! -f "$native_build/build.ninja" ]; then
  cmake -S "$root/tests/fuzz/native" -B "$native_build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
cmake --build "$native_build" -j "$jobs"
native="$native_build/quaven_fuzz_native"

export QUAVEN_WINE_PREFIX=$build/wine/fuzz-prefix
bash "$root/scripts/wine-prefix.sh"
out=$build/fuzz_faults/campaign
mkdir -p "$out"
echo "== $(date -u '+%F %T') fuzz.sh $arguments" >>"$out/summary.txt"
run() { bash "$root/scripts/wine-run.sh" "$driver" "$@"; }
mapfile -t listed < <(run --list)
# The Linux build names its targets when asked for none.
read -ra native_listed < <(QUAVEN_FUZZ_TARGET= "$native" 2>&1 | sed -n 's/^QUAVEN_FUZZ_TARGET names none of: *//p')
if [ ${#targets[@]} -eq 0 ]; then
  for t in "${native_listed[@]}"; do targets+=("native:$t"); done
  targets+=("${listed[@]%% *}")
fi

is_slow() { printf '%s\n' "${listed[@]}" | grep -qx "$1 slow"; }

# One target in the Windows driver until its budget is spent: executions for the fast ones,
# minutes for the slow. A run that died is started again with another random sequence.
fuzz_wine() {
  local target=$1 seed=1 done_runs=0 started=$SECONDS log=$out/$1.log
  : >"$log"
  while :; do
    local budget
    if is_slow "$target"; then
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
    [ $status = 0 ] && break
    echo "run of $target ended with status $status; starting again" >>"$log"
    seed=$((seed + 1))
    [ $seed -le 50 ] || break
  done
  grep "^fuzz $target:\|^FAULT\|ended with status" "$log" || true
}

# One target under libFuzzer: it grows a corpus of its own from the seeds by coverage, and
# stops at the first fault, after which it is started again on what it has found so far.
fuzz_native() {
  local target=$1 started=$SECONDS total=0 faults=0 log=$out/native-$1.log
  local corpus=$native_build/corpus/$target
  mkdir -p "$corpus" "$root/tests/fuzz_corpus/$target"
  : >"$log"
  for attempt in $(seq 20); do
    local budget
    if is_slow "$target"; then
      local left=$((slow_minutes * 60 - (SECONDS - started)))
      [ $left -gt 0 ] || break
      budget=(-max_total_time="$left")
    else
      local left=$((runs - total))
      [ $left -gt 0 ] || break
      budget=(-runs="$left")
    fi
    local status=0
    QUAVEN_FUZZ_TARGET=$target "$native" -timeout=1 -rss_limit_mb=2048 -malloc_limit_mb=1024 -max_len=65536 \
      -print_final_stats=1 -artifact_prefix="$out/native-$target-" "${budget[@]}" \
      "$corpus" "$build/fuzz_seeds/$target" "$root/tests/fuzz_corpus/$target" >"$log.run" 2>&1 || status=$?
    cat "$log.run" >>"$log"
    local ran
    ran=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log.run" | tail -1)
    total=$((total + ${ran:-0}))
    [ $status = 0 ] && break
    faults=$((faults + 1))
    echo "libFuzzer run of $target ended with status $status; starting again" >>"$log"
  done
  echo "native $target: $total executions in $((SECONDS - started)) s, $faults faults"
  grep -h "^SUMMARY\|ERROR: \|Test unit written" "$log" | sort | uniq -c || true
}

for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  case $target in
    native:*) fuzz_native "${target#native:}" >>"$out/summary.txt" & ;;
    *) fuzz_wine "$target" >>"$out/summary.txt" & ;;
  esac
done
wait
echo "figures: $out/summary.txt"
cat "$out/summary.txt"
