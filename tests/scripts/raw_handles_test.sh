#!/usr/bin/env bash
# The raw-handle check over small trees: a call inside an owner file or in a comment passes, a
# call anywhere else in a checked folder fails and is named, and files outside the folders (the
# tests) are neither looked at nor listed.
# Usage: raw_handles_test.sh <scratch dir>
set -u
check="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-raw-handles.sh"
scratch="$1"
status=0

# Each case: expected exit code, file, its one line of code.
cases=(
  "0|framework/GdiHandles.cpp|HDC dc = GetDC(nullptr);"
  "0|framework/SystemHandles.cpp|module_ = LoadLibraryW(Name);"
  "0|app/Routines.cpp|// GetDC(nullptr) in a comment"
  "0|app/Routines.cpp|const TWindowDC screen;"
  "0|app/Routines.cpp|int MyGetDC(int); int x = MyGetDC(1);"
  "0|tests/app/PaintTests.cpp|HDC dc = GetDC(nullptr);"
  "1|app/Routines.cpp|HDC dc = GetDC(nullptr);"
  "1|app/Routines.cpp|HDC dc = GetWindowDC (window);"
  "1|app/Routines.h|auto h = SetWindowsHookExW(WH_CBT, proc, nullptr, 0);"
  "1|app/Net.cpp|SOCKET s = socket(AF_INET, SOCK_STREAM, 0);"
  "1|themes/Loader.cpp|HMODULE m = LoadLibraryExW(L\"x.dll\", nullptr, 0);"
  "1|framework/Other.cpp|HDC dc = GetDCEx(window, nullptr, 0);"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r expected file code <<<"$entry"
  rm -rf "$scratch" && mkdir -p "$scratch/$(dirname "$file")"
  printf '%s\n' "$code" >"$scratch/$file"
  bash "$check" "$scratch" >"$scratch.out" 2>&1
  got=$?
  if [ "$got" != "$expected" ]; then
    echo "FAILED: $file \"$code\" gave $got, not $expected"
    cat "$scratch.out"
    status=1
  elif [ "$got" = 1 ] && ! grep -q "^$file:1:" "$scratch.out"; then
    echo "FAILED: $file \"$code\" failed without naming the call"
    status=1
  elif [ "$got" = 0 ] && grep -q "$file" "$scratch.out"; then
    echo "FAILED: $file \"$code\" passed but was listed"
    cat "$scratch.out"
    status=1
  fi
done
rm -rf "$scratch" "$scratch.out"
[ "$status" = 0 ] && echo "raw handle check: ${#cases[@]} cases passed"
exit "$status"
