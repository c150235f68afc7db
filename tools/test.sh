#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite:
#
#   1. the optimised build: unit tests, tool tests, end-to-end tests under Xvfb;
#   2. the Debian package made from that build: lintian, the desktop entry and
#      the AppStream data validated, the unpacked package played from an
#      empty folder;
#   3. the Linux stacks players have (tools/stacks.sh): the end-to-end suite
#      on SDL 1.2 over SDL 2, the title music through PulseAudio and
#      PipeWire, the package installed with apt into minimal Debian 12 and 13
#      systems and played there;
#   4. the Windows build: unit tests and tools under Wine, the zip played
#      under Wine and Xvfb (tools/build_windows.sh, tools/windows_smoke.sh);
#   5. the same suite built with AddressSanitizer + UndefinedBehaviorSanitizer;
#   6. the audio and shell tests built with ThreadSanitizer;
#   7. every fuzz target briefly on its committed seed corpus.
#
# Any failure or sanitizer finding stops the run with a non-zero exit code.
#
#     tools/test.sh            everything
#     tools/test.sh quick      only step 1
#     tools/test.sh stacks     only step 3 (with the build and package it needs)
#     tools/test.sh windows    only step 4
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh
jobs=$(nproc)
mode="${1:-all}"

# The Windows game cross-built with its unit tests, which run under Wine with
# the replay and render tools; then the zip played under Wine and Xvfb, by the
# smoke test and by the end-to-end play-through of the native tree. SDL
# and GoogleTest for Windows are built once and cached outside the tree.
windows_stage()
{
    BUILD_TESTING=ON tools/build_windows.sh
    (cd build-win64 && ctest --output-on-failure)
    tools/windows_smoke.sh dist/mirelantha-*-win64.zip
    # The native end-to-end play-through, driving the unzipped game instead
    # (its test binary is up to date after the optimised build).
    configure build
    cmake --build build -j"$jobs" --target test_e2e
    rm -rf build-win64/unzipped
    unzip -q dist/mirelantha-*-win64.zip -d build-win64/unzipped
    MIRELANTHA_E2E_PROGRAM=build-win64/unzipped/mirelantha/mirelantha.exe \
        build/test_e2e --gtest_filter='PlayThrough.*'
}

# The Linux stacks, on the optimised tree and the package made from it.
stacks_stage()
{
    configure build
    cmake --build build -j"$jobs" --target mirelantha test_e2e
    tools/stacks.sh build "$(tools/build_deb.sh build)"
}

step()
{
    printf '\n== %s\n' "$*"
}

# configure DIR [cmake options...]
configure()
{
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

# The sanitizer trees build only what their tests run, at -O1: they are about
# finding faults, and CI has two cores.
sanitizer_flags=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g")
suite_targets=(test_gfx test_app test_game test_audio test_tools test_e2e mirelantha garden-replay audio-render)

if [ "$mode" = stacks ]; then
    step "Linux stacks: SDL 1.2 over SDL 2, sound servers, minimal Debian 12 and 13"
    stacks_stage
    exit 0
fi

if [ "$mode" = windows ]; then
    step "windows: the cross-built game, unit tests and tools under Wine"
    windows_stage
    exit 0
fi

step "optimised build"
configure build
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")
[ "$mode" = quick ] && exit 0

step "Debian package"
# Made from the optimised tree above; checked as Debian checks packages, then
# unpacked into a scratch root and played from an empty folder.
package="$(tools/build_deb.sh build)"
lintian --fail-on error,warning --tag-display-limit 0 "$package"
package_root="$(mktemp -d "${TMPDIR:-/tmp}/mirelantha-deb.XXXXXX")"
trap 'rm -rf "$package_root"' EXIT
dpkg-deb -x "$package" "$package_root"
desktop-file-validate "$package_root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$package_root"/usr/share/metainfo/*.metainfo.xml
MIRELANTHA_PACKAGE_ROOT="$package_root" build/test_e2e --gtest_filter='Package.*'

step "Linux stacks: SDL 1.2 over SDL 2, sound servers, minimal Debian 12 and 13"
stacks_stage

step "windows: the cross-built game, unit tests and tools under Wine"
windows_stage

step "AddressSanitizer + UndefinedBehaviorSanitizer"
configure build-asan -DMIRELANTHA_SANITIZE=address,undefined "${sanitizer_flags[@]}"
cmake --build build-asan -j"$jobs" --target "${suite_targets[@]}"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j"$jobs")

step "ThreadSanitizer: audio and shell"
configure build-tsan -DMIRELANTHA_SANITIZE=thread "${sanitizer_flags[@]}"
cmake --build build-tsan -j"$jobs" --target test_audio test_app audio-render
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1" ctest --output-on-failure -j"$jobs" -L 'audio|app')

step "fuzz targets on their seed corpora"
tools/fuzz.sh "${FUZZ_SECONDS:-10}"
