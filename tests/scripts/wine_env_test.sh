#!/usr/bin/env bash
# The run and test commands' Wine set-up never ends another session's programs: an editor of
# the run command lives through a test run of the same build folder and through a second run
# command, which joins its server. Usage: wine_env_test.sh SCRATCH_BUILD_DIR
root="$(cd "$(dirname "$0")/../.." && pwd)"
. "$root/scripts/wine-env.sh"
verdan_wine_start "$1" run
run_prefix="$WINEPREFIX"
wine notepad.exe >/dev/null 2>&1 </dev/null &
editor=$!
for _ in $(seq 1 200); do xdotool search --onlyvisible --name Notepad >/dev/null 2>&1 && break; sleep 0.1; done
status=0
for mode in tests run; do
  (verdan_wine_start "$1" "$mode" && wine cmd.exe /c exit >/dev/null 2>&1 </dev/null; verdan_wine_stop)
  sleep 1
  kill -0 "$editor" 2>/dev/null || { echo "FAILED: starting and ending the $mode set-up ended the editor"; status=1; }
done
WINEPREFIX="$run_prefix" wineserver -k >/dev/null 2>&1
wait "$editor" 2>/dev/null
verdan_wine_stop
exit "$status"
