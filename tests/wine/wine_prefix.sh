#!/bin/sh
# Starts or stops the Wine prefix the Windows tests share.
#   start: a fresh prefix, then one persistent wineserver for the whole run,
#          since Wine keeps a key's security only in the running server.
#   stop:  ends that server (and with it every process in the prefix).
# Needs WINEPREFIX; TORNVALE_WINE names the build's loader. The prefix is
# made by a 64-bit loader (the system's, or the copy in the qemu route's
# loader folder), so it is a 64-bit prefix in which 32-bit programs run
# under WoW64.
set -eu
: "${WINEPREFIX:?}"
: "${TORNVALE_WINE:?}"
wine_loader=$TORNVALE_WINE

case "${1:-}" in
start)
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  # The server and the prefix's background processes (services, devices)
  # start here with no output attached: whatever they inherited from a test
  # would hold that test's output pipe open, and the test would never end.
  wineserver -p </dev/null >/dev/null 2>&1
  # No Mono or Gecko: nothing here needs them, and installing them would
  # ask for a download.
  WINEDLLOVERRIDES="mscoree,mshtml=" "$wine_loader" wineboot -i </dev/null >/dev/null 2>&1
  echo "wine prefix ready: $WINEPREFIX"
  ;;
stop)
  wineserver -k >/dev/null 2>&1 || true
  echo "wineserver stopped"
  ;;
*)
  echo "usage: $0 start|stop" >&2
  exit 2
  ;;
esac
