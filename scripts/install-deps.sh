#!/usr/bin/env bash
# Installs what the build, the tests and the run command need, and nothing twice.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -qq
fi

for p in g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686 \
         wine wine32:i386 xvfb xdotool cmake ninja-build googletest \
         libz-mingw-w64-dev imagemagick fonts-liberation fonts-wine x11-utils \
         unicode-data bzip2 clang-format cups printer-driver-cups-pdf libcups2:i386 poppler-utils locales; do
  have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq || true
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
