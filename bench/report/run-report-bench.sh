#!/bin/sh
# Times ratings-db --report (seconds, peak memory) on a made-up club:
#   bench/report/run-report-bench.sh BUILD PLAYERS GAMES [WORK]
set -eu
build=$1 players=$2 games=$3
work=${4:-$(mktemp -d)}
"$build/bench-bin/make_report_club" "$work/club" "$players" "$games"
rm -rf "$work/site"
/usr/bin/time -f "report: %e s, peak %M KB" \
    "$build/program/ratings-db" --program-folder "$work/club" --report "$work/site"
echo "files: $(find "$work/site" -type f | wc -l), size: $(du -sh "$work/site" | cut -f1)"
