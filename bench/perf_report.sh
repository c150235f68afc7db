#!/usr/bin/env bash
# Performance report of the real game under Xvfb, next to a floor program.
#
#     bench/perf_report.sh             PERF_SECONDS=60 PERF_SCREEN=1920x1080x24
#     bench/perf_report.sh brief       PERF_SECONDS=4  PERF_BUILD=build
#
# The full report takes about a minute and a half; run it by hand after
# changes to the shell, the presentation or the audio. The brief one (some
# fifteen seconds) starts both programs, plants nothing and measures a few
# seconds of the planting screen: CI runs it (tools/test.sh perf) so that
# the measurement itself cannot break unseen. It reports the same figures
# but fails only when something could not be measured or the game did not
# save its screenshot or quit cleanly, since CI machines are busy.
# PERF_BUILD names the build tree to use (default build-perf, made here).
#
# What it measures, and how, without changing the game:
#   * window, first frame and samples decoded: bench/floor/startup_probe.cpp is built
#     into a preloaded library (LD_PRELOAD). The script notes the wall clock
#     right before exec; the probe notes when SDL_SetVideoMode and the first
#     SDL_GL_SwapBuffers return, and when the thread that opened the sample files ends (it wraps
#     pthread_create and the C library's open calls, since the decoder itself is compiled into the
#     game and cannot be interposed).
#   * CPU share: utime + stime of the whole process (all its threads: main,
#     audio, loader and the GL driver's) from /proc/PID/stat, over the same
#     window of PERF_SECONDS of garden play for the game and for the floor,
#     as a percentage of one core.
#   * frame rate: the probe notes the wall clock at every 64th swap.
#   * peak memory: VmHWM of /proc/PID/status at the end of the window. Most
#     of it is the software GL driver, which the floor carries as well; the
#     program's own share shows in the largest RssAnon (private memory)
#     sampled every two seconds of the window.
# The floor (bench/floor/present_floor.cpp) opens the same full-screen window
# and uploads and draws the same 256 x 256 texture every 18 ms, nothing else;
# it runs at the same time on a second Xvfb, so both see the same machine load.
# Audio goes to SDL's disk driver, written to /dev/null at the device's pace.
#
# The game is driven with xdotool: a key to start, greedy planting (every tile
# key on each cell, walking the cursor along the rows, which places one tile
# per cell until the stock is empty whatever it holds), Space, then the
# gardener walked now and then. The measuring window starts at Space.
# A screenshot (Print Screen) of the end of play and the logs are kept in
# build-perf/perf-report/. Exit status: 0 all targets met, 1 a target missed,
# 2 the measurement itself failed.
set -uo pipefail

mode="${1:-full}"
case "$mode" in
    full) seconds="${PERF_SECONDS:-60}" ;;
    brief) seconds="${PERF_SECONDS:-4}" ;;
    *)
        echo "usage: perf_report.sh [full|brief]" >&2
        exit 2
        ;;
esac
screen="${PERF_SCREEN:-1920x1080x24}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${PERF_BUILD:-$root/build-perf}")"
report="$build/perf-report"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 2
cmake --build "$build" -j"$(nproc)" --target mirelantha present-floor >/dev/null || {
    echo "perf_report.sh: build failed; rerun cmake --build $build" >&2
    exit 2
}
rm -rf "$report"
mkdir -p "$report"
c++ -std=c++17 -O2 -shared -fPIC -o "$report/startup_probe.so" \
    "$root/bench/floor/startup_probe.cpp" -ldl || exit 2

work="$(mktemp -d "${TMPDIR:-/tmp}/mirelantha-perf.XXXXXX")"
pids=()
cleanup()
{
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# --- Displays ---------------------------------------------------------------

free_display()
{
    local n=$1
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
        n=$((n + 1))
    done
    echo "$n"
}

start_xvfb()
{
    local n=$1
    mkdir -p "$work/fb-$n"
    Xvfb ":$n" -screen 0 "$screen" -fbdir "$work/fb-$n" -noreset -nolisten tcp \
        >"$report/xvfb-$n.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    echo "perf_report.sh: Xvfb :$n did not come up" >&2
    exit 2
}

game_display=$(free_display 150)
start_xvfb "$game_display"
floor_display=$(free_display $((game_display + 1)))
start_xvfb "$floor_display"

# --- Programs ---------------------------------------------------------------

# Runs a program in $work/<name> (so screenshots land there) with the probe;
# its process id is left in $launched (the subshell execs the program).
launch()
{
    local name=$1 display=$2
    shift 2
    mkdir -p "$work/$name"
    ln -s "$root/dat" "$work/$name/dat"
    (
        cd "$work/$name" || exit 2
        export DISPLAY=":$display" SDL_AUDIODRIVER=disk SDL_DISKAUDIODELAY=46 \
            SDL_DISKAUDIOFILE=/dev/null PROBE_OUT="$report/$name.probe" \
            LD_PRELOAD="$report/startup_probe.so"
        export PROBE_LAUNCH_NS="$(date +%s%N)"
        exec "$@"
    ) >"$report/$name.log" 2>&1 &
    launched=$!
    pids+=("$launched")
}

probe_value()
{
    sed -n "s/^$2 //p" "$report/$1.probe" 2>/dev/null | head -1
}

wait_probe()
{
    for _ in $(seq 200); do
        [ -n "$(probe_value "$1" "$2")" ] && return 0
        sleep 0.05
    done
    echo "perf_report.sh: $1 never reported $2 (see $report/$1.log)" >&2
    exit 2
}

launch game "$game_display" "$build/mirelantha"
game=$launched
launch floor "$floor_display" "$build/present-floor"
floor=$launched
wait_probe game first_frame_ns
wait_probe floor first_frame_ns
wait_probe game samples_done_ns

# --- Play -------------------------------------------------------------------

key()
{
    DISPLAY=":$game_display" xdotool "$@"
}

# A held arrow moves the cursor on the next tick and then every 7th tick
# (126 ms): each step is held for 80 ms, long enough for a tick to see it,
# and followed by a pause, so the next step is not swallowed by the repeat.
tap()
{
    key keydown "$1"
    sleep 0.08
    key keyup "$1"
    sleep 0.12
}

# Red (0..255) of framebuffer pixel (x, y), y up, read from Xvfb's screen
# file: an XWD image, big-endian header, 32-bit little-endian pixels with red
# in bits 16..23 (anything else is answered with -1).
screen_red()
{
    local file="$work/fb-$game_display/Xvfb_screen0"
    field()
    {
        od -An -tu1 -j "$1" -N4 "$file" | awk '{ print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }'
    }
    local header width height bits line colours red_mask
    header=$(field 0); width=$(field 16); height=$(field 20); bits=$(field 44)
    line=$(field 48); red_mask=$(field 52); colours=$(field 76)
    if [ "$bits" -ne 32 ] || [ "$red_mask" -ne 16711680 ]; then
        echo -1
        return
    fi
    local sx=$(((2 * $1 + 1) * width / 256))
    local sy=$(((2 * (95 - $2) + 1) * height / 192))
    od -An -tu1 -j $((header + colours * 12 + sy * line + sx * 4 + 2)) -N1 "$file" | tr -d ' '
}

key key Return
sleep 0.3
# The brief report measures the planting screen.
if [ "$mode" = full ]; then
    for _ in 1 2 3 4; do tap Left; done
    for _ in 1 2 3 4; do tap Down; done
    # Every cell once: a cell whose step was lost is visited twice, and a tile
    # picked up there goes down again on a later cell.
    direction=Right
    for cell in $(seq 0 63); do
        key key z x c v b n m
        if [ $((cell % 8)) -eq 7 ]; then
            tap Up
            [ "$direction" = Right ] && direction=Left || direction=Right
        else
            tap "$direction"
        fi
    done
    key key space
    sleep 1
    # An open garden fills the side panel with colour 1, a dark brown; during
    # planting its background is colour 0, black.
    red=$(screen_red 127 48)
    if [ "$red" -ge 0 ] && [ "$red" -lt 35 ]; then
        key key Print
        sleep 0.5
        cp "$work/game/screen0.png" "$report/planting_not_finished.png" 2>/dev/null
        echo "perf_report.sh: the garden did not open (panel red $red); see $report/" >&2
        exit 2
    fi
fi

cpu_ticks()
{
    # Fields 14 and 15 of /proc/PID/stat, counted after the command name.
    awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"
}

start_ns=$(date +%s%N)
game_start=$(cpu_ticks "$game")
floor_start=$(cpu_ticks "$floor")
anon_kb()
{
    sed -n 's/^RssAnon:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$1/status"
}
game_anon=0
floor_anon=0
end=$((SECONDS + seconds))
arrows=(Up Right Down Left)
k=0
while [ $SECONDS -lt "$end" ]; do
    a=$(anon_kb "$game"); [ "${a:-0}" -gt "$game_anon" ] && game_anon=$a
    a=$(anon_kb "$floor"); [ "${a:-0}" -gt "$floor_anon" ] && floor_anon=$a
    key keydown "${arrows[k % 4]}"
    sleep 0.4
    key keyup "${arrows[k % 4]}"
    k=$((k + 1))
    sleep 1.6
done
game_end=$(cpu_ticks "$game")
floor_end=$(cpu_ticks "$floor")
end_ns=$(date +%s%N)
game_peak=$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$game/status")
floor_peak=$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$floor/status")

# The end of play on record, then leave the garden and the program.
key key Print
for _ in $(seq 100); do
    [ -s "$work/game/screen0.png" ] && break
    sleep 0.05
done
cp "$work/game/screen0.png" "$report/end_of_play.png" 2>/dev/null
key key Escape
sleep 0.3
key key Escape
kill -TERM "$floor" 2>/dev/null
game_exit=
for _ in $(seq 100); do
    if ! kill -0 "$game" 2>/dev/null; then
        wait "$game"
        game_exit=$?
        break
    fi
    sleep 0.05
done

# --- Report -----------------------------------------------------------------

hz=$(getconf CLK_TCK)
share()
{
    awk -v t="$1" -v hz="$hz" -v ns="$((end_ns - start_ns))" 'BEGIN { printf "%.1f", 100 * t / hz / (ns / 1e9) }'
}
ms()
{
    awk -v v="$1" 'BEGIN { printf "%.0f", v / 1e6 }'
}
game_share=$(share $((game_end - game_start)))
floor_share=$(share $((floor_end - floor_start)))
window=$(ms "$(probe_value game window_ns)")
floor_window=$(ms "$(probe_value floor window_ns)")
first_frame=$(ms "$(probe_value game first_frame_ns)")
floor_first=$(ms "$(probe_value floor first_frame_ns)")
samples=$(ms "$(probe_value game samples_done_ns)")
files=$(probe_value game sample_files)

# Frames per second between the first and last swap record in the window.
fps()
{
    awk -v from="$start_ns" -v to="$end_ns" '
        $1 == "swaps" && $3 >= from && $3 <= to { if (!seen) { n0 = $2; t0 = $3; seen = 1 } n1 = $2; t1 = $3 }
        END { if (t1 > t0) printf "%.1f", (n1 - n0) / ((t1 - t0) / 1e9); else print "?" }' "$report/$1.probe"
}
game_fps=$(fps game)
floor_fps=$(fps floor)
# CPU time per presented frame: the two programs present at different rates
# when the machine is busy, and this compares them per frame.
per_frame()
{
    awk -v s="$1" -v f="$2" 'BEGIN { if (f > 0) printf "%.1f", s * 10 / f; else print "?" }'
}
game_per_frame=$(per_frame "$game_share" "$game_fps")
floor_per_frame=$(per_frame "$floor_share" "$floor_fps")

verdict()
{
    awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? "met" : "MISSED" }'
}
v_cpu=$(verdict "$game_share" "$(awk -v f="$floor_share" 'BEGIN { print f + 10 }')")
v_first=$(verdict "$first_frame" 150)
v_samples=$(verdict "$samples" 500)
v_peak=$(verdict "$game_peak" 65535)

{
    echo "mirelantha performance report ($(date -u '+%Y-%m-%d %H:%M UTC'), screen $screen, $(nproc) cores)"
    # Other work on the machine takes CPU from both programs alike, but it
    # lowers the frame rates and lengthens the start-up times: say how busy.
    echo "load average at the end (1, 5, 15 min): $(cut -d' ' -f1-3 /proc/loadavg)"
    printf '%-30s %10s %10s  %-16s %s\n' measure game floor target result
    printf '%-30s %10s %10s  %-16s %s\n' "window and GL context (ms)" "$window" "$floor_window" "" ""
    printf '%-30s %10s %10s  %-16s %s\n' "first frame (ms)" "$first_frame" "$floor_first" "<= 150" "$v_first"
    printf '%-30s %10s %10s  %-16s %s\n' "samples decoded (ms, $files files)" "$samples" "-" "<= 500" "$v_samples"
    printf '%-30s %10s %10s  %-16s %s\n' "CPU over ${seconds} s (% of a core)" "$game_share" "$floor_share" "<= floor + 10" "$v_cpu"
    printf '%-30s %10s %10s  %-16s %s\n' "frames presented per second" "$game_fps" "$floor_fps" "" ""
    printf '%-30s %10s %10s  %-16s %s\n' "CPU per presented frame (ms)" "$game_per_frame" "$floor_per_frame" "" ""
    printf '%-30s %10s %10s  %-16s %s\n' "peak memory (VmHWM, kB)" "$game_peak" "$floor_peak" "< 65536" "$v_peak"
    printf '%-30s %10s %10s  %-16s %s\n' "  private part (RssAnon, kB)" "$game_anon" "$floor_anon" "" ""
    echo "game exit status after Escape, Escape: ${game_exit:-still running (killed)}"
} | tee "$report/report.txt"

[ "${game_exit:-1}" -eq 0 ] || exit 1
[ -s "$report/end_of_play.png" ] || {
    echo "perf_report.sh: the game saved no screenshot" >&2
    exit 1
}
if [ "$mode" = brief ]; then
    # Every figure must be a number; the targets are for quiet machines.
    for value in "$window" "$first_frame" "$samples" "$files" "$game_share" "$game_fps" "$game_peak"; do
        case "$value" in
            '' | *[!0-9.]*)
                echo "perf_report.sh: a figure could not be measured ('$value'); see $report/" >&2
                exit 2
                ;;
        esac
    done
    exit 0
fi
case "$v_cpu $v_first $v_samples $v_peak" in
    *MISSED*) exit 1 ;;
esac
exit 0
