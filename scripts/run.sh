#!/usr/bin/env bash
# Runs the screen saver under Wine with the given switch (default /s) and saves screenshots.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
args=${*:-/s}
shots=$HG_ROOT/shots/$(date +%Y%m%d-%H%M%S)
mkdir -p "$shots"
hg_start_display
trap hg_wine_stop EXIT
hg_prepare_prefix
hg_install_assets
echo "Running hrthglow.scr $args on $DISPLAY; screenshots go to $shots"
if [ ! -x "$HG_BUILD/hrthglow.scr" ]; then
    echo "No $HG_BUILD/hrthglow.scr: this machine runs the $HG_WINE_ARCH build (make $HG_WINE_ARCH)" >&2
    exit 1
fi
hg_wine "$HG_BUILD/hrthglow.scr" $args &
pid=$!
# The dialog: one screenshot of each of its three pages, taken once it has opened; then back
# to the first page.
driver=$HG_BUILD/dialog_driver_win32.exe
show_page() {
    printf 'wait Hearthglow Screensaver by Tallowmere 20\npage %s\nsleep 700\n' "$1" |
        hg_wine "$driver" >/dev/null 2>&1 || true
}
if [[ ${args,,} == /c* && -x $driver ]]; then
    for page in 0 1 2; do
        show_page $page
        import -window root "$shots/dialog-page-$page.png" 2>/dev/null || true
    done
    show_page 0
fi
hg_shoot_until_exit $pid "$shots"
echo "The screen saver ended; screenshots are in $shots"
