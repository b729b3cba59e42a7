#!/usr/bin/env bash
# Fails when a source file differs from what clang-format makes of it (the style is in .clang-format).
# Usage: check-format.sh <source dir>     To mend the tree: check-format.sh <source dir> --fix
set -euo pipefail
root="${1:-.}"
cd "$root"
mapfile -t files < <(find framework editor highlighting foundation controls toolbars themes app tests bench tools \
  -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort)
if [ "${2:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if clang-format --dry-run --Werror "${files[@]}" >/dev/null 2>&1; then exit 0; fi
clang-format --dry-run "${files[@]}" 2>&1 | grep -o '^[^:]*\.\(cpp\|h\)' | sort -u | sed 's/^/not formatted: /'
echo "to mend: scripts/check-format.sh . --fix"
exit 1
