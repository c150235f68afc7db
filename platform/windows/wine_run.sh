#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly and without questions:
#
#     platform/windows/wine_run.sh build-win64/test_audio.exe [ARGUMENTS...]
#
# The Wine prefix lives in the cache directory and is made once, on first use
# (a few seconds); its Mono and Gecko installers are never offered. The
# program's exit code is passed on.
set -euo pipefail

cache="${MIRELANTHA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mirelantha}"
export WINEPREFIX="${WINEPREFIX:-$cache/wine64}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=/usr/lib/wine/wine64
# Wine reads file names and the command line in the locale's character set;
# only UTF-8 carries every name a Windows program may meet.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
*UTF-8* | *utf8* | *UTF8* | *utf-8*) ;;
*) export LC_ALL=C.UTF-8 ;;
esac

# Raise the number when the set-up below changes: prefixes made before are
# then made again.
setup=1
if [ ! -f "$WINEPREFIX/.mirelantha-setup-$setup" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        # One maker at a time; whoever waited finds the prefix ready.
        flock 9
        if [ ! -f "$WINEPREFIX/.mirelantha-setup-$setup" ]; then
            rm -rf "$WINEPREFIX"
            echo "wine_run: making the Wine prefix $WINEPREFIX" >&2
            DISPLAY= "$wine" wineboot --init >/dev/null 2>&1 || true
            # Windows are not handed to an X window manager. Hiding a managed
            # window makes Wine wait for the manager to withdraw it, and with
            # none (Xvfb) every window's destruction stalls for two seconds.
            DISPLAY= "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
            /usr/lib/wine/wineserver -w
            touch "$WINEPREFIX/.mirelantha-setup-$setup"
        fi
    ) 9>"$WINEPREFIX.lock"
fi

# A program shown umockdev's devices (UMOCKDEV_DIR, such as a test's pad)
# finds them only through Wine's device drivers started inside that testbed;
# a Wine server already running for the shared prefix, started outside it,
# would never show it the pad. Such a program gets a prefix of its own in the
# testbed (its registry copied, drive C shared), whose server ends seconds
# after the program.
if [ -n "${UMOCKDEV_DIR:-}" ]; then
    private="$UMOCKDEV_DIR/wine64"
    if [ ! -d "$private" ]; then
        mkdir -p "$private/dosdevices"
        cp -p "$WINEPREFIX"/*.reg "$WINEPREFIX/.update-timestamp" "$private/"
        ln -s "$WINEPREFIX/drive_c" "$private/dosdevices/c:"
        ln -s / "$private/dosdevices/z:"
    fi
    export WINEPREFIX="$private"
fi
exec "$wine" "$@"
