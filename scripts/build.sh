#!/usr/bin/env bash
# Configures and builds into ./build (or $VERDAN_BUILD_DIR): everything, or only the targets
# named (the run command names the program, whose target brings its Languages and Highlighters).
#   build.sh [target ...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${VERDAN_BUILD_DIR:-$root/build}"
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE="${VERDAN_BUILD_TYPE:-Release}" >/dev/null
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build_dir" ${targets[@]+"${targets[@]}"} -- ${VERDAN_NINJA_FLAGS:-}
