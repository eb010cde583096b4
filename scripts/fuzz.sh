#!/usr/bin/env bash
# Runs the libFuzzer target of the TOP5.dat reader for a bounded time
# (seconds, default 60), from the committed corpus in fuzz/corpus. New inputs
# go to build/fuzz/corpus, a crash or a broken round trip to build/fuzz/finds/;
# it exits non-zero on either. Build it first: cmake --preset fuzz &&
# cmake --build --preset fuzz. For a long run by hand: bash scripts/fuzz.sh 900
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
fuzzer="$root/build/fuzz/fuzz/fuzz_top5file"
mkdir -p "$root/build/fuzz/corpus" "$root/build/fuzz/finds"
echo "Sumeistetaan TOP5.dat-lukijaa ${seconds} s"
# -max_len reaches past the reader's 4096-byte field limit; -timeout turns a
# hang on one input into a find.
set +e
"$fuzzer" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -dict="$root/fuzz/top5.dict" -artifact_prefix="$root/build/fuzz/finds/" \
  "$root/build/fuzz/corpus" "$root/fuzz/corpus" 2>&1 |
  grep -E '^(#[0-9]+ *(INITED|DONE)|Done|stat::number_of_executed_units|stat::average_exec_per_sec|==[0-9]+==|SUMMARY|TOP5.dat property|input \()'
status=${PIPESTATUS[0]}
exit "$status"
