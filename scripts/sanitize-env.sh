# shellcheck shell=bash
# Sourced by the scripts that run the sanitizer build's suites: every
# sanitizer report ends the process with a failure; leaks are looked for at
# exit. The suppressions name only Qt's and fontconfig's own
# process-lifetime allocations, never the tool's code.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1:detect_invalid_pointer_pairs=1:allocator_may_return_null=0:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:symbolize=1"
LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan-qt.supp:print_suppressions=0"
export LSAN_OPTIONS
