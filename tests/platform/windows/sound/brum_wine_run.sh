#!/usr/bin/env bash
# Runs the BRUM test executable under Wine as scripts/wine-run.sh does, but with the fake
# dsound.dll beside it loaded in place of Wine's DirectSound. The smoke run (a filter naming
# BrumSmoke) gets Wine's own DirectSound instead, with ALSA's default device pointed at a
# file in a private HOME, whose path the test reads from QUAVEN_BRUM_CAPTURE.
source "$(dirname "${BASH_SOURCE[0]}")/../../../../scripts/wine-env.sh"
export WINEDLLOVERRIDES="mscoree,mshtml=;dsound=n"
if [[ "$*" == *BrumSmoke* ]]; then
  home=$(mktemp -d)
  trap 'rm -rf "$home"' EXIT
  cat >"$home/.asoundrc" <<ALSA
pcm.!default { type file slave.pcm "null" file "$home/capture.raw" format "raw" }
ctl.!default { type hw card 0 }
ALSA
  export HOME=$home QUAVEN_BRUM_CAPTURE="Z:$home/capture.raw"
  export WINEDLLOVERRIDES="mscoree,mshtml=;dsound=b"
fi
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"; [[ -n "${home:-}" ]] && rm -rf "$home"' EXIT
wine "$@" >"$out" 2>"$err" </dev/null
status=$?
tr -d '\r' <"$out"
tr -d '\r' <"$err" >&2
exit $status
