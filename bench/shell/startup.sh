#!/usr/bin/env bash
# Times start-up to the main menu shown (offscreen) against a bare Qt window:
# median wall time and median peak resident memory over RUNS runs each.
# Usage: bench/shell/startup.sh <builddir>   (builds shell_startup, bare_window, program_data)
set -euo pipefail
dir=$(cd "${1:?usage: startup.sh <builddir>}" && pwd)
runs=${RUNS:-20}
cmake --build "$dir" --target shell_startup bare_window program_data -j2 >/dev/null
export QT_QPA_PLATFORM=offscreen
measure() { # program -> "median_ms median_kb"
  local times=() mems=() t
  TIMEFORMAT=%R
  for _ in $(seq "$runs"); do
    # The shell's own timer: no extra process inside the measured time.
    t=$( { time "$1" >/dev/null 2>&1; } 2>&1 )
    times+=("$t")
    /usr/bin/time -f "%M" -o /tmp/vertan-bench-mem "$1" >/dev/null 2>&1
    mems+=("$(tail -1 /tmp/vertan-bench-mem)")
  done
  local mt mm
  mt=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)]*1000}')
  mm=$(printf '%s\n' "${mems[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  echo "$mt $mm"
}
cd "$dir/program" # the program folder: Data/ and Config.cfg
cp Config.cfg /tmp/vertan-bench-config.cfg # start-up writes the port line
read -r vt vm < <(measure "$dir/bench-bin/shell_startup")
cp /tmp/vertan-bench-config.cfg Config.cfg
read -r bt bm < <(measure "$dir/bench-bin/bare_window")
echo "start-up to main menu: ${vt} ms, ${vm} KiB peak resident (median of $runs)"
echo "bare Qt window:        ${bt} ms, ${bm} KiB peak resident"
awk -v vt="$vt" -v bt="$bt" -v vm="$vm" -v bm="$bm" \
  'BEGIN {printf "ratio: time %.2f, memory %.2f (target at most 1.5 each)\n", vt/bt, vm/bm}'
