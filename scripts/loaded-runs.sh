#!/usr/bin/env bash
# Runs the suites of a build folder again and again beside busy loops, to
# shake out tests that pass only on an idle machine (a race, a fixed sleep,
# a time limit that was too tight). Every run counts: nothing is retried.
#
# Usage: scripts/loaded-runs.sh [--runs N] [--load K] BUILD_DIR [ctest arguments...]
#   --runs   runs in a row (default 20)
#   --load   CPU-bound processes beside the suites (default 2)
#   BUILD_DIR  a build folder, plain or sanitizer (KORVEL_SANITIZE=ON)
# Each run's ctest output goes to BUILD_DIR/loaded-runs/run-N.log; a line a
# run, with the failed suites and test functions, is printed and written to
# BUILD_DIR/loaded-runs/summary.txt. Exits 1 when any run failed.
#
# Example: scripts/loaded-runs.sh build -E packaging
#          scripts/loaded-runs.sh --runs 5 build-asan
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
runs=20 load=2
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs="$2"; shift 2 ;;
        --load) load="$2"; shift 2 ;;
        -h|--help) sed -n '2,15p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) break ;;
    esac
done
{ [ $# -ge 1 ] && [ -f "$1/CTestTestfile.cmake" ]; } || {
    echo "loaded-runs: give a build folder with tests (see --help)" >&2; exit 2; }
case "$runs$load" in *[!0-9]*) echo "loaded-runs: --runs and --load take whole numbers" >&2; exit 2 ;; esac
dir="$(cd "$1" && pwd)"
shift

if grep -q '^KORVEL_SANITIZE:BOOL=ON' "$dir/CMakeCache.txt" 2>/dev/null; then
    source "$root/scripts/sanitize-env.sh"
fi

loops=()
stop_loops() { [ ${#loops[@]} -eq 0 ] || kill "${loops[@]}" 2>/dev/null; }
trap stop_loops EXIT
trap 'exit 130' INT TERM
for _ in $(seq 1 "$load"); do
    sh -c 'while :; do :; done' &
    loops+=($!)
done

out="$dir/loaded-runs"
mkdir -p "$out"
: >"$out/summary.txt"
failed=0
for i in $(seq 1 "$runs"); do
    t=$SECONDS
    (cd "$dir" && QT_QPA_PLATFORM=offscreen ctest -j2 --timeout 600 --output-on-failure "$@") \
        >"$out/run-$i.log" 2>&1
    rc=$?
    [ $rc -eq 0 ] || failed=$((failed + 1))
    {
        echo "run $i: exit $rc, $(grep -E 'tests passed' "$out/run-$i.log" || echo 'no summary'), $((SECONDS - t)) s, load $(cut -d' ' -f1-3 /proc/loadavg)"
        grep -E '\*\*\*Failed|\*\*\*Timeout|\*\*\*Exception|^FAIL!' "$out/run-$i.log" | sed 's/^/    /'
    } | tee -a "$out/summary.txt"
done
echo "loaded-runs: $runs runs beside $load busy loops, $failed failed" | tee -a "$out/summary.txt"
[ $failed -eq 0 ]
