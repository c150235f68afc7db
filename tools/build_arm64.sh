#!/usr/bin/env bash
# Cross-builds the game for 64-bit ARM Linux (Raspberry Pi 4 and 5, ARM
# laptops and boards with 64-bit Debian 12 or a derivative) and packs it:
#
#     tools/build_arm64.sh      writes dist/mirelantha_VERSION_arm64.deb
#
# Runs on a Debian 12 machine of another processor. Installs what is missing:
# Debian's cross compiler, qemu's user-mode emulator (which runs the icon
# renderer during the build, and the tests) and the arm64 libraries through
# multiarch, beside the machine's own. The programs stay in build-arm64/:
# mirelantha, garden-replay and audio-render. BUILD_TESTING=ON (the test
# script's choice) also builds the unit tests and what the game needs to run
# under the emulator here.
set -euo pipefail
cd "$(dirname "$0")/.."

testing=${BUILD_TESTING:-OFF}
packages=(cmake pkg-config dpkg-dev file xz-utils crossbuild-essential-arm64 qemu-user
    libsdl1.2debian:arm64 libgl-dev:arm64 libx11-dev:arm64 libstb-dev:arm64)
if [ "$testing" = ON ]; then
    # GoogleTest, and Mesa's software renderer for the game on Xvfb.
    packages+=(libgtest-dev:arm64 libgl1-mesa-dri:arm64)
fi
tools/install_deps.sh "${packages[@]}"

# SDL 1.2's development package is for one processor at a time, so it stays
# the machine's own; its library is for any number side by side. The arm64
# development package is unpacked into the build tree for its headers and
# pkg-config file, which is made to name the installed arm64 library by its
# file name: no private link folder, so the programs carry no search path.
build=build-arm64
sdl_dev="$PWD/$build/sdl-dev"
sdl_version=$(dpkg-query -W -f='${Version}' libsdl1.2debian:arm64)
if [ "$(cat "$sdl_dev/version" 2>/dev/null)" != "$sdl_version" ]; then
    rm -rf "$sdl_dev"
    mkdir -p "$sdl_dev/download" "$sdl_dev/usr/lib/pkgconfig"
    (cd "$sdl_dev/download" && apt-get -o APT::Sandbox::User=root -qq download "libsdl1.2-dev:arm64=$sdl_version")
    dpkg-deb -x "$sdl_dev"/download/*.deb "$sdl_dev/unpacked"
    mv "$sdl_dev/unpacked/usr/include" "$sdl_dev/usr/include"
    sed -e "s|^prefix=.*|prefix=$sdl_dev/usr|" -e 's|^Libs:.*|Libs: -l:libSDL-1.2.so.0|' -e '/^Libs.private:/d' \
        "$sdl_dev"/unpacked/usr/lib/aarch64-linux-gnu/pkgconfig/sdl.pc >"$sdl_dev/usr/lib/pkgconfig/sdl.pc"
    rm -rf "$sdl_dev/download" "$sdl_dev/unpacked"
    echo "$sdl_version" >"$sdl_dev/version"
fi

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=platform/linux/aarch64-linux-gnu.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_PREFIX_PATH="$sdl_dev/usr" -DBUILD_TESTING="$testing" >/dev/null
if [ "$testing" = ON ]; then
    cmake --build "$build" -j"$(nproc)"
else
    cmake --build "$build" -j"$(nproc)" --target mirelantha garden-replay audio-render package-files
fi

rm -f "$build"/mirelantha_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
mkdir -p dist
package="$(ls "$build"/mirelantha_*_arm64.deb)"
cp "$package" dist/
echo "wrote dist/$(basename "$package")"
