#!/usr/bin/env bash
# The tools of another build, run by what runs them here, give byte for byte
# what the native Linux tools give: garden replays (their JSON lines and
# every rendered frame) of a whole game (tests/data/whole_game.keys) over
# seeds that cover the generator's edge cases; and audio renders of all three
# musics with the samples, plus a dense script of sound effects.
#
#     tests/web/tools_match.sh NATIVE_BUILD OTHER_BUILD RUNNER...
#
# such as the browser build's tools under node (build-web node
# --no-experimental-fetch) or the arm64 ones under qemu (build-arm64
# qemu-aarch64). The other build's tools are NAME.js where it has those,
# else NAME.
set -euo pipefail
native=$1
other=$2
shift 2
runner=("$@")
other_tool()  # NAME
{
    [ -f "$other/$1.js" ] && echo "$other/$1.js" || echo "$other/$1"
}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/mirelantha-tools-match.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0

same()  # NAME FILE_OR_FOLDER_A FILE_OR_FOLDER_B
{
    if diff -rq "$2" "$3" >/dev/null; then
        echo "same: $1"
    else
        echo "DIFFERENT: $1 ($2 against $3)"
        failures=$((failures + 1))
    fi
}

for seed in 0 1 7 1765000000 3000000000; do
    for build in native other; do
        mkdir -p "$scratch/$build-$seed"
        if [ "$build" = native ]; then
            tool=("$native/garden-replay")
        else
            tool=("${runner[@]}" "$(other_tool garden-replay)")
        fi
        "${tool[@]}" --seed "$seed" --ticks 4000 --every 50 --events tests/data/whole_game.keys \
            --frames "$scratch/$build-$seed" >"$scratch/$build-$seed.json"
    done
    same "garden replay, seed $seed: state" "$scratch/native-$seed.json" "$scratch/other-$seed.json"
    same "garden replay, seed $seed: frames" "$scratch/native-$seed" "$scratch/other-$seed"
    ls "$scratch/native-$seed"/*.png >/dev/null
done

# 13 effects every second callback: the twelve synthesised kinds and a sample.
awk 'BEGIN {
    for (cb = 0; cb < 600; cb += 2) {
        for (k = 1; k <= 12; k++) printf "%d soundex %d %d 0.05 0.3 %.1f\n", cb, k, 220 + 40 * k, (k % 3) - 1;
        printf "%d sound %d 0.05 0\n", cb, 17 + (cb / 2) % 34;
    }
}' >"$scratch/effects.txt"
render()  # NAME ARGS...
{
    local name=$1
    shift
    "$native/audio-render" "$@" --out "$scratch/$name-native.wav" >/dev/null
    "${runner[@]}" "$(other_tool audio-render)" "$@" --out "$scratch/$name-other.wav" >/dev/null
    same "audio render, $name" "$scratch/$name-native.wav" "$scratch/$name-other.wav"
}
render title --seed 3 --seconds 20 --music title --samples dat/samples
render planting --seed 4 --seconds 20 --music planting --samples dat/samples
render garden --seed 2500000000 --seconds 20 --music garden --samples dat/samples
render effects --seed 5 --seconds 28 --music garden --samples dat/samples --sfx "$scratch/effects.txt"

if [ "$failures" -ne 0 ]; then
    echo "$failures difference(s) between the native tools and $other's"
    exit 1
fi
