#!/usr/bin/env bash
# Closing the editor with typed, unsaved text asks whether to save; "Yes" (the default button)
# writes the file, and the program then ends.
#   save_on_close_test.sh <scratch build folder> <Verdan.exe>
. "$(dirname "$0")/../../scripts/wine-env.sh"
mkdir -p "$1"
verdan_wine_start "$1" tests
trap verdan_wine_stop EXIT
work="$(mktemp -d)"
printf 'hello\r\n' >"$work/doc.txt"
wine "$2" "Z:${work//\//\\}\\doc.txt" >/dev/null 2>&1 </dev/null &
editor=$!
wid=""
for _ in $(seq 1 200); do
  wid=$(xdotool search --onlyvisible --name '^Halcorn Verdan' 2>/dev/null | head -n1)
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || { echo "FAILED: no window"; exit 1; }
sleep 2
xdotool mousemove --window "$wid" 300 200 click 1
sleep 0.5
xdotool type --delay 50 'typed '
sleep 0.5
xdotool key alt+F4
sleep 2
[ "$(cat "$work/doc.txt")" = $'hello\r' ] || { echo "FAILED: saved before the answer"; exit 1; }
xdotool key Return
for _ in $(seq 1 100); do kill -0 "$editor" 2>/dev/null || break; sleep 0.1; done
status=0
kill -0 "$editor" 2>/dev/null && { echo "FAILED: the program still runs"; status=1; }
if [ "$(od -An -c "$work/doc.txt" | tr -s ' ')" != " h e l l o \r \n t y p e d " ]; then
  echo "FAILED: the file holds: $(od -An -c "$work/doc.txt")"
  status=1
fi
rm -rf "$work"
exit "$status"
