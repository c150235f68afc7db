#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, address and undefined-behaviour
# sanitizers) and runs each one on its seed corpus for a while.
#
#     tests/fuzz/run.sh [SECONDS-PER-TARGET]      default 20
#     FUZZ_TARGETS="load_sample sfx_script" tests/fuzz/run.sh 60    only these
#
# The corpus under tests/fuzz/corpus/<name>/ is only read: new inputs go to a
# temporary folder. A crash, leak, sanitizer report or timeout stops that
# target; its input is kept in fuzz-out/ (ignored by git) and the script exits
# non-zero after running the rest. Once its cause is mended, add the input to
# the corpus by hand as a regression seed. What the distribution's Ogg Vorbis
# decoder is let off, and why, is in README.md beside this script.
set -uo pipefail
seconds="${1:-20}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: $0 [seconds-per-target]" >&2
    exit 2
fi
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$root/build-fuzz"
out="$root/fuzz-out"
if [ -n "${FUZZ_TARGETS:-}" ]; then
    read -r -a targets <<<"$FUZZ_TARGETS"
else
    targets=()
    for source in "$here"/*_fuzz.cpp; do
        targets+=("$(basename "$source" _fuzz.cpp)")
    done
fi
CXX=clang++ cmake -S "$root" -B "$build" -DMIRELANTHA_FUZZ=ON -DMIRELANTHA_SANITIZE=address,undefined,fuzzer-no-link \
    -DCMAKE_CXX_FLAGS="-fsanitize-ignorelist=$here/sanitizer_ignorelist.txt" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    >/dev/null || exit 2
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/%/_fuzz}" >/dev/null || {
    echo "run.sh: build failed; rerun cmake --build $build to see why" >&2
    exit 2
}
export LSAN_OPTIONS="suppressions=$here/lsan_suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export ASAN_OPTIONS="allocator_may_return_null=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/mirelantha-fuzz.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

failed=()
printf '%-16s %10s %8s  %s\n' target execs exec/s result
for name in "${targets[@]}"; do
    mkdir -p "$scratch/$name" "$out/$name"
    log="$out/$name/last-run.log"
    # -max_len covers the largest seed (a whole sample file) with room to grow;
    # -timeout and -rss_limit_mb turn a hang or runaway allocation into a finding.
    (cd "$out/$name" && "$build/${name}_fuzz" "$scratch/$name" "$here/corpus/$name" -max_total_time="$seconds" \
        -timeout=10 -rss_limit_mb=2048 -max_len=16384 -print_final_stats=1 -artifact_prefix="$out/$name/") \
        >"$log" 2>&1
    status=$?
    result=ok
    [ "$status" -eq 0 ] || { result="FINDING (exit $status, see $log)"; failed+=("$name"); }
    printf '%-16s %10s %8s  %s\n' "$name" "$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)" \
        "$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)" "$result"
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "findings in: ${failed[*]} (inputs in $out/<target>/)" >&2
    exit 1
fi
