#!/usr/bin/env bash
# Runs a command with the project's Wine environment, a private Xvfb display and one
# persistent wineserver (so each Windows process starts in milliseconds rather than half a
# second). Everything started here is stopped on exit, the wineserver included: runs that
# share one build folder (and so one prefix) stop each other's programs, so give concurrent
# runs their own build folders (QUAVEN_BUILD_DIR).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
bash "$root/scripts/wine-prefix.sh"

display=
for n in $(seq 90 140); do
  if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then display=:$n; break; fi
done
[ -n "$display" ] || { echo "no free X display" >&2; exit 1; }
# The screen's image file (XWD) lets tests read back what a window shows.
screen=$quaven_build/wine/screen-${display#:}
mkdir -p "$screen"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -fbdir "$screen" >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display QUAVEN_SCREEN_DIR=$screen
cleanup() { wineserver -k >/dev/null 2>&1; kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; }
trap cleanup EXIT
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X${display#:} ] && break; sleep 0.1; done
# A server still up from a run without this display (the build's shader compiler, say) would
# give this display's programs its desktop, on which Direct3D finds no display: stop it first.
wineserver -k >/dev/null 2>&1
wineserver -w
wineserver -p
# Start Wine's own helper processes now, detached from any test's output.
wine cmd /c exit >/dev/null 2>&1 </dev/null
"$@"
