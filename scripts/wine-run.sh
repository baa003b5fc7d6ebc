#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix; CTest uses it as the
# cross-compiling emulator. Wine's console output ends lines with CR LF: the CR is dropped so
# that test listings and logs read as on any other platform. Output goes through files, not a
# pipe: Wine's helper processes (services, explorer) may inherit the program's handles and
# outlive it, and a pipe would then never reach its end.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
wine "$@" >"$out" 2>"$err" </dev/null
status=$?
tr -d '\r' <"$out"
tr -d '\r' <"$err" >&2
exit $status
