#!/usr/bin/env bash
# Fuzzes the hive walk for a bounded time (default 60 s), seeded with the
# sample volume's hives. Not part of CI. Usage: fuzz/run_fuzz.sh [SECONDS]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=${FUZZ_DIR:-/tmp/tornvale-fuzz}
seconds=${1:-60}
mkdir -p "$work/corpus"
CXX=clang++ cmake -S "$repo/fuzz" -B "$work/build" >/dev/null
cmake --build "$work/build" >/dev/null
cmake -S "$repo" -B "$work/sample-build" >/dev/null
cmake --build "$work/sample-build" --target tornvale-make-sample >/dev/null
rm -rf "$work/sample"
"$work/sample-build/tests/hive/tornvale-make-sample" "$work/sample"
find "$work/sample" -type f -exec cp {} "$work/corpus/" \;
"$work/build/hive_walk_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=65536 "$work/corpus"
