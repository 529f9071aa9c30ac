#!/usr/bin/env bash
# Builds Tornvale.exe, the 32-bit product, and runs it under 32-bit Wine in a
# 64-bit (WoW64) Wine prefix of the project's own, made on first use, as
# 64-bit Windows runs it: directly where the kernel executes 32-bit programs,
# otherwise through qemu-i386. Arguments are passed on unchanged:
#   scripts/run.sh 'HKLM\Software\Wow6432Node' -v
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
scripts/install-deps.sh
cmake --preset windows >/dev/null
wine_loader=$(sed -n 's/^TORNVALE_WINE:INTERNAL=//p' build/windows/CMakeCache.txt)
targets=(Tornvale)
# The qemu route's loader folder, where this machine needs it.
case "$wine_loader" in */wow64/*) targets+=(wow64_loader) ;; esac
cmake --build --preset windows --target "${targets[@]}" -j "$(nproc)" >/dev/null

export WINEPREFIX="${WINEPREFIX:-$repo/build/wow64-prefix}" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine_loader" wineboot -i </dev/null >/dev/null 2>&1
fi
if [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
  echo "run.sh: $WINEPREFIX is a 32-bit Wine prefix; Tornvale.exe runs in a 64-bit one (remove it, or set WINEPREFIX)" >&2
  exit 2
fi
exec "$wine_loader" "$repo/build/windows/Tornvale.exe" "$@"
