#!/usr/bin/env bash
# Keeps the code of the libraries and programs in pieces one can read whole:
# no file over 450 lines, no function over 60 (a function here runs from a
# "{" alone in the first column to the "}" that closes it there, as the code
# is laid out). Tests and fuzz targets are left out. Prints each one too long and fails if there is any.
# Usage: scripts/sizes.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
found=0
while IFS= read -r f; do
    case "$f" in
        tests/* | fuzz/*) continue ;;
        *.cpp | *.h | *.c) ;;
        *) continue ;;
    esac
    [ -f "$f" ] || continue
    lines=$(wc -l <"$f")
    if [ "$lines" -gt 450 ]; then
        echo "$f: $lines lines (at most 450)"
        found=1
    fi
    if ! awk -v file="$f" '
        /^\{/ { start = NR; name = previous }
        /^\};/ { start = 0 } # a class or a table, not a function
        /^\}/ && start {
            if (NR - start - 1 > 60) { printf "%s:%d: %s: %d lines (at most 60)\n", file, start, name, NR - start - 1; bad = 1 }
            start = 0
        }
        { previous = $0 }
        END { exit bad }' "$f"; then
        found=1
    fi
done < <(bash scripts/source-files.sh)
exit "$found"
