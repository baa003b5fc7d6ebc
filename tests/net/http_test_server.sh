#!/usr/bin/env bash
# start <folder>: starts http_test_server.py in the background (ending one left there by an
# earlier run) and returns once it listens, its port in <folder>/port. stop <folder>: ends it.
set -u
folder=$2
[[ -f $folder/pid ]] && kill "$(cat "$folder/pid")" 2>/dev/null
rm -f "$folder/pid" "$folder/port"
[[ $1 == start ]] || exit 0
mkdir -p "$folder"
# Detached from CTest's pipes, which would otherwise stay open as long as the server.
setsid python3 "$(dirname "${BASH_SOURCE[0]}")/http_test_server.py" "$folder" >"$folder/server.log" 2>&1 </dev/null &
echo $! >"$folder/pid"
for _ in $(seq 100); do
  [[ -s $folder/port ]] && exit 0
  sleep 0.1
done
cat "$folder/server.log" >&2
exit 1
