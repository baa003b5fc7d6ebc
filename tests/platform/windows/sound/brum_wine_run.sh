#!/usr/bin/env bash
# Runs the BRUM test executable as scripts/wine-run.sh does, with the fake dsound.dll beside
# it loaded in place of Wine's DirectSound. The smoke run (a filter naming BrumSmoke) gets
# Wine's own DirectSound instead, with ALSA's default device pointed at a file in a private
# HOME, whose path the test reads from QUAVEN_BRUM_CAPTURE.
run="$(dirname "${BASH_SOURCE[0]}")/../../../../scripts/wine-run.sh"
if [[ "$*" != *BrumSmoke* ]]; then
  QUAVEN_WINE_DLL_OVERRIDES="dsound=n" exec bash "$run" "$@"
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cat >"$home/.asoundrc" <<ALSA
pcm.!default { type file slave.pcm "null" file "$home/capture.raw" format "raw" }
ctl.!default { type hw card 0 }
ALSA
QUAVEN_WINE_DLL_OVERRIDES="dsound=b" QUAVEN_WINE_HOME=$home QUAVEN_BRUM_CAPTURE="Z:$home/capture.raw" \
  bash "$run" "$@"
