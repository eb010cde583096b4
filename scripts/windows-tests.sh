#!/usr/bin/env bash
# The Windows stage of the test command: every test of the windows preset,
# built beforehand, under Wine, offscreen on a private Xvfb display in a
# private WINEPREFIX (scripts/wine-env.sh). Prints how many tests ran under
# Wine; fails when one fails. Arguments go to ctest (-R tst_faults, -j2).
#
# tst_faults fills a small disk. As root the stage runs in a mount namespace
# of its own with a 64 KiB tmpfs mounted in it, which no other process sees
# and which goes with the namespace; VIKKELO_SMALL_DISK gives the tests its
# Z: path. Without root that test skips, saying so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [[ -z ${VIKKELO_SMALL_DISK_MOUNT:-} && $(id -u) == 0 ]] && unshare -m --propagation private true 2>/dev/null; then
  VIKKELO_SMALL_DISK_MOUNT=$root/build/windows/small-disk exec unshare -m --propagation private bash "$0" "$@"
fi
if [[ -n ${VIKKELO_SMALL_DISK_MOUNT:-} ]]; then
  mkdir -p "$VIKKELO_SMALL_DISK_MOUNT"
  mount -t tmpfs -o size=64k,mode=0700 tmpfs "$VIKKELO_SMALL_DISK_MOUNT"
fi
source scripts/wine-env.sh
if [[ -n ${VIKKELO_SMALL_DISK_MOUNT:-} ]]; then
  export VIKKELO_SMALL_DISK=$(vikkelo_winpath "$VIKKELO_SMALL_DISK_MOUNT")
fi
export VIKKELO_WINE_COUNT=$root/build/windows/wine-runs.txt
rm -f "$VIKKELO_WINE_COUNT"
status=0
ctest --preset windows "$@" || status=$?
echo "$(wc -l <"$VIKKELO_WINE_COUNT" 2>/dev/null || echo 0) tests ran under Wine"
exit "$status"
