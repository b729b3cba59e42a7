#!/usr/bin/env bash
# Fails when a folder that keeps its system handles in owners calls GetDC, GetDCEx, GetWindowDC,
# LoadLibrary, SetWindowsHookEx or socket itself instead of through the owners of
# framework/GdiHandles.h and framework/SystemHandles.h. Folders not yet moved to the owners are
# listed with their calls, without failing.
# Usage: check-raw-handles.sh <source dir>
set -euo pipefail
root="${1:-.}"
cd "$root"
checked=(framework editor highlighting foundation controls toolbars themes app)
pending=()
owners='^framework/(GdiHandles|SystemHandles)\.(h|cpp):'
pattern='(^|[^A-Za-z0-9_])(GetDC|GetDCEx|GetWindowDC|LoadLibrary[AW]?|LoadLibraryEx[AW]?|SetWindowsHookEx[AW]?|socket)[[:space:]]*\('

# Calls outside comments, as "file:line: text".
calls() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort | while read -r f; do
    sed -e 's#//.*$##' "$f" | grep -nE "$pattern" | sed "s#^#$f:#" || true
  done
}

faults="$(calls "${checked[@]}" | grep -vE "$owners" || true)"
waiting=""
# An empty list would make find search the whole tree.
if [ ${#pending[@]} -gt 0 ]; then waiting="$(calls "${pending[@]}" || true)"; fi
if [ -n "$waiting" ]; then
  echo "pending, not yet moved to the owners:"
  echo "$waiting"
fi
if [ -n "$faults" ]; then
  echo "raw handle calls outside their owners:"
  echo "$faults"
  exit 1
fi
echo "raw handle calls: only inside the owners in ${checked[*]}"
