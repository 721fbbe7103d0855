#!/usr/bin/env bash
# Cross-builds the Windows release on Debian: korvel.exe and korvelctl.exe
# for x86-64 with MinGW-w64, the suites that run without a pseudo-terminal
# (run under Wine), and what an operator downloads, all in build-win/:
#   korvel-VERSION-win64/            the programs with every DLL they load
#   korvel-VERSION-win64.zip         that folder, zipped
#   korvel-VERSION-win64-setup.exe   the installer (packaging/windows/korvel.nsi)
#
# Usage: bash scripts/windows.sh [--no-tests]
#
# Qt for MinGW: the prefix in KORVEL_QT_MINGW, or else the tarball in
# ../shared/toolchains/, unpacked once into ${XDG_CACHE_HOME:-~/.cache}/korvel/.
# Without either it exits 2.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/build-win"
build="$out/build"
run_tests=1
case "${1:-}" in
    "") ;;
    --no-tests) run_tests=0 ;;
    *) echo "usage: $0 [--no-tests]" >&2; exit 2 ;;
esac

# ---- Qt for MinGW --------------------------------------------------------------
qt_config=lib/cmake/Qt5/Qt5Config.cmake
if [ -n "${KORVEL_QT_MINGW:-}" ]; then
    qt="$(realpath -m "$KORVEL_QT_MINGW")"
    if [ ! -f "$qt/$qt_config" ]; then
        echo "windows: KORVEL_QT_MINGW=$qt holds no Qt 5 ($qt_config is missing); point it at a Qt 5.15 prefix built for x86_64-w64-mingw32" >&2
        exit 2
    fi
else
    tarball="$(realpath -m "$root/../shared/toolchains/qt-5.15.8-mingw-w64-network.tar.xz")"
    cache="${XDG_CACHE_HOME:-$HOME/.cache}/korvel"
    qt="$cache/qt-5.15.8-mingw-w64-network"
    if [ ! -f "$qt/$qt_config" ] && [ -f "$tarball" ]; then
        echo "windows: unpacking $tarball into $cache"
        mkdir -p "$cache"
        unpack="$(mktemp -d "$cache/unpack.XXXXXX")"
        tar -xJf "$tarball" -C "$unpack"
        rm -rf "$qt"
        mv "$unpack/qt-5.15.8-mingw-w64-network" "$qt"
        rm -rf "$unpack"
    fi
    if [ ! -f "$qt/$qt_config" ]; then
        echo "windows: no Qt for MinGW (looked in $qt and for $tarball); set KORVEL_QT_MINGW to a Qt 5.15 prefix built for x86_64-w64-mingw32" >&2
        exit 2
    fi
fi

bash "$root/scripts/setup.sh" windows

# ---- Build and the suites --------------------------------------------------------
start=$SECONDS
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_BUILD_TYPE=Release \
    -DKORVEL_BUILD_TESTS="$([ "$run_tests" = 1 ] && echo ON || echo OFF)" \
    -DKORVEL_LUPDATE=/usr/lib/qt5/bin/lupdate -DKORVEL_LRELEASE=/usr/lib/qt5/bin/lrelease \
    "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
echo "windows: built in $((SECONDS - start)) s"

if [ "$run_tests" = 1 ]; then
    start=$SECONDS
    # The suites run in a Wine prefix of their own, made on first use and
    # removed afterwards (it is some hundred megabytes).
    prefix="$(mktemp -d "${TMPDIR:-/tmp}/korvel-wine-tests.XXXXXX")"
    trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null; rm -rf "$prefix"' EXIT
    (cd "$build" && WINEPREFIX="$prefix" ctest --output-on-failure --timeout 300)
    WINEPREFIX="$prefix" wineserver -w
    rm -rf "$prefix"
    trap - EXIT
    echo "windows: suites under Wine took $((SECONDS - start)) s"
fi

# ---- What an operator downloads -----------------------------------------------------
start=$SECONDS
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
name="korvel-$version-win64"
stage="$out/$name"
rm -rf "$stage" "$out/$name.zip" "$out/$name-setup.exe"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/licenses"

cp "$build/korvel.exe" "$build/cli/korvelctl.exe" "$stage/"
# The Russian catalogues beside the programs, made by the build machine's
# lrelease (the Qt for MinGW brings no tools that run here); Qt's own too,
# for the refusals of its command-line parser: that Qt's where it carries
# one, else the build machine's Qt 5 (qttranslations5-l10n) of the same 5.15.
cp "$build/translations/korvelctl_ru.qm" "$build/translations/korvel_ru.qm" "$stage/"
for qtbase in "$qt/translations/qtbase_ru.qm" /usr/share/qt5/translations/qtbase_ru.qm; do
    if [ -f "$qtbase" ]; then
        cp "$qtbase" "$stage/"
        break
    fi
done
# korvelctl.exe reaches serial servers and Modbus TCP gateways: Network.
for module in Core Gui Widgets SerialPort Network; do
    cp "$qt/bin/Qt5$module.dll" "$stage/"
done
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$stage/"
done
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +

# Texts with Windows line ends: the licences, what Qt's LGPL asks for, the
# operator's short guide.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }
crlf "$root/LICENSE" "$stage/LICENSE.txt"
crlf "$qt/licenses/LICENSE.LGPL3" "$stage/licenses/Qt-LGPL-3.0.txt"
crlf /usr/share/doc/mingw-w64-x86-64-dev/copyright "$stage/licenses/mingw-w64.txt"
# UTF-8 with a byte order mark, so that every Notepad reads the Cyrillic.
{ printf '\xef\xbb\xbf'; sed "s/@VERSION@/$version/g; s/\r*\$/\r/" "$root/packaging/windows/README.txt"; } >"$stage/README.txt"

(cd "$out" && zip -q -r -9 -X "$name.zip" "$name")

# What the uninstaller removes: exactly what was installed, files first,
# then the folders, deepest first.
uninstall_list="$out/uninstall-files.nsh"
(
    cd "$stage"
    # shellcheck disable=SC2016 # $INSTDIR is NSIS's, written as it stands
    find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|Delete "$INSTDIR\\&"|'
    # shellcheck disable=SC2016 # $INSTDIR is NSIS's, written as it stands
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|RMDir "$INSTDIR\\&"|'
) >"$uninstall_list"
makensis -V2 -INPUTCHARSET UTF8 \
    -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$out/$name-setup.exe" \
    -DUNINSTALL_LIST="$uninstall_list" -DLICENSE_FILE="$stage/LICENSE.txt" \
    "$root/packaging/windows/korvel.nsi"
echo "windows: packed in $((SECONDS - start)) s"
ls -l "$out/$name.zip" "$out/$name-setup.exe"
