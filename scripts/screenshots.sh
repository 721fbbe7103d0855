#!/usr/bin/env bash
# Takes the README's screenshots of both tabs: the real window, on a virtual
# X display, with the device simulator's values read in over a serial line.
# Writes docs/screenshot-parameters.png and docs/screenshot-eid.png.
#
# Usage: bash scripts/screenshots.sh [OUT_DIR [EID_END_PNG]]
#   OUT_DIR       where the two pictures go (default: docs/)
#   EID_END_PNG   also picture the EID tab scrolled to its end, into this file
# Builds what it needs in build/ (or in $KORVEL_BUILD_DIR when set).
#
# As root (with unshare), the simulator is listed in the port list as
# "tnt0", as scripts/start.sh shows it; otherwise its pseudo-terminal path is
# put into the list by the helper. The window is drawn as an operator's X
# session draws it: on Xvfb through Qt's xcb platform, with no desktop theme
# of the session's own, in Liberation Sans (the package's font) for the
# window's "Arial".
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$(realpath -m "${1:-$root/docs}")"
eid_end=()
if [ -n "${2:-}" ]; then
    eid_end=(--eid-end "$(realpath -m "$2")")
fi
build="$(realpath -m "${KORVEL_BUILD_DIR:-$root/build}")"

bash "$root/scripts/setup.sh"
if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "screenshots: xvfb-run is missing (package xvfb)" >&2
    exit 1
fi
if ! fc-match -f '%{family}\n' Arial | grep -qx 'Liberation Sans'; then
    echo "screenshots: fontconfig gives '$(fc-match -f '%{family}' Arial)' for Arial, not Liberation Sans (package fonts-liberation2)" >&2
    exit 1
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target korvel-devsim korvel-screenshots >/dev/null

sim="$build/tools/devsim/korvel-devsim"
shots="$build/tools/screenshots/korvel-screenshots"

work="$(mktemp -d "${TMPDIR:-/tmp}/korvel-shots.XXXXXX")"
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The device as the pictures show it: the simulator's factory parameters and
# an EID list of twelve end devices, kept in a throwaway state file.
{
    printf '{"Version": 1, "Eids": {'
    for i in $(seq 0 11); do
        [ "$i" -gt 0 ] && printf ', '
        printf '"%d": %d' $((47001 + 2 * i)) $((2024101 + i))
    done
    printf '}}\n'
} >"$work/device.json"

# The simulator prints the path of its pseudo-terminal as its first line.
exec {sim_out}< <(exec "$sim" --pty --state "$work/device.json")
sim_pid=$!
if ! IFS= read -r -t 10 -u "$sim_out" slave || [ ! -c "$slave" ]; then
    echo "screenshots: the device simulator did not start" >&2
    exit 1
fi

display=(env -u QT_QPA_PLATFORMTHEME -u QT_STYLE_OVERRIDE -u QT_SCALE_FACTOR
         QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x800x24 -dpi 96")

if bash "$root/scripts/devns.sh" check >/dev/null 2>&1; then
    "${display[@]}" bash "$root/scripts/devns.sh" run --pty "$slave" -- \
        "$shots" --port tnt0 --out "$out" "${eid_end[@]}" 2>"$work/tool.log" || status=$?
else
    "${display[@]}" "$shots" --port "$slave" --out "$out" "${eid_end[@]}" 2>"$work/tool.log" || status=$?
fi
if [ "${status:-0}" -ne 0 ]; then
    echo "screenshots: failed; the tool's log:" >&2
    cat "$work/tool.log" >&2
    exit 1
fi
