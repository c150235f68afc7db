#!/usr/bin/env bash
# Builds the 64-bit Windows game with mingw-w64 and packs it for players:
#
#     tools/build_windows.sh      writes dist/mirelantha-VERSION-win64.zip
#
# The zip holds one folder, mirelantha/, with mirelantha.exe, SDL.dll (the
# only DLL it needs), dat/ and README.txt: unzip and double-click. The console
# tools garden-replay.exe and audio-render.exe stay in build-win64/.
# BUILD_TESTING=ON (the test script's choice) also builds the unit tests.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh

sdl=$(tools/build_sdl_windows.sh)
testing=${BUILD_TESTING:-OFF}
gtest_option=()
if [ "$testing" = ON ]; then
    gtest_option=(-DMIRELANTHA_GTEST_PREFIX="$(tools/build_gtest_windows.sh)")
fi
cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=tools/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DMIRELANTHA_SDL_PREFIX="$sdl" -DBUILD_TESTING="$testing" \
    "${gtest_option[@]}" >/dev/null
cmake --build build-win64 -j"$(nproc)"

version=$(sed -n 's/^project(mirelantha VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage=build-win64/zip/mirelantha
rm -rf build-win64/zip
mkdir -p "$stage/dat/samples" dist
x86_64-w64-mingw32-strip -o "$stage/mirelantha.exe" build-win64/mirelantha.exe
cp build-win64/SDL.dll "$stage/"
cp "$sdl/COPYING-SDL.txt" "$stage/"
cp dat/lh0.txt "$stage/dat/"
cp dat/samples/*.ogg "$stage/dat/samples/"
sed 's/$/\r/' > "$stage/README.txt" <<'TEXT'
mirelantha - a small garden game

Double-click mirelantha.exe. The game fills the screen.

Keys
  Title screen:   any key starts a game; Escape quits.
  Planting:       arrows move the cursor; Z X C V B N M place a tile
                  (again on the same tile picks it up); Space opens the
                  garden once the stock is empty.
  Running garden: arrows walk the gardener.
  Escape:         back to the title screen.
  Print Screen:   saves a screenshot.

Screenshots are saved as screen0.png, screen1.png, ... in the folder the
game was started from (this folder when you double-click it). An existing
screenshot is never overwritten: the next free number is used.

SDL.dll is the SDL 1.2 library (GNU LGPL, see COPYING-SDL.txt).
TEXT
zip="dist/mirelantha-$version-win64.zip"
rm -f "$zip"
(cd build-win64/zip && zip -qr "../../$zip" mirelantha)
echo "wrote $zip"
