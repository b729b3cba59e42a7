#!/usr/bin/env bash
# The verdict of the test command on a test program (cmake/GTestVerdict.cmake), over a planted
# program that ends its run in each of the ways a real one can (tests/scripts/VerdictPlanted.cpp).
# A way whose output still shows a passing summary and no failure line shows that a run which
# looks passed in the output is failed all the same.
#   gtest_verdict_test.sh CMAKE PLANTED_PROGRAM SCRATCH_DIR
set -u
cmake="$1"
program="$2"
scratch="$3"
verdict="$(cd "$(dirname "$0")/../.." && pwd)/cmake/GTestVerdict.cmake"
mkdir -p "$scratch"
cd "$scratch" || exit 1
status=0

# Each case: the planted way, the verdict (0 passed, 1 failed), the reason the verdict names, and
# whether the output shows a passing summary with no failure line.
cases=(
  "|0|passed its 3 tests|yes"
  "fails|1|counts 1 failed tests|no"
  "code3|1|ended with code 3|yes"
  "early0|1|ended before its own summary|no"
  "copy-early0|1|ended before its own summary|yes"
  "copy-report|1|counts 1 tests, not the 3 the program has|yes"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r way expected reason looks <<<"$entry"
  "$cmake" -DEMULATOR=wine "-DPROGRAM=$program" -DREPORT=planted.xml "-DARGS=$way" -P "$verdict" >out.txt 2>&1
  got=$?
  [ "$got" = 0 ] || got=1
  shown=no
  if grep -q '^\[  PASSED  \] [0-9]* tests\?\.' out.txt && ! grep -q '^\[  FAILED  \]' out.txt; then
    shown=yes
  fi
  if [ "$got" != "$expected" ] || ! grep -qF "$reason" out.txt || [ "$shown" != "$looks" ]; then
    echo "FAILED: way '${way:-untouched}': verdict $got (expected $expected, \"$reason\"), passing summary shown: $shown"
    cat out.txt
    status=1
  else
    echo "ok: way '${way:-untouched}': verdict $got, $reason"
  fi
done
exit $status
