#!/usr/bin/env bash
# A computer-against-computer game through the headless referee and the test
# client: prints every message the client receives, then the referee's result.
# Usage: tools/referee/demo.sh [program-dir] [referee options, e.g. --pause-scale 1 --tick 1000]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
prog=${1:-$top/build/program}
shift || true
folder=$prog
[ -f "$folder/Data/Board.cfg" ] || folder=$top/data
out=$(mktemp)
ref=
trap 'rm -f "$out"; [ -n "$ref" ] && kill "$ref" 2>/dev/null; true' EXIT
"$prog/referee" --port 0 --first Компьютер --second Компьютер --program-folder "$folder" \
  --pause-scale 0 --tick 20 "$@" >"$out" &
ref=$!
for _ in $(seq 200); do
  grep -q '^listening on port' "$out" && break
  sleep 0.05
done
port=$(sed -n 's/^listening on port //p' "$out")
[ -n "$port" ] || { echo "referee did not start" >&2; exit 1; }
"$prog/testclient" --port "$port"
status=0
wait "$ref" || status=$?
ref=
tail -n +2 "$out"
exit "$status"
