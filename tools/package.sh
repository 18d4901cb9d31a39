#!/usr/bin/env bash
# Builds the release packages from this checkout:
#   build/packages/glyphcast_<version>_amd64.deb      (Debian 12: glyphcast, the printer
#                                                    emulator, manual pages, completion)
#   build/packages/glyphcast-<version>-windows.zip    (the Windows bundle)
# Usage: tools/package.sh [deb|windows|all]   (all unless given)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
what=${1:-all}
out=build/packages
mkdir -p "$out"
version=$(sed -n 's/^project(glyphcast VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

if [ "$what" = deb ] || [ "$what" = all ]; then
  tools/install-deps.sh native
  dir=build/package-linux
  # Release, and no test program built: installing needs only what is installed.
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc \
    -DCMAKE_CXX_COMPILER=g++ -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
  cmake --build "$dir" --target glyphcast printer-emulator gc_man_pages -j2 >/dev/null
  (cd "$dir" && cpack -G DEB >/dev/null)
  cp "$dir/cpack/glyphcast_${version}_amd64.deb" "$out/"
  echo "$out/glyphcast_${version}_amd64.deb"
fi

if [ "$what" = windows ] || [ "$what" = all ]; then
  tools/install-deps.sh all
  # The program in 32 bits runs on every system it accepts; glyphcast.exe is
  # for current (64-bit) Windows.
  for preset in win32 win64; do cmake --preset $preset >/dev/null; done
  cmake --build build/win32 --target TORVEN TORVEN_2k TORVEN_98 TORVEN_EN -j2 >/dev/null
  cmake --build build/win64 --target glyphcast -j2 >/dev/null
  stage=$(mktemp -d /tmp/glyphcast-bundle.XXXXXX)
  trap 'rm -rf "$stage"' EXIT
  name=glyphcast-$version-windows
  mkdir "$stage/$name"
  cp build/win32/bin/TORVEN.exe build/win32/bin/TORVEN_2k.dll build/win32/bin/TORVEN_98.dll \
     build/win32/bin/TORVEN_EN.dll build/win64/bin/glyphcast.exe packaging/windows/TORVEN00.ini \
     "$stage/$name/"
  sed "s/@VERSION@/$version/" packaging/windows/README.txt | sed 's/$/\r/' >"$stage/$name/README.txt"
  sed -i 's/$/\r/' "$stage/$name/TORVEN00.ini"
  (cd "$stage/$name" && sha256sum -- * >SHA256SUMS)
  rm -f "$out/$name.zip"
  (cd "$stage" && /usr/bin/python3 -m zipfile -c "$root/$out/$name.zip" "$name")
  echo "$out/$name.zip"
fi
