#!/usr/bin/env bash
# Installs the Debian packages a build needs. Usage: tools/install-deps.sh [native|all]
# "native" is enough for the Linux build, its tests (CUPS for the local-queue
# tests) and the quick start; "all" adds the mingw-w64 cross compilers, Wine
# (64 and 32 bit) and Xvfb for the Windows builds and their tests. Needs root
# (or sudo); skips what is there.
set -euo pipefail
what=${1:-all}
native=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
        python3 python3-fonttools fonts-dejavu-core fonts-ipafont-gothic fonts-droid-fallback
        libcups2-dev iproute2 snmpd time
        cups-daemon cups-client dpkg-dev man-db)
windows=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools wine wine64 libwine
         fonts-wine xvfb xdotool imagemagick)
windows32=(wine32:i386 libcups2:i386)

pkgs=("${native[@]}")
[ "$what" = all ] && pkgs+=("${windows[@]}" "${windows32[@]}")

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
export DEBIAN_FRONTEND=noninteractive
if [ "$what" = all ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "installing: ${missing[*]}" >&2
$sudo apt-get update -q >/dev/null
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
