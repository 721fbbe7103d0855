#!/usr/bin/env bash
# Prints the files of the source tree, one a line, relative to its root:
# git's tracked files where the tree is a git work tree and git is there,
# else every file but build output (a tree unpacked from a release archive,
# a fresh machine without git).
# Usage: scripts/source-files.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
if command -v git >/dev/null 2>&1 && git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files
else
    find . \( -name .git -o -name 'build' -o -name 'build-*' \) -prune -o -type f -print |
        sed 's|^\./||' | LC_ALL=C sort
fi
