#!/usr/bin/env bash
# Runs shellcheck over every shell script of the tree (scripts/source-files.sh):
# the files named *.sh, those whose first line starts a POSIX shell or bash, and those
# that name their shell for shellcheck (the completion script). Any remark
# fails; one kept on purpose is disabled on its line, with the reason.
# Usage: scripts/shellcheck.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
if ! command -v shellcheck >/dev/null 2>&1; then
    echo "shellcheck: not installed (bash scripts/setup.sh installs it)" >&2
    exit 1
fi
tracked="$(bash scripts/source-files.sh)"
scripts=()
while IFS= read -r f; do
    [ -f "$f" ] || continue
    if [[ "$f" == *.sh ]] ||
        head -n1 "$f" | grep -Eq '^#! *(/usr)?/bin/(env +)?(ba)?sh([[:space:]]|$)' ||
        head -n3 "$f" | grep -q '^# shellcheck shell='; then
        scripts+=("$f")
    fi
done <<<"$tracked"
shellcheck -- "${scripts[@]}"
echo "shellcheck: ${#scripts[@]} scripts, no remark"
