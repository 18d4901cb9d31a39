#!/usr/bin/env bash
# Checks the packages tools/package.sh built, as a user would meet them:
#  - the .deb installs on this machine with apt-get (its dependencies resolved),
#    its programs answer --version and --help, its manual pages format without
#    warnings, and the quick start runs against the installed programs; it is
#    removed again afterwards;
#  - the Windows zip, unpacked into a fresh folder and a fresh Wine prefix,
#    starts TORVEN.exe (its main window opens).
# Usage: tools/check-packages.sh [deb|windows|all]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
what=${1:-all}
version=$(sed -n 's/^project(glyphcast VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
fail() { echo "FAILED: $*"; exit 1; }

if [ "$what" = deb ] || [ "$what" = all ]; then
  deb=$root/build/packages/glyphcast_${version}_amd64.deb
  [ -f "$deb" ] || fail "no $deb: run tools/package.sh deb"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "$deb" >/dev/null
  trap '$sudo dpkg -r glyphcast >/dev/null 2>&1 || true' EXIT
  [ "$(command -v glyphcast)" = /usr/bin/glyphcast ] || fail "glyphcast is not /usr/bin/glyphcast"
  [ "$(glyphcast --version)" = "glyphcast $version" ] || fail "glyphcast --version"
  glyphcast --help | grep -q '^usage: glyphcast COMMAND' || fail "glyphcast --help"
  glyphcast-printer-emulator --version | grep -qx "printer-emulator $version" ||
    fail "glyphcast-printer-emulator --version"
  for page in glyphcast glyphcast-printer-emulator; do
    warnings=$(MANWIDTH=80 man --warnings -l "/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
    MANWIDTH=80 man -l "/usr/share/man/man1/$page.1.gz" | grep -q "$version" ||
      fail "man $page has no version"
  done
  [ -f /usr/share/bash-completion/completions/glyphcast ] || fail "no bash completion"
  GC_INSTALLED=1 tools/quickstart.sh >/tmp/glyphcast-quickstart.log 2>&1 ||
    { cat /tmp/glyphcast-quickstart.log; fail "the quick start against the installed programs"; }
  grep -q 'STORED 0:\\pcl\\fonts\\DejaVuSans' /tmp/glyphcast-quickstart.log ||
    fail "the quick start stored no TrueType font"
  echo "ok: the .deb installs, answers and runs the quick start"
fi

if [ "$what" = windows ] || [ "$what" = all ]; then
  zip=$root/build/packages/glyphcast-$version-windows.zip
  [ -f "$zip" ] || fail "no $zip: run tools/package.sh windows"
  scratch=$(mktemp -d /tmp/glyphcast-bundle-check.XXXXXX)
  export WINEPREFIX=$scratch/prefix
  . tools/wine-env.sh
  [ "$GC_WINE32" = 1 ] || { echo "skipped: this kernel cannot run the 32-bit program"; exit 0; }
  trap 'tools/wine-prefix.sh stop; rm -rf "$scratch"' EXIT
  /usr/bin/python3 -m zipfile -e "$zip" "$scratch"
  bundle=$scratch/glyphcast-$version-windows
  (cd "$bundle" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS"
  tools/wine-prefix.sh start
  GC_DRIVER=$root/build/win32/bin/gcdriver.exe \
    tests/window/run-scenario.sh "$bundle" tests/window/bundle.txt "$scratch/out" ||
    fail "TORVEN.exe from the bundle"
  echo "ok: the Windows bundle starts TORVEN.exe in a fresh prefix"
fi
