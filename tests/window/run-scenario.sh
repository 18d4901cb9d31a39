#!/usr/bin/env bash
# Runs one window scenario: its own Xvfb on a free display, gcdriver.exe under
# Wine, screenshots turned into PNG. Everything it starts ends with it.
# Usage: run-scenario.sh BIN_DIR SCENARIO OUT_DIR
# Exit: 0 passed, 1 failed, 77 skipped (no Xvfb, or Wine cannot run the build).
set -uo pipefail
bin=$(cd "$1" && pwd)
scenario=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
out=$3
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/tools/wine-env.sh"

# A "#needs cups" line: the whole run goes inside a private CUPS scheduler
# with one raw queue, Marrowick_Lab, which Wine lists as a local queue
# (tests/support/cups/cups-lab.sh; it skips without cupsd or root).
if grep -q '^#needs  *cups' "$scenario" && [ -z "${GC_CUPS_QUEUE:-}" ]; then
  exec "$root/tests/support/cups/cups-lab.sh" Marrowick_Lab "$0" "$@"
fi

command -v Xvfb >/dev/null || { echo "no Xvfb: skipped"; exit 77; }
[ -f "$WINEPREFIX/system.reg" ] || {
  echo "no Wine prefix at $WINEPREFIX: run tools/wine-prefix.sh start first"
  exit 1
}

rm -rf "$out"
mkdir -p "$out/work"
log=$out/driver.log
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -f "$out/display"
}
trap cleanup EXIT

# The prefix's settings (Windows version per program, fonts, no window manager
# wait) are applied on every run: the prefix may be older than the settings.
fonts=$WINEPREFIX/drive_c/windows/Fonts
[ -f "$fonts/tahoma.ttf" ] || cp -n /usr/share/wine/fonts/* "$fonts/" 2>/dev/null
winpath() { "$GC_WINE" winepath -w "$1" 2>/dev/null; }
"$GC_WINE" regedit /S "$(winpath "$root/tools/wine-settings.reg")" </dev/null >/dev/null 2>&1

# A "#needs i686" line: the scenario is for the 32-bit build only (Windows 98
# runs no 64-bit program).
if grep -q '^#needs  *i686' "$scenario" &&
   ! od -A n -t x1 -j "$(( $(od -A n -t u4 -j 60 -N 4 "$bin/TORVEN.exe") + 4 ))" -N 2 "$bin/TORVEN.exe" |
     grep -q '4c 01'; then
  echo "not a 32-bit build: skipped"
  exit 77
fi

# Xvfb picks a free display itself and writes its number to fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$out/display" </dev/null >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.05; done
[ -s "$out/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -n1 "$out/display")

# A "#needs printer-emulator" line: the scenario starts the loopback printer
# (tools/printer_emulator, a Linux program that Wine starts as it is).
if grep -q '^#needs  *printer-emulator' "$scenario"; then
  emulator=${GC_PRINTER_EMULATOR:-$root/build/native/bin/printer-emulator}
  [ -x "$emulator" ] || { echo "no printer emulator at $emulator: skipped"; exit 77; }
  export EMULATOR UNIX_WORK
  UNIX_WORK=$(cd "$out/work" && pwd)
  EMULATOR=$(winpath "$emulator")
fi
# A "#needs snmpd" line: the scenario starts net-snmp agents on loopback
# addresses, each bounded by TIMEOUT, with configuration files it writes to
# its scratch folder (UNIX_WORK as the agents see it). SNMP_PORT differs from
# run to run: agents of an earlier run may still hold theirs.
if grep -q '^#needs  *snmpd' "$scenario"; then
  snmpd=$(command -v snmpd || echo /usr/sbin/snmpd)
  [ -x "$snmpd" ] || { echo "no snmpd: skipped"; exit 77; }
  export SNMPD TIMEOUT UNIX_WORK SNMP_PORT
  UNIX_WORK=$(cd "$out/work" && pwd)
  SNMP_PORT=$((20000 + $$ % 20000))
  SNMPD=$snmpd
  TIMEOUT=$(winpath "$(command -v timeout)")
fi
export BIN WORK OUT SRC
BIN=$(winpath "$bin")
WORK=$(winpath "$out/work")
OUT=$(winpath "$out")
SRC=$(winpath "$root")
# A "#locale NAME" line runs the scenario in that locale: Wine takes the
# system code page from it.
locale=$(sed -n 's/^#locale  *\([^ ]*\).*$/\1/p' "$scenario" | head -n1)
[ -n "$locale" ] && export LC_ALL=$locale LANG=$locale
echo "scenario $(basename "$scenario") on display $DISPLAY${locale:+, locale $locale}"

# The driver's output goes to a file: programs that Wine starts on the way
# (explorer, winhlp32) must not inherit ctest's pipe.
timeout -k 5 180 "$GC_WINE" "${GC_DRIVER:-$bin/gcdriver.exe}" --ids "$(winpath "$root/resources/resource_ids.h")" \
  "$(winpath "$scenario")" </dev/null >"$log" 2>&1
rc=$?
cat "$log"
[ $rc -eq 124 ] && echo "the scenario timed out"

for shot in "$out"/*.bmp; do
  [ -e "$shot" ] || continue
  convert "$shot" "${shot%.bmp}.png" && rm -f "$shot" && echo "screenshot ${shot%.bmp}.png"
done
[ $rc -eq 0 ] || exit 1
