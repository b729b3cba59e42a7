#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test program under Wine.
# Extra arguments go to ctest (for example -R framework).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${VERDAN_BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
# The CUPS "PDF" printer the printing tests print to, and where its files land.
"$root/scripts/pdf-printer.sh"
export VERDAN_PDF_DIR="${VERDAN_PDF_DIR:-$HOME/PDF}"
. "$root/scripts/wine-env.sh"
verdan_wine_start "$build_dir" tests
trap verdan_wine_stop EXIT
status=0
(cd "$build_dir" && ctest --output-on-failure "$@") || status=$?
exit $status
