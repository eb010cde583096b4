#!/usr/bin/env bash
# Start-up of the Windows build under Wine, to the first frame with Qt's
# windows platform on a private X display, against a bare Qt program built
# with the same Qt for Windows: one table row per folder (saved table, empty).
# scripts/bench.sh runs it last; skipped, in one line, without Qt for Windows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
qt=${VIKKELO_QT_WINDOWS:-$root/../shared/qt6-mingw-w64}
if [ ! -f "$qt/lib/cmake/Qt6/Qt6Config.cmake" ]; then
  echo "| start-up under Wine | skipped: no Qt for Windows at $qt | |"
  exit 0
fi
qt=$(cd "$qt" && pwd)
runs=${1:-10}
source scripts/packages.sh
bash scripts/deps.sh "${build_packages[@]}" "${bench_packages[@]}" "${windows_package_packages[@]}" \
  "${windows_check_packages[@]}" >&2
cmake --preset default >/dev/null
cmake --build build/default --target bench_startup -j2 >/dev/null
cmake --preset windows -DVIKKELO_BENCHMARKS=ON >/dev/null
cmake --build build/windows --target startup_probe bare_probe -j2 >/dev/null

while read -r name; do unset "$name"; done < <(env | sed -n 's/^\(QT_[A-Z_]*\)=.*/\1/p')
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
display=:$(( 200 + RANDOM % 40 ))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
wineboot --init >/dev/null 2>&1
wineserver -w
# One Wine server for every run, so that no run pays for starting it.
wineserver -p
win() { winepath -w "$1"; }
export WINEPATH="$(win "$qt/bin");$(win /usr/lib/gcc/x86_64-w64-mingw32/12-posix);$(win /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH=$(win "$qt/plugins")
probes=$root/build/windows/bench
# Once each first: the first run of a program in a new prefix is slower.
for probe in startup_probe bare_probe; do (cd "$work" && wine "$probes/$probe.exe" >/dev/null); done
build/default/bench/bench_startup --wine "$probes" "$runs" windows
