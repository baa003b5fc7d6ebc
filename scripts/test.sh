#!/usr/bin/env bash
# Builds everything and runs every test under Wine. Extra arguments go to ctest
# (e.g. -R Utf8 to run a subset).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAVEN_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh"
cd "$build"
exec bash "$root/scripts/with-display.sh" ctest --output-on-failure -j "$(nproc)" --timeout 300 "$@"
