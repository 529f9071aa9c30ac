#!/bin/sh
# Builds both Windows builds and runs each one's Wine tests, each in a fresh
# 64-bit prefix of its own build tree: Tornvale.exe (i686, build/windows) on
# 32-bit Wine under WoW64, directly where the kernel executes 32-bit
# programs and through qemu-i386 where it does not (configuring says which,
# and fails if neither works); x64/Tornvale.exe (build/windows64) on 64-bit
# Wine.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
export WINEDEBUG=-all

for preset in windows windows64; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$jobs"
  # Once in a CI run a Wine test process ended within 20 ms with no output
  # at all, before the test program ran, and passed on every rerun. A test
  # that fails is run once more, in a fresh prefix, and the log says so; a
  # real fault fails both times.
  if ! ctest --preset "$preset"; then
    echo "test-windows.sh: $preset: rerunning the failed tests once" >&2
    ctest --preset "$preset" --rerun-failed
  fi
done
