#!/usr/bin/env bash
# The encoding tests of the app once more under the ANSI code page 1251 of a Russian system, where
# Windows-1251 text needs no warning and Western text still opens as it is, and the sort of lines
# in the Russian locale. Wine takes the code page from the locale; the Russian one is made once,
# in the build folder. The run is judged as every test program's is (cmake/GTestVerdict.cmake).
#   cp1251_test.sh BUILD_DIR [CMAKE]
set -euo pipefail
build_dir="$1"
cmake="${2:-cmake}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
locales="$build_dir/locale"
if [ ! -f "$locales/ru_RU.UTF-8/LC_CTYPE" ]; then
  mkdir -p "$locales"
  localedef -i ru_RU -f UTF-8 "$locales/ru_RU.UTF-8" || [ -f "$locales/ru_RU.UTF-8/LC_CTYPE" ]
fi
cd "$build_dir/tests"
LOCPATH="$locales" LC_ALL=ru_RU.UTF-8 VERDAN_EXPECT_ACP=1251 "$cmake" -DEMULATOR=wine -DPROGRAM=app_tests.exe \
  -DREPORT=app_tests_cp1251.xml \
  '-DARGS=--gtest_filter=TextDetection*:Cyrillic*:ForeignCodePage*:UnkeptCharacters*:Utf8Test*:StrayMarkSettings*:TextToolsSort*' \
  -P "$root/cmake/GTestVerdict.cmake"
