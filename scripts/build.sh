#!/usr/bin/env bash
# Configures and builds into the folder given as $1 (default: build).
# Extra arguments go to the CMake configure step; they are applied to an
# existing folder too, so a changed option is never silently ignored.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}; shift || true
if [ ! -f "$top/$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$top/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
elif [ $# -gt 0 ]; then
  cmake "$top/$dir" "$@" > /dev/null
fi
cmake --build "$top/$dir" -j2
