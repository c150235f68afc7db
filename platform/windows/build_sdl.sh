#!/usr/bin/env bash
# Cross-builds SDL 1.2 for 64-bit Windows from Debian's own source package
# (with Debian's patches) and prints the install prefix on stdout.
#
#     prefix=$(platform/windows/build_sdl.sh)
#
# The build is cached outside the tree, keyed by the source version, so a
# second run only prints the prefix:
#
#     ${MIRELANTHA_CACHE:-${XDG_CACHE_HOME:-~/.cache}/mirelantha}/sdl-VERSION-win64
#
# The machine's apt configuration is left alone: the source package comes
# through a private sources list (the system's deb lines turned into deb-src)
# with its own state and cache directories, all under the cache directory.
# The source package itself (.dsc, upstream tarball, Debian's changes) is kept
# in the prefix's source/ folder: SDL is LGPL, and the game's zip is shipped
# with this, its corresponding source, beside it.
#
# Needs dpkg-dev and the mingw-w64 cross compiler (tools/install_deps.sh).
set -euo pipefail

host=x86_64-w64-mingw32
cache="${MIRELANTHA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mirelantha}"
mkdir -p "$cache"

log()
{
    echo "build_sdl_windows: $*" >&2
}

# The version Debian built this machine's SDL from, when it is installed: then
# a warm cache answers without touching the network.
version=$(dpkg-query -W -f='${source:Version}' libsdl1.2-dev 2>/dev/null || true)
if [ -n "$version" ] && [ -f "$cache/sdl-$version-win64/.complete-with-source" ]; then
    echo "$cache/sdl-$version-win64"
    exit 0
fi

# ---------------------------------------------------------------------------
# A private apt that knows the source packages
# ---------------------------------------------------------------------------

aptdir="$cache/apt"
rm -rf "$aptdir"
mkdir -p "$aptdir/sources.list.d" "$aptdir/state/lists/partial" "$aptdir/cache/archives/partial"

# One-line lists: every "deb" line also as "deb-src". Deb822 files: every
# stanza whose types name deb also gets deb-src.
: > "$aptdir/sources.list"
for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$list" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$list" >> "$aptdir/sources.list"
done
for sources in /etc/apt/sources.list.d/*.sources; do
    [ -f "$sources" ] || continue
    sed 's/^Types:.*\bdeb\b.*$/Types: deb-src/' "$sources" > "$aptdir/sources.list.d/$(basename "$sources")"
done

apt_private=(
    -o Dir::Etc::SourceList="$aptdir/sources.list"
    -o Dir::Etc::SourceParts="$aptdir/sources.list.d"
    -o Dir::State="$aptdir/state"
    -o Dir::Cache="$aptdir/cache"
    -o APT::Sandbox::User=root
    -q
)

log "fetching the source index"
apt-get "${apt_private[@]}" update >&2

if [ -z "$version" ] || ! apt-cache "${apt_private[@]}" showsrc "libsdl1.2=$version" 2>/dev/null | grep -q '^Version:'; then
    # Not installed, or that version is no longer served: take the newest.
    version=$(apt-cache "${apt_private[@]}" showsrc libsdl1.2 | sed -n 's/^Version: //p' | sort -V | tail -n 1)
fi
if [ -z "$version" ]; then
    log "no source package libsdl1.2 in the configured archives"
    exit 1
fi

prefix="$cache/sdl-$version-win64"
if [ -f "$prefix/.complete-with-source" ]; then
    rm -rf "$aptdir"
    echo "$prefix"
    exit 0
fi

# ---------------------------------------------------------------------------
# Source, configure, build
# ---------------------------------------------------------------------------

work="$cache/sdl-$version-work"
rm -rf "$work" "$prefix"
mkdir -p "$work"
log "fetching libsdl1.2 $version and applying Debian's patches"
(cd "$work" && apt-get "${apt_private[@]}" source "libsdl1.2=$version" >&2)
rm -rf "$aptdir"
source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'libsdl1.2-*' | head -n 1)
mkdir -p "$prefix/source"
find "$work" -mindepth 1 -maxdepth 1 -type f -name 'libsdl1.2_*' -exec cp {} "$prefix/source/" \;
ls "$prefix/source/"*.dsc >/dev/null 2>&1 || {
    log "the source package's files are missing"
    exit 1
}

# The upstream configure script is used as shipped: Debian's only change to
# configure.in concerns how X11 finds pkg-config, which a Windows build never
# reaches, and regenerating it would need the whole autotools chain.
log "configuring for $host"
mkdir -p "$work/build"
(
    cd "$work/build"
    "$source_dir/configure" --host="$host" --prefix="$prefix" \
        --enable-shared --disable-static --disable-stdio-redirect >&2
    log "building"
    make -j"$(nproc)" >&2
    make install >&2
) > "$work/build.log" 2>&1 || {
    tail -n 40 "$work/build.log" >&2
    log "SDL build failed; the log is $work/build.log"
    exit 1
}
"$host-strip" --strip-unneeded "$prefix/bin/SDL.dll"
rm -rf "$prefix/share"
# The licence travels with the DLL.
cp "$source_dir/COPYING" "$prefix/COPYING-SDL.txt"
rm -rf "$work"
# Older copies of this script know only the first marker; both mean done.
touch "$prefix/.complete" "$prefix/.complete-with-source"
log "SDL $version for Windows is in $prefix"
echo "$prefix"
