#!/usr/bin/env bash
# Fuzzes the hive walk for a bounded time (default 60 s), seeded with the
# sample volume's hives and with a dirty SYSTEM hive and its logs in both
# formats. Not part of CI. Usage: fuzz/run_fuzz.sh [SECONDS]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=${FUZZ_DIR:-/tmp/tornvale-fuzz}
seconds=${1:-60}
mkdir -p "$work/corpus"
CXX=clang++ cmake -S "$repo/fuzz" -B "$work/build" >/dev/null
cmake --build "$work/build" >/dev/null
cmake -S "$repo" -B "$work/sample-build" >/dev/null
cmake --build "$work/sample-build" --target tornvale-make-sample tornvale-make-dirty-sample >/dev/null
rm -rf "$work/sample"
"$work/sample-build/tests/hive/tornvale-make-sample" "$work/sample"
find "$work/sample" -type f -exec cp {} "$work/corpus/" \;
# A hive with its logs is one input: HIVE, then each log after the separator.
separator=$'\n--TORNVALE-LOG--\n'
for format in new old; do
  rm -rf "$work/dirty"
  "$work/sample-build/tests/offline/tornvale-make-dirty-sample" "$work/dirty" \
    $([ "$format" = old ] && echo old)
  config="$work/dirty/Windows/System32/config"
  {
    cat "$config/SYSTEM"
    for log in "$config/SYSTEM.LOG1" "$config/SYSTEM.LOG2"; do
      if [ -f "$log" ]; then printf '%s' "$separator"; cat "$log"; fi
    done
  } >"$work/corpus/dirty-$format"
done
"$work/build/hive_walk_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=262144 "$work/corpus"
