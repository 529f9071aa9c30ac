#!/bin/sh
# Builds Tornvale.exe (i686, build/windows) and the 64-bit test build
# (build/windows64), then runs the Wine tests. The 64-bit build runs the same
# sources end to end because 32-bit Wine needs a machine that can execute
# 32-bit Linux code; where it can, the i686 build's own tests run as well.
# The shipped i686 executable's header and resources are checked either way.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
export WINEDEBUG=-all

cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build/windows -j "$jobs"

cmake -S . -B build/windows64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DTORNVALE_PRODUCT_EXE="$PWD/build/windows/Tornvale.exe"
cmake --build build/windows64 -j "$jobs"
(cd build/windows64 && ctest --output-on-failure)

. scripts/wine-loader.sh
if [ "$windows_build" = build/windows ]; then
  (cd build/windows && ctest --output-on-failure)
else
  echo "32-bit Wine cannot run on this machine: the i686 build was checked through the 64-bit tests"
fi
