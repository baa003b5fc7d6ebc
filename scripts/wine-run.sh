#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix; CTest uses it as the
# cross-compiling emulator. Wine's console output ends lines with CR LF: the CR is dropped so
# that test listings and logs read as on any other platform.
set -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wine "$@" | tr -d '\r'
