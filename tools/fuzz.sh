#!/usr/bin/env bash
# A long run of one fuzz target: tools/fuzz.sh TARGET MINUTES (fractions
# allowed), or tools/fuzz.sh list. Builds the target in the sanitize preset,
# runs it from its committed seeds (tests/fuzz/TARGET) and the scratch corpus
# of earlier runs (build/sanitize/fuzz/TARGET/corpus, which takes what it
# finds), keeps the log as build/sanitize/fuzz/TARGET/last-run.log and ends
# with one line: executions, rate, coverage, corpus. A fault's input lands in
# build/sanitize/fuzz/TARGET/artifacts/ and the status is libFuzzer's.
# Extra arguments after MINUTES go to libFuzzer (-jobs=N, -dict=..., ...).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=build/sanitize

usage() {
  echo "usage: tools/fuzz.sh TARGET MINUTES [libFuzzer options] | tools/fuzz.sh list" >&2
  exit 2
}
[ $# -ge 1 ] || usage
if [ "$1" = list ]; then
  ls tests/fuzz | grep -v README
  exit 0
fi
[ $# -ge 2 ] || usage
target=${1#fuzz_}
minutes=$2
shift 2
[ -d "tests/fuzz/$target" ] || { echo "no target $target (tools/fuzz.sh list)" >&2; exit 2; }
seconds=$(awk -v m="$minutes" 'BEGIN { s = int(m * 60); if (s < 1) exit 1; print s }') ||
  usage

# Two runs side by side (one per core) may start together: one builds at a time.
[ -f "$build/CMakeCache.txt" ] || cmake --preset sanitize >/dev/null
flock "$build/.fuzz-build.lock" cmake --build --preset sanitize --target "fuzz_$target" >/dev/null

dir=$build/fuzz/$target
mkdir -p "$dir/corpus" "$dir/artifacts"
log=$dir/last-run.log
status=0
start=$SECONDS
"$build/bin/fuzz_$target" -max_total_time="$seconds" $(cat "$dir/options") -timeout=10 \
  -print_final_stats=1 -artifact_prefix="$dir/artifacts/" "$@" \
  "$dir/corpus" "tests/fuzz/$target" >"$log" 2>&1 || status=$?
elapsed=$((SECONDS - start))

# libFuzzer's last status line and final statistics.
pcs=$(grep -o 'Loaded 1 PC tables ([0-9]* PCs)' "$log" | grep -o '[0-9]* PCs' | head -1)
last=$(grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE)' "$log" | tail -1)
cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
corp=$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$last")
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
echo "fuzz_$target: ${runs:-?} inputs in $elapsed s (${rate:-?}/s), coverage ${cov:-?} edges of ${pcs:-?}," \
     "${ft:-?} features, corpus ${corp:-?}"
if [ "$status" != 0 ]; then
  grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -5 >&2
  echo "fuzz_$target failed (status $status); log: $log" >&2
fi
exit "$status"
