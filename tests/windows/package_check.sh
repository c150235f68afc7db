#!/usr/bin/env bash
# What the Windows zip carries besides the game, as a player and a
# distributor read it: the game's licence, SDL's licence and the archive of
# its corresponding source beside the zip, the runtime's notices, and a
# README that says to extract first, what the game needs, the keys and where
# screenshots go. (The program's icon, details and manifest are checked by
# the Windows unit tests, with Windows' own calls.)
#
#     tests/windows/package_check.sh dist/mirelantha-VERSION-win64.zip
set -euo pipefail
zip=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d /tmp/mirelantha-zipcheck-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail()
{
    echo "windows package check: $*" >&2
    exit 1
}

unzip -q "$zip" -d "$scratch"
folder="$scratch/mirelantha"
for file in mirelantha.exe SDL.dll dat/lh0.txt README.txt LICENSE.txt COPYING-SDL.txt NOTICES-runtime.txt; do
    [ -s "$folder/$file" ] || fail "the zip has no $file"
done
[ "$(ls "$folder"/dat/samples/*.ogg | wc -l)" -eq 34 ] || fail "the zip does not have the 34 samples"

cmp -s <(tr -d "\r" < "$folder/LICENSE.txt") "$root/LICENSE" || fail "LICENSE.txt is not the project's licence"
grep -q "GNU LESSER GENERAL PUBLIC LICENSE" "$folder/COPYING-SDL.txt" || fail "COPYING-SDL.txt is not the LGPL"
grep -q "winpthreads" "$folder/NOTICES-runtime.txt" || fail "no winpthreads notice"
grep -q "mingw-w64-crt" "$folder/NOTICES-runtime.txt" || fail "no notice for the C runtime"

# The source archive README.txt names is beside the zip and holds Debian's
# source package: its description, upstream tarball and Debian's changes.
readme="$folder/README.txt"
archive=$(grep -o 'mirelantha-[0-9.]*-win64-sdl-source\.tar' "$readme" | head -n 1)
[ -n "$archive" ] || fail "README.txt names no source archive"
[ -f "$(dirname "$zip")/$archive" ] || fail "$archive is not beside the zip"
listing=$(tar tf "$(dirname "$zip")/$archive")
for part in '\.dsc$' '\.orig\.tar\.' '\.debian\.tar\.' 'build_sdl\.sh$'; do
    grep -q "$part" <<<"$listing" || fail "$archive has no $part"
done

# README: Windows line ends, and what a player needs to read.
grep -q $'\r$' "$readme" || fail "README.txt does not have CRLF line ends"
for phrase in "Extract All" "SDL.dll" "OpenGL 1.1" "Windows" "Escape" "Alt+F4" "Print Screen or F12" \
    "Pictures folder" "LICENSE.txt" "COPYING-SDL.txt" "NOTICES-runtime.txt"; do
    grep -qF "$phrase" "$readme" || fail "README.txt does not mention $phrase"
done
echo "windows package check: passed"
