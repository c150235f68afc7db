#!/usr/bin/env bash
# Installs the Debian packages the game, its tools and its tests need.
# Idempotent: installs only what is missing, so repeated runs are quick.
#
#     tools/install_deps.sh                 the packages listed below
#     tools/install_deps.sh PACKAGE...      those instead (a cross build's own);
#                                           NAME:ARCH adds that architecture
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    libsdl1.2-dev libx11-dev libgl-dev libgl1-mesa-dri libstb-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libvorbis-dev
    xvfb xauth xdotool x11-utils x11-xkb-utils sox umockdev libumockdev-dev
    clang libclang-rt-14-dev
    file lintian desktop-file-utils appstream
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    wine wine64 dpkg-dev zip unzip time
    libsdl2-2.0-0 debootstrap pulseaudio pulseaudio-utils pipewire pipewire-bin wireplumber dbus sway
)
if [ $# -gt 0 ]; then
    packages=("$@")
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    # Other builds on the same machine may hold the package lock: wait for it.
    lock=(-o DPkg::Lock::Timeout=600)
    # Another processor's libraries come through multiarch, beside the
    # machine's own.
    for p in "${missing[@]}"; do
        arch=${p#*:}
        if [ "$arch" != "$p" ] && ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
            $sudo_cmd dpkg --add-architecture "$arch"
        fi
    done
    $sudo_cmd apt-get "${lock[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi
