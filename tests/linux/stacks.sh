#!/usr/bin/env bash
# The game on the Linux stacks players have, beyond this machine's:
#
#   1. the end-to-end suite on SDL 1.2 re-implemented on SDL 2 (Debian's
#      libsdl1.2-compat, unpacked privately and put first in the library
#      path), as Debian 13, Ubuntu, Fedora, Arch and SteamOS ship SDL 1.2,
#      under X11 and on a Wayland compositor;
#   2. real sound servers: PulseAudio with a null sink, the title music
#      recorded from its monitor, on both SDL 1.2 libraries; PipeWire with
#      its session manager and a null sink, through SDL 2's own driver;
#   3. the package installed with apt into minimal Debian 12 and Debian 13
#      systems and played there by an ordinary user from their home folder.
#
#     tests/linux/stacks.sh BUILD-DIR PACKAGE [compat|pulse|pipewire|roots...]
#
# BUILD-DIR must hold mirelantha and test_e2e; without a list of parts, all
# four run.
#
# The minimal systems and the packages apt fetches for them are kept in
# ~/.cache/mirelantha (a new system each day); they are used by copy, so the
# cached ones stay pristine. Needs root (chroot, mounts) and Debian's archive.
#     tests/linux/stacks.sh --make-roots
#
# only makes (or finds) today's minimal systems, so that a caller can have
# them made in the background while it builds.
set -euo pipefail
cd "$(dirname "$0")/../.."
make_roots=0
if [ "${1:-}" = --make-roots ]; then
    make_roots=1
    set -- . . roots
fi
build="$(realpath "$1")"
package="$(realpath "$2")"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/mirelantha"
mirror="${MIRELANTHA_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
suites=(bookworm trixie)
parts=("${@:3}")
[ ${#parts[@]} -gt 0 ] || parts=(compat pulse pipewire roots)
wanted()
{
    [[ " ${parts[*]} " == *" $1 "* ]]
}
mkdir -p "$cache"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/mirelantha-stacks.XXXXXX")"
pids=()
cleanup()
{
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    [ -z "${session:-}" ] || kill -- -"$session" 2>/dev/null || true
    # Mounts live in private namespaces that end with their stage; none of
    # them can still be under the scratch folder here.
    rm -rf --one-file-system "$scratch"
}
trap cleanup EXIT

step()
{
    printf '\n== %s\n' "$*"
}

# The private copy of the SDL 2-based SDL 1.2, by version; prints the folder
# holding its libSDL-1.2.so.0.
compat_library()
{
    local version folder
    version="$(apt-cache policy libsdl1.2-compat | sed -n 's/ *Candidate: //p')"
    folder="$cache/sdl12-compat-$version"
    if [ ! -d "$folder" ]; then
        rm -rf "$folder.new" && mkdir -p "$folder.new"
        # apt's download user may not write here; it then fetches as root.
        (cd "$folder.new" && apt-get download -q libsdl1.2-compat 2>/dev/null >&2 &&
            dpkg-deb -x libsdl1.2-compat_*.deb root && rm libsdl1.2-compat_*.deb)
        mv "$folder.new" "$folder"
    fi
    dirname "$(find "$folder/root" -name libSDL-1.2.so.0 | head -n 1)"
}

# A minimal system of SUITE, made today or taken from the cache; older ones
# are dropped. Prints its folder.
minimal_root()
{
    local suite=$1 root
    root="$cache/roots/$suite-$(date -u +%Y%m%d)"
    if [ ! -d "$root" ]; then
        rm -rf --one-file-system "$root.new"
        mkdir -p "$cache/roots"
        debootstrap --variant=minbase "$suite" "$root.new" "$mirror" >"$cache/roots/$suite.log" 2>&1 ||
            { cat "$cache/roots/$suite.log" >&2; return 1; }
        mv "$root.new" "$root"
        find "$cache/roots" -mindepth 1 -maxdepth 1 -name "$suite-*" -not -path "$root" \
            -exec rm -rf --one-file-system {} +
    fi
    echo "$root"
}

if [ "$make_roots" = 1 ]; then
    for suite in "${suites[@]}"; do
        minimal_root "$suite" >/dev/null &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        wait "$pid"
    done
    exit 0
fi

compat="$(compat_library)"
LD_LIBRARY_PATH="$compat" ldd "$build/mirelantha" | grep -q "$compat/libSDL-1.2.so.0" ||
    { echo "the program does not load $compat/libSDL-1.2.so.0" >&2; exit 1; }

# 1. SDL 1.2 on SDL 2.
if wanted compat; then
    step "the end-to-end suite on SDL 1.2 over SDL 2 (libsdl1.2-compat)"
    # With it, the game on Wayland too (a compositor of the test's own).
    LD_LIBRARY_PATH="$compat" MIRELANTHA_WAYLAND=1 "$build/test_e2e"
fi

# 2. A sound server of its own, private to this run, with a null sink.
if wanted pulse; then
    step "PulseAudio with a null sink, on both SDL 1.2 libraries"
    pulse_dir="$scratch/pulse"
    mkdir -p "$pulse_dir"
    XDG_RUNTIME_DIR="$pulse_dir" HOME="$pulse_dir" pulseaudio -n --daemonize=no --use-pid-file=no \
        --exit-idle-time=-1 --log-target=file:"$pulse_dir/log" \
        -L "module-null-sink sink_name=mirelantha_test" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$pulse_dir/native" &
    pids+=($!)
    export PULSE_SERVER="unix:$pulse_dir/native"
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        sleep 0.1
    done
    pactl info >/dev/null || { cat "$pulse_dir/log" >&2; exit 1; }
    MIRELANTHA_PULSE_SINK=mirelantha_test "$build/test_e2e" --gtest_filter='SoundServer.PulseAudio*'
    LD_LIBRARY_PATH="$compat" MIRELANTHA_PULSE_SINK=mirelantha_test "$build/test_e2e" \
        --gtest_filter='SoundServer.PulseAudio*'
    kill "${pids[0]}" && wait "${pids[0]}" || true
    pids=()
    unset PULSE_SERVER
fi

# PipeWire and its session manager, which links streams to the sink (and
# wants a message bus of its own), in a private runtime folder.
if wanted pipewire; then
    step "PipeWire with a null sink, through SDL 2's PipeWire driver"
    export XDG_RUNTIME_DIR="$scratch/pipewire"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    pipewire >"$XDG_RUNTIME_DIR/pipewire.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        pw-cli info 0 >/dev/null 2>&1 && break
        sleep 0.1
    done
    # A group of its own, so that the bus goes with it.
    setsid dbus-run-session -- wireplumber >"$XDG_RUNTIME_DIR/wireplumber.log" 2>&1 &
    session=$!
    pw-cli create-node adapter '{ factory.name=support.null-audio-sink node.name=mirelantha_test
        media.class=Audio/Sink object.linger=true audio.position=[FL FR] }' >/dev/null
    LD_LIBRARY_PATH="$compat" MIRELANTHA_PIPEWIRE_SINK=mirelantha_test "$build/test_e2e" \
        --gtest_filter='SoundServer.PipeWire*'
    kill -- -"$session" 2>/dev/null || true
    wait "$session" || true
    kill "${pids[0]}" && wait "${pids[0]}" || true
    pids=()
    unset XDG_RUNTIME_DIR
fi

# 3. The package in minimal systems. Both are made at once: debootstrap waits
# on the network more than on the processor.
if wanted roots; then
    step "the package installed with apt into minimal ${suites[*]} systems"
    declare -A roots
    for suite in "${suites[@]}"; do
        minimal_root "$suite" >"$scratch/$suite.root" &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        wait "$pid"
    done
    pids=()
    for suite in "${suites[@]}"; do
        roots[$suite]="$(cat "$scratch/$suite.root")"
    done

    for suite in "${suites[@]}"; do
        step "$suite: apt install ./$(basename "$package"), played by an ordinary user"
        root="$scratch/root-$suite"
        cp -a "${roots[$suite]}" "$root"
        cp /etc/resolv.conf "$root/etc/resolv.conf"
        cp "$package" "$root/root/"
        mkdir -p "$cache/apt/$suite"
        # In a mount namespace of its own: every mount ends with it, whatever
        # happens; the trap unmounts them in order before that.
        unshare --mount --propagation private /bin/bash -euo pipefail -c '
            root=$1; archives=$2; build=$3; deb=$4
            trap "umount -R \"\$root/tmp\" \"\$root/var/cache/apt/archives\" \"\$root/proc\" \"\$root/dev\" 2>/dev/null || true" EXIT
            mount --bind "$archives" "$root/var/cache/apt/archives"
            mount -t proc proc "$root/proc"
            mount --rbind /dev "$root/dev"
            chroot "$root" apt-get -q update >/dev/null
            DEBIAN_FRONTEND=noninteractive chroot "$root" apt-get -q install -y "/root/$deb" >/dev/null
            chroot "$root" apt-get -q autoclean >/dev/null  # the cache keeps current packages only
            # What the player got: the package, and the SDL 1.2 it runs on.
            chroot "$root" dpkg-query -W -f="\${Package} \${Version}\n" mirelantha
            sdl=$(chroot "$root" ldd /usr/games/mirelantha | sed -n "s/.*libSDL-1.2.so.0 => \([^ ]*\).*/\1/p")
            chroot "$root" dpkg-query -S "$(chroot "$root" readlink -f "$sdl")" 2>/dev/null || echo "SDL 1.2: $sdl"
            chroot "$root" useradd --create-home player
            # The X server and the test folders are in this machine'\''s /tmp.
            mount --bind /tmp "$root/tmp"
            MIRELANTHA_ROOT="$root" "$build/test_e2e" --gtest_filter="Package.InstalledInAMinimalSystem*"
        ' stage "$root" "$cache/apt/$suite" "$build" "$(basename "$package")"
        rm -rf --one-file-system "$root"
    done
fi
