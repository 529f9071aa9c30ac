#!/usr/bin/env bash
# Times `tornvale HKLM\SOFTWARE` over a generated hive of over a million keys
# beside a plain libhivex traversal of the same hive, and reports keys per
# second and peak memory of each. Usage: bench/run_bench.sh [FANOUT DEPTH]
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=${BENCH_DIR:-/tmp/tornvale-bench}
mkdir -p "$work"
cmake -S "$repo" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DTORNVALE_TESTS=OFF >/dev/null
cmake --build "$work/build" --target tornvale >/dev/null
cmake -S "$repo/bench" -B "$work/bench-build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/bench-build" >/dev/null

rm -rf "$work/volume"
keys=$("$work/bench-build/make_bench_hive" "$work/volume" "$@")
hive="$work/volume/Windows/System32/config/SOFTWARE"
echo "hive: $keys keys, $(($(stat -c %s "$hive") / 1048576)) MiB"

measure() {  # label, command...
  local label=$1; shift
  cat "$hive" >/dev/null  # both runs start from a warm page cache
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >"$work/out" 2>/dev/null || true
  read -r seconds kib <"$work/time"
  awk -v l="$label" -v s="$seconds" -v k="$kib" -v n="$keys" -v lines="$(wc -l <"$work/out")" \
    'BEGIN { printf "%-16s %7.2f s %10.0f keys/s  peak %6.1f MiB  %s lines\n", l, s, n / (s > 0 ? s : 0.01), k / 1024, lines }'
}
measure "plain traversal" "$work/bench-build/plain_traversal" "$hive"
TORNVALE_OFFLINE_ROOT="$work/volume" measure "tornvale" "$work/build/tornvale" 'HKLM\SOFTWARE'
