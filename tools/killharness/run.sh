#!/usr/bin/env bash
# Kill harness: ROUNDS recordings through `referee --record`, each referee
# killed with SIGKILL at a random moment; the database is checked after each.
# usage: tools/killharness/run.sh [BUILD_DIR] [ROUNDS] [SEED]
# (KILLHARNESS_NICE: the niceness of the run, 19 unless set)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
rounds=${2:-1000}
seed=${3:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Data"
cp "$build/program/Data/Board.cfg" "$work/Data/"
sqlite3 -bail "$work/Data/Ratings.mdb" ".read $top/data/Ratings.sql" \
  "INSERT INTO PLAYERS VALUES (2, 'Анна', 30), (3, 'Борис', 61);" >/dev/null
nice -n "${KILLHARNESS_NICE:-19}" "$build/program/killharness" --program-dir "$build/program" --folder "$work" \
  --rounds "$rounds" --seed "$seed" ${KILLHARNESS_OUTBOX:+--outbox "$KILLHARNESS_OUTBOX"}
