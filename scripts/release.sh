#!/usr/bin/env bash
# Makes a release from a committed tree: fresh builds of both programs, every
# test (scripts/test.sh, which ends by making the two packages and checking
# them), then the package files with their SHA-256 sums, also written to
# build/packages/SHA256SUMS.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -n "$(git status --porcelain 2>/dev/null)" ]; then
  echo "release.sh: the tree has changes that are not committed; a release is made from a commit" >&2
  git status --short >&2
  exit 1
fi

# Nothing left over from an earlier build goes into a package.
rm -rf build/linux build/windows build/windows64 build/packages
scripts/test.sh

cd build/packages
files=(*.deb *.zip)
for file in "${files[@]}"; do
  [ -f "$file" ] || { echo "release.sh: no package $file was made" >&2; exit 1; }
done
sha256sum "${files[@]}" >SHA256SUMS
echo
echo "Release $(git rev-parse --short HEAD 2>/dev/null || true): in build/packages"
cat SHA256SUMS
