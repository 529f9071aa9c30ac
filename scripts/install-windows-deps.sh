#!/bin/sh
# Installs what the Windows build and its Wine tests need on Debian, as root:
# the mingw-w64 cross compilers (i686 for Tornvale.exe, x86_64 for the test
# build) and Wine, 64-bit and 32-bit. Installs only what is missing.
set -eu

packages="g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 wine32:i386 cmake make"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

missing=""
for package in $packages; do
  if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $package"
  fi
done

if [ -n "$missing" ]; then
  apt-get update
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi
