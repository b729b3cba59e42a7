#!/usr/bin/env bash
# Text typed into the editor: closing asks to save, "Yes" (the default) writes the file, the
# program ends.   save_on_close_test.sh <scratch build folder> <Verdan.exe>
. "$(dirname "$0")/../../scripts/wine-env.sh"
mkdir -p "$1" && verdan_wine_start "$1" tests && trap verdan_wine_stop EXIT
work="$(mktemp -d)" && printf 'hello\r\n' >"$work/doc.txt"
wine "$2" "Z:${work//\//\\}\\doc.txt" >/dev/null 2>&1 </dev/null &
editor=$!
for _ in $(seq 1 200); do
  wid=$(xdotool search --onlyvisible --name '^Halcorn Verdan' 2>/dev/null | head -n1) && [ -n "$wid" ] && break
  sleep 0.1
done
sleep 2 && xdotool mousemove --window "$wid" 300 200 click 1 && sleep 0.5
xdotool type --delay 50 'typed ' && sleep 0.5 && xdotool key alt+F4 && sleep 2 && xdotool key Return
for _ in $(seq 1 100); do kill -0 "$editor" 2>/dev/null || break; sleep 0.1; done
kill -0 "$editor" 2>/dev/null && { echo "FAILED: the program still runs"; exit 1; }
saved="$(od -An -c "$work/doc.txt" | tr -s ' ')" && rm -rf "$work"
[ "$saved" = " h e l l o \r \n t y p e d " ] || { echo "FAILED: the file holds:$saved"; exit 1; }
