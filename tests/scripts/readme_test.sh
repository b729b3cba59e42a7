#!/usr/bin/env bash
# The README names only folders that exist, and warns that edits cannot be saved yet.
root="$(cd "$(dirname "$0")/../.." && pwd)"
status=0
for folder in $(grep -o '^| `[a-z]*/`' "$root/README.md" | tr -d '|` '); do
  [ -d "$root/$folder" ] || { echo "FAILED: the README names $folder"; status=1; }
done
grep -q "closing the window discards every edit" "$root/README.md" || { echo "FAILED: no warning"; status=1; }
exit "$status"
