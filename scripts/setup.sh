#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test the
# tool. Quiet and idempotent: packages already present are not touched.
set -euo pipefail

PACKAGES=(
    build-essential cmake pkg-config
    qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev
    xvfb xauth fonts-dejavu-core fonts-liberation2
    util-linux procps
    mbpoll libmodbus-dev
    clang libclang-rt-14-dev
    python3 file dpkg-dev
)

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
