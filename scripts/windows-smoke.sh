#!/usr/bin/env bash
# Smoke test of the Windows release under Wine 10, as an operator would meet
# it: in a fresh Wine prefix the installer from scripts/windows.sh installs
# silently; the installed korvelctl.exe lists COM5 (the Linux device
# simulator's pseudo-terminal) as free, reads the parameters into a file with
# a Cyrillic name and the EID list, writes parameters with --verify and finds
# the speed, refuses a bad port in Russian (code page 866) under a Russian
# locale with the exit status of English, and reads the parameters of a
# second simulator through ser2net on the loopback, raw (tcp://) and with
# RFC 2217 (rfc2217://); the installed
# korvel.exe, started with --log, opens COM5 in its
# window «Корвел», reads both tabs and writes them back (the simulator's log
# and state show every value written back as read, both commits answered, and
# no notice shown), then, with the simulator stopped, a Read shows a notice
# (the COM-port notice: its text is seen in the picture notice.png, not
# checked by machine) and leaves the fields as they were; its --log file holds
# the lines of the Read; the silent uninstall leaves nothing behind. Any
# failed step fails the test.
#
# Usage: bash scripts/windows-smoke.sh [--screenshots DIR]
#   --screenshots DIR  also picture both tabs of the window as Windows draws
#                      them, after a Read (DIR/windows-parameters.png,
#                      DIR/windows-eid.png)
#
# Needs root: Wine 10 runs in a Debian 13 root made with debootstrap from
# the archive the machine's apt already uses, in a private mount namespace.
# The root is kept in /var/cache/korvel-trixie (or $KORVEL_WINE_ROOT) and
# used again while its marker names the packages below; else it is made
# afresh (minutes, 1.4 GB). KORVEL_SMOKE_KEEP=DIR keeps the logs and
# pictures of the run in DIR. The simulator is built for Linux in build/
# (or $KORVEL_BUILD_DIR) and runs on the host; /dev and /dev/pts are bound
# into the root, so Wine sees its pseudo-terminal.
#
# Why Wine 10 and a preloaded shim (tests/support/pty-modem-lines.c): a
# pseudo-terminal has no modem lines, so ioctl(TIOCMGET) on it fails with
# ENOTTY. Wine's serial layer asks for the modem lines while it waits for a
# comm event and cancels the wait when that fails; Qt's serial port then
# gets ERROR_OPERATION_ABORTED for its WaitCommEvent, reports ResourceError,
# and the window closes the port as for an adapter pulled out (korvelctl
# gets through: its read right after writing restarts Qt's wait). A real COM
# port has modem lines: this is the test line's limit, not the product's.
# The shim answers for the pseudo-terminal as a port with DTR, RTS, CTS, DSR
# and CD up. Under Wine 8 the port's close then hangs (its comm-event thread
# ignores the cancel), hence Wine 10.
#
# What this proves: the Windows build's window, installer and korvelctl.exe
# read and write a device through a COM port as Windows' serial API sees it.
# What is left to a Windows PC: a USB adapter's own driver, Bluetooth ports
# that are slow to open, and ports above COM9 (named \\.\COM10 and up).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/build-win"
build="$(realpath -m "${KORVEL_BUILD_DIR:-$root/build}")"
rootfs="$(realpath -m "${KORVEL_WINE_ROOT:-/var/cache/korvel-trixie}")"
root_packages=(wine wine64 xvfb xauth xdotool imagemagick fonts-liberation2)
shots=""
case "${1:-}" in
    "") ;;
    --screenshots) shots="$(realpath -m "${2:?usage: $0 [--screenshots DIR]}")" ;;
    *) echo "usage: $0 [--screenshots DIR]" >&2; exit 2 ;;
esac

fail() {
    echo "windows-smoke: FAILED: $*" >&2
    exit 1
}

started=$SECONDS
step() {
    echo "windows-smoke: $* ($((SECONDS - started)) s)"
}

# The Debian archive the machine's apt uses (not its security archive).
debian_mirror() {
    {
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            sed -n 's/^[[:space:]]*deb[[:space:]]\{1,\}\(\[[^]]*\][[:space:]]\{1,\}\)\{0,1\}\([^[:space:]]\{1,\}\).*/\2/p'
        cat /etc/apt/sources.list.d/*.sources 2>/dev/null | sed -n 's/^URIs:[[:space:]]*\([^[:space:]]\{1,\}\).*/\1/p'
    } | grep -v security | head -n 1
}

# The Debian 13 root with Wine 10, made once per machine: the marker names
# what it holds, and is written last.
make_root() {
    local marker="$rootfs/.korvel-root" want="trixie ${root_packages[*]}" partial="$rootfs.partial" mirror
    if [ -f "$marker" ] && [ "$(cat "$marker")" = "$want" ]; then
        step "Debian 13 root with Wine 10 in $rootfs (kept from before)"
        return
    fi
    if [ -e "$rootfs" ] && [ ! -f "$marker" ]; then
        fail "$rootfs exists and is no root made here; remove it or set KORVEL_WINE_ROOT"
    fi
    mirror="$(debian_mirror)"
    [ -n "$mirror" ] || fail "no Debian archive found in /etc/apt/sources.list or /etc/apt/sources.list.d/"
    rm -rf --one-file-system "$partial" "$rootfs"
    debootstrap --variant=minbase trixie "$partial" "$mirror" >"$partial.log" 2>&1 ||
        { tail -n 20 "$partial.log" >&2; fail "debootstrap trixie from $mirror"; }
    step "debootstrap trixie from $mirror"
    # shellcheck disable=SC2016 # expanded by the inner shell
    unshare -m --propagation private bash -c '
        set -e
        mount -t proc proc "$1/proc"
        mount --rbind /dev "$1/dev"
        r="$1"; shift
        chroot "$r" env DEBIAN_FRONTEND=noninteractive sh -c \
            "apt-get update -qq && apt-get install -y -qq --no-install-recommends \"\$@\" && apt-get clean" sh "$@"
    ' sh "$partial" "${root_packages[@]}" >>"$partial.log" 2>&1 ||
        { tail -n 20 "$partial.log" >&2; fail "apt-get install in the Debian 13 root"; }
    printf '%s\n' "$want" >"$partial/.korvel-root"
    mv "$partial" "$rootfs"
    rm -f "$partial.log"
    step "Debian 13 root with Wine 10 made in $rootfs"
}

if [ -z "${KORVEL_SMOKE_NAMESPACE:-}" ]; then
    installers=("$out"/korvel-*-win64-setup.exe)
    [ -f "${installers[0]}" ] || fail "no installer in $out; run scripts/windows.sh first"
    if [ "$(id -u)" -ne 0 ] || ! unshare -m --propagation private true 2>/dev/null; then
        fail "a private mount namespace and a root to chroot into are needed (run as root, where unshare -m is allowed)"
    fi
    bash "$root/scripts/setup.sh" windows
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)" --target korvel-devsim >/dev/null
    make_root
    exec unshare -m --propagation private env KORVEL_SMOKE_NAMESPACE=1 bash "$0" "$@"
fi

# ---- The root, the prefix and the device ----------------------------------------
work="$(mktemp -d "${TMPDIR:-/tmp}/korvel-smoke.XXXXXX")"
sim="$build/tools/devsim/korvel-devsim"
# Inside the root the work folder is /mnt/work and the release /mnt/release.
mkdir -p "$rootfs/mnt/work" "$rootfs/mnt/release"
# Every /dev/ttyS* is hidden behind /dev/null: the scan of COM ports must
# not reach the host's UARTs (under Wine 8 opening one with nothing attached
# blocked).
for tty in /dev/ttyS*; do
    if [ -e "$tty" ]; then
        mount --bind /dev/null "$tty" || fail "cannot mask $tty"
    fi
done
mount --rbind /dev "$rootfs/dev"
mount -t proc proc "$rootfs/proc"
mount --rbind /sys "$rootfs/sys"
mount --bind "$work" "$rootfs/mnt/work"
mount --bind -o ro "$out" "$rootfs/mnt/release"

# The modem-line shim, test-side only: built here into the work folder, so
# it never reaches build-win/ or the installer. libc alone, so the host's
# compiler serves the root's newer C library.
cc -shared -fPIC -O2 -o "$work/pty-modem-lines.so" "$root/tests/support/pty-modem-lines.c" ||
    fail "cannot build the modem-line shim"

sim_pid=""
xvfb_pid=""
net_pids=""
inroot() {
    chroot "$rootfs" env -i -C /mnt/work PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/mnt/work LANG=C.UTF-8 \
        DISPLAY="${DISPLAY:-}" WINEPREFIX=/mnt/work/prefix WINEARCH=win64 WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=" "$@"
}
wine10() { inroot env LD_PRELOAD=/mnt/work/pty-modem-lines.so wine "$@"; }
cleanup() {
    inroot wineserver -k 2>/dev/null || true
    inroot timeout 20 wineserver -w 2>/dev/null || true
    for pid in $net_pids $sim_pid $xvfb_pid; do
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    umount -R "$rootfs/dev" "$rootfs/proc" "$rootfs/sys" "$rootfs/mnt/work" "$rootfs/mnt/release" 2>/dev/null || true
    if [ -n "${KORVEL_SMOKE_KEEP:-}" ]; then
        mkdir -p "$KORVEL_SMOKE_KEEP"
        cp "$work"/*.txt "$work"/*.log "$work"/*.png "$work"/*.json "$KORVEL_SMOKE_KEEP/" 2>/dev/null || true
    fi
    rm -rf --one-file-system "$work"
}
trap cleanup EXIT
cd "$work"

# The virtual display comes first: Wine takes the screen's size when the
# prefix's desktop starts, and draws nothing beyond it later.
exec {xvfb_fd}< <(exec chroot "$rootfs" Xvfb -displayfd 1 -screen 0 1400x800x24 -dpi 96 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
IFS= read -r -t 20 -u "$xvfb_fd" display || fail "Xvfb did not start"
export DISPLAY=":$display"
wine10 wineboot --init >/dev/null 2>&1 || fail "wineboot could not make the prefix"
inroot wineserver -w
step "fresh Wine $(inroot wine --version 2>/dev/null | sed 's/^wine-//') prefix made"

# The device starts with EIDs of its own, so that writing back what was read
# is told apart from writing zeros.
{
    printf '{"Version": 1, "Eids": {'
    for slot in $(seq 0 199); do
        printf '%s"%d": %d' "$([ "$slot" = 0 ] || echo ', ')" $((47001 + 2 * slot)) $((3000000 + 7 * slot))
    done
    printf '}}\n'
} >device.json
exec {sim_out}< <(exec "$sim" --pty --state "$work/device.json" -v 2>"$work/devsim.log")
sim_pid=$!
if ! IFS= read -r -t 10 -u "$sim_out" pty || [ ! -c "$pty" ]; then
    cat devsim.log >&2
    fail "the device simulator did not start"
fi
wreg() { wine10 reg add "$@" /f >/dev/null 2>&1 || fail "reg add $*"; }
# Wine lists a COM port only if it is registered here (a bare dosdevices
# link opens but is not listed); the key is read when the wineserver starts.
wreg 'HKLM\Software\Wine\Ports' /v COM5 /d "$pty"
# Wine has no Arial, which the window asks for: Liberation Sans has its
# metrics.
wreg 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans'
inroot wineserver -k
inroot wineserver -w
step "simulator on $pty registered as COM5"

# ---- Silent install ------------------------------------------------------------
installers=("$out"/korvel-*-win64-setup.exe)
wine10 "Z:\\mnt\\release\\$(basename "${installers[0]}")" /S || fail "the installer failed"
inroot wineserver -w
programs="$work/prefix/drive_c/Program Files/Korvel"
menu="$work/prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Корвел.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvel'
for f in korvel.exe korvelctl.exe korvelctl_ru.qm korvel_ru.qm qtbase_ru.qm uninstall.exe Qt5Core.dll Qt5Network.dll platforms/qwindows.dll \
         styles/qwindowsvistastyle.dll libwinpthread-1.dll README.txt; do
    [ -f "$programs/$f" ] || fail "not installed: Program Files\\Korvel\\$f"
done
[ -f "$menu" ] || fail "no Start menu entry Корвел"
wine10 reg query "$uninstall_key" /v UninstallString 2>/dev/null | grep -q 'uninstall.exe' ||
    fail "no entry in the list of installed programs"
step "installed silently into Program Files\\Korvel, with Start menu and uninstall entries"

# ---- korvelctl.exe against the simulator ---------------------------------------
ctl() { wine10 "C:\\Program Files\\Korvel\\korvelctl.exe" "$@"; }
ctl ports >ports.txt 2>&1 || { cat ports.txt >&2; fail "korvelctl ports"; }
grep -Eq '^COM5 +free ' ports.txt || { cat ports.txt >&2; fail "COM5 is not listed as free"; }
ctl read params --port COM5 -o "параметры радио.json" || fail "korvelctl read params"
grep -q '"ModbusID": 17' "параметры радио.json" || fail "the parameter file lacks the device's ModbusID"
ctl read eids --port COM5 -o "eids.txt" || fail "korvelctl read eids"
if [ "$(grep -cv '^#' eids.txt)" -ne 200 ] || ! grep -qx 3001393 eids.txt; then
    fail "the EID list does not hold the device's 200 EIDs"
fi
printf '{"ModbusID": 42, "RfSf": 9}\n' >"новые параметры.json"
ctl write params --port COM5 -i "новые параметры.json" --verify || fail "korvelctl write params --verify"
ctl read params --port COM5 -o "после записи.json" || fail "korvelctl read params after the write"
if ! grep -q '"ModbusID": 42' "после записи.json" || ! grep -q '"RfSf": 9' "после записи.json"; then
    fail "the device does not hold the written parameters"
fi
ctl probe --port COM5 >probe.txt || fail "korvelctl probe"
grep -q 9600 probe.txt || { cat probe.txt >&2; fail "probe did not find 9600 baud"; }
step "korvelctl ports, read params (into a Cyrillic file name) and eids, write params --verify, probe"

# Russian where Windows speaks Russian, with the status of English. Wine
# takes the Windows locale (the UI language, the ANSI and OEM code pages)
# from the C library's locale, and from the name in LC_ALL where the C
# library has no such locale: the root holds only C.utf8, so LC_ALL it is
# (LANG or LC_MESSAGES alone would leave Wine in en-US). LC_ALL=ru_RU.UTF-8
# gives UI language 0x0419 and OEM code page 866, which korvelctl.exe
# writes into a file or a pipe; the catalogue's dash, which 866 lacks,
# comes out as '-'.
english=0
ctl probe --port bogus://x >english.txt 2>&1 || english=$?
russian=0
inroot env LC_ALL=ru_RU.UTF-8 LD_PRELOAD=/mnt/work/pty-modem-lines.so \
    wine "C:\\Program Files\\Korvel\\korvelctl.exe" probe --port bogus://x >russian.txt 2>&1 || russian=$?
if [ "$english" -eq 0 ] || [ "$russian" != "$english" ]; then
    fail "korvelctl.exe probe --port bogus://x ended with $russian in Russian, $english in English"
fi
grep -q "unknown scheme 'bogus'" english.txt || { cat english.txt >&2; fail "korvelctl.exe did not answer in English"; }
iconv -f CP866 -t UTF-8 russian.txt | tr -d '\r' >russian-utf8.txt
for line in "korvelctl: --port 'bogus://x': неизвестная схема 'bogus'; укажите последовательный порт (ttyUSB0, COM3, /dev/ttyUSB0), tcp://HOST:PORT[?baud=N], rfc2217://HOST:PORT или modbus-tcp://HOST[:PORT] (адрес IPv6 - в квадратных скобках: tcp://[::1]:4001)" \
    "Подробнее: korvelctl --help."; do
    grep -qxF -- "$line" russian-utf8.txt || { cat russian-utf8.txt >&2; fail "korvelctl.exe did not say in Russian (code page 866): $line"; }
done
step "korvelctl.exe answers in Russian under a Russian locale, in code page 866"

# ---- korvelctl.exe through a serial device server ----------------------------------
# A second simulator behind ser2net on the host's loopback, which the root
# shares: raw on one port, RFC 2217 on the next.
exec {net_sim_out}< <(exec "$sim" --pty 2>/dev/null)
net_pids="$!"
if ! IFS= read -r -t 10 -u "$net_sim_out" net_pty || [ ! -c "$net_pty" ]; then
    fail "the second simulator did not start"
fi
raw_port=$((20000 + RANDOM % 20000))
telnet_port=$((raw_port + 1))
for port in "$raw_port" "$telnet_port"; do
    accepter=tcp
    [ "$port" = "$telnet_port" ] && accepter='telnet(rfc2217),tcp'
    printf 'connection: &c%s\n  accepter: %s,127.0.0.1,%s\n  connector: serialdev,%s,9600n81,local\n' \
        "$port" "$accepter" "$port" "$net_pty"
done >ser2net.yaml
ser2net -n -u -c "$work/ser2net.yaml" -P "$work/ser2net.pid" &
net_pids="$net_pids $!"
listening=0
for _ in $(seq 100); do
    listening=$(awk -v a="$(printf '0100007F:%04X' "$raw_port")" -v b="$(printf '0100007F:%04X' "$telnet_port")" \
        '($2 == a || $2 == b) && $4 == "0A"' /proc/net/tcp | wc -l)
    [ "$listening" -eq 2 ] && break
    sleep 0.1
done
[ "$listening" -eq 2 ] || fail "ser2net does not listen on 127.0.0.1:$raw_port and :$telnet_port"
ctl read params --port "tcp://127.0.0.1:$raw_port?baud=9600" -o net-raw.json || fail "korvelctl read params over tcp://"
ctl read params --port "rfc2217://127.0.0.1:$telnet_port" -o net-rfc2217.json ||
    fail "korvelctl read params over rfc2217://"
if ! grep -q '"ModbusID": 17' net-raw.json || ! grep -q '"ModbusID": 17' net-rfc2217.json; then
    fail "a parameter file read through ser2net lacks the device's ModbusID"
fi
step "korvelctl read params through ser2net, raw and RFC 2217"

# ---- The window's exchange -------------------------------------------------------
# The window is drawn at fixed places (app/OrvaneUI.cpp), so its widgets are
# clicked at offsets in window coordinates, measured on its pictures.
combo_port="176 42"; button_open="176 194"; tab_params="326 42"; tab_eid="446 42"
button_read="562 688"; button_write="951 688"; field_first="540 90"; empty_place="1000 400"
log="$work/korvel-log.txt"
cp device.json device-before.json
# A wineserver of the window's own, so that its messages go to window.txt
# with the window's: it dumps its objects when the simulator's end hangs up
# the line it holds open.
inroot wineserver -k
inroot wineserver -w
wine10 "C:\\Program Files\\Korvel\\korvel.exe" --log korvel-log.txt >window.txt 2>&1 &
window=""
for _ in $(seq 1 120); do
    window="$(inroot xdotool search --name '^Корвел$' 2>/dev/null | head -n 1)" && [ -n "$window" ] && break
    sleep 0.5
done
[ -n "$window" ] || fail "korvel.exe showed no window «Корвел»"
eval "$(inroot xdotool getwindowgeometry --shell "$window")"
fields_area="1000x610+$((X + 257))+$((Y + 56))"
click() {
    # shellcheck disable=SC2086 # "x y"
    set -- $1
    inroot xdotool mousemove $((X + $1)) $((Y + $2)) click 1
}
# The debug log's lines without their times.
log_lines() { sed 's/^[0-9-]\{10\} [0-9:.]\{12\} //; s/\r$//' "$log"; }
notices() { inroot xdotool search --onlyvisible --name '^Уведомление$' 2>/dev/null | wc -l; }
# Waits until the debug log holds Count lines equal to Line, or a notice
# shows.
wait_log() {
    local line="$1" count="$2"
    for _ in $(seq 1 300); do
        [ "$(log_lines | grep -cxF -- "$line")" -ge "$count" ] && return 0
        [ "$(notices)" -eq 0 ] || fail "a notice showed while waiting for «$line»"
        sleep 0.1
    done
    fail "the window's log did not reach «$line» ($count)"
}
# Taken from the screen: Wine draws parts of its windows in child windows
# that a picture of the top window alone misses.
picture() { inroot import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "/mnt/work/$1"; }
wait_log "OrvaneUI::Construct()" 1
step "korvel.exe --log shows its window «Корвел»"

# COM5 from the port list, by typing its name into the open list.
click "$combo_port"
sleep 0.5
inroot xdotool type --delay 50 COM5
inroot xdotool key Return
wait_log COM5 1
click "$button_open"
wait_log '    "PortName": "COM5",' 1
sim_start=$(wc -l <devsim.log)
click "$button_read"
wait_log "ReadAck ok" 1
[ -z "$shots" ] || { sleep 1; picture windows-parameters.png; }
click "$button_write"
wait_log "ReadAck ok" 2
step "parameter tab: «Считать параметры», then «Записать параметры»"
click "$tab_eid"
click "$button_read"
wait_log "ReadAck ok" 3
[ -z "$shots" ] || { sleep 1; picture windows-eid.png; }
click "$button_write"
wait_log "ReadAck ok" 4
step "EID tab: «Считать параметры», then «Записать параметры»"
others="$(inroot xdotool search --onlyvisible --name . 2>/dev/null | while read -r w; do
    inroot xdotool getwindowname "$w"; done | grep -vx 'Корвел' || true)"
[ -z "$others" ] || fail "windows other than «Корвел» show: $others"

# What the simulator saw from the window: the fourteen values read written
# back unchanged, the EID blocks read written back whole, both commits
# answered.
tail -n +"$((sim_start + 1))" devsim.log | awk '
    # Frames as the simulator logs them: time, < or >, the bytes in hex.
    # Registers are compared as hex text: parameters 9C41.., EIDs B799...
    function data(from, to,   i, d) { for (i = from; i <= to; i++) d = d $(i); return d }
    $2 == "<" && $4 == "03" { asked = $5 $6; next }
    $2 == ">" && $4 == "03" && asked < "B799" { read[asked] = $6 $7; reads++; next }
    $2 == ">" && $4 == "03" { eids_read = eids_read data(6, NF - 2); next }
    $2 == "<" && $4 == "06" && $5 $6 == "9C41" { next }
    $2 == ">" && $4 == "06" && $5 $6 == "9C41" { commit[$8]++; next }
    $2 == "<" && $4 == "06" { written[$5 $6] = $7 $8; writes++; next }
    $2 == "<" && $4 == "10" { eids_written = eids_written data(10, NF - 2); next }
    END {
        bad = reads != 14 || writes != 14
        if (bad) print reads " parameters read, " writes " written"
        for (r in read) if (written[r] != read[r]) { print "register " r ": read " read[r] ", written " written[r]; bad = 1 }
        if (length(eids_read) != 1600 || eids_written != eids_read) { print "the EIDs written back differ from those read"; bad = 1 }
        if (commit["06"] != 1 || commit["08"] != 1) { print "the commits were not both answered once"; bad = 1 }
        exit bad
    }' || fail "the window did not write back what it read (simulator log in $work/devsim.log)"
# The committed image, saved by the simulator at each commit, is as before.
cmp -s device.json device-before.json || fail "the window's writes changed what the device holds"

# The --log file: every line behind its time, and among them the lines of
# the parameter Read, each reply as the simulator sent it.
[ "$(grep -cv '^[0-9-]\{10\} [0-9:.]\{12\} ' "$log")" -eq 0 ] || fail "lines without a time in the --log file"
tail -n +"$((sim_start + 1))" devsim.log | awk '$2 == ">" { $1 = $2 = ""; gsub(/ /, ""); print }' |
    head -n 14 >read-replies.txt
log_lines >log-lines.txt
for line in QPushButton_Config_Read_Clicked TabText:ParamSet "ParamSet ok" $(cat read-replies.txt); do
    grep -qxF -- "$line" log-lines.txt || fail "the --log file lacks the Read's line «$line»"
done
step "simulator: 14 values and 200 EIDs written back as read, both commits answered; --log holds the Read"

# A silent line: the simulator stopped, one Read on the parameter tab.
kill -TERM "$sim_pid"
wait "$sim_pid" || fail "the simulator did not end cleanly"
sim_pid=""
click "$tab_params"
sleep 0.5
fields() { inroot import -window root -crop "$fields_area" +repage "/mnt/work/$1"; }
# After the notice the first field has the focus, drawn with a caret that
# blinks: in both pictures the focus is moved on by Tab, into the speed
# combo, where nothing blinks.
click "$field_first"
inroot xdotool key Tab
click "$empty_place"
sleep 0.5
fields before.png
click "$button_read"
for _ in $(seq 1 100); do
    [ "$(notices)" -eq 0 ] || break
    sleep 0.1
done
notice="$(inroot xdotool search --onlyvisible --name '^Уведомление$' 2>/dev/null | head -n 1)"
[ -n "$notice" ] || fail "a Read on the silent line showed no notice"
inroot import -window root /mnt/work/notice.png
inroot xdotool windowfocus --sync "$notice" key Return
for _ in $(seq 1 50); do
    [ "$(notices)" -ne 0 ] || break
    sleep 0.1
done
[ "$(notices)" -eq 0 ] || fail "the notice did not close on Return"
click "$empty_place"
inroot xdotool key Tab
sleep 0.5
fields after.png
differ="$(inroot compare -metric AE before.png after.png diff.png 2>&1)" || true
[ "$differ" = 0 ] || fail "the fields changed on the failed Read ($differ pixels; see diff.png)"
step "silent line: «Считать параметры» shows the notice, the fields stay as they were"
if [ -n "$shots" ]; then
    mkdir -p "$shots"
    cp windows-parameters.png windows-eid.png "$shots/"
    step "screenshots in $shots"
fi

# ---- Silent uninstall ----------------------------------------------------------
inroot wineserver -k
inroot wineserver -w
wine10 "C:\\Program Files\\Korvel\\uninstall.exe" /S || fail "the uninstaller failed"
# The uninstaller runs on from a copy of itself; wait for it to end.
inroot wineserver -w
[ ! -e "$programs" ] || fail "left behind: $(cd "$programs" && find . | tr '\n' ' ')"
[ ! -e "$menu" ] || fail "left behind: the Start menu entry"
if wine10 reg query "$uninstall_key" >/dev/null 2>&1; then
    fail "left behind: the entry in the list of installed programs"
fi
step "uninstalled silently, nothing left behind"
echo "windows-smoke: passed in $((SECONDS - started)) s"
