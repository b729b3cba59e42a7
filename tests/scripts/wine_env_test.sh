#!/usr/bin/env bash
# The run and test commands' Wine set-up never ends another session's programs: an editor
# started by the run command lives through a test run of the same build folder and through a
# second run command, which joins its server. Usage: wine_env_test.sh SCRATCH_DIR
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
scratch="$1"
mkdir -p "$scratch"
. "$root/scripts/wine-env.sh"
fail() {
  echo "FAILED: $*"
  status=1
}
status=0

# A long-lived program in the editor's prefix, as an open editor would be.
verdan_wine_start "$scratch" run
run_prefix="$WINEPREFIX"
wine notepad.exe >/dev/null 2>&1 </dev/null &
editor=$!
for _ in $(seq 1 200); do
  xdotool search --onlyvisible --name Notepad >/dev/null 2>&1 && break
  sleep 0.1
done
kill -0 "$editor" 2>/dev/null || fail "the program did not start"

# A test run's set-up and tear-down of the same build folder.
(verdan_wine_start "$scratch" tests && wine cmd.exe /c exit >/dev/null 2>&1 </dev/null; verdan_wine_stop)
[ "$WINEPREFIX" = "$run_prefix" ] || fail "the run command's prefix changed"
kill -0 "$editor" 2>/dev/null || fail "a test run ended the editor"

# A second run command joins the running server and leaves it running when it ends.
(verdan_wine_start "$scratch" run && wine cmd.exe /c exit >/dev/null 2>&1 </dev/null; verdan_wine_stop)
sleep 1
kill -0 "$editor" 2>/dev/null || fail "a second run command ended the editor"

WINEPREFIX="$run_prefix" wineserver -k >/dev/null 2>&1
wait "$editor" 2>/dev/null
verdan_wine_stop
[ "$status" = 0 ] && echo "PASSED"
exit "$status"
