#!/usr/bin/env bash
# Start-up of the Windows build under Wine, to the first frame with Qt's
# windows platform on a private X display, against a bare Qt program built
# with the same Qt for Windows: one table row per folder (saved table, empty).
# scripts/bench.sh runs it last; skipped, in one line, without Qt for Windows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/packages.sh
if ! find_qt_windows; then
  echo "| start-up under Wine | skipped: no Qt for Windows at $qt_windows | |"
  exit 0
fi
runs=${1:-10}
bash scripts/deps.sh "${build_packages[@]}" "${bench_packages[@]}" "${windows_packages[@]}" >&2
cmake --preset default >/dev/null
cmake --build build/default --target bench_startup -j2 >/dev/null
cmake --preset windows -DVIKKELO_BENCHMARKS=ON >/dev/null
cmake --build build/windows --target startup_probe bare_probe -j2 >/dev/null

# A fresh prefix and display, with Qt for Windows found where it lies
# (scripts/wine-env.sh), and one Wine server for every run, so that no run
# pays for starting it.
unset VIKKELO_WINEPREFIX
source scripts/wine-env.sh
wineserver -p
probes=$root/build/windows/bench
# Once each first: the first run of a program in a new prefix is slower.
for probe in startup_probe bare_probe; do (cd "$WINEPREFIX/drive_c" && wine "$probes/$probe.exe" >/dev/null); done
build/default/bench/bench_startup --wine "$probes" "$runs" windows
