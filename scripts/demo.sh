#!/usr/bin/env bash
# Builds the engine and runs the demo game under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
echo "The host program and the demo game are not part of this build yet: the engine's foundation and its tests are." >&2
