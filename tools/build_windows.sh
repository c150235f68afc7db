#!/usr/bin/env bash
# Builds the 64-bit Windows game with mingw-w64 and packs it for players:
#
#     tools/build_windows.sh      writes dist/mirelantha-VERSION-win64.zip
#
# The zip holds one folder, mirelantha/, with mirelantha.exe, SDL.dll (the
# only DLL it needs), dat/, README.txt and the licences and notices: unzip
# and double-click. Beside it goes SDL's corresponding source,
# dist/mirelantha-VERSION-win64-sdl-source.tar, which README.txt names. The console
# tools garden-replay.exe and audio-render.exe stay in build-win64/.
# BUILD_TESTING=ON (the test script's choice) also builds the unit tests.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh

sdl=$(platform/windows/build_sdl.sh)
testing=${BUILD_TESTING:-OFF}
gtest_option=()
if [ "$testing" = ON ]; then
    gtest_option=(-DMIRELANTHA_GTEST_PREFIX="$(platform/windows/build_gtest.sh)")
fi
cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=platform/windows/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DMIRELANTHA_SDL_PREFIX="$sdl" -DBUILD_TESTING="$testing" \
    "${gtest_option[@]}" >/dev/null
cmake --build build-win64 -j"$(nproc)"

version=$(sed -n 's/^project(mirelantha VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
sdl_version=$(basename "$(ls "$sdl"/source/*.dsc)" .dsc)
sdl_version=${sdl_version#libsdl1.2_}
source_archive="mirelantha-$version-win64-sdl-source.tar"
stage=build-win64/zip/mirelantha
rm -rf build-win64/zip
mkdir -p "$stage/dat/samples" dist
x86_64-w64-mingw32-strip -o "$stage/mirelantha.exe" build-win64/mirelantha.exe
cp build-win64/SDL.dll "$stage/"
cp dat/lh0.txt "$stage/dat/"
cp dat/samples/*.ogg "$stage/dat/samples/"

# Texts for Windows' editors: CRLF line ends.
crlf()
{
    sed 's/\r$//; s/$/\r/'
}
crlf < LICENSE > "$stage/LICENSE.txt"
crlf < "$sdl/COPYING-SDL.txt" > "$stage/COPYING-SDL.txt"
# The program links the mingw-w64 runtime in: its C runtime start-up code and
# helpers, and the winpthreads library behind the C++ runtime's threads. Their
# notices travel with it, as Debian records them for the toolchain's sources.
{
    cat <<'TEXT'
Notices for the runtime linked into mirelantha.exe

mirelantha.exe is built with the mingw-w64 toolchain and contains parts of
its runtime: the C runtime start-up code and helper functions
(mingw-w64-crt) and the POSIX threads library (winpthreads, under the MIT
("expat") licence and the BSD-style licences named below). GCC's own runtime
libraries are used under the GCC Runtime Library Exception, which asks for no
notice. The copyright and licence statements of the mingw-w64 sources follow
in full, as the Debian package mingw-w64 records them.

TEXT
    cat /usr/share/doc/mingw-w64-common/copyright
} | crlf > "$stage/NOTICES-runtime.txt"

crlf > "$stage/README.txt" <<TEXT
mirelantha $version - a little garden game

Extract the zip first
  Right-click the zip, choose "Extract All...", then open the mirelantha
  folder it makes and double-click mirelantha.exe. Started from inside the
  zip, Windows unpacks only mirelantha.exe, which then stops with "SDL.dll
  was not found". The extracted folder can be put anywhere and renamed;
  shortcuts and launchers may start the game from any folder.

What the game needs
  64-bit Windows 7 or later (made for Windows 10 and 11), OpenGL 1.1
  (which every Windows graphics driver provides), and a sound output:
  speakers or headphones. The game fills the screen at the
  desktop's resolution, also on scaled displays.

Keys
  Title screen:   any key starts a game.
  Planting:       arrows move the cursor; Z X C V B N M place a tile
                  (again on the same tile picks it up); Space opens the
                  garden once the stock is empty.
  Running garden: arrows walk the gardener.
  Escape:         back to the title screen; on the title screen, quits.
  Alt+F4:         quits at once.
  Print Screen or F12: saves a screenshot.
  On keyboards whose bottom row is not Z X C V B N M (AZERTY, QWERTZ), the
  keys of that row place the tiles by their place: the key typing W on
  AZERTY places the Z tile, the one typing a comma the M tile.

Gamepads
  A pad plugged in before the game starts plays as the keyboard does. On an
  Xbox pad: d-pad or left stick = arrows; A B X Y = Z X C V; LB RB = B N;
  either trigger = M; Start = Space; Back = Escape. On other pads the hat
  and the first two axes are the arrows and buttons 1 to 10 are
  Z X C V B N M M Escape Space.

Screenshots
  Saved as screen0.png, screen1.png, ... in the folder the game was started
  from: the game's own folder when you double-click mirelantha.exe, or the
  "Start in" folder of a shortcut. Where that folder cannot be written to,
  they go to your Pictures folder. An existing screenshot is never
  overwritten: the next free number is used.

If the game does not start
  The game is not signed, so on its first start Windows may say "Windows
  protected your PC": choose "More info", then "Run anyway".
  Without a sound device the game says so in a message and ends; connect or
  enable speakers or headphones and start it again.

Licences
  mirelantha is free software under the zlib licence: see LICENSE.txt.
  SDL.dll is the SDL 1.2 library ($sdl_version, built from Debian's source
  package), under the GNU Lesser General Public License 2.1: see
  COPYING-SDL.txt. Its complete corresponding source, with the script that
  built it, is the archive published beside this zip:
  $source_archive
  mirelantha.exe contains the mingw-w64 runtime: see NOTICES-runtime.txt.
TEXT

zip="dist/mirelantha-$version-win64.zip"
rm -f "$zip"
(cd build-win64/zip && zip -qrX "../../$zip" mirelantha)
echo "wrote $zip"

# SDL's corresponding source: Debian's source package as fetched for the
# build, and the script that configured and built it.
rm -rf build-win64/sdl-source
mkdir -p "build-win64/sdl-source/sdl-source-$sdl_version"
cp "$sdl"/source/* platform/windows/build_sdl.sh "build-win64/sdl-source/sdl-source-$sdl_version/"
tar -C build-win64/sdl-source --sort=name --owner=0 --group=0 --numeric-owner \
    -cf "dist/$source_archive" "sdl-source-$sdl_version"
echo "wrote dist/$source_archive"
