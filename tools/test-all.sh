#!/usr/bin/env bash
# Builds every preset and runs every test: native and sanitizer tests directly,
# win64 and win32 tests under Wine; then builds the release packages and
# checks them. Installs what it needs first.
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
  shift
  step "tests: $preset"
  ctest --preset "$preset" --timeout 300 -j2 "$@" || failed=1
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
# Now and then Wine fails to start a test program at all ("ShellExecuteEx
# failed: Internal error", error 1359): a failed test gets one more run, so
# only a failure that repeats fails the run.
run_ctest win64 --repeat until-pass:2
[ "$GC_WINE32" = 1 ] ||
  echo "== this kernel cannot run 32-bit programs: of the i686 build only the host-side checks run"
run_ctest win32 --repeat until-pass:2
tools/wine-prefix.sh stop
trap - EXIT

# The release packages, built from this checkout and tried as a user would.
step "packages: build"
tools/package.sh all || failed=1
step "packages: check"
tools/check-packages.sh all || failed=1

step "done"
exit $failed
