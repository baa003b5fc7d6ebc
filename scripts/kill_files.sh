#!/usr/bin/env bash
# Kills the writer of every file the engine replaces at random moments, 200 times per kind of
# file (QUAVEN_KILLS=N for another count), and checks after each kill that the file holds the
# previous or the new contents, whole, and loads. The normal suite runs the same tests with a
# few kills each. Prints one line of counts per kind; the whole log is build/kill_files.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUAVEN_BUILD_DIR:-$root/build}
bash "$root/scripts/build.sh"
cd "$build"
export QUAVEN_KILLS=${QUAVEN_KILLS:-200}
status=0
bash "$root/scripts/with-display.sh" bash "$root/scripts/wine-run.sh" tests/quaven_engine_tests.exe \
  --gtest_filter='ReplacedFilesKill.*' >kill_files.log 2>&1 || status=$?
grep -E '^replaced file|^\[  (PASSED|FAILED) ' kill_files.log || true
exit $status
