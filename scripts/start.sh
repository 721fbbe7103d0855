#!/usr/bin/env bash
# Sets up, builds and starts the tool with the device simulator attached: the
# simulated device appears in the tool's port list as "tnt0".
#
# Qt lists only real serial devices, so the simulator's pseudo-terminal is
# shown to the tool inside a private mount namespace (scripts/devns.sh), which
# needs root and unshare. Without them the tool starts alone, and one line
# says how to attach a device. Closing the tool stops the simulator.
#
# Environment:
#   KORVEL_SIM_ARGS  extra simulator options, split at white space, e.g.
#                    KORVEL_SIM_ARGS="--baud 9600 -v" bash scripts/start.sh
#                    (all options: build/tools/devsim/korvel-devsim --help)
#
# Only the two programs are built (scripts/test.sh builds everything), and
# the build is quiet unless it fails. Without a display the script stops at
# once and prints the command line that installs xvfb, where missing, and
# runs it on a virtual display: xvfb-run -a bash scripts/start.sh
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

if [ $# -gt 0 ]; then
    echo "usage: bash scripts/start.sh (no arguments; simulator options go in KORVEL_SIM_ARGS)" >&2
    exit 2
fi

# Checked first, so that a machine without a display is told at once rather
# than after a build, and rather than by Qt's platform plugin abort.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    advice="xvfb-run -a bash scripts/start.sh"
    if ! command -v xvfb-run >/dev/null 2>&1; then
        sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo "
        advice="${sudo}apt-get update && ${sudo}apt-get install -y xvfb xauth && $advice"
    fi
    echo "start: no display to show the tool on (DISPLAY and WAYLAND_DISPLAY are unset); without one, run: $advice" >&2
    exit 1
fi

bash "$root/scripts/setup.sh" run || exit

# The build's output is kept in a log and shown only when it fails.
build="$root/build"
mkdir -p "$build"
log="$build/start-build.log"
echo "start: building korvel and korvel-devsim in $build"
if ! { [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo; } >"$log" 2>&1 \
    || ! cmake --build "$build" -j"$(nproc)" --target korvel korvel-devsim >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "start: the build failed; its whole output is in $log" >&2
    exit 1
fi

tool="$root/build/korvel"
sim="$root/build/tools/devsim/korvel-devsim"
attach_hint="to attach a device, run $sim --port /dev/ttyUSB1 on one end of a null-modem pair and open the other end in the tool"

sim_pid=""
tool_pid=""
# shellcheck disable=SC2317 # called from the EXIT trap, which shellcheck does not follow
cleanup() {
    trap - EXIT INT TERM HUP
    if [ -n "$tool_pid" ]; then
        kill -TERM "$tool_pid" 2>/dev/null
        wait "$tool_pid" 2>/dev/null
    fi
    if [ -n "$sim_pid" ]; then
        kill -TERM "$sim_pid" 2>/dev/null
        wait "$sim_pid" 2>/dev/null
    fi
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Runs a program in the background and waits for it, so that a signal to this
# script reaches the cleanup above at once; returns the program's status.
run_tool() {
    "$@" &
    tool_pid=$!
    wait "$tool_pid"
    local rc=$?
    tool_pid=""
    return "$rc"
}

stop_sim() {
    if [ -n "$sim_pid" ]; then
        kill -TERM "$sim_pid" 2>/dev/null
        wait "$sim_pid" 2>/dev/null
        sim_pid=""
    fi
}

if ! reason="$(bash "$root/scripts/devns.sh" check 2>&1)"; then
    echo "start: the simulated device cannot be shown in the port list here: ${reason#devns: }; $attach_hint" >&2
    run_tool "$tool"
    exit
fi

read -r -a sim_args <<<"${KORVEL_SIM_ARGS:-}"
# The simulator prints the path of its pseudo-terminal as its first line.
exec {sim_out}< <(exec "$sim" --pty "${sim_args[@]}")
sim_pid=$!
slave=""
if ! IFS= read -r -t 10 -u "$sim_out" slave || [ ! -c "$slave" ]; then
    echo "start: the device simulator did not start${KORVEL_SIM_ARGS:+ (KORVEL_SIM_ARGS=$KORVEL_SIM_ARGS)}" >&2
    exit 1
fi
# Anything more it prints on stdout goes on to this terminal (its -v log
# goes to stderr, which it shares with this script).
cat <&"$sim_out" &
exec {sim_out}<&-

run_tool bash "$root/scripts/devns.sh" run --pty "$slave" -- "$tool"
rc=$?
if [ "$rc" -eq 125 ]; then
    stop_sim
    echo "start: the simulated device could not be shown in the port list (see above); $attach_hint" >&2
    run_tool "$tool"
    rc=$?
fi
exit "$rc"
