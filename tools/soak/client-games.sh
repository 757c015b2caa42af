#!/usr/bin/env bash
# Long run of the board client: GAMES games (default 1000) of `tolvaner --auto`
# against `referee`, one client process per game (the client plays one game
# and ends). Counts crashes and failed games, and checks at the end that no
# process of the run is left behind.
# usage: tools/soak/client-games.sh [BUILD_DIR] [GAMES]
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
games=${2:-1000}
prog="$build/program"
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Data"
cp "$prog/Data/Board.cfg" "$work/Data/"
crashes=0 failed=0
start=$(date +%s)
summary() {
  left=$(ps -o comm= --ppid $$ | grep -cE "referee|tolvaner")
  echo "games $1: crashes $crashes, failed $failed, processes left $left, $(($(date +%s) - start)) s"
}
for ((i = 1; i <= games; i++)); do
  rm -f "$work/referee.out" # a line of the last game must not pass for this one's
  # A referee left waiting for a client that never came is ended after 2 minutes.
  timeout 120 nice -n 19 "$prog/referee" --port 0 --first Иван --second Пётр --program-folder "$work" \
    --pause-scale 0 --tick 0 > "$work/referee.out" &
  refpid=$!
  line=
  for ((t = 0; t < 3000; t++)); do
    line=$(head -n 1 "$work/referee.out" 2>/dev/null)
    [[ $line == listening* ]] && break
    sleep 0.01
  done
  port=${line##* }
  (cd "$work" && nice -n 19 "$prog/tolvaner" --auto --seed "$i" --port "$port" >"$work/client.out" 2>&1)
  client=$?
  wait "$refpid"
  referee=$?
  result=$(tail -n 1 "$work/referee.out")
  if ((client >= 128 || referee >= 128)); then
    crashes=$((crashes + 1))
    echo "game $i: crash (client $client, referee $referee)"
  elif ((client != 0 || referee != 0)) || [[ $result != winner:* ]]; then
    failed=$((failed + 1))
    echo "game $i: client $client, referee $referee: $result; client's last lines:"
    tail -n 3 "$work/client.out"
  fi
  if ((i % 100 == 0)); then echo "games $i: crashes $crashes, failed $failed, $(($(date +%s) - start)) s"; fi
done
summary $((i - 1))
((crashes == 0 && failed == 0 && left == 0))
