#!/usr/bin/env bash
# Runs the input test executable as scripts/wine-run.sh does, with the fake XInput libraries
# beside it loaded in place of Wine's. Tests named "OlderLibrary" run without XInput1_4.dll,
# so that the implementation falls back to xinput1_3.dll.
overrides="xinput1_4,xinput1_3=n"
if [[ "$*" == *OlderLibrary* ]]; then
  overrides="xinput1_4=d;xinput1_3=n"
fi
QUAVEN_WINE_DLL_OVERRIDES=$overrides exec bash "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-run.sh" "$@"
