#!/usr/bin/env bash
# How long one font takes to reach 1, 10, 100 and 200 emulated printers, each
# reading at most 250 KB/s, served one at a time (--jobs 1), 64 at a time, and
# all at once: the wall time until every printer holds every byte (glyphcast
# ends a connection only once its printer has read everything). It only reports.
# Usage: bench/fleet_bench.sh BIN_DIR [FONT] [MAX_PRINTERS_SERVED_ONE_AT_A_TIME]
set -euo pipefail
bin=$1
font=${2:-/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf}
serial_max=${3:-200}
work=$(mktemp -d /tmp/glyphcast-fleet-bench.XXXXXX)
emulator=""
cleanup() { [ -n "$emulator" ] && kill "$emulator" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

size=$("$bin/glyphcast" export -o - "$font" | wc -c)
echo "font $(basename "$font"): a stream of $size bytes; printers read 250 KB/s each"
for n in 1 10 100 200; do
  rm -rf "$work/root" "$work/ports"
  "$bin/printer-emulator" --root "$work/root" --printers $n --port 0 --port-file "$work/ports" \
    --rate 250000 --timeout 1800 --log /dev/null >/dev/null &
  emulator=$!
  for _ in $(seq 500); do [ -s "$work/ports" ] && break; sleep 0.01; done
  sleep 0.2
  if [ $n -eq 1 ]; then printers=(--printer "127.0.0.1:$(head -n1 "$work/ports")")
  else mapfile -t lines <"$work/ports"; printers=(); for l in "${lines[@]}"; do printers+=(--printer "$l"); done; fi
  for jobs in $(printf '%s\n' 1 64 $n | sort -nu); do
    [ $jobs -gt $n ] && continue
    [ $jobs -eq 64 ] && [ $n -le 64 ] && continue
    [ $jobs -eq 1 ] && [ $n -gt "$serial_max" ] && { echo "$n printers, --jobs 1: not measured"; continue; }
    start=$(date +%s%N)
    "$bin/glyphcast" download --quiet --jobs $jobs "${printers[@]}" "$font"
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    printf '%3d printers, --jobs %3d: %6d ms\n' $n $jobs $ms
  done
  kill $emulator; wait $emulator 2>/dev/null || true; emulator=""
done
