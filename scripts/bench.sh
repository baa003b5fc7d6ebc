#!/usr/bin/env bash
# Builds the benchmarks (bench/) and what they need, writes their inputs into the build
# folder when missing, and runs them under Wine on a private Xvfb display: for each figure
# the engine's time, its baseline's time and their ratio, per round and as medians over
# the rounds. The last lines are "<figure name>: median ratio <number>", one per figure.
# Extra arguments go to bench/run_benchmarks.py (--rounds N, at least 7; --frames N; --only
# STEP,... to run some steps alone, e.g. --only fonts,text).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAVEN_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh" quaven_bench
python3 "$root/bench/generate_inputs.py" "$build/bench/inputs"
python3 "$root/bench/generate_image_inputs.py" "$build/bench/inputs"
python3 "$root/bench/generate_sound_inputs.py" "$build/bench/inputs"
python3 "$root/bench/generate_text_inputs.py" "$build/bench/inputs"
# Both sides read the inputs from the page cache, never the first from the disk.
cat "$build/bench/inputs/database.xml" "$build/bench/inputs/reads.bin" "$build/bench/inputs/packed.pak" \
    "$build/bench/inputs/image.png" "$build/bench/inputs/image.jpg" "$build/bench/inputs/music.ogg" \
    "$build/bench/inputs/short.ogg" "$build/bench/inputs/fonts/DejaVuSans.ttf" >/dev/null
exec bash "$root/scripts/with-display.sh" python3 "$root/bench/run_benchmarks.py" "$build/bench" "$@"
