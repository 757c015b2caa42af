#!/bin/sh
# Times ratings-db --report (seconds, CPU, peak memory) on a made-up club:
#   bench/report/run-report-bench.sh BUILD PLAYERS GAMES [WORK]
# A club already in WORK/club with that many games is used again. The site
# goes to a folder of its own: files deleted just before would slow ext4's
# making of new ones and spoil the figure.
set -eu
build=$1 players=$2 games=$3
work=${4:-$(mktemp -d)}
if ! [ -f "$work/club/made-$players-$games" ]; then
    "$build/bench-bin/make_report_club" "$work/club" "$players" "$games"
    touch "$work/club/made-$players-$games"
fi
site=$(mktemp -d "$work/site-XXXXXX")
# COLD=1 (as root): start from empty caches. The kernel's cost of making a
# file grows with the inodes it already holds, so runs after earlier sites
# are otherwise not comparable.
if [ "${COLD:-0}" = 1 ]; then
    sync
    echo 3 > /proc/sys/vm/drop_caches
fi
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
/usr/bin/time -f "report: %e s wall, %U s user, %S s sys, peak %M KB" \
    "$build/program/ratings-db" --program-folder "$work/club" --report "$site"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "files: $(find "$site" -type f | wc -l), size: $(du -sh "$site" | cut -f1) in $site"
