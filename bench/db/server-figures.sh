#!/usr/bin/env bash
# bench/db/server-figures.sh BUILD_DIR
# The database figures at 100,000 players and 1,000,000 games on both
# engines: db_bench on the SQLite file, then on a PostgreSQL 15 server of its
# own (durable settings, Unix socket), started here and stopped afterwards.
# Run by hand, e.g.: nice -n 19 bench/db/server-figures.sh build-release
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-build}" && pwd)
dir=/tmp/vertan-pg-bench-$$
trap '"$top/tests/db/pg-test-server.sh" stop "$dir"' EXIT
"$top/tests/db/pg-test-server.sh" start "$dir" durable
psql -q "host=$dir port=5432 user=vertan dbname=postgres" -c "CREATE DATABASE ratings"
server="host=$dir port=5432 user=vertan dbname=ratings"
echo "== SQLite"
"$build/bench-bin/db_bench" --benchmark_min_time=0.5
echo "== sqlite3 shell, the same first pages"
sqlite3 "$build/bench-db/Data/Ratings.mdb" < "$top/bench/db/ShellTimings.sql"
echo "== PostgreSQL"
VERTAN_BENCH_SERVER="$server" "$build/bench-bin/db_bench" --benchmark_min_time=0.5
echo "== psql, the same first pages"
psql -q "$server" -f "$top/bench/db/ShellTimings.postgresql.sql"
