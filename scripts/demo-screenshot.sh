#!/usr/bin/env bash
# Started by scripts/demo.sh beside the demo, on the demo's X display: waits until the run's
# log says "Demo: scene drawn", then dumps the window called TITLE (the whole screen when no
# such window is found) and writes it as a PNG beside the log, named after the log. Gives up
# quietly after LIMIT seconds. Usage: demo-screenshot.sh MARKER PROGRAM_ID TITLE LIMIT
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
marker=$1 program_id=$2 title=$3 limit=$4
deadline=$((SECONDS + limit))
while [ $SECONDS -lt $deadline ]; do
  log=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/*/logs/*' -name "$program_id-*.log" \
          -newer "$marker" 2>/dev/null | head -1)
  if [ -n "$log" ] && grep -q 'Demo: scene drawn' "$log" 2>/dev/null; then
    dump=$(mktemp)
    xwd -display "$DISPLAY" -silent -name "$title" -out "$dump" 2>/dev/null ||
      xwd -display "$DISPLAY" -silent -root -out "$dump" 2>/dev/null
    python3 "$root/scripts/xwd_to_png.py" "$dump" "${log%.log}.png" 2>/dev/null
    rm -f "$dump"
    exit 0
  fi
  sleep 0.2
done
