#!/usr/bin/env bash
# Builds the Debian package from a finished build tree, checks its control
# fields and contents, unpacks it into a throwaway root and runs the
# installed programs from there.
#
# Usage: packaging_test.sh BUILD_DIR VERSION WITH_DEVSIM(0|1) "ICON SIZES"
set -euo pipefail

build="$1"
version="$2"
with_devsim="$3"
read -r -a sizes <<<"${4:-16 22 24 32 48 64 128 256}"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

work="$(mktemp -d "${TMPDIR:-/tmp}/korvel-pkg.XXXXXX")"
korvel_pid=""
cleanup() {
    if [ -n "$korvel_pid" ] && kill -0 "$korvel_pid" 2>/dev/null; then
        kill -KILL "$korvel_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# ---- Build the package ------------------------------------------------------
# cpack's own staging goes under the throwaway folder, so that parallel runs
# and the build tree stay apart.
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack did not build the package" >&2
    exit 1
fi
shopt -s nullglob
debs=("$work"/out/korvel_"$version"_*.deb)
shopt -u nullglob
if [ ${#debs[@]} -ne 1 ]; then
    ls -l "$work/out" >&2
    echo "FAIL: expected one korvel_${version}_*.deb, found ${#debs[@]}" >&2
    exit 1
fi
deb="${debs[0]}"
arch="$(dpkg --print-architecture)"
if [ "$(basename "$deb")" = "korvel_${version}_${arch}.deb" ]; then
    pass "file name $(basename "$deb")"
else
    fail "file name $(basename "$deb"), expected korvel_${version}_${arch}.deb"
fi

# ---- Control fields -----------------------------------------------------------
dpkg-deb --info "$deb" >"$work/info.txt"
field() { dpkg-deb --field "$deb" "$1"; }

check_field() {
    local name="$1" expected="$2" actual
    actual="$(field "$name")"
    if [ "$actual" = "$expected" ]; then pass "$name: $actual"; else fail "$name is '$actual', expected '$expected'"; fi
}
check_field Package korvel
check_field Version "$version"
check_field Architecture "$arch"

depends="$(field Depends)"
echo "Depends: $depends"
# Each runtime library the programs load must be named, and the
# Arial-metric font the window is drawn for.
for pkg in libqt5widgets5 libqt5gui5 libqt5core5a libqt5serialport5 libstdc++6 libc6 fonts-liberation2; do
    if grep -Eq "(^|, )${pkg//+/\\+}( \(|,|$)" <<<"$depends"; then
        pass "Depends names $pkg"
    else
        fail "Depends does not name $pkg"
    fi
done
# And every dependency must be satisfiable on this Debian release: each
# one (or one of its alternatives) is an installed package of a version that
# meets the constraint.
IFS=',' read -r -a deps <<<"$depends"
for dep in "${deps[@]}"; do
    met=0
    IFS='|' read -r -a alternatives <<<"$dep"
    for alt in "${alternatives[@]}"; do
        alt="$(echo "$alt" | xargs)"
        name="${alt%% *}"
        have="$(dpkg-query -W -f='${Version}' "$name" 2>/dev/null || true)"
        [ -n "$have" ] || continue
        if [[ "$alt" =~ \((\<\<|\<=|=|\>=|\>\>)\ ([^\)]+)\) ]]; then
            op="${BASH_REMATCH[1]}" want="${BASH_REMATCH[2]}"
            case "$op" in
                '<<') op=lt ;; '<=') op=le ;; '=') op=eq ;; '>=') op=ge ;; '>>') op=gt ;;
            esac
            dpkg --compare-versions "$have" "$op" "$want" || continue
        fi
        met=1
        break
    done
    if [ "$met" = 1 ]; then
        pass "dependency met: $(echo "$dep" | xargs)"
    else
        fail "dependency not met on this system: $(echo "$dep" | xargs)"
    fi
done

# ---- Contents -----------------------------------------------------------------
dpkg-deb --contents "$deb" >"$work/contents.txt"
expect_entry() {
    local mode="$1" path="$2"
    if grep -Eq "^${mode} root/root +[0-9]+ [0-9-]+ [0-9:]+ \.${path}$" "$work/contents.txt"; then
        pass "contains $path"
    else
        fail "does not contain $path with mode $mode (root/root)"
    fi
}
expect_entry '-rwxr-xr-x' /usr/bin/korvel
expect_entry '-rwxr-xr-x' /usr/bin/korvelctl
expect_entry '-rw-r--r--' /usr/share/bash-completion/completions/korvelctl
for catalogue in korvelctl korvel korvel-devsim; do
    expect_entry '-rw-r--r--' "/usr/share/korvel/translations/${catalogue}_ru.qm"
done
if [ "$with_devsim" = 1 ]; then
    expect_entry '-rwxr-xr-x' /usr/bin/korvel-devsim
fi
# The Ansible collection, where ansible-core finds collections unconfigured.
collection=/usr/share/ansible/collections/ansible_collections/korvel/radio
for file in galaxy.yml meta/runtime.yml plugins/modules/params.py plugins/modules/eids.py \
    plugins/module_utils/korvelctl.py plugins/doc_fragments/line.py; do
    expect_entry '-rw-r--r--' "$collection/$file"
done
expect_entry '-rw-r--r--' /usr/share/applications/korvel.desktop
for s in "${sizes[@]}"; do
    expect_entry '-rw-r--r--' "/usr/share/icons/hicolor/${s}x${s}/apps/korvel.png"
done
# A manual page for each program, in English and in Russian.
for program in korvel korvelctl korvel-devsim; do
    [ "$program" = korvel-devsim ] && [ "$with_devsim" != 1 ] && continue
    expect_entry '-rw-r--r--' "/usr/share/man/man1/$program.1.gz"
    expect_entry '-rw-r--r--' "/usr/share/man/ru/man1/$program.1.gz"
done
expect_entry '-rw-r--r--' /usr/share/doc/korvel/README.md
expect_entry '-rw-r--r--' /usr/share/doc/korvel/CHANGELOG.md
# Every picture the README shows travels with it.
while IFS= read -r picture; do
    expect_entry '-rw-r--r--' "/usr/share/doc/korvel/$picture"
done < <(grep -o 'docs/[A-Za-z0-9_.-]*\.png' "$(dirname "$0")/../README.md" | sort -u)
# Nothing outside /usr, nothing from the build machine's folders.
outside="$(awk '{print $NF}' "$work/contents.txt" | grep -Ev '^\./($|usr/)' || true)"
if [ -z "$outside" ]; then pass "everything under /usr"; else fail "files outside /usr: $outside"; fi

# ---- Debian policy -------------------------------------------------------------
# lintian at its default level: any error or warning fails (manual pages, the
# copyright file, the changelog, the hardening flags among them).
if ! command -v lintian >/dev/null 2>&1; then
    fail "lintian is not installed (bash scripts/setup.sh installs it)"
elif lintian --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1; then
    pass "lintian: no error, no warning"
else
    fail "lintian:"
    grep -v 'running with root privileges' "$work/lintian.txt" | sed 's/^/    /' >&2
fi

# ---- Unpacked into a throwaway root --------------------------------------------
root="$work/root"
dpkg-deb -x "$deb" "$root"

# The licence travels in the copyright file word for word, and the Debian
# changelog's latest entry is this version.
doc="$root/usr/share/doc/korvel"
if [ -f "$doc/copyright" ] && diff <(sed -n '/^License: /,$p' "$doc/copyright" | tail -n +2 | sed 's/^ //; s/^\.$//') \
        <(tail -n +5 "$(dirname "$0")/../LICENSE") >"$work/licence.diff"; then
    pass "copyright carries LICENSE"
else
    fail "copyright does not carry LICENSE:"; cat "$work/licence.diff" >&2
fi
top="$(zcat "$doc/changelog.gz" 2>/dev/null | head -n1)"
if [[ "$top" == "korvel ($version) "* ]]; then
    pass "changelog starts at $version"
else
    fail "changelog.gz starts with '$top', not korvel ($version)"
fi

# man finds the Russian page where a Russian reader asks for it, and the
# English one otherwise; both render without a warning.
if command -v man >/dev/null 2>&1; then
    for lang in ru en; do
        want="$root/usr/share/man/man1/korvelctl.1.gz"
        [ "$lang" = ru ] && want="$root/usr/share/man/ru/man1/korvelctl.1.gz"
        found="$(MANPATH="$root/usr/share/man" man -L "$lang" -w korvelctl 2>&1 || true)"
        warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$want" 2>&1 >/dev/null || true)"
        if [ "$found" = "$want" ] && [ -z "$warnings" ]; then
            pass "man -L $lang korvelctl: $found"
        else
            fail "man -L $lang korvelctl found '$found', not $want; warnings: $warnings"
        fi
    done
fi

# Icons: PNG files of the size their folder names.
png_size() {
    # Width and height are the big-endian words at offset 16 of a PNG.
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}
for s in "${sizes[@]}"; do
    icon="$root/usr/share/icons/hicolor/${s}x${s}/apps/korvel.png"
    [ -f "$icon" ] || continue
    magic="$(od -An -tx1 -N8 "$icon" | tr -d ' \n')"
    got="$(png_size "$icon")"
    if [ "$magic" = 89504e470d0a1a0a ] && [ "$got" = "${s}x${s}" ]; then
        pass "icon ${s}x${s} is a ${got} PNG"
    else
        fail "icon ${s}x${s} is not a ${s}x${s} PNG (magic $magic, size $got)"
    fi
done

# Desktop entry: valid, and pointing at what the package installs.
desktop="$root/usr/share/applications/korvel.desktop"
if [ -f "$desktop" ]; then
    key() { sed -n "s/^$1=//p" "$desktop"; }
    if [ "$(key Exec)" = korvel ] && [ -x "$root/usr/bin/$(key Exec)" ]; then
        pass "Exec=korvel is installed"
    else
        fail "Exec '$(key Exec)' is not an installed program"
    fi
    if [ "$(key Icon)" = korvel ] && [ -f "$root/usr/share/icons/hicolor/48x48/apps/$(key Icon).png" ]; then
        pass "Icon=korvel is installed"
    else
        fail "Icon '$(key Icon)' is not an installed theme icon"
    fi
    if command -v desktop-file-validate >/dev/null 2>&1; then
        if desktop-file-validate "$desktop"; then pass "desktop-file-validate"; else fail "desktop-file-validate"; fi
    fi
fi

# ---- Installed programs -----------------------------------------------------------
for program in korvel korvelctl korvel-devsim; do
    [ "$program" = korvel-devsim ] && [ "$with_devsim" != 1 ] && continue
    bin="$root/usr/bin/$program"
    [ -x "$bin" ] || continue
    # Every library resolves from the system, none from the build tree.
    missing="$(ldd "$bin" | grep 'not found' || true)"
    if [ -z "$missing" ]; then pass "$program: all libraries found"; else fail "$program: $missing"; fi
    runpath="$(readelf -d "$bin" | grep -E 'RPATH|RUNPATH' || true)"
    if [ -z "$runpath" ]; then pass "$program: no RPATH"; else fail "$program: $runpath"; fi
done

# korvelctl runs where no display and no widget library is: an installer's
# shell on a headless machine.
if [ -x "$root/usr/bin/korvelctl" ]; then
    if ldd "$root/usr/bin/korvelctl" | grep -Eq 'libQt5(Widgets|Gui)'; then
        fail "korvelctl links Qt Widgets or Gui"
    else
        pass "korvelctl links neither Widgets nor Gui"
    fi
    if out="$(env -u DISPLAY "$root/usr/bin/korvelctl" --version 2>&1)" && grep -Fqw "$version" <<<"$out"; then
        pass "korvelctl --version: $out"
    else
        fail "korvelctl --version printed '$out'"
    fi
    # The installed program finds its catalogue in ../share/korvel.
    out="$(env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=ru_RU.UTF-8 "$root/usr/bin/korvelctl" probe --port bogus://x 2>&1 || true)"
    if grep -Fq 'неизвестная схема' <<<"$out"; then
        pass "korvelctl speaks Russian under ru_RU.UTF-8"
    else
        fail "korvelctl under ru_RU.UTF-8 printed '$out'"
    fi
fi

# The installed completion offers korvelctl's commands, the kinds after
# read, and the speeds after --baud.
completion="$root/usr/share/bash-completion/completions/korvelctl"
if [ -f /usr/share/bash-completion/bash_completion ] && [ -f "$completion" ]; then
    complete_words() {
        PATH="$root/usr/bin:$PATH" bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"; shift
            COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
            _korvelctl; echo "${COMPREPLY[*]}"' _ "$completion" "$@"
    }
    if [ "$(complete_words korvelctl '')" = 'ports read write probe scan diff set apply --help --version' ] \
        && [ "$(complete_words korvelctl read '')" = 'params eids' ] \
        && [ "$(complete_words korvelctl scan --baud 11)" = '115200' ]; then
        pass "completion: commands, kinds, speeds"
    else
        fail "completion: commands, kinds or speeds missing"
    fi
fi

# ansible-doc reads the installed modules' documentation.
if command -v ansible-doc >/dev/null 2>&1; then
    for module in params eids; do
        if out="$(ANSIBLE_COLLECTIONS_PATH="$root/usr/share/ansible/collections" ANSIBLE_HOME="$work/ansible" \
            ansible-doc "korvel.radio.$module" 2>&1)" && grep -q "KORVEL.RADIO.${module^^}" <<<"$out" \
            && grep -q '= port' <<<"$out"; then
            pass "ansible-doc korvel.radio.$module"
        else
            fail "ansible-doc korvel.radio.$module: $out"
        fi
    done
fi

if [ "$with_devsim" = 1 ] && [ -x "$root/usr/bin/korvel-devsim" ]; then
    if out="$(timeout 10 "$root/usr/bin/korvel-devsim" --version 2>&1)"; then
        if grep -Fqw "$version" <<<"$out"; then
            pass "korvel-devsim --version: $out"
        else
            fail "korvel-devsim --version printed '$out', not $version"
        fi
    else
        fail "korvel-devsim --version failed: $out"
    fi
fi

# The tool has no command line: it is started as the desktop entry starts
# it, must still be up after a second (construction done, event loop
# running), and must end cleanly on a termination request. Its start-up
# scan opens every serial port it finds, and a test opens none of the
# machine's: it runs in a private mount namespace whose /sys/class/tty is
# empty, so the scan finds no port. Where no such namespace can be made
# (not root), the start is not tried.
if [ -x "$root/usr/bin/korvel" ] && ! unshare -m true 2>/dev/null; then
    echo "skip: korvel's start (no private mount namespace to hide the machine's serial ports)"
elif [ -x "$root/usr/bin/korvel" ]; then
    # shellcheck disable=SC2016 # $0 is the inner shell's: the program to exec
    QT_QPA_PLATFORM=offscreen unshare -m sh -c 'mount -t tmpfs none /sys/class/tty && exec "$0"' \
        "$root/usr/bin/korvel" >"$work/korvel.log" 2>&1 &
    korvel_pid=$!
    sleep 1
    if kill -0 "$korvel_pid" 2>/dev/null; then
        pass "korvel is running after 1 s"
        kill -TERM "$korvel_pid"
        status=0
        wait "$korvel_pid" || status=$?
        korvel_pid=""
        # Ended by the signal we sent (128 + 15), nothing else.
        if [ "$status" = 143 ]; then pass "korvel ended on SIGTERM"; else fail "korvel ended with status $status after SIGTERM"; fi
    else
        status=0
        wait "$korvel_pid" || status=$?
        korvel_pid=""
        fail "korvel exited within 1 s with status $status"
    fi
    if grep -Eiq 'could not (load|find)|cannot load|failed to load|This application failed to start' "$work/korvel.log"; then
        fail "korvel reported a loading problem: $(cat "$work/korvel.log")"
    else
        pass "no loading problem in korvel's output"
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "all package checks passed"
