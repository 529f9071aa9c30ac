#!/usr/bin/env bash
# Installs what building and testing Tornvale need on Debian, as root (or
# through sudo). Installs only what is missing; does nothing when all is there.
#   scripts/install-deps.sh          both builds
#   scripts/install-deps.sh linux    the Linux build only
set -euo pipefail

packages=(cmake g++ make pkg-config libgtest-dev libhivex-dev)
# The .deb: dpkg-shlibdeps works out its dependencies; man renders the
# manual page in the package tests.
packages+=(dpkg-dev man-db)
if [ "${1:-all}" != linux ]; then
  # Tornvale.exe is built with the i686 cross compiler and runs on 32-bit
  # Wine in a 64-bit prefix; the x86_64 build runs on 64-bit Wine. The posix
  # thread model because GoogleTest needs std::mutex. Where the kernel
  # executes no 32-bit program, 32-bit Wine runs under qemu-i386, with a
  # small preload library built by the Linux i686 C compiler.
  packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 wine32:i386
             qemu-user gcc-i686-linux-gnu libc6-dev-i386-cross)
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
