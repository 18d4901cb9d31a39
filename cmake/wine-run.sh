#!/bin/sh
# Runs a Windows program under Wine, quietly; the exit code passes through.
# tools/wine-prefix.sh prepares the prefix and keeps wineserver running.
: "${WINEPREFIX:=/tmp/glyphcast-wine}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
if [ -z "${GC_WINE:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then GC_WINE=wine; else GC_WINE=/usr/lib/wine/wine64; fi
fi
exec "$GC_WINE" "$@"
