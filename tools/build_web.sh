#!/usr/bin/env bash
# Builds the game for the browser with Debian's emscripten and writes
#
#   dist/mirelantha-VERSION-web.zip   one folder: index.html and its files, for
#                                     any static host (no special headers)
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
targets=(mirelantha mirelantha-single garden-replay audio-render make-icons title-cells)
if [ "$testing" = ON ]; then
    targets+=(test_app test_gfx test_game test_audio test_web)
fi
cmake --build "$build" -j"${JOBS:-2}" --target "${targets[@]}"

version=$(sed -n 's/^project(mirelantha VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
site="$build/site/mirelantha-$version-web"
rm -rf "$build/site" && mkdir -p "$site" dist

# The page's icon: the game's own, rendered from its title picture.
"${node[@]}" "$build/make-icons.js" dat/lh0.txt "$build/icons" 32 >/dev/null
icon="data:image/png;base64,$(base64 -w0 "$build/icons/32x32/apps/mirelantha.png")"

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

# platform/web/page.py fills the page template: the zip's page loads the module
# beside it, the single page carries it inline, and the licences at its end.
python3 platform/web/page.py platform/web/index.html "$icon" --src mirelantha.js > "$site/index.html"
cp "$build/mirelantha.js" "$build/mirelantha.wasm" "$site/"
cp LICENSE "$site/LICENSE.txt"
cp "$notices" "$site/"
{ echo "mirelantha"; echo; cat LICENSE; echo; cat "$notices"; } >"$build/all-notices.txt"
python3 platform/web/page.py platform/web/index.html "$icon" --inline "$build/mirelantha-single.js" \
    --notices "$build/all-notices.txt" > "dist/mirelantha-$version.html"

rm -f "dist/mirelantha-$version-web.zip"
(cd "$build/site" && zip -qr -X "../../dist/mirelantha-$version-web.zip" "mirelantha-$version-web")
echo "dist/mirelantha-$version-web.zip"
echo "dist/mirelantha-$version.html"
