#!/usr/bin/env bash
# Builds quaven.exe and the demo game (samples/demo) and nothing else (no tests), then runs the
# demo under Wine from its run folder <build>/demo, where quaven.exe, prog.dll and prog.xml lie
# side by side (res:// is the executable's folder). With a $DISPLAY the window opens there;
# without one the run uses a private Xvfb display. The game asks the engine to shut down by
# itself after a few seconds without input (or at Escape), so the command ends on its own.
#
# On the private display nobody can answer a message box: the popup answerer (a test fixture)
# starts quaven.exe and watches it, and when a box shows, the script prints its caption and
# text, the run is ended and the script exits 3.
#
# Once the game logs that its scene is drawn, a screenshot of its window is saved as a PNG
# beside the log (scripts/demo-screenshot.sh; it needs xwd, from x11-apps).
#
# Prints where the run's log file is and its last lines, and exits with the engine's exit
# code. One check on top: when the engine answers 0 but the log does not show the game's Init
# and Exit and the engine's closing summary, the game did not really run, and the script
# says so and exits 1. A run that does not end within QUAVEN_DEMO_TIMEOUT seconds (default
# 120; a hang, or a message box left unanswered on a real display) is stopped and exits 124.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" quaven_demo popup_answerer

source "$root/scripts/wine-env.sh"
run=$quaven_build/demo
for file in quaven.exe prog.dll prog.xml; do
  [ -f "$run/$file" ] || { echo "demo: $run/$file is missing; the build did not lay out the run folder." >&2; exit 1; }
done

# The log is named after the program id (logs://<id>-<date>-<time>.log) and lives in the
# per-user folder that prog.xml's developer and title name, under the prefix's AppData.
program_id=$(sed -n 's/.*program_id="\([^"]*\)".*/\1/p' "$run/prog.xml" | head -1)
title=$(sed -n 's/.* name="\([^"]*\)".*/\1/p' "$run/prog.xml" | head -1)
marker=$(mktemp)
popups=$(mktemp)
trap 'rm -f "$marker" "$popups"' EXIT

if [ -n "${DISPLAY:-}" ]; then
  bash "$root/scripts/wine-prefix.sh"
  launcher=()
  program=(./quaven.exe)
  echo "demo: running $run/quaven.exe on display $DISPLAY"
else
  launcher=(bash "$root/scripts/with-display.sh")
  # Started by the answerer, which records the first message box and ends the run (exit 4).
  program=("$quaven_build/fixtures/popup_answerer.exe" --log "Z:$popups" --run "Z:$run/quaven.exe")
  echo "demo: no \$DISPLAY; running $run/quaven.exe on a private Xvfb display"
fi

limit=${QUAVEN_DEMO_TIMEOUT:-120}
set +e
# The screenshot taker runs on the demo's display, so it starts inside the launcher.
(cd "$run" && timeout --kill-after=10 "$limit" "${launcher[@]}" bash -c '
  bash "$1" "$2" "$3" "$4" "$5" & watcher=$!; shift 5
  bash "$@"; status=$?; kill $watcher 2>/dev/null; wait; exit $status' _ \
  "$root/scripts/demo-screenshot.sh" "$marker" "${program_id:-*}" "$title" "$limit" \
  "$root/scripts/wine-run.sh" "${program[@]}")
status=$?
set -e
if [ -s "$popups" ]; then
  # One line: caption, text, buttons and pressed id, tab-separated, with \n, \r, \t and \\
  # escaped as printf %b reads them.
  caption=$(head -1 "$popups" | cut -f1)
  text=$(head -1 "$popups" | cut -f2)
  echo "demo: quaven.exe stopped on a message box, which nobody can answer on the hidden display." >&2
  printf 'demo: its caption: %b\n' "$caption" >&2
  printf '%b\n' "$text" | tr -d '\r' | sed 's/^/  /' >&2
  echo "demo: the run was ended; run with a \$DISPLAY to answer the box." >&2
  status=3
elif [ $status -eq 124 ] || [ $status -eq 137 ]; then
  echo "demo: the run did not end within $limit s and was stopped." >&2
  # Whatever the stopped run left in the prefix goes too (the Xvfb path does this itself).
  [ ${#launcher[@]} -eq 0 ] && wineserver -k >/dev/null 2>&1 || true
  status=124
fi

log=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/*/logs/*' -name "${program_id:-*}-*.log" \
        -newer "$marker" -printf '%T@ %p\n' 2>/dev/null | sort -n | tail -1 | cut -d' ' -f2-)
if [ -z "$log" ]; then
  echo "demo: the run wrote no log file for '$program_id' under $WINEPREFIX/drive_c/users/*/AppData/Roaming (exit code $status)." >&2
  [ $status -eq 0 ] && exit 1
  exit $status
fi

echo "demo: log file $log"
if [ -f "${log%.log}.png" ]; then
  echo "demo: screenshot ${log%.log}.png"
else
  echo "demo: no screenshot was taken (the game never logged that its scene was drawn)." >&2
fi
echo "demo: its last lines:"
tail -n 20 "$log" | tr -d '\r' | sed 's/^/  /'

if [ $status -eq 0 ]; then
  missing=()
  grep -q 'Demo: Init' "$log" || missing+=("the game's Init")
  grep -q 'Demo: Exit' "$log" || missing+=("the game's Exit")
  grep -q 'QUAVEN log: ' "$log" || missing+=("the engine's summary")
  if [ ${#missing[@]} -gt 0 ]; then
    echo "demo: the engine exited with 0, but the log lacks: $(IFS=,; echo "${missing[*]}" | sed 's/,/, /g')." >&2
    exit 1
  fi
  frames=$(sed -n 's/.*Demo: Exit after \([0-9]*\) frames.*/\1/p' "$log" | tail -1)
  echo "demo: the game ran ${frames:-some} frames and ended; the engine exited with 0."
fi
exit $status
