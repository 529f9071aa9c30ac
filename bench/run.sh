#!/bin/sh
# Times Tornvale.exe against Wine's own "reg query <key> /s" on the same
# scratch tree (28^3 + 28^2 + 28 = 22,764 keys below the top key, 341 of them links) in a
# prefix of its own, alternating the two several times, and prints keys per
# second for each and the ratio. Not part of the tests.
# Usage: bench/run.sh [build dir, default build/windows64] [runs, default 5]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/windows64}
runs=${2:-5}
wine=$(sed -n "s/^TORNVALE_WINE:[A-Z]*=//p" "$build/CMakeCache.txt")
[ -n "$wine" ] || wine=wine
case "$(basename "$wine")" in wine64) export WINELOADER="$wine" ;; esac
export WINEPREFIX="$PWD/$build/bench-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

compiler=$(sed -n "s/^TORNVALE_MINGW_CXX:[A-Z]*=//p" "$build/CMakeCache.txt")
"$compiler" -O2 -municode -static -o "$build/make_bench_tree.exe" bench/make_bench_tree.cpp

wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
"$wine" wineboot -i </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

set -- $("$wine" "$build/make_bench_tree.exe" 28 | tr -d '\r')
keys=$(( $1 + 1 ))  # and the top key itself
echo "tree: $keys keys, $2 links"

now() { date +%s.%N; }
calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
total_t=0
total_r=0
i=1
while [ "$i" -le "$runs" ]; do
  s=$(now); "$wine" "$build/Tornvale.exe" 'HKLM\Software\TornvaleBench' >"$build/bench-tornvale.txt"; e=$(now)
  t=$(calc "$e - $s")
  s=$(now); "$wine" reg query 'HKLM\Software\TornvaleBench' /s >"$build/bench-reg.txt"; e=$(now)
  r=$(calc "$e - $s")
  printf 'run %d: Tornvale %.3f s, reg query %.3f s\n' "$i" "$t" "$r"
  total_t=$(calc "$total_t + $t")
  total_r=$(calc "$total_r + $r")
  i=$((i + 1))
done
lines=$(grep -c ' -> ' "$build/bench-tornvale.txt" || true)
echo "Tornvale printed $lines link lines"
printf 'Tornvale:  %.0f keys/s\n' "$(calc "$keys * $runs / $total_t")"
printf 'reg query: %.0f keys/s\n' "$(calc "$keys * $runs / $total_r")"
printf 'ratio (Tornvale speed / reg query speed): %.2f\n' "$(calc "$total_r / $total_t")"
