#!/usr/bin/env bash
# Deep fuzzing by hand: each target runs until RUNS executions (default
# 10 million) or SECONDS (default 3600), whichever comes first, then its
# corpus is minimized into fuzz/corpus/<target>, which CI's short runs start
# from. Prints one figure line per target. Builds into $1 like run-all.sh.
# usage: fuzz/deep.sh BUILD_DIR [TARGET...]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:?usage: fuzz/deep.sh <builddir> [target...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(rtf options settings client board picture helppath record)
runs=${RUNS:-10000000}
seconds=${SECONDS_PER_TARGET:-3600}
export QT_QPA_PLATFORM=offscreen
# A small quarantine: the default 256 MiB, filled by Qt's many small
# allocations, looked like growth though nothing leaks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:malloc_context_size=5}
for target in "${targets[@]}"; do
  work="$dir/fuzz-deep/$target"
  mkdir -p "$work" "$top/fuzz/corpus/$target"
  inputs=("$work" "$top/fuzz/corpus/$target")
  [ -d "$top/fuzz/seeds/$target" ] && inputs+=("$top/fuzz/seeds/$target")
  nice -n 19 "$dir/fuzz-bin/fuzz_$target" -runs="$runs" -max_total_time="$seconds" \
    -max_len=65536 -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
    -artifact_prefix="$dir/fuzz-bin/$target-" "${inputs[@]}" > "$dir/fuzz-deep/$target.log" 2>&1 || true
  # Minimize: only inputs that add coverage are kept.
  fresh=$(mktemp -d)
  nice -n 19 "$dir/fuzz-bin/fuzz_$target" -merge=1 -max_len=65536 "$fresh" "${inputs[@]}" > /dev/null 2>&1
  rm -rf "$top/fuzz/corpus/$target"
  mv "$fresh" "$top/fuzz/corpus/$target"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/fuzz-deep/$target.log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/fuzz-deep/$target.log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$dir/fuzz-deep/$target.log")
  cov=$(grep -o 'cov: [0-9]*' "$dir/fuzz-deep/$target.log" | tail -n 1)
  findings=$(find "$dir/fuzz-bin" -name "$target-*" | wc -l)
  echo "fuzz_$target: ${execs:-?} executions, ${speed:-?}/s, ${cov:-cov: ?} edges, peak rss ${rss:-?} MB, corpus $(ls "$top/fuzz/corpus/$target" | wc -l) files, findings $findings"
done
