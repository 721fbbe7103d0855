#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks. Quiet and idempotent:
# packages already present are not touched.
#
# Usage: scripts/setup.sh [run|all|windows]
#   run      what building and running the tool and the simulator need
#            (scripts/start.sh)
#   all      that, and what the tests (also built with Qt 6), the sanitizer
#            and fuzzing builds, the benchmark, the screenshots and the
#            package checks and the script checks need (default;
#            scripts/test.sh and the other scripts)
#   windows  "run", and what the Windows cross-build, its installer and its
#            smoke test under Wine need (scripts/windows.sh,
#            scripts/windows-smoke.sh)
set -euo pipefail

RUN_PACKAGES=(
    build-essential cmake pkg-config
    qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev
    qttools5-dev qttools5-dev-tools qttranslations5-l10n
    fonts-dejavu-core fonts-liberation2
    util-linux procps
)
TEST_PACKAGES=(
    qt6-base-dev qt6-serialport-dev qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
    xvfb xauth
    mbpoll libmodbus-dev
    clang libclang-rt-14-dev
    python3 file dpkg-dev lintian bash-completion strace shellcheck ser2net
    ansible-core
)

WINDOWS_PACKAGES=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    xz-utils nsis zip qttranslations5-l10n
    wine wine64 xvfb xauth xdotool imagemagick
    debootstrap ser2net
)

case "${1:-all}" in
    run) PACKAGES=("${RUN_PACKAGES[@]}") ;;
    all) PACKAGES=("${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
    windows) PACKAGES=("${RUN_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}") ;;
    *) echo "usage: $0 [run|all|windows]" >&2; exit 2 ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        SUDO="sudo"
    else
        echo "setup: missing packages (${missing[*]}) and not root; install them as root." >&2
        exit 1
    fi
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
