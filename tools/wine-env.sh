# Sourced by the test scripts: one Wine prefix for every Windows test run.
export WINEPREFIX=${WINEPREFIX:-/tmp/glyphcast-wine}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Debian's `wine` picks the 32-bit loader once wine32 is installed; a kernel
# without 32-bit support cannot run it, and then only 64-bit programs run.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  export GC_WINE=wine GC_WINE32=1
else
  export GC_WINE=/usr/lib/wine/wine64 GC_WINE32=0
fi
