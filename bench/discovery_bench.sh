#!/bin/sh
# Reports how long glyphcast search takes to sweep a silent /22 (1,022 host
# addresses in 127.1.0.0/22, where nothing answers) at a few request rates.
# It only reports. Usage: bench/discovery_bench.sh build/native/bin
set -eu
bin=$1
for rate in 1000 2000 5000; do
  best=""
  for _ in 1 2 3; do
    start=$(date +%s%N)
    "$bin/glyphcast" search --range 127.1.0.0/22 --snmp-port 16199 --rate $rate --format json >/dev/null
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "silent /22 at $rate requests/s, 500 ms wait: best of 3 $best ms"
done
