#!/usr/bin/env bash
# Prepares the Wine prefix for the tests and keeps wineserver running.
# Usage: tools/wine-prefix.sh start|stop
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
case "${1:-start}" in
  start)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$GC_WINE" wineboot -i </dev/null >/dev/null 2>&1
      wineserver -w
      # Debian's Wine does not load its own fonts (Tahoma, Marlett): copy them in.
      cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
      "$GC_WINE" regedit /S "$("$GC_WINE" winepath -w "$here/wine-settings.reg")" </dev/null >/dev/null 2>&1
      wineserver -w
    fi
    # Started outside ctest's pipes: services that inherit them would never let ctest end.
    # A server that already runs for this prefix makes it fail, and serves as well.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    "$GC_WINE" wineboot </dev/null >/dev/null 2>&1
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    ;;
esac
