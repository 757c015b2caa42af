#!/usr/bin/env bash
# Builds the fuzz targets with clang into the folder given as $1 and runs each
# for a short while (FUZZ_SECONDS, default 20). Exit code: non-zero on a finding.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:?usage: fuzz/run-all.sh <builddir>}
seconds=${FUZZ_SECONDS:-20}
if [ ! -f "$dir/CMakeCache.txt" ]; then
  CXX=clang++ CC=clang cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVERTAN_TESTS=OFF -DVERTAN_BENCH=OFF
fi
cmake --build "$dir" --target fuzz_all -j2
export QT_QPA_PLATFORM=offscreen
for target in rtf options settings client; do
  corpus="$dir/fuzz-corpus/$target"
  mkdir -p "$corpus"
  echo "== fuzz_$target for ${seconds}s"
  "$dir/fuzz-bin/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -artifact_prefix="$dir/fuzz-bin/$target-" "$corpus" "$top/fuzz/seeds/$target"
done
