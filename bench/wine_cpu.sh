#!/usr/bin/env bash
# The mixer's cost on Windows beside Linux, on this machine: the same stress
# render (garden music plus a dense script of sound effects, 13 new voices
# every second callback) through the Linux audio-render and through the
# Windows audio-render.exe under Wine, each timed as user + system CPU.
# Wine's start-up (about 0.3 s) is spread over a render long enough to make
# it small; wineserver's own CPU is not counted.
#
#     bench/wine_cpu.sh [SECONDS]        (default 120 s of sound)
#
# Needs build/audio-render and build-win64/audio-render.exe (tools/build_windows.sh).
# Prints both figures and their ratio; the aim is at most 1.3.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-120}
scratch=$(mktemp -d /tmp/mirelantha-winbench-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

# 13 effects every second callback: synthesised kinds 1..12 and a sample.
callbacks=$((seconds * 44100 / 2048))
awk -v n="$callbacks" 'BEGIN {
    for (cb = 0; cb < n; cb += 2) {
        for (k = 1; k <= 12; k++) printf "%d soundex %d %d 0.05 0.3 %.1f\n", cb, k, 220 + 40 * k, (k % 3) - 1;
        printf "%d sound %d 0.05 0\n", cb, 17 + (cb / 2) % 34;
    }
}' >"$scratch/stress.txt"

cpu()  # prints user + system seconds of a command
{
    /usr/bin/time -f '%U %S' -o "$scratch/time.txt" "$@" >/dev/null
    awk '{ printf "%.2f", $1 + $2 }' "$scratch/time.txt"
}

args=(--seed 5 --seconds "$seconds" --music garden --samples dat/samples --sfx "$scratch/stress.txt")
linux=$(cpu build/audio-render "${args[@]}" --out "$scratch/linux.wav")
windows=$(cpu platform/windows/wine_run.sh build-win64/audio-render.exe "${args[@]}" --out "$scratch/windows.wav")
echo "stress render of ${seconds} s: Linux ${linux} s CPU, Windows under Wine ${windows} s CPU"
awk -v l="$linux" -v w="$windows" 'BEGIN { printf "ratio %.2f (aim: at most 1.3)\n", w / l }'
