#!/usr/bin/env bash
# The Windows zip as a player gets it: unpacked in a scratch folder and started
# under Wine on a private Xvfb server with SDL's disk audio driver. Print
# Screen must save exactly one title-screen-sized PNG per press, Escape must
# end the program promptly with exit code 0, and the capture must hold sound.
#
#     tests/windows/smoke.sh dist/mirelantha-VERSION-win64.zip [DISPLAY_NUMBER]
set -euo pipefail
zip=$(realpath "$1")
number=${2:-93}
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d /tmp/mirelantha-win-XXXXXX)
xvfb=
game=
cleanup()
{
    [ -n "$game" ] && kill "$game" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail()
{
    echo "windows smoke: $*" >&2
    exit 1
}

Xvfb ":$number" -screen 0 1024x768x24 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$number"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# Unpacked in a folder whose name no single code page spells, and
# double-clicked there: the screenshots go into it.
folder="$scratch/Игры ゲーム 🎮 ’€Œ"
mkdir "$folder"
cd "$folder"
unzip -q "$zip"
cd mirelantha
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$scratch/audio.raw" "$here/../../platform/windows/wine_run.sh" mirelantha.exe 2>"$scratch/stderr.txt" &
game=$!
for _ in $(seq 150); do xdotool search --name '^mirelantha$' >/dev/null 2>&1 && break; sleep 0.1; done
xdotool search --name '^mirelantha$' >/dev/null || fail "no window"
sleep 2
for press in 0 1; do
    xdotool keydown Print sleep 0.08 keyup Print
    for _ in $(seq 50); do [ -s "screen$press.png" ] && break; sleep 0.1; done
    sleep 0.5
done
ls screen*.png
[ "$(ls screen*.png | wc -l)" -eq 2 ] || fail "two presses did not give exactly two screenshots"
file screen0.png | grep -q 'PNG image data, 1024 x 768' || fail "screenshot is not a 1024 x 768 PNG"
start=$(date +%s%N)
xdotool keydown Escape sleep 0.05 keyup Escape
status=0
wait "$game" || status=$?
game=
elapsed=$((($(date +%s%N) - start) / 1000000))
echo "windows smoke: exit code $status, $elapsed ms after Escape"
[ "$status" -eq 0 ] || fail "exit code $status"
[ "$elapsed" -lt 1500 ] || fail "shutdown took $elapsed ms"
rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$scratch/audio.raw" -n stat 2>&1 | sed -n 's/^RMS *amplitude: *//p')
echo "windows smoke: title music RMS $rms"
awk -v r="$rms" 'BEGIN { exit !(r > 0.001) }' || fail "the capture is silent"
cp screen0.png "${MIRELANTHA_SMOKE_SHOT:-/dev/null}" 2>/dev/null || true
echo "windows smoke: passed"
