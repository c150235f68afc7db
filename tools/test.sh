#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite:
#
#   1. the optimised build: unit tests, tool tests, end-to-end tests under Xvfb;
#   2. the Debian package made from that build: lintian, the desktop entry and
#      the AppStream data validated, the unpacked package played from an
#      empty folder;
#   3. the Linux stacks players have (tests/linux/stacks.sh): the end-to-end suite
#      on SDL 1.2 over SDL 2, the title music through PulseAudio and
#      PipeWire, the package installed with apt into minimal Debian 12 and 13
#      systems and played there;
#   4. the Windows build: unit tests and tools under Wine, the zip played
#      under Wine and Xvfb (tools/build_windows.sh, tests/windows/);
#   5. the same suite built with AddressSanitizer + UndefinedBehaviorSanitizer;
#   6. the audio and shell tests built with ThreadSanitizer;
#   7. every fuzz target briefly on its committed seed corpus;
#   8. the performance report in its brief form, so that it keeps measuring;
#   9. the web build (tools/build_web.sh): its unit tests under node, its
#      tools against the native ones byte for byte, and the site played in
#      Chromium, Firefox and WebKit (tests/web), with what only Chromium's
#      protocol reaches: touch, slow link, offline, browser keys, the one-file
#      page;
#  10. the arm64 build (tools/build_arm64.sh): its unit tests and its tools
#      under qemu's user-mode emulator, the tools against the native ones
#      byte for byte, its package checked as step 2 checks the amd64 one and
#      played under the emulator on Xvfb.
#
# Any failure or sanitizer finding stops the run with a non-zero exit code.
#
#     tools/test.sh            everything
#     tools/test.sh quick      only step 1
#     tools/test.sh stacks     only step 3 (with the build and package it needs)
#     tools/test.sh windows    only step 4
#     tools/test.sh perf       only step 8
#     tools/test.sh web        only step 9
#     tools/test.sh arm64      only step 10
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh
jobs=$(nproc)
mode="${1:-all}"

# The Windows game cross-built with its unit tests (the program's resources
# among them), which run under Wine with the replay and render tools; the
# zip's licences, notices and README and SDL's source beside it; then the zip
# played under Wine and Xvfb by the end-to-end tests of the native tree,
# unpacked in a folder named in several scripts and started there as a
# double-click starts it, and from another folder. SDL and GoogleTest for
# Windows are built once and cached outside the tree.
windows_stage()
{
    BUILD_TESTING=ON tools/build_windows.sh
    (cd build-win64 && ctest --output-on-failure)
    tests/windows/package_check.sh dist/mirelantha-*-win64.zip
    configure build
    cmake --build build -j"$jobs" --target test_e2e
    local folder="build-win64/unzipped/Игры ゲーム 🌱 ’€Œ"
    rm -rf build-win64/unzipped
    mkdir -p "$folder"
    unzip -q dist/mirelantha-*-win64.zip -d "$folder"
    MIRELANTHA_E2E_PROGRAM="$folder/mirelantha/mirelantha.exe" \
        build/test_e2e --gtest_filter='PlayThrough.*:Windows.*:Program.WithoutASound*'
}

# The performance report of the real game beside its floor, a few seconds of
# it in the optimised tree (bench/perf_report.sh): fails when a figure can no
# longer be measured, not on a busy machine's slow figures.
perf_stage()
{
    PERF_BUILD=build bench/perf_report.sh brief
}

# The web build and its tests. The three engines come from Debian (Chromium,
# Firefox ESR, WebKitGTK's driver and MiniBrowser), their drivers from npm at
# the versions tests/web/package-lock.json pins.
web_stage()
{
    local sudo_cmd="" browsers=() p
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    for p in chromium firefox-esr webkit2gtk-driver; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || browsers+=("$p")
    done
    if [ ${#browsers[@]} -gt 0 ]; then
        DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
            --no-install-recommends "${browsers[@]}"
    fi
    (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
    BUILD_TESTING=ON tools/build_web.sh
    # Left out under node: tests that start the tools as processes (the
    # comparison below runs them), run threads or mount a small disk.
    local skip="ReplayTool.*:AudioRender.*:ExchangeStress.*:*FullDisk*:*ReadOnlyFolder*"
    local area
    for area in app gfx game audio web; do
        node --no-experimental-fetch "build-web/test_$area.js" --gtest_filter="-$skip" --gtest_brief=1
    done
    configure build
    cmake --build build -j"$jobs" --target garden-replay audio-render pad-testbed
    tests/web/tools_match.sh build build-web node --no-experimental-fetch
    local version
    version=$(sed -n 's/^project(mirelantha VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
    node tests/web/e2e.mjs "dist/mirelantha-$version-web.zip" "dist/mirelantha-$version.html" build-web build/pad-testbed
}

# A Debian package checked as Debian checks packages, each dependency listed
# once, then unpacked into a scratch root and played from an empty folder by
# the optimised tree's end-to-end driver, through EMULATOR when given.
#
#     package_check PACKAGE [EMULATOR]
package_roots=()
trap 'rm -rf "${package_roots[@]}"' EXIT
package_check()
{
    local package=$1
    local emulator=${2:-}
    lintian --fail-on error,warning --tag-display-limit 0 "$package"
    local twice
    twice=$(dpkg-deb -f "$package" Depends | tr ',' '\n' | sed 's/(.*//; s/ //g' | sort | uniq -d)
    if [ -n "$twice" ]; then
        echo "$package: Depends lists more than once: $twice"
        return 1
    fi
    local root
    root="$(mktemp -d "${TMPDIR:-/tmp}/mirelantha-deb.XXXXXX")"
    package_roots+=("$root")
    dpkg-deb -x "$package" "$root"
    desktop-file-validate "$root"/usr/share/applications/*.desktop
    appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
    MIRELANTHA_PACKAGE_ROOT="$root" MIRELANTHA_E2E_EMULATOR="$emulator" build/test_e2e --gtest_filter='Installed.TheUnpackedPackage*'
}

# The arm64 game cross-built with its unit tests, which run under qemu's
# user-mode emulator and start the tools through it; the tools under the
# emulator against the native ones byte for byte; the arm64 package checked
# as the amd64 one is, its game played under the emulator on Xvfb.
arm64_stage()
{
    BUILD_TESTING=ON tools/build_arm64.sh
    (cd build-arm64 && ctest --output-on-failure -j"$jobs")
    configure build
    cmake --build build -j"$jobs" --target garden-replay audio-render test_e2e
    local qemu
    qemu=$(command -v qemu-aarch64)
    tests/web/tools_match.sh build build-arm64 "$qemu"
    local version
    version=$(sed -n 's/^project(mirelantha VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
    package_check "dist/mirelantha_${version}_arm64.deb" "$qemu"
}

# The Linux stacks, on the optimised tree and the package made from it.
stacks_stage()
{
    configure build
    cmake --build build -j"$jobs" --target mirelantha test_e2e
    tests/linux/stacks.sh build "$(tools/build_deb.sh build)"
}

step()
{
    printf '\n== %s (at %d s)\n' "$*" "$SECONDS"
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

if [ "$mode" = web ]; then
    step "web: the browser build, its tests under node and in three browser engines"
    web_stage
    exit 0
fi

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

if [ "$mode" = arm64 ]; then
    step "arm64: the cross-built game, unit tests and tools under qemu, the package"
    arm64_stage
    exit 0
fi

if [ "$mode" = perf ]; then
    step "performance report, brief"
    perf_stage
    exit 0
fi

# Today's minimal systems for the stacks stage are mostly a download: they
# are made in the background while the trees build (a no-op once cached).
roots_made=""
if [ "$mode" != quick ]; then
    tests/linux/stacks.sh --make-roots >/dev/null 2>&1 &
    roots_made=$!
fi

step "optimised build"
configure build
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")
[ "$mode" = quick ] && exit 0

step "Debian package"
# Made from the optimised tree above.
package_check "$(tools/build_deb.sh build)"

step "Linux stacks: SDL 1.2 over SDL 2, sound servers, minimal Debian 12 and 13"
# A failure to make them in the background is reported when the stage tries again.
[ -z "$roots_made" ] || wait "$roots_made" || true
stacks_stage

step "windows: the cross-built game, unit tests and tools under Wine"
windows_stage

step "AddressSanitizer + UndefinedBehaviorSanitizer"
configure build-asan -DMIRELANTHA_SANITIZE=address,undefined "${sanitizer_flags[@]}"
cmake --build build-asan -j"$jobs" --target "${suite_targets[@]}"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/../tests/e2e/lsan_suppressions.txt" ctest --output-on-failure -j"$jobs")

step "ThreadSanitizer: audio and shell"
configure build-tsan -DMIRELANTHA_SANITIZE=thread "${sanitizer_flags[@]}"
cmake --build build-tsan -j"$jobs" --target test_audio test_app audio-render
(cd build-tsan && TSAN_OPTIONS="halt_on_error=1" ctest --output-on-failure -j"$jobs" -L 'audio|app')

step "fuzz targets on their seed corpora"
tests/fuzz/run.sh "${FUZZ_SECONDS:-10}"

step "performance report, brief"
perf_stage

step "web: the browser build, its tests under node and in three browser engines"
web_stage

step "arm64: the cross-built game, unit tests and tools under qemu, the package"
arm64_stage

step "every stage passed"
