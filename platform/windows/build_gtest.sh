#!/usr/bin/env bash
# Cross-builds GoogleTest for 64-bit Windows from Debian's sources in
# /usr/src/googletest (libgtest-dev) and prints the install prefix on stdout.
#
#     prefix=$(platform/windows/build_gtest.sh)
#
# Cached beside the SDL build, keyed by the package version:
#
#     ${MIRELANTHA_CACHE:-${XDG_CACHE_HOME:-~/.cache}/mirelantha}/gtest-VERSION-win64
set -euo pipefail
cd "$(dirname "$0")/../.."

cache="${MIRELANTHA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mirelantha}"
version=$(dpkg-query -W -f='${Version}' libgtest-dev)
prefix="$cache/gtest-$version-win64"
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

echo "build_gtest_windows: building GoogleTest $version for Windows" >&2
work="$cache/gtest-$version-work"
rm -rf "$work" "$prefix"
cmake -S /usr/src/googletest -B "$work" \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/platform/windows/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF >/dev/null
cmake --build "$work" -j"$(nproc)" >/dev/null
cmake --install "$work" >/dev/null
rm -rf "$work"
touch "$prefix/.complete"
echo "$prefix"
