#!/usr/bin/env bash
# Configures and builds everything into ./build (or $VERDAN_BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${VERDAN_BUILD_DIR:-$root/build}"
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S "$root" -B "$build_dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE="${VERDAN_BUILD_TYPE:-Release}" >/dev/null
fi
cmake --build "$build_dir" -- ${VERDAN_NINJA_FLAGS:-}
