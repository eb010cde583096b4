#!/usr/bin/env bash
# CTest's emulator for the Windows build: runs one test program under Wine.
# QtTest's output under Wine does not reach a pipe, so it writes its log to
# a file, which is then printed. Uses the prefix and display of a shell that
# sourced scripts/wine-env.sh, or makes its own for this one run.
# VIKKELO_WINE_COUNT, when set, names a file that gets one line per run.
set -u
if [[ -z "${WINEPREFIX:-}" || -z "${DISPLAY:-}" ]]; then
    # shellcheck source=scripts/wine-env.sh
    source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
fi
# Wine leaves the QT_ variables of this system out of a Windows program's
# environment, and passes them when named WINEQT_: CTest's QT_QPA_PLATFORM.
for variable in $(compgen -e); do
    if [[ $variable == QT_* ]]; then export "WINE$variable=${!variable}"; fi
done
log=$(mktemp /tmp/vikkelo-wine-log.XXXXXX)
program=$1
shift
# Wine's own output goes to a file too: the processes Wine starts for
# itself (services.exe, the desktop) would keep CTest's pipe open, and CTest
# waiting, until the last of them ends.
wine "$program" "$@" -o "Z:${log//\//\\},txt" </dev/null >"$log.wine" 2>&1
rc=$?
cat "$log" "$log.wine"
rm -f "$log" "$log.wine"
if [[ -n "${VIKKELO_WINE_COUNT:-}" ]]; then echo "$(basename "$program")" >>"$VIKKELO_WINE_COUNT"; fi
exit "$rc"
