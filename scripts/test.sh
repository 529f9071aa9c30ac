#!/usr/bin/env bash
# Builds both programs and runs every test: the Linux build under
# AddressSanitizer and UndefinedBehaviorSanitizer, then both Windows builds
# under Wine (scripts/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
cmake --preset linux-sanitize
cmake --build --preset linux-sanitize -j "$jobs"
ctest --preset linux-sanitize -j "$jobs"

scripts/test-windows.sh
scripts/test-packages.sh
