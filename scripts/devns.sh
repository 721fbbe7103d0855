#!/usr/bin/env bash
# Runs a command in a private mount namespace in which a pseudo-terminal is
# listed as the serial port "tnt0".
#
# Usage:
#   scripts/devns.sh check
#       Exit 0 if the namespace can be made here; otherwise print why and
#       exit non-zero.
#   scripts/devns.sh run --pty PATH -- COMMAND [ARGS...]
#       Run COMMAND with PATH (a pty slave, e.g. /dev/pts/3) listed as tnt0.
#       Exit with COMMAND's exit status, or 125 if the namespace could not
#       be made (COMMAND did not run then).
#
# Why this is needed: Qt's port scan on Linux lists only real serial devices.
# It asks udev first; when udev lists nothing it reads /sys/class/tty, where a
# device without a driver is listed only if its uevent names it tnt* (the
# tty0tty virtual null-modem driver). Inside the namespace:
#   /sys/class/tty  a tmpfs holding one link, tnt0, to a directory outside
#                   /sys (so udev ignores it) whose uevent gives the pty's
#                   MAJOR, MINOR and DEVNAME=tnt0;
#   /dev            a tmpfs with tnt0 bound from the pty, and the few host
#                   nodes a desktop program needs (null, zero, full, random,
#                   urandom, tty, pts, ptmx, shm, dri, fd, stdin/out/err);
#   /var/lock       a tmpfs, so the port's lock file (LCK..tnt0) is private
#                   and two namespaces never block each other.
# Everything is mounted with private propagation, so nothing is seen from the
# host, and it all goes away with the last process of the namespace. Needs
# root and util-linux unshare.
set -uo pipefail

readonly SetupFailed=125

usage() {
    echo "usage: $0 check | run --pty PATH -- COMMAND [ARGS...]" >&2
    exit 2
}

# Prints the reason the namespace cannot be made here, if any.
unavailable_reason() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "not running as root"
    elif ! command -v unshare >/dev/null 2>&1; then
        echo "unshare (util-linux) is not installed"
    elif [ ! -d /sys/class/tty ]; then
        echo "/sys/class/tty is missing"
    elif ! unshare -m --propagation private -- \
            mount -t tmpfs -o size=4k korvel-devns-probe /sys/class/tty >/dev/null 2>&1; then
        echo "no private mount namespace can be made (unshare -m or mount was refused)"
    fi
}

# Builds the namespace's view and runs the command; runs inside unshare.
inside() {
    local stage="$1" pty="$2"
    shift 2
    fail() {
        echo "devns: $*" >&2
        exit "$SetupFailed"
    }
    local major minor
    read -r major minor < <(stat -L -c '%t %T' "$pty") || fail "cannot stat $pty"
    major=$((16#$major)) minor=$((16#$minor))

    # The tty description lives outside /sys: udev accepts only devices under
    # /sys and so lists nothing, which makes Qt read /sys/class/tty itself.
    mount -t tmpfs -o mode=755,size=1m korvel-devns "$stage" || fail "cannot mount $stage"
    mkdir "$stage/tnt0" "$stage/dev" || fail "cannot populate $stage"
    printf 'MAJOR=%d\nMINOR=%d\nDEVNAME=tnt0\n' "$major" "$minor" >"$stage/tnt0/uevent"
    echo "$major:$minor" >"$stage/tnt0/dev"
    echo "Korvel device simulator" >"$stage/tnt0/product"

    local dev="$stage/dev" node
    mount -t tmpfs -o mode=755,nosuid,size=1m korvel-dev "$dev" || fail "cannot mount a tmpfs for /dev"
    for node in null zero full random urandom tty; do
        [ -c "/dev/$node" ] || continue
        { touch "$dev/$node" && mount --bind "/dev/$node" "$dev/$node"; } || fail "cannot bind /dev/$node"
    done
    for node in pts shm dri; do
        [ -d "/dev/$node" ] || continue
        { mkdir "$dev/$node" && mount --rbind "/dev/$node" "$dev/$node"; } || fail "cannot bind /dev/$node"
    done
    ln -s pts/ptmx "$dev/ptmx"
    ln -s /proc/self/fd "$dev/fd"
    ln -s /proc/self/fd/0 "$dev/stdin"
    ln -s /proc/self/fd/1 "$dev/stdout"
    ln -s /proc/self/fd/2 "$dev/stderr"
    { touch "$dev/tnt0" && mount --bind "$pty" "$dev/tnt0"; } || fail "cannot bind $pty to /dev/tnt0"
    mount --move "$dev" /dev || fail "cannot move the new /dev into place"

    mount -t tmpfs -o mode=755,size=4k korvel-tty /sys/class/tty || fail "cannot mount over /sys/class/tty"
    ln -s "$stage/tnt0" /sys/class/tty/tnt0 || fail "cannot link /sys/class/tty/tnt0"

    local lockdir
    lockdir="$(readlink -f /var/lock 2>/dev/null || true)"
    if [ -n "$lockdir" ] && [ -d "$lockdir" ]; then
        mount -t tmpfs -o mode=1777,size=64k korvel-lock "$lockdir" || fail "cannot mount over $lockdir"
    fi

    exec "$@"
}

run() {
    local pty=""
    while [ $# -gt 0 ]; do
        case "$1" in
            --pty) [ $# -ge 2 ] || usage; pty="$2"; shift 2 ;;
            --) shift; break ;;
            *) usage ;;
        esac
    done
    { [ -n "$pty" ] && [ $# -gt 0 ]; } || usage

    local reason
    reason="$(unavailable_reason)"
    if [ -n "$reason" ]; then
        echo "devns: $reason" >&2
        return "$SetupFailed"
    fi
    if [ ! -c "$pty" ]; then
        echo "devns: $pty is not a character device" >&2
        return "$SetupFailed"
    fi

    # An empty directory in the host's view; inside it becomes the tmpfs that
    # holds the tty description and the new /dev before it is moved.
    local stage
    stage="$(mktemp -d "${TMPDIR:-/tmp}/korvel-devns.XXXXXX")" || return "$SetupFailed"

    # The command runs in the background so that a signal to this script is
    # passed on instead of leaving the command running on its own.
    unshare -m --propagation private -- bash "${BASH_SOURCE[0]}" __inside "$stage" "$pty" "$@" &
    local child=$!
    trap 'kill -TERM "$child" 2>/dev/null' TERM INT HUP
    local rc
    while :; do
        wait "$child"
        rc=$?
        # wait returns early (status > 128) when a trapped signal arrives.
        kill -0 "$child" 2>/dev/null || break
    done
    trap - TERM INT HUP
    rmdir "$stage" 2>/dev/null
    return "$rc"
}

case "${1:-}" in
    check)
        reason="$(unavailable_reason)"
        if [ -n "$reason" ]; then
            echo "devns: $reason" >&2
            exit 1
        fi
        ;;
    run) shift; run "$@"; exit $? ;;
    __inside) shift; inside "$@" ;;
    *) usage ;;
esac
