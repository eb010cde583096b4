#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks and runs every one of them
# (the Windows start-up under Wine too: scripts/bench-wine.sh),
# printing one table. Takes about five minutes: Timer1 is watched for 200
# ticks at 1000 ms. Benchmarks never fail on a number; they only report.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/packages.sh
bash scripts/deps.sh "${build_packages[@]}" "${bench_packages[@]}"

cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" >/dev/null
bin="$root/build/default/bench"

# A display of our own for the start-up figures under X.
display=:$(( 90 + RANDOM % 9 ))
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(uname -sr)"
echo
echo "| Figure | Measured | Target |"
echo "|---|---|---|"
( cd "$(mktemp -d)" && "$bin/bench_events" 2>/dev/null )
DISPLAY=$display "$bin/bench_startup" "$bin" 10 offscreen xcb 2>/dev/null
( cd "$(mktemp -d)" && "$bin/bench_timer" 2>/dev/null )
# The Windows build's start-up under Wine, where Qt for Windows is at hand.
bash scripts/bench-wine.sh 10
