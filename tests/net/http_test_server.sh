#!/usr/bin/env bash
# start <folder>: starts http_test_server.py in the background (replacing one left from an
# earlier run) and returns once it listens; its port is in <folder>/port.
# stop <folder>: ends the server started there.
set -u
action=$1 folder=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
stop() {
  if [[ -f $folder/pid ]]; then
    kill "$(cat "$folder/pid")" 2>/dev/null
    rm -f "$folder/pid"
  fi
  rm -f "$folder/port"
}
case $action in
  start)
    mkdir -p "$folder"
    stop
    # Detached from CTest's pipes, which would otherwise stay open as long as the server.
    setsid python3 "$here/http_test_server.py" "$folder" >"$folder/server.log" 2>&1 </dev/null &
    echo $! >"$folder/pid"
    for _ in $(seq 100); do
      [[ -s $folder/port ]] && { echo "HTTP test server on port $(cat "$folder/port")"; exit 0; }
      sleep 0.1
    done
    echo "HTTP test server did not start:" >&2
    cat "$folder/server.log" >&2
    exit 1
    ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop <folder>" >&2; exit 2 ;;
esac
