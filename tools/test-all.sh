#!/usr/bin/env bash
# Builds every preset and runs every test: native and sanitizer tests directly,
# win64 and win32 tests under Wine. Installs what it needs first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
t0=$SECONDS
step() { echo "== $* ($((SECONDS - t0)) s)"; }

step "packages"
tools/install-deps.sh all

failed=0
run_ctest() {
  local preset=$1
  step "tests: $preset"
  ctest --preset "$preset" --timeout 300 -j2 || failed=1
}

for preset in native sanitize win64 win32; do
  step "build: $preset"
  cmake --preset "$preset" >/dev/null
  if ! cmake --build --preset "$preset" -j2 >"build/$preset.log" 2>&1; then
    tail -60 "build/$preset.log"
    echo "build of $preset failed (whole log: build/$preset.log)"
    exit 1
  fi
done

run_ctest native
run_ctest sanitize

. tools/wine-env.sh
trap 'tools/wine-prefix.sh stop' EXIT
step "wine prefix"
tools/wine-prefix.sh start
run_ctest win64
[ "$GC_WINE32" = 1 ] ||
  echo "== this kernel cannot run 32-bit programs: of the i686 build only the host-side checks run"
run_ctest win32

step "done"
exit $failed
