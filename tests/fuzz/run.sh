#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, address and undefined-behaviour
# sanitizers) and runs each one on its seed corpus for a while.
#
#     tests/fuzz/run.sh [SECONDS-PER-TARGET]      default 20
#     FUZZ_TARGETS="load_sample sfx_render" tests/fuzz/run.sh 60    only these
#
# The committed corpus under tests/fuzz/corpus/<name>/ is only read: new
# inputs go to a temporary folder that is deleted afterwards, so a run never
# changes the repository. A crash, leak, sanitizer report or timeout stops that
# target; its input is kept in fuzz-out/ (ignored by git) and the script exits
# non-zero after running the rest. Add such an input to the corpus by hand
# once its cause is mended, as a regression seed.
#
# The distribution's Ogg Vorbis decoder is held to what the game needs of it
# (see tests/fuzz/README.md): malloc answers an impossible size with null, as
# the real allocator does, instead of stopping the run; one shift check is
# off in the decoder (tests/fuzz/sanitizer_ignorelist.txt); one leak in it is
# suppressed (tests/fuzz/lsan_suppressions.txt).
set -uo pipefail

seconds="${1:-20}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: $0 [seconds-per-target]" >&2
    exit 2
fi

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$root/build-fuzz"
out="$root/fuzz-out"
corpora="$root/tests/fuzz/corpus"

targets=()
if [ -n "${FUZZ_TARGETS:-}" ]; then
    read -r -a targets <<<"$FUZZ_TARGETS"
else
    for source in "$root"/tests/fuzz/*_fuzz.cpp; do
        name="$(basename "$source" _fuzz.cpp)"
        targets+=("$name")
    done
fi

CXX=clang++ cmake -S "$root" -B "$build" -DMIRELANTHA_FUZZ=ON \
    -DMIRELANTHA_SANITIZE=address,undefined,fuzzer-no-link \
    -DCMAKE_CXX_FLAGS="-fsanitize-ignorelist=$root/tests/fuzz/sanitizer_ignorelist.txt" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 2
build_targets=()
for name in "${targets[@]}"; do
    build_targets+=("${name}_fuzz")
done
cmake --build "$build" -j"$(nproc)" --target "${build_targets[@]}" >/dev/null || {
    echo "fuzz.sh: build failed; rerun cmake --build $build to see why" >&2
    exit 2
}

# Leaks inside the distribution's decoder that we cannot mend here are listed,
# with their reason, in the suppression file; every other leak is a finding.
export LSAN_OPTIONS="suppressions=$root/tests/fuzz/lsan_suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export ASAN_OPTIONS="allocator_may_return_null=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

mkdir -p "$out"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/mirelantha-fuzz.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

failed=()
printf '%-16s %10s %8s  %s\n' target execs exec/s result
for name in "${targets[@]}"; do
    mkdir -p "$scratch/$name" "$out/$name"
    log="$out/$name/last-run.log"
    # -max_len covers the largest seed (a whole sample file) with room to grow;
    # -timeout and -rss_limit_mb turn a hang or runaway allocation into a finding.
    (cd "$out/$name" && "$build/${name}_fuzz" "$scratch/$name" "$corpora/$name" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
        -print_final_stats=1 -artifact_prefix="$out/$name/") >"$log" 2>&1
    status=$?
    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    speed="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
    if [ "$status" -eq 0 ]; then
        result=ok
    else
        result="FINDING (exit $status, see $log)"
        failed+=("$name")
    fi
    printf '%-16s %10s %8s  %s\n' "$name" "${execs:-?}" "${speed:-?}" "$result"
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "findings in: ${failed[*]} (inputs in $out/<target>/)" >&2
    exit 1
fi
