#!/usr/bin/env bash
# The Wine set-up never ends another session's programs: an editor of the run command lives
# through a test run of the same build folder and a second run command, which joins its server.
. "$(dirname "$0")/../../scripts/wine-env.sh"
# A prefix whose registry lost the harness's settings is not taken as ready.
fake=$(mktemp -d) status=0
touch "$fake/.verdan-ready"
printf '[Software\\Wine\\X11 Driver]\n"Decorated"="Y"\n' >"$fake/user.reg"
WINEPREFIX="$fake" verdan_wine_prefix_has_settings &&
  { echo "FAILED: a prefix without its settings counts as ready"; status=1; }
printf '"Managed"="N"\n"Courier New"="Liberation Mono"\n' >>"$fake/user.reg"
WINEPREFIX="$fake" verdan_wine_prefix_has_settings ||
  { echo "FAILED: a prefix with its settings does not count as ready"; status=1; }
rm -rf "$fake"
verdan_wine_start "$1" run
run_prefix="$WINEPREFIX"
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
