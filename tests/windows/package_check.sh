#!/usr/bin/env bash
# What the Windows zip carries besides the game, as a player and a
# distributor get it: the game's data, its licence, SDL's licence and the
# archive of its corresponding source beside the zip (Debian's source
# package), the runtime's notices taken from the build machine, and a README
# with Windows line ends. (The program's resources are read back by the
# Windows unit tests, and the game is played from the zip end to end.)
#
#     tests/windows/package_check.sh dist/mirelantha-VERSION-win64.zip
set -euo pipefail
zip=$1
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
grep -q "GNU LESSER GENERAL PUBLIC LICENSE" "$folder/COPYING-SDL.txt" || fail "COPYING-SDL.txt is not the LGPL"
grep -q "winpthreads" "$folder/NOTICES-runtime.txt" && grep -q "mingw-w64-crt" "$folder/NOTICES-runtime.txt" ||
    fail "no notice for winpthreads or the C runtime"
grep -q $'\r$' "$folder/README.txt" || fail "README.txt does not have CRLF line ends"

archive=$(grep -o 'mirelantha-[0-9.]*-win64-sdl-source\.tar' "$folder/README.txt" | head -n 1)
[ -n "$archive" ] && [ -f "$(dirname "$zip")/$archive" ] || fail "README.txt names no source archive beside the zip"
listing=$(tar tf "$(dirname "$zip")/$archive")
for part in '\.dsc$' '\.orig\.tar\.' '\.debian\.tar\.' 'build_sdl\.sh$'; do
    grep -q "$part" <<<"$listing" || fail "$archive has no $part"
done
echo "windows package check: passed"
