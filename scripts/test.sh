#!/usr/bin/env bash
# Builds both programs and runs every test: the Linux build under
# AddressSanitizer and UndefinedBehaviorSanitizer, then Tornvale.exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
cmake --preset linux-sanitize
cmake --build --preset linux-sanitize -j "$jobs"
ctest --preset linux-sanitize -j "$jobs"

cmake --preset windows
cmake --build --preset windows -j "$jobs"
ctest --preset windows
