#!/usr/bin/env bash
# The README names only folders that exist, and warns that edits cannot be saved yet.
# Usage: readme_test.sh
root="$(cd "$(dirname "$0")/../.." && pwd)"
status=0
while read -r folder; do
  [ -d "$root/$folder" ] || { echo "FAILED: the README names $folder, which does not exist"; status=1; }
done < <(grep -o '^| `[a-z]*/`' "$root/README.md" | sed 's/^| `\(.*\)`/\1/')
for said in "cannot save" "discards every edit"; do
  grep -q "$said" "$root/README.md" || { echo "FAILED: the README does not say \"$said\""; status=1; }
done
[ "$status" = 0 ] && echo "PASSED"
exit "$status"
