#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it. The high scores
# (TOP5.dat) are kept in the folder it is started from.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
bash "$root/scripts/deps.sh" "${build_packages[@]}"
cmake -S "$root" --preset default >/dev/null
cmake --build "$root/build/default" --target vikkelo -j"$(nproc)"
exec "$root/build/default/vikkelo"
