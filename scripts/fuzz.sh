#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each one for a fixed time, starting
# from its committed seeds in fuzz/corpus/<target>/.
#
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
#   SECONDS  run time of each target (default 20)
#   TARGET   only these targets (default: all, one after the other)
# Environment: KORVEL_FUZZ_BUILD  build folder (default build-fuzz/ at the root)
#
# New inputs found go to <build>/corpus/<target>/, kept between runs; an
# input that crashes or breaks a property is written to
# <build>/artifacts/<target>-crash-* and makes the script fail. Replay one
# with: <build>/fuzz/<target> <file>
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-20}"
shift || true
dir="${KORVEL_FUZZ_BUILD:-$root/build-fuzz}"

all_targets=(
    fuzz_replies fuzz_hex_text fuzz_window_documents fuzz_device_core fuzz_ctl_files fuzz_telnet fuzz_mbap
)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

set -e
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DKORVEL_SANITIZE=ON -DKORVEL_FUZZ=ON -DKORVEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"
set +e

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:symbolize=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-qt.supp:print_suppressions=0"

# Longest input each target is given: a reply frame, a line of hex text, a
# full EID document, a run of requests, a file for korvelctl, what a serial
# device server or a Modbus TCP gateway sends back.
max_len() {
    case "$1" in
        fuzz_hex_text) echo 4096 ;;
        fuzz_window_documents) echo 16384 ;;
        fuzz_device_core) echo 2048 ;;
        fuzz_ctl_files) echo 8192 ;;
        fuzz_telnet | fuzz_mbap) echo 1024 ;;
        *) echo 512 ;;
    esac
}

mkdir -p "$dir/artifacts" "$dir/logs"
failed=()
printf '%-24s %12s %8s %8s %8s  %s\n' target executions cov ft corpus result
for target in "${targets[@]}"; do
    work="$dir/corpus/$target"
    seeds="$root/fuzz/corpus/$target"
    log="$dir/logs/$target.log"
    mkdir -p "$work"
    options=(-max_total_time="$seconds" -max_len="$(max_len "$target")" -timeout=10
             -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$dir/artifacts/$target-")
    case "$target" in
        fuzz_window_documents) options+=(-dict="$root/fuzz/documents.dict") ;;
        fuzz_device_core) options+=(-dict="$root/fuzz/device.dict") ;;
        fuzz_ctl_files) options+=(-dict="$root/fuzz/ctlfiles.dict") ;;
        fuzz_telnet) options+=(-dict="$root/fuzz/telnet.dict") ;;
    esac
    "$dir/fuzz/$target" "${options[@]}" "$work" "$seeds" >"$log" 2>&1
    rc=$?
    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    last="$(grep -E "^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE|INITED)" "$log" | tail -1)"
    cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")"
    ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")"
    corpus="$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")"
    if [ $rc -eq 0 ]; then
        result=ok
    else
        result="FAILED (exit $rc, see $log)"
        failed+=("$target")
    fi
    printf '%-24s %12s %8s %8s %8s  %s\n' "$target" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${corpus:-?}" "$result"
done

if [ ${#failed[@]} -gt 0 ]; then
    for target in "${failed[@]}"; do
        echo "---- $target ----" >&2
        grep -E -A30 'ERROR:|runtime error|fuzz property broken|Timeout|out-of-memory' \
            "$dir/logs/$target.log" | head -60 >&2
    done
    exit 1
fi
