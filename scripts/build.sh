#!/usr/bin/env bash
# Configures (once) and builds into the folder given as $1 (default: build).
# Extra arguments go to the CMake configure step.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}; shift || true
if [ ! -f "$top/$dir/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$top/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build "$top/$dir" -j2
