#!/bin/sh
# The figures of docs/computer.md, run by hand (minutes, not for CI):
#   bench/computer/figures.sh [BUILD] [OUT]
# needs gnubg installed and a build (default build/) with the referee.
set -eu
build=${1:-build}
out=${2:-computer-figures}
referee="$build/program/referee"
folder="$build/program"
here=$(dirname "$0")
mkdir -p "$out"

echo "== GNU Backgammon 0-ply against the built-in computer, 1000 games"
"$referee" --match 1000 --first "GNU Backgammon" --second "Компьютер" --seed 1 \
  --save "$out/zero" --program-folder "$folder" 2>/dev/null | tee "$out/zero.txt"

echo "== GNU Backgammon 2-ply against the built-in computer, 100 games"
"$referee" --match 100 --first "GNU Backgammon" --level 2 --second "Компьютер" --seed 2 \
  --program-folder "$folder" 2>/dev/null | tee "$out/two.txt"

echo "== GNU Backgammon 1-ply against the built-in computer, 100 games"
"$referee" --match 100 --first "GNU Backgammon" --level 1 --second "Компьютер" --seed 3 \
  --program-folder "$folder" 2>/dev/null | tee "$out/one.txt"

echo "== performance rating of both players over the first 100 saved games, 2-ply analysis"
mkdir -p "$out/hundred"
for i in $(seq -w 1 100); do cp "$out/zero/game-00$i.mat" "$out/hundred/"; done
python3 "$here/performance-rating.py" --plies 2 --jobs 2 "$out/hundred" | tee "$out/rating.txt"

echo "== the referee's own cost per turn"
"$build/bench-bin/engine_bench" --benchmark_filter=RefereeTurn 2>/dev/null | tail -n +4
