#!/bin/sh
# Runs a Windows program under Wine, quietly; the exit code passes through.
# tools/wine-prefix.sh prepares the prefix and keeps wineserver running.
: "${WINEPREFIX:=/tmp/glyphcast-wine}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
exec wine "$@"
