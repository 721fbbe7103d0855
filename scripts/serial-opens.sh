#!/usr/bin/env bash
# Reads a trace of file opens (strace -f -y -e trace=open,openat -o FILE)
# and fails if any process tried to open a serial device: /dev/ttyS*,
# /dev/ttyUSB*, /dev/ttyACM*, /dev/ttyAMA* or any other /dev/tty* device
# but the controlling terminal /dev/tty, /dev/serial/*, /dev/rfcomm*.
# Attempts count, not only successes, so a machine without such a device
# catches a test that would open one. Pseudo-terminals (/dev/ptmx,
# /dev/pts/*) are what the tests open instead.
#
# Usage: scripts/serial-opens.sh TRACE
set -euo pipefail
trace="$1"
# An absolute path, or a name relative to a directory under /dev (-y).
serial='"/dev/(tty[^"/]+|serial/[^"]*|rfcomm[^"]*)"|</dev(/serial[^>]*)?>, "(tty[^"/]*|rfcomm[^"]*|by-[^"]*)"'
hits="$(grep -E "open(at)?\(.*($serial)" "$trace" || true)"
if [ -z "$hits" ]; then
    echo "serial-opens: no process opened a serial device ($(grep -c 'open' "$trace") opens traced)"
    exit 0
fi
echo "serial-opens: $(wc -l <<<"$hits") attempts to open a serial device:" >&2
sed -E 's/^[0-9]+ +//' <<<"$hits" | sort | uniq -c | sort -rn | head -20 >&2
exit 1
