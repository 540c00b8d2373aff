#!/usr/bin/env bash
# Runs the X11 hack from the build tree with the given options (default -window) on the current
# X display, or on a virtual one when there is none, and saves screenshots.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
args=${*:--window}
shots=$HG_ROOT/shots/native-$(date +%Y%m%d-%H%M%S)
mkdir -p "$shots"
hg_start_display
trap 'if [ -n "$HG_XVFB_PID" ]; then kill "$HG_XVFB_PID" 2>/dev/null || true; fi' EXIT
echo "Running hearthglow $args on $DISPLAY; screenshots go to $shots"
"$HG_ROOT/build/linux/hearthglow" $args &
pid=$!
hg_shoot_until_exit $pid "$shots"
echo "The hack ended; screenshots are in $shots"
