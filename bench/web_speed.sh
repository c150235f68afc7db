#!/usr/bin/env bash
# The web build's figures on this machine:
#
#   - the site's size, gzip-compressed as a static host would serve it, in
#     all and what the page loads before its first picture (aim: at most
#     200 KiB before the first picture);
#   - the first picture after navigation in headless Chromium, for the served
#     site and the one-file page (aim: at most 1.5 s), and over a slow link:
#     1.5 Mbit/s, 300 ms latency, a server that compresses, an empty cache
#     (aim: at most 2.5 s); how far the sound is queued behind the picture
#     (aim: at most 200 ms); from bench/web_load.mjs;
#   - CPU time (user + system) of the node tools against the native ones: the
#     stress render (garden music and 13 new effects every second callback)
#     and a long garden replay.
#
# The browser figures depend on the machine's load, which is printed with
# them: headless Chromium draws WebGL in software here, and making its
# context alone takes a busy two-core machine a second or more.
#
#     bench/web_speed.sh [SECONDS] [RUNS]   (default 60 s of sound, 3 slow loads)
#
# Needs build/ (garden-replay, audio-render), build-web/ and dist/ from
# tools/build_web.sh, and tests/web/node_modules (npm ci in tests/web).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
runs=${2:-3}
scratch=$(mktemp -d /tmp/mirelantha-webbench-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
version=$(sed -n 's/^project(mirelantha VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

site=build-web/site
bytes=0
for file in "$site"/*; do
    bytes=$((bytes + $(gzip -9c "$file" | wc -c)))
done
echo "site: $(du -sk "$site" | cut -f1) KiB, $((bytes / 1024)) KiB gzip"

echo "load average before the browser figures: $(cut -d' ' -f1-3 /proc/loadavg)"
node bench/web_load.mjs "$site" "dist/mirelantha-$version.html" "$runs" >"$scratch/load.json"
node -e '
    const f = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8"));
    console.log(`before the first picture: ${Math.round(f.criticalGzipBytes / 1024)} KiB gzip (aim: at most 200)`);
    console.log(`first picture: site ${f.firstPictureMs} ms, one-file page ${f.singleFirstPictureMs} ms (aim: at most 1500)`);
    console.log(`first picture at 1.5 Mbit/s, 300 ms latency, compressed: median ${f.slowFirstPictureMs.median} ms` +
        ` of ${f.slowFirstPictureMs.runs.join(", ")} (aim: at most 2500); files in by ` +
        Object.entries(f.slowFilesMs).map(([name, ms]) => `${name} ${ms} ms`).join(", "));
    console.log(`sound queued behind the picture: at most ${f.soundBehindMs} ms (aim: at most 200)`);' "$scratch/load.json"
echo "load average after the browser figures: $(cut -d' ' -f1-3 /proc/loadavg)"

cpu()  # prints user + system seconds of a command
{
    /usr/bin/time -f '%U %S' -o "$scratch/time.txt" "$@" >/dev/null
    awk '{ printf "%.2f", $1 + $2 }' "$scratch/time.txt"
}
ratio()
{
    awk -v n="$1" -v w="$2" 'BEGIN { printf "%.2f", w / n }'
}

callbacks=$((seconds * 44100 / 2048))
awk -v n="$callbacks" 'BEGIN {
    for (cb = 0; cb < n; cb += 2) {
        for (k = 1; k <= 12; k++) printf "%d soundex %d %d 0.05 0.3 %.1f\n", cb, k, 220 + 40 * k, (k % 3) - 1;
        printf "%d sound %d 0.05 0\n", cb, 17 + (cb / 2) % 34;
    }
}' >"$scratch/stress.txt"
args=(--seed 5 --seconds "$seconds" --music garden --samples dat/samples --sfx "$scratch/stress.txt")
native=$(cpu build/audio-render "${args[@]}" --out "$scratch/native.wav")
web=$(cpu node --no-experimental-fetch build-web/audio-render.js "${args[@]}" --out "$scratch/web.wav")
cmp -s "$scratch/native.wav" "$scratch/web.wav" || echo "warning: the renders differ"
echo "stress render of ${seconds} s: native ${native} s CPU, wasm ${web} s CPU, ratio $(ratio "$native" "$web")"

# A planted garden left to run: 36 tiles, Space, then 200000 ticks.
awk 'BEGIN { it = 1
    for (cell = 0; cell < 36; cell++) {
        for (b = 4; b <= 10; b++) { printf "%d down %d\n%d up %d\n", it, b, it + 1, b; it += 2 }
        move = cell < 4 ? 2 : cell == 4 ? 1 : ((cell - 5) % 8 == 7 ? 1 : ((3 - int((cell - 5) / 8)) % 2 == 1 ? 3 : 2))
        printf "%d down %d\n%d up %d\n", it, move, it + 1, move; it += 2
    }
    printf "%d down 11\n%d up 11\n", it, it + 1 }' >"$scratch/planting.txt"
args=(--seed 11 --ticks 200000 --every 1000 --events "$scratch/planting.txt")
native=$(cpu build/garden-replay "${args[@]}")
web=$(cpu node --no-experimental-fetch build-web/garden-replay.js "${args[@]}")
echo "garden replay of 200000 ticks: native ${native} s CPU, wasm ${web} s CPU, ratio $(ratio "$native" "$web")"
