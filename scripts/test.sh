#!/usr/bin/env bash
# Sets up, builds and runs every test suite, once built with Qt 5 (build/)
# and once with Qt 6 (build-qt6/).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh"
for qt in 5 6; do
    start=$SECONDS
    dir="$root/build"
    [ "$qt" = 5 ] || dir="$root/build-qt$qt"
    bash "$root/scripts/build.sh" "$dir" -DKORVEL_QT="$qt"
    (cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600)
    echo "test: Qt $qt build and suites took $((SECONDS - start)) s"
done
