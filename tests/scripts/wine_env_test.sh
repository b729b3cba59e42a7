#!/usr/bin/env bash
# The Wine set-up never ends another session's programs: an editor of the run command lives
# through a test run of the same build folder and a second run command, which joins its server.
. "$(dirname "$0")/../../scripts/wine-env.sh"
verdan_wine_start "$1" run
run_prefix="$WINEPREFIX" status=0
wine notepad.exe >/dev/null 2>&1 </dev/null &
for _ in $(seq 1 200); do xdotool search --onlyvisible --name Notepad >/dev/null 2>&1 && break; sleep 0.1; done
for mode in tests run; do
  (verdan_wine_start "$1" "$mode" && wine cmd.exe /c exit >/dev/null 2>&1 </dev/null; verdan_wine_stop)
  sleep 1
  kill -0 $! 2>/dev/null || { echo "FAILED: the $mode set-up ended the editor"; status=1; }
done
WINEPREFIX="$run_prefix" wineserver -k >/dev/null 2>&1
verdan_wine_stop
exit "$status"
