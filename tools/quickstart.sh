#!/usr/bin/env bash
# The quick start: builds glyphcast, starts the printer emulator on 127.0.0.1,
# downloads the sample soft font, a TrueType font and the sample macro, runs
# the macro, and shows what the emulated printer stored. Installs what it needs first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# GC_INSTALLED=1 uses the installed package's programs instead of building them.
if [ "${GC_INSTALLED:-0}" = 1 ]; then
  glyphcast=glyphcast emulator_program=glyphcast-printer-emulator
else
  tools/install-deps.sh native
  cmake --preset native >/dev/null
  cmake --build --preset native --target glyphcast printer-emulator -j2 >/dev/null
  glyphcast=build/native/bin/glyphcast emulator_program=build/native/bin/printer-emulator
fi

work=$(mktemp -d /tmp/glyphcast-quickstart.XXXXXX)
# Two connections (download, test macro), and never longer than 60 s.
"$emulator_program" --root "$work/printer" --port 0 --port-file "$work/port" \
  --connections 2 --timeout 60 --log "$work/printer.log" --report >"$work/report" &
emulator=$!
trap 'kill $emulator 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
printer="127.0.0.1:$(cat "$work/port")"

# A TrueType font from Debian's fonts-dejavu-core, converted on the way.
ttf=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
echo "\$ glyphcast download --printer $printer samples/sample.sfp $ttf samples/logo.pcl"
"$glyphcast" download --printer "$printer" samples/sample.sfp "$ttf" samples/logo.pcl
echo "\$ glyphcast test-macro --printer $printer 0"
"$glyphcast" test-macro --printer "$printer" 0

status=0
wait $emulator || status=$?
trap - EXIT
echo
echo "The emulated printer logged:"
sed 's/^/  /' "$work/printer.log"
echo "and stored:"
tail -n +2 "$work/report" | sed 's/^/  /'
rm -rf "$work"
exit $status
