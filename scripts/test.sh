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
