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
