#!/bin/sh
# Times an update of the club's page after NEW games, against the full run:
#   bench/report/run-update-bench.sh BUILD PLAYERS GAMES NEW [WORK]
# The club is made once in WORK/club (as run-report-bench.sh does) and copied
# for each run; the full run makes the site, NEW games are added as an
# evening's recordings add them, and ratings-db --report updates the site.
# "written" is what the process wrote to files (/usr/bin/time's %O blocks of
# 512 bytes). With SERVER=1 the same on a PostgreSQL server of its own
# (tests/db/pg-test-server.sh), the club copied into it by ratings-db --copy.
set -eu
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd) players=$2 games=$3 new=$4
work=${5:-$(mktemp -d)}
if ! [ -f "$work/club/made-$players-$games" ]; then
    "$build/bench-bin/make_report_club" "$work/club" "$players" "$games"
    touch "$work/club/made-$players-$games"
fi
run=$(mktemp -d "$work/update-XXXXXX")
cp -r "$work/club" "$run/club"
source="--program-folder $run/club"
if [ "${SERVER:-0}" = 1 ]; then
    pg=/tmp/vertan-pg-update-$$
    trap '"$top/tests/db/pg-test-server.sh" stop "$pg"' EXIT
    "$top/tests/db/pg-test-server.sh" start "$pg" durable
    psql -q "host=$pg port=5432 user=vertan dbname=postgres" -c "CREATE DATABASE ratings"
    # One word: the runs below pass it unquoted.
    server="postgresql://vertan@/ratings?host=$pg&port=5432"
    "$build/program/ratings-db" --server "$server" --create --copy "$run/club/Data/Ratings.mdb"
    source="--server $server"
fi
timed() {
    echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
    /usr/bin/time -f "$1: %e s wall, %U s user, %S s sys, peak %M KB, written %O blocks of 512 bytes" \
        "$build/program/ratings-db" $source --report "$run/site"
}
timed "full run"
"$build/bench-bin/make_report_club" "$run/club" "$players" "$new" --add
if [ "${SERVER:-0}" = 1 ]; then
    "$build/program/ratings-db" --server "$server" --copy "$run/club/Data/Ratings.mdb" --replace
fi
timed "update after $new games"
timed "update with nothing new"
echo "files: $(find "$run/site" -type f | wc -l), size: $(du -sh "$run/site" | cut -f1) in $run/site"
