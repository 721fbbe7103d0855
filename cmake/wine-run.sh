#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine: CMake's
# CMAKE_CROSSCOMPILING_EMULATOR for the MinGW toolchain, so ctest runs the
# test suites with it.
#
# Usage: cmake/wine-run.sh PROGRAM.exe [ARGS...]
#
# The DLLs the program loads are looked for in the folders that
# KORVEL_WINE_DLL_DIRS lists (separated by ":"), besides the program's own.
# Wine's own messages are silenced. QtTest's console output does not come
# through Wine, so a suite is run with "-o FILE,txt" and FILE is printed here
# once the program has ended, under the program's exit status.
set -uo pipefail
log=""
args=("$@")
for ((i = 1; i + 1 < ${#args[@]}; i++)); do
    if [ "${args[i]}" = "-o" ] && [[ "${args[i + 1]}" == *,txt ]]; then
        log="${args[i + 1]%,txt}"
    fi
done
[ -n "$log" ] && rm -f "$log"
if [ -n "${KORVEL_WINE_DLL_DIRS:-}" ]; then
    IFS=: read -r -a dirs <<<"$KORVEL_WINE_DLL_DIRS"
    WINEPATH="$(printf 'Z:%s;' "${dirs[@]}")"
    export WINEPATH="${WINEPATH%;}"
fi
WINEDEBUG="${WINEDEBUG:--all}" wine "$@"
status=$?
if [ -n "$log" ]; then
    if [ -f "$log" ]; then
        tr -d '\r' <"$log"
    else
        echo "wine-run: $1 wrote no test log ($log)" >&2
        [ "$status" -eq 0 ] && status=1
    fi
fi
exit "$status"
