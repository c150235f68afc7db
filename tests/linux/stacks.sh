#!/usr/bin/env bash
# The game on the Linux stacks players have, beyond this machine's:
#
#   compat    the end-to-end suite on SDL 1.2 re-implemented on SDL 2 (Debian's
#             libsdl1.2-compat, unpacked privately and put first in the
#             library path), as Debian 13, Ubuntu, Fedora, Arch and SteamOS
#             ship SDL 1.2, under X11 and on a Wayland compositor;
#   pulse     PulseAudio with a null sink: the title music recorded from its
#             monitor, on both SDL 1.2 libraries;
#   pipewire  PipeWire with its session manager and a null sink, through
#             SDL 2's own driver;
#   roots     the package installed with apt into minimal Debian 12 and 13
#             systems and played there by an ordinary user from their home.
#
#     tests/linux/stacks.sh BUILD-DIR PACKAGE [PART...]     all parts by default
#     tests/linux/stacks.sh --make-roots                    only today's systems
#
# BUILD-DIR holds mirelantha and test_e2e. Each sound server is private to the
# run (its own runtime folder). The minimal systems and apt's packages for
# them are kept in ~/.cache/mirelantha (a new system each day) and used by
# copy, so the cached ones stay pristine; --make-roots lets a caller have them
# made in the background while it builds. Needs root and Debian's archive.
set -euo pipefail
cd "$(dirname "$0")/../.."
if [ "${1:-}" = --make-roots ]; then
    set -- . . make-roots
fi
build="$(realpath "$1")"
package="$(realpath "$2")"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/mirelantha"
mirror="${MIRELANTHA_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
suites=(bookworm trixie)
today="$(date -u +%Y%m%d)"
parts=("${@:3}")
[ ${#parts[@]} -gt 0 ] || parts=(compat pulse pipewire roots)
wanted()
{
    [[ " ${parts[*]} " == *" $1 "* ]]
}
mkdir -p "$cache"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/mirelantha-stacks.XXXXXX")"
server="" session=""
cleanup()
{
    kill $(jobs -p) 2>/dev/null || true
    [ -z "$session" ] || kill -- -"$session" 2>/dev/null || true
    # Mounts live in private namespaces that end with their stage.
    rm -rf --one-file-system "$scratch"
}
trap cleanup EXIT

step()
{
    printf '\n== %s\n' "$*"
}

# Waits up to ten seconds for COMMAND to succeed; shows LOG if it never does.
await()
{
    local log=$1
    shift
    for _ in $(seq 100); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    cat "$log" >&2
    return 1
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

# Makes today's minimal systems of every suite at once (debootstrap waits on
# the network more than on the processor), dropping older ones.
minimal_roots()
{
    local suite pids=()
    mkdir -p "$cache/roots"
    for suite in "${suites[@]}"; do
        local root="$cache/roots/$suite-$today"
        [ -d "$root" ] && continue
        (
            rm -rf --one-file-system "$root.new"
            debootstrap --variant=minbase "$suite" "$root.new" "$mirror" >"$cache/roots/$suite.log" 2>&1 ||
                { cat "$cache/roots/$suite.log" >&2; exit 1; }
            mv "$root.new" "$root"
            find "$cache/roots" -mindepth 1 -maxdepth 1 -name "$suite-*" -not -path "$root" \
                -exec rm -rf --one-file-system {} +
        ) &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        wait "$pid"
    done
}

if wanted make-roots; then
    minimal_roots
    exit 0
fi

compat="$(compat_library)"
LD_LIBRARY_PATH="$compat" ldd "$build/mirelantha" | grep -q "$compat/libSDL-1.2.so.0" ||
    { echo "the program does not load $compat/libSDL-1.2.so.0" >&2; exit 1; }

if wanted compat; then
    step "the end-to-end suite on SDL 1.2 over SDL 2 (libsdl1.2-compat)"
    LD_LIBRARY_PATH="$compat" MIRELANTHA_WAYLAND=1 "$build/test_e2e"
fi

if wanted pulse; then
    step "PulseAudio with a null sink, on both SDL 1.2 libraries"
    export XDG_RUNTIME_DIR="$scratch/pulse"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    HOME="$XDG_RUNTIME_DIR" pulseaudio -n --daemonize=no --use-pid-file=no --exit-idle-time=-1 \
        --log-target=file:"$XDG_RUNTIME_DIR/log" -L "module-null-sink sink_name=mirelantha_test" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/native" &
    server=$!
    export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/native"
    await "$XDG_RUNTIME_DIR/log" pactl info
    for library in "" "$compat"; do
        LD_LIBRARY_PATH="$library" MIRELANTHA_PULSE_SINK=mirelantha_test "$build/test_e2e" \
            --gtest_filter='SoundServer.*'
    done
    kill "$server" && wait "$server" || true
    server=""
    unset PULSE_SERVER XDG_RUNTIME_DIR
fi

# The session manager links streams to the sink and wants a message bus of
# its own: a process group of its own, so that the bus goes with it.
if wanted pipewire; then
    step "PipeWire with a null sink, through SDL 2's PipeWire driver"
    export XDG_RUNTIME_DIR="$scratch/pipewire"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    pipewire >"$XDG_RUNTIME_DIR/pipewire.log" 2>&1 &
    server=$!
    await "$XDG_RUNTIME_DIR/pipewire.log" pw-cli info 0
    setsid dbus-run-session -- wireplumber >"$XDG_RUNTIME_DIR/wireplumber.log" 2>&1 &
    session=$!
    pw-cli create-node adapter '{ factory.name=support.null-audio-sink node.name=mirelantha_test
        media.class=Audio/Sink object.linger=true audio.position=[FL FR] }' >/dev/null
    LD_LIBRARY_PATH="$compat" MIRELANTHA_PIPEWIRE_SINK=mirelantha_test "$build/test_e2e" \
        --gtest_filter='SoundServer.*'
    { kill -- -"$session" && wait "$session"; } 2>/dev/null || true
    kill "$server" && wait "$server" || true
    server="" session=""
    unset XDG_RUNTIME_DIR
fi

if wanted roots; then
    step "the package installed with apt into minimal ${suites[*]} systems"
    minimal_roots
    for suite in "${suites[@]}"; do
        step "$suite: apt install ./$(basename "$package"), played by an ordinary user"
        root="$scratch/root-$suite"
        cp -a "$cache/roots/$suite-$today" "$root"
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
            MIRELANTHA_ROOT="$root" "$build/test_e2e" --gtest_filter="Installed.ThePackageInAMinimalSystem*"
        ' stage "$root" "$cache/apt/$suite" "$build" "$(basename "$package")"
        rm -rf --one-file-system "$root"
    done
fi
