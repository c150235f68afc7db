#!/usr/bin/env bash
# Soak run: about five hours of garden play (one million 18 ms ticks) of a
# planted and tended garden (bench/soak_bench.cpp), built with the
# undefined-behaviour sanitizer so any overflow, bad shift or out-of-range
# conversion stops it, and peak memory checked flat as creatures and flyers
# come and go.
#
#     bench/soak.sh [TICKS] [SEED]       defaults 1000000 and 20261206
set -euo pipefail
ticks="${1:-1000000}"
seed="${2:-20261206}"
if ! [[ "$ticks" =~ ^[0-9]+$ && "$seed" =~ ^[0-9]+$ ]] || [ "$ticks" -lt 10000 ]; then
    echo "usage: $0 [ticks >= 10000] [seed]" >&2
    exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$root" -B "$root/build-hard" -DMIRELANTHA_SANITIZE=undefined -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build-hard" -j"$(nproc)" --target mirelantha-bench >/dev/null
report="$(MIRELANTHA_SOAK_TICKS="$ticks" MIRELANTHA_SOAK_SEED="$seed" UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    /usr/bin/time -f "soak: %e s, peak %M kB" "$root/build-hard/mirelantha-bench" --benchmark_filter=TendedGarden 2>&1)"
echo "$report"
! grep -q 'ERROR OCCURRED' <<<"$report"
