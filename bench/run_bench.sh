#!/usr/bin/env bash
# Times `tornvale HKLM\SOFTWARE` over a generated hive of over a million keys
# beside a plain libhivex traversal of the same hive, and reports keys per
# second and peak memory of each. Then the same hive made dirty, with log
# entries of BENCH_DIRTY_PAGES pages (default 4000) over SOFTWARE.LOG1 and
# .LOG2: what recovering it adds, beside the time of reading the hive once.
# Usage: bench/run_bench.sh [FANOUT DEPTH]
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

# The dirty copy: pages of the hive's own bytes, so the output must not change.
cp "$work/out" "$work/out-clean"
rm -rf "$work/dirty-volume"
cp -r "$work/volume" "$work/dirty-volume"
dirty="$work/dirty-volume/Windows/System32/config/SOFTWARE"
echo "dirty: $("$work/bench-build/make_bench_logs" "$dirty" "${BENCH_DIRTY_PAGES:-4000}")," \
  "logs $(( ($(stat -c %s "$dirty.LOG1") + $(stat -c %s "$dirty.LOG2")) / 1048576 )) MiB"
TORNVALE_OFFLINE_ROOT="$work/dirty-volume" measure "tornvale dirty" "$work/build/tornvale" 'HKLM\SOFTWARE'
cmp -s "$work/out" "$work/out-clean" || echo "the dirty hive's output differs from the clean one's"

# Millisecond timings, the best of five rounds alternating the three, all
# from a warm page cache: mounting HKLM\SOFTWARE\Nothing opens the hive (and
# recovers it) without the walk, so the difference is the recovery alone.
millis() { local start; start=$(date +%s%N); "$@" >/dev/null 2>&1 || true; echo $(( ($(date +%s%N) - start) / 1000000 )); }
best_clean=; best_dirty=; best_read=
for _ in 1 2 3 4 5; do
  cat "$hive" "$dirty" "$dirty.LOG1" "$dirty.LOG2" >/dev/null
  c=$(TORNVALE_OFFLINE_ROOT="$work/volume" millis "$work/build/tornvale" 'HKLM\SOFTWARE\Nothing')
  d=$(TORNVALE_OFFLINE_ROOT="$work/dirty-volume" millis "$work/build/tornvale" 'HKLM\SOFTWARE\Nothing')
  r=$(millis cat "$hive")
  [ -z "$best_clean" ] || [ "$c" -lt "$best_clean" ] && best_clean=$c
  [ -z "$best_dirty" ] || [ "$d" -lt "$best_dirty" ] && best_dirty=$d
  [ -z "$best_read" ] || [ "$r" -lt "$best_read" ] && best_read=$r
done
echo "open clean ${best_clean} ms, open dirty ${best_dirty} ms, read the hive once ${best_read} ms:" \
  "recovery adds $((best_dirty - best_clean)) ms"
