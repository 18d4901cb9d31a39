# Sourced by the test scripts: one Wine prefix for every Windows test run.
export WINEPREFIX=${WINEPREFIX:-/tmp/glyphcast-wine}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
