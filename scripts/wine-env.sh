#!/usr/bin/env bash
# Sourced by the run and test scripts: a Wine prefix of the project's own, and an X display (a
# virtual one when there is none). Call hg_wine_stop before the X server goes away.
#
# The prefix is 32-bit, for the shipped program, wherever the machine runs 32-bit programs; a
# kernel without IA-32 emulation cannot, and there the 64-bit build (make win64) runs in a
# 64-bit prefix. HG_WINE_ARCH=win32 or win64 chooses.
HG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -z "${HG_WINE_ARCH:-}" ]; then
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then HG_WINE_ARCH=win32; else HG_WINE_ARCH=win64; fi
fi
export WINEARCH=$HG_WINE_ARCH
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ "$HG_WINE_ARCH" = win32 ]; then
    export WINEPREFIX=${WINEPREFIX:-$HG_ROOT/build/wineprefix}
    hg_wine() { wine "$@"; }
else
    export WINEPREFIX=${WINEPREFIX:-$HG_ROOT/build/wineprefix64}
    # Debian's `wine` picks the 32-bit loader whenever wine32 is installed.
    hg_wine() { /usr/lib/wine/wine64 "$@"; }
fi
HG_BUILD=$HG_ROOT/build/$HG_WINE_ARCH
HG_XVFB_PID=""

hg_start_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    local n
    for n in $(seq 90 120); do
        if [ ! -e /tmp/.X11-unix/X$n ] && [ ! -e /tmp/.X$n-lock ]; then break; fi
    done
    # -noreset: Xvfb would otherwise reset whenever its last client left, refusing whoever
    # connects during the reset.
    Xvfb :$n -noreset -screen 0 "${HG_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
    HG_XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    echo "Xvfb did not start" >&2
    return 1
}

hg_prepare_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$(dirname "$WINEPREFIX")"
        hg_wine wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
}

# Copies the generated asset folder to C:\Tallowmere\hrthglow\ in the prefix.
hg_install_assets() {
    local src=$HG_ROOT/build/assets/install
    local dst=$WINEPREFIX/drive_c/Tallowmere/hrthglow
    mkdir -p "$dst"
    if [ -d "$src" ]; then cp -r "$src"/. "$dst"/; fi
}

hg_wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$HG_XVFB_PID" ]; then kill "$HG_XVFB_PID" 2>/dev/null || true; wait "$HG_XVFB_PID" 2>/dev/null || true; fi
}

# Saves a screenshot of the whole display every five seconds into $2 while process $1 runs.
hg_shoot_until_exit() {
    local n=0
    while kill -0 "$1" 2>/dev/null; do
        sleep 5
        n=$((n + 1))
        import -window root "$2/shot-$(printf %03d $n).png" 2>/dev/null || true
    done
}
