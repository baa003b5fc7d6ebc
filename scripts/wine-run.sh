#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix; CTest uses it as the
# cross-compiling emulator. Wine's console output ends lines with CR LF: the CR is dropped so
# that test listings and logs read as on any other platform. Output goes through files, not a
# pipe: Wine's helper processes (services, explorer) may inherit the program's handles and
# outlive it, and a pipe would then never reach its end.
#
# A test runner may give Wine more: QUAVEN_WINE_DLL_OVERRIDES is added to the DLL overrides (a
# test's fake DLLs loaded in place of Wine's), QUAVEN_WINE_HOME replaces the private HOME.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [[ -n "${QUAVEN_WINE_DLL_OVERRIDES:-}" ]]; then
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$QUAVEN_WINE_DLL_OVERRIDES"
fi
if [[ -n "${QUAVEN_WINE_HOME:-}" ]]; then
  export HOME=$QUAVEN_WINE_HOME
fi
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
wine "$@" >"$out" 2>"$err" </dev/null
status=$?
# A program's own crash ends inside Wine with the exception's status (5 for an access
# violation). Wine 8.0 itself now and then dies of SIGSEGV (status 139) while tearing down a
# 32-bit process, even one whose work is done, mostly when the machine is busy and sometimes
# twice in a row; on a heavily loaded machine the process is also seen killed outright
# (SIGKILL, status 137) after its last line of output. Those deaths are Wine's, so the run is
# repeated, a moment later, up to three times, and a program that really takes Wine down
# does so every time.
for retry in 1 2 3; do
  [[ $status -eq 139 || $status -eq 137 ]] || break
  echo "wine-run.sh: Wine died (status $status) running $1; running it again" >&2
  sleep 0.$retry
  wine "$@" >"$out" 2>"$err" </dev/null
  status=$?
done
tr -d '\r' <"$out"
tr -d '\r' <"$err" >&2
exit $status
