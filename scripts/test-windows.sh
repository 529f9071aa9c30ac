#!/bin/sh
# Builds Tornvale.exe (i686, build/windows) and the 64-bit build of the same
# sources (build/windows64), then runs the Wine tests. 32-bit Wine needs a
# kernel that executes 32-bit programs; where there is none, the 64-bit build
# runs the tests end to end and checks the i686 executable's header and
# resources. Where there is one, the i686 build's own tests run as well.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
export WINEDEBUG=-all

cmake --preset windows
cmake --build --preset windows -j "$jobs"
cmake --preset windows64
cmake --build --preset windows64 -j "$jobs"
ctest --preset windows64

. scripts/wine-loader.sh
if [ "$windows_build" = build/windows ]; then
  ctest --preset windows
else
  echo "32-bit Wine cannot run on this machine: the i686 build was checked through the 64-bit tests"
fi
