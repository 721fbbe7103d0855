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

# Every sanitizer report ends the process with a failure; leaks are looked
# for at exit. The suppressions name only Qt's and fontconfig's own
# process-lifetime allocations, never the tool's code.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1:detect_invalid_pointer_pairs=1:allocator_may_return_null=0:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:symbolize=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-qt.supp:print_suppressions=0"

cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_SANITIZE=ON >/dev/null
cmake --build "$dir" -j"$(nproc)"
cd "$dir"
# Two suites side by side, as in scripts/test.sh.
QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure --timeout 600 "$@"
