#!/usr/bin/env bash
# Builds and runs one benchmark under Wine, in a prefix of its own (BUILD_DIR/bench/wineprefix-tests)
# with a private Xvfb and wine server, so that neither a test run nor an open editor disturbs it.
#   bench/run.sh NAME [arguments]     e.g. bench/run.sh buffer_bench
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${VERDAN_BUILD_DIR:-$root/build}"
name="${1:?name of the benchmark}"
shift
"$root/scripts/build.sh" >/dev/null
. "$root/scripts/wine-env.sh"
verdan_wine_start "$build_dir/bench" tests
trap verdan_wine_stop EXIT
status=0
wine "$build_dir/bench/$name.exe" "$@" || status=$?
exit $status
