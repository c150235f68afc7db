#!/usr/bin/env bash
# Builds the game for the browser with Debian's emscripten and writes
#
#   dist/mirelantha-VERSION-web.zip   index.html and its files at the zip's
#                                     root, for any static host (no special
#                                     headers) and game sites' HTML uploads
#   dist/mirelantha-VERSION.html      the whole game in one page that plays
#                                     when opened from disk
#   build-web/garden-replay.js        the tools, run with node
#   build-web/audio-render.js         (node --no-experimental-fetch TOOL.js ...)
#
#     tools/build_web.sh              the game, its page and the tools
#     BUILD_TESTING=ON tools/build_web.sh   also the unit tests (run with ctest)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(emscripten nodejs cmake zip libstb-dev googletest)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    lock=(-o DPkg::Lock::Timeout=600)
    $sudo_cmd apt-get "${lock[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi

# Debian's emscripten finds its node modules only through NODE_PATH, and its
# outputs run under node 20 only without node's own fetch.
export NODE_PATH=/usr/share/nodejs
node=(node --no-experimental-fetch)
# The host's pkg-config must not hand the native SDL to the cross build.
export PKG_CONFIG_LIBDIR=/nonexistent
export PKG_CONFIG_PATH=

build=build-web
testing="${BUILD_TESTING:-OFF}"
# The toolchain file directly: emcmake passes node an option node 20 refuses.
cmake -S . -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node);--no-experimental-fetch" \
    -DSTB_INCLUDE_DIRS=/usr/include/stb \
    -DBUILD_TESTING="$testing" >/dev/null
targets=(mirelantha mirelantha-single garden-replay audio-render make-icons tile-pictures title-cells)
if [ "$testing" = ON ]; then
    targets+=(test_app test_gfx test_game test_audio test_web)
fi
cmake --build "$build" -j"${JOBS:-2}" --target "${targets[@]}"

version=$(sed -n 's/^project(mirelantha VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
site="$build/site"
rm -rf "$site" "$build/icons" "$build/tiles" && mkdir -p "$site" "$build/tiles" dist

# The game's own icon, rendered from its title picture: small in the pages
# themselves, large for the web app manifest (installed on a phone's home
# screen, say); and the touch buttons' tiles, drawn from the game's sprites.
"${node[@]}" "$build/make-icons.js" dat/lh0.txt "$build/icons" 32 192 512 >/dev/null
icon="$build/icons/32x32/apps/mirelantha.png"
"${node[@]}" "$build/tile-pictures.js" "$build/tiles"

# The licences of what the build carries: the game's own, then emscripten's
# runtime and C and C++ libraries, and the stb decoders, as Debian states them.
notices="$build/THIRD-PARTY-NOTICES.txt"
{
    echo "The web build of mirelantha carries code from emscripten (its JavaScript runtime,"
    echo "its SDL and OpenGL emulation, and the musl C and LLVM C++ libraries it ships) and"
    echo "from the stb single-file libraries. Their licences follow, as Debian states them."
    echo
    echo "== stb (libstb-dev)"
    cat /usr/share/doc/libstb-dev/copyright
    echo
    echo "== emscripten"
    cat /usr/share/doc/emscripten/copyright
} >"$notices"

# The site: the module and its code, the samples (fetched by the page after
# the first picture), the manifest and its icons, the licences; then the page
# and the service worker, which keeps them all for offline play
# (platform/web/page.py).
cp "$build/mirelantha.js" "$build/mirelantha.wasm" "$site/"
tar --create --file "$site/mirelantha-samples.tar" --directory dat --sort=name --mtime=@0 \
    --owner=0 --group=0 --numeric-owner --format=ustar samples
cp platform/web/manifest.webmanifest "$site/"
cp "$build/icons/192x192/apps/mirelantha.png" "$site/icon-192.png"
cp "$build/icons/512x512/apps/mirelantha.png" "$site/icon-512.png"
cp LICENSE "$site/LICENSE.txt"
cp "$notices" "$site/"
python3 platform/web/page.py site platform/web/index.html "$icon" "$build/tiles" "$site"

# The page that travels alone carries the module inline and the licences at
# its end.
{ echo "mirelantha"; echo; cat LICENSE; echo; cat "$notices"; } >"$build/all-notices.txt"
python3 platform/web/page.py single platform/web/index.html "$icon" "$build/tiles" "$build/mirelantha-single.js" \
    "$build/all-notices.txt" > "dist/mirelantha-$version.html"

rm -f "dist/mirelantha-$version-web.zip"
(cd "$site" && zip -qr -X "../../dist/mirelantha-$version-web.zip" .)
echo "dist/mirelantha-$version-web.zip"
echo "dist/mirelantha-$version.html"
