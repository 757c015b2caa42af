#!/usr/bin/env bash
# Builds the Debian package vertan_<version>_<arch>.deb into the folder given
# as $1 (default: build-deb; a relative one is below the project) from a Release build with Debian's hardening
# flags (all of them unless DEB_BUILD_MAINT_OPTIONS says otherwise), without
# tests or benchmarks. Prints the package's path.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build-deb}
case $dir in /*) ;; *) dir=$top/$dir ;; esac
export DEB_BUILD_MAINT_OPTIONS=${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DVERTAN_TESTS=OFF -DVERTAN_BENCH=OFF
fi
cmake --build "$dir" -j2
(cd "$dir" && cpack -G DEB > cpack.log) || { cat "$dir/cpack.log"; exit 1; }
ls "$dir"/vertan_*.deb
