#!/usr/bin/env bash
# The soak run: the soak game (bench/soak) keeps every subsystem busy for ten minutes
# (QUAVEN_SOAK_SECONDS to change; QUAVEN_SOAK_WORKERS=0 leaves out its game threads) in
# quaven.exe on a private display, with the loopback HTTP server of the tests serving its
# downloads and the popup answerer watching for message boxes. A watchdog ends a run whose game
# has noted nothing for a minute (a deadlock) or that outlives its length by five minutes. With
# each of the game's samples the script notes what Linux sees of the process (anonymous resident
# memory, descriptors). Then bench/soak/soak_report.py prints the figures (private bytes,
# handles and GDI objects after warm-up and at the end, frame times) and judges them; the exit
# code is 0 when everything held. Outside CI; the run's files stay in <build>/soak/last-run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" quaven_soak popup_answerer
source "$root/scripts/wine-env.sh"
run=$quaven_build/soak
seconds=${QUAVEN_SOAK_SECONDS:-600}
work=$run/last-run
rm -rf "$work"
mkdir -p "$work"
server=$work/server
bash "$root/tests/net/http_test_server.sh" start "$server"
trap 'bash "$root/tests/net/http_test_server.sh" stop "$server"' EXIT
sed -e "s|soak_seconds=\"[0-9]*\"|soak_seconds=\"$seconds\"|" \
    -e "s|soak_http=\"[^\"]*\"|soak_http=\"http://127.0.0.1:$(cat "$server/port" | tr -d '\n')\" soak_workers=\"${QUAVEN_SOAK_WORKERS:-1}\"|" \
    "$run/prog.xml.in" >"$run/prog.xml"
export QUAVEN_SOAK_RESULTS="Z:$work/results.txt"
echo "soak: running the soak game for $seconds s; its notes go to $work/results.txt"

set +e
(cd "$run" && bash "$root/scripts/with-display.sh" bash -c '
  root=$1 run=$2 work=$3 limit=$4
  bash "$root/scripts/wine-run.sh" "$(dirname "$run")/fixtures/popup_answerer.exe" --log "Z:$work/popups.txt" \
    --run "Z:$run/quaven.exe" >"$work/engine.out" 2>&1 &
  engine=$!
  start=$(date +%s) samples=0
  while kill -0 $engine 2>/dev/null; do
    sleep 1
    now=$(date +%s)
    # The game reads its own Linux id here (its wait probe reads its threads under /proc).
    if [[ ! -s $work/unix-pid ]]; then
      pgrep -fx "Z:$run/quaven.exe" | head -1 >"$work/unix-pid.new" && mv "$work/unix-pid.new" "$work/unix-pid"
    fi
    # With each sample of the game, what Linux sees of its process (Wine keeps some memory,
    # that of the graphics driver, outside the Windows view): anonymous resident memory, descriptors.
    count=$(grep -c "^sample" "$work/results.txt" 2>/dev/null) || true
    if (( ${count:-0} > samples )); then
      samples=$count
      pid=$(pgrep -fx "Z:$run/quaven.exe" | head -1) || true
      if [[ -n $pid ]]; then
        echo "$(grep "^sample" "$work/results.txt" | tail -1 | cut -d" " -f2)" \
             "$(awk "/^RssAnon/ {print \$2}" /proc/$pid/status)" "$(ls /proc/$pid/fd | wc -l)" >>"$work/linux.txt"
      fi
    fi
    last=$(stat -c %Y "$work/results.txt" 2>/dev/null || echo "$start")
    if (( now - last > 60 )); then
      echo "the game noted nothing for $((now - last)) s at $((now - start)) s: stuck" >"$work/watchdog.txt"
    elif (( now - start > limit + 300 )); then
      echo "the run outlived its $limit s by five minutes" >"$work/watchdog.txt"
    else
      continue
    fi
    kill $engine; wineserver -k; break
  done
  wait $engine' _ "$root" "$run" "$work" "$seconds")
status=$?
set -e
log=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/Quaven/Quaven_Soak/logs/*' -name 'quaven-soak-*.log' \
        -newer "$work/server/port" 2>/dev/null | sort | tail -1)
python3 "$root/bench/soak/soak_report.py" "$work" "$status" "${log:-}"
