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
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:malloc_context_size=5}
# New inputs go to a scratch folder; the kept minimized corpus
# (fuzz/corpus/<target>) and the hand-made seeds are read as they are.
for target in rtf options settings client board engine_play picture helppath record; do
  corpus="$dir/fuzz-corpus/$target"
  mkdir -p "$corpus"
  inputs=("$corpus")
  for kept in "$top/fuzz/corpus/$target" "$top/fuzz/seeds/$target"; do
    [ -d "$kept" ] && inputs+=("$kept")
  done
  echo "== fuzz_$target for ${seconds}s"
  "$dir/fuzz-bin/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -rss_limit_mb=1024 -artifact_prefix="$dir/fuzz-bin/$target-" "${inputs[@]}"
done
