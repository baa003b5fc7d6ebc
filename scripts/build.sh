#!/usr/bin/env bash
# Bootstraps the dependencies (cached) and builds into build/: everything, or only the targets
# named as arguments (e.g. quaven_demo) and what they need.
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
if [ $# -gt 0 ]; then
  cmake --build "$build" -j "$(nproc)" --target "$@"
else
  cmake --build "$build" -j "$(nproc)"
fi
