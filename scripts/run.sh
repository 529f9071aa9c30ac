#!/usr/bin/env bash
# Builds Tornvale.exe and runs it under Wine with the arguments given, in a
# Wine prefix of the project's own (made on first use):
#   scripts/run.sh 'HKLM\Software\Wow6432Node' -v
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
"$repo/scripts/install-deps.sh"

(cd "$repo" && cmake --preset windows >/dev/null &&
  cmake --build --preset windows --target Tornvale -j "$(nproc)" >/dev/null)

export WINEPREFIX="${WINEPREFIX:-$repo/build/wineprefix}"
export WINEDEBUG=-all
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
exec wine "$repo/build/windows/Tornvale.exe" "$@"
