#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, headless.
# Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/packages.sh
bash scripts/deps.sh "${build_packages[@]}" "${test_packages[@]}"

export QT_QPA_PLATFORM=offscreen
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"
ctest --preset default -j"$(nproc)"

# Reliability: a bounded fuzz run of the TOP5.dat reader (clang, libFuzzer),
# then every test again under AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer, each in its own build folder.
bash scripts/deps.sh "${reliability_packages[@]}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"
bash scripts/fuzz.sh 60
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$(nproc)"
ctest --preset asan -j"$(nproc)"

# Windows: the windows preset, built with MinGW-w64 against Qt for Windows,
# and every test run under Wine (offscreen, on a private Xvfb display, in a
# private WINEPREFIX; scripts/windows-tests.sh). Skipped, saying so, only
# where there is no Qt for Windows.
if ! find_qt_windows; then
  echo "Windows stage skipped: no Qt for Windows at $qt_windows (set VIKKELO_QT_WINDOWS)"
else
  bash scripts/deps.sh "${windows_packages[@]}"
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j"$(nproc)"
  bash scripts/windows-tests.sh -j"$(nproc)"
fi
