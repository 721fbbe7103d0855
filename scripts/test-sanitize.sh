#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs every
# test suite in that build. Any report (memory error, leak, undefined
# behaviour) fails the run.
#
# Usage: scripts/test-sanitize.sh [BUILD_DIR] [ctest arguments...]
#        (default BUILD_DIR: build-asan/ at the root)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="${1:-$root/build-asan}"
shift || true

bash "$root/scripts/setup.sh"

source "$root/scripts/sanitize-env.sh"

cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_SANITIZE=ON >/dev/null
cmake --build "$dir" -j"$(nproc)"
cd "$dir"
# Two suites side by side, as in scripts/test.sh.
QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure --timeout 600 "$@"
