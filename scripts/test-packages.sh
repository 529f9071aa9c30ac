#!/usr/bin/env bash
# Makes the two packages and checks them (tests/package/package_test.sh).
# The Windows package takes the builds that scripts/test-windows.sh made and
# tested (build/windows, build/windows64); the Linux package needs only the
# program of the release build (build/linux), not its tests.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset linux >/dev/null
cmake --build --preset linux --target tornvale -j "$jobs"
for kind in deb zip; do
  rm -f build/packages/*."$kind"
  cpack --preset "$kind" >/dev/null
done
tests/package/package_test.sh build/packages
