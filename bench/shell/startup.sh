#!/usr/bin/env bash
# Times start-up to the main menu shown (offscreen) against its yardstick, a
# Qt window of the menu's size with one label in the menu's font: CPU time
# (every thread, perf's task clock) and peak resident memory, medians of RUNS pairs, the two
# programs taking turns.
# Usage: bench/shell/startup.sh <builddir>   (builds shell_startup, label_window, program_data)
set -euo pipefail
dir=$(cd "${1:?usage: startup.sh <builddir>}" && pwd)
runs=${RUNS:-20}
cmake --build "$dir" --target shell_startup label_window program_data -j2 >/dev/null
export QT_QPA_PLATFORM=offscreen
cd "$dir/program" # the program folder: Data/ and Config.cfg
cp Config.cfg /tmp/vertan-bench-config.cfg # start-up writes the port line
trap 'cp /tmp/vertan-bench-config.cfg Config.cfg' EXIT
sample() { # program -> "cpu_ms peak_kib": CPU by perf's task clock (every thread), memory by time
  perf stat -x, -e task-clock -o /tmp/vertan-bench-cpu "$1" >/dev/null 2>&1
  /usr/bin/time -f "%M" -o /tmp/vertan-bench-mem "$1" >/dev/null 2>&1
  echo "$(awk -F, '/task-clock/ {printf "%.1f", $1}' /tmp/vertan-bench-cpu) $(tail -1 /tmp/vertan-bench-mem)"
}
: > /tmp/vertan-bench-program
: > /tmp/vertan-bench-label
for _ in $(seq "$runs"); do
  sample "$dir/bench-bin/shell_startup" >> /tmp/vertan-bench-program
  sample "$dir/bench-bin/label_window" >> /tmp/vertan-bench-label
done
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
report() { # file name
  local cpu mem
  cpu=$(cut -d' ' -f1 "$1" | median)
  mem=$(cut -d' ' -f2 "$1" | median)
  printf '%-24s %6.1f ms CPU, %6d KiB peak resident\n' "$2" "$cpu" "$mem"
  echo "$cpu $mem" > "$1.median"
}
echo "medians of $runs pairs:"
report /tmp/vertan-bench-program "start-up to main menu:"
report /tmp/vertan-bench-label "label window:"
read -r pc pm < /tmp/vertan-bench-program.median
read -r lc lm < /tmp/vertan-bench-label.median
awk -v pc="$pc" -v lc="$lc" -v pm="$pm" -v lm="$lm" \
  'BEGIN {printf "ratio: CPU %.2f (target at most 1.5), memory %.2f (at most 1.3)\n", pc/lc, pm/lm}'
