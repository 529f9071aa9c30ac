#!/usr/bin/env bash
# Builds Tornvale.exe and runs it under Wine with the arguments given, in a
# Wine prefix of the project's own (made on first use):
#   scripts/run.sh 'HKLM\Software\Wow6432Node' -v
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
scripts/install-deps.sh
. scripts/wine-loader.sh
if [ "$windows_build" != build/windows ]; then
  echo "run.sh: this machine cannot run 32-bit programs; running the 64-bit build" >&2
fi
preset=$(basename "$windows_build")
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Tornvale -j "$(nproc)" >/dev/null

export WINEPREFIX="${WINEPREFIX:-$repo/build/wineprefix}" WINEDEBUG=-all
export WINELOADER="$wine_loader" WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || "$wine_loader" wineboot -i >/dev/null 2>&1
exec "$wine_loader" "$windows_build/Tornvale.exe" "$@"
