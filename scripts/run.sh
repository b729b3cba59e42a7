#!/usr/bin/env bash
# Installs what is missing, builds the program (not the test programs), sets up the PDF printer
# and starts the editor with the files named on the command line.
# Uses the user's display when there is one, else a private Xvfb (the script then prints its
# display, so that `DISPLAY=:N import -window root shot.png` can take a screenshot).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${VERDAN_BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" Verdan
# The CUPS "PDF" printer, which printing and page setup need; Wine finds it when its server
# starts, so before the program does.
"$root/scripts/pdf-printer.sh"
. "$root/scripts/wine-env.sh"
verdan_wine_start "$build_dir" run
trap verdan_wine_stop EXIT
[ -n "${VERDAN_XVFB_PID:-}" ] && echo "Display: $DISPLAY"
args=()
for f in "$@"; do
  if [ -e "$f" ]; then p="$(realpath "$f")"; args+=("Z:${p//\//\\}"); else args+=("$f"); fi
done
status=0
wine "$build_dir/app/Verdan.exe" "${args[@]}" || status=$?
exit $status
