#!/usr/bin/env bash
# Runs the input test executable under Wine as scripts/wine-run.sh does, with the fake XInput
# libraries beside it loaded in place of Wine's. Tests named "OlderLibrary" run without
# XInput1_4.dll, so that the implementation falls back to xinput1_3.dll.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
export WINEDLLOVERRIDES="mscoree,mshtml=;xinput1_4,xinput1_3=n"
if [[ "$*" == *OlderLibrary* ]]; then
  export WINEDLLOVERRIDES="mscoree,mshtml=;xinput1_4=d;xinput1_3=n"
fi
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
wine "$@" >"$out" 2>"$err" </dev/null
status=$?
tr -d '\r' <"$out"
tr -d '\r' <"$err" >&2
exit $status
