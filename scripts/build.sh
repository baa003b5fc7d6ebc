#!/usr/bin/env bash
# Bootstraps the dependencies (cached) and builds everything into build/, or only the
# targets named as arguments (and what they need).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAVEN_BUILD_DIR:-$root/build}
bash "$root/scripts/bootstrap.sh"
deps=${QUAVEN_CACHE:-$HOME/.cache/quaven}/deps
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
    -DQUAVEN_DEPS_PREFIX="$deps" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh"
fi
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
