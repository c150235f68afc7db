#!/usr/bin/env bash
# Soak run: about five hours of garden play (one million 18 ms ticks) through
# the headless replay tool, built with the undefined-behaviour sanitizer so any
# overflow, bad shift or out-of-range conversion stops the run.
#
#     tests/soak.sh [TICKS] [SEED]       defaults 1000000 and 20261206
#
# The key log is made for the seed: the tool's first JSON line gives the stock,
# the cursor walks to the bottom-left cell and along the rows placing one tile
# per cell until the stock is empty, Space opens the garden, and from then on
# the gardener is walked in a random direction for a moment every few thousand
# ticks. The same run is made twice, to a tenth of the ticks and to all of
# them, each under /usr/bin/time -v, so the two peak memory figures show
# whether memory stays flat as creatures and flyers come and go.
# Exit status: 0 done, 1 the run failed or memory grew, 2 setup failed.
set -uo pipefail

ticks="${1:-1000000}"
seed="${2:-20261206}"
if ! [[ "$ticks" =~ ^[0-9]+$ && "$seed" =~ ^[0-9]+$ ]] || [ "$ticks" -lt 10000 ]; then
    echo "usage: $0 [ticks >= 10000] [seed]" >&2
    exit 2
fi

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-hard"
cmake -S "$root" -B "$build" -DMIRELANTHA_SANITIZE=undefined \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 2
cmake --build "$build" -j"$(nproc)" --target garden-replay >/dev/null || {
    echo "soak.sh: build failed; rerun cmake --build $build --target garden-replay" >&2
    exit 2
}
replay="$build/garden-replay"

work="$(mktemp -d "${TMPDIR:-/tmp}/mirelantha-soak.XXXXXX")"
trap 'rm -rf "$work"' EXIT
events="$work/events.txt"

# --- The key log ------------------------------------------------------------

# Buttons: 0 Up, 1 Down, 2 Left, 3 Right, 4..10 Z..M, 11 Space.
first="$("$replay" --seed "$seed" --ticks 0)" || exit 2
stock=($(sed -n 's/.*"tileStock":\[\([0-9,]*\)\].*/\1/p' <<<"$first" | tr ',' ' '))
cursor=($(sed -n 's/.*"cursor":\[\([0-9,]*\)\].*/\1/p' <<<"$first" | tr ',' ' '))
if [ ${#stock[@]} -ne 7 ] || [ ${#cursor[@]} -ne 2 ]; then
    echo "soak.sh: cannot read the stock and cursor from: ${first:0:200}" >&2
    exit 2
fi

# Iteration 1 runs no update (the game's first tick came with its start), so
# a press released before iteration 3 would never be seen; begin at 2.
iteration=2
# A held arrow moves the cursor once, then only every 7th tick: press, release
# on the next iteration, and leave eight iterations before the next move.
tap()
{
    echo "$iteration down $1"
    echo "$((iteration + 1)) up $1"
    iteration=$((iteration + 8))
}

{
    for ((i = 0; i < cursor[0]; i++)); do tap 2; done
    for ((i = 0; i < cursor[1]; i++)); do tap 1; done
    x=0
    step=3       # Right along even rows, Left along odd ones
    left=0
    for n in "${stock[@]}"; do left=$((left + n)); done
    while [ "$left" -gt 0 ]; do
        for code in 0 1 2 3 4 5 6; do
            if [ "${stock[$code]}" -gt 0 ]; then
                echo "$iteration down $((4 + code))"
                stock[$code]=$((stock[code] - 1))
                left=$((left - 1))
                break
            fi
        done
        iteration=$((iteration + 1))
        [ "$left" -eq 0 ] && break
        if { [ "$step" -eq 3 ] && [ "$x" -eq 7 ]; } || { [ "$step" -eq 2 ] && [ "$x" -eq 0 ]; }; then
            tap 0
            step=$((5 - step))
        else
            tap "$step"
            x=$((step == 3 ? x + 1 : x - 1))
        fi
    done
    echo "$iteration down 11"
    opened=$iteration

    # The gardener: every 200 to 400 ticks an arrow held for 12 to 60 ticks
    # (one to five steps), so the board is tended and not only overrun.
    RANDOM=$seed
    at=$((opened + 100))
    while [ "$at" -lt "$ticks" ]; do
        button=$((RANDOM % 4))
        echo "$at down $button"
        echo "$((at + 12 + RANDOM % 49)) up $button"
        at=$((at + 200 + RANDOM % 201))
    done
} >"$events"

check="$("$replay" --seed "$seed" --ticks "$((opened + 1))" --every "$((opened + 1))" --events "$events" | tail -1)"
if ! grep -q '"planting":false' <<<"$check"; then
    echo "soak.sh: the key log did not open the garden: ${check:0:300}" >&2
    exit 1
fi

# --- The runs ---------------------------------------------------------------

# One line per report: iteration, garden ticks, tiles on the board, cells
# with blight, entities spawned so far (the gardener, creatures and flyers
# together), those alive by type, effects.
summarise()
{
    while read -r line; do
        iter="$(sed -n 's/^{"iter":\([0-9]*\),.*/\1/p' <<<"$line")"
        garden="$(sed -n 's/.*"gardenTicks":\([0-9]*\),.*/\1/p' <<<"$line")"
        tiles="$(sed -n 's/.*"tiles":\[\([0-9,]*\)\].*/\1/p' <<<"$line" | tr ',' '\n' | grep -vc '^0$')"
        blighted="$(sed -n 's/.*"blight":\[\([0-9,]*\)\].*/\1/p' <<<"$line" | tr ',' '\n' | grep -vc '^0$')"
        spawned="$(sed -n 's/.*"nextEntityId":\([0-9]*\),.*/\1/p' <<<"$line")"
        entities="$(sed -n 's/.*"entities":\[\(.*\)\],"effects".*/\1/p' <<<"$line")"
        types="$(grep -o '"type":[0-9]*' <<<"$entities" | sort | uniq -c | awk '{printf "%s%s x%s", sep, substr($2, 8), $1; sep=", "}')"
        effects="$(grep -o '"kind":' <<<"$line" | wc -l)"
        printf '  iter %7s  garden ticks %7s  tiles %2s  blighted %2s  spawned %4s  alive by type: %-14s effects %s\n' \
            "$iter" "$garden" "$tiles" "$blighted" "$spawned" "${types:-none}" "$effects"
    done
}

declare -A peak seconds
for run in "$((ticks / 10))" "$ticks"; do
    every=$((run / 10))
    /usr/bin/time -v -o "$work/time-$run.txt" \
        "$replay" --seed "$seed" --ticks "$run" --every "$every" --events "$events" \
        >"$work/out-$run.txt" 2>"$work/err-$run.txt"
    status=$?
    if [ "$status" -ne 0 ]; then
        echo "soak.sh: the run of $run ticks failed (exit $status):" >&2
        tail -20 "$work/err-$run.txt" >&2
        exit 1
    fi
    peak[$run]="$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time-$run.txt")"
    seconds[$run]="$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time-$run.txt")"
done

echo "soak: seed $seed, $(wc -l <"$events") key events, garden opened at iteration $opened"
summarise <"$work/out-$ticks.txt"
small=$((ticks / 10))
printf '%-12s %12s %14s\n' ticks wall "peak RSS (kB)"
printf '%-12s %12s %14s\n' "$small" "${seconds[$small]}" "${peak[$small]}"
printf '%-12s %12s %14s\n' "$ticks" "${seconds[$ticks]}" "${peak[$ticks]}"

# Flat: the long run may not hold more than 1 MB above the short one.
if [ "${peak[$ticks]}" -gt $((peak[$small] + 1024)) ]; then
    echo "soak.sh: peak memory grew from ${peak[$small]} kB to ${peak[$ticks]} kB" >&2
    exit 1
fi
echo "soak: no sanitizer report, memory flat"
