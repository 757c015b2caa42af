#!/usr/bin/env bash
# referee-games.sh PROGRAM_DIR FOLDER COUNT SEED
# One more launcher of a club: COUNT games of Анна, Борис or Вера against the
# computer, each refereed by `referee --record` into FOLDER's database and
# played by the test client. Exits 1 at the first game not recorded.
set -euo pipefail
bin=$1
folder=$2
count=$3
seed=$4
players=(Анна Борис Вера)
# The referee's output comes through a pipe of our own: its first line names the port.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fifo=$work/referee
mkfifo "$fifo"
for ((i = 0; i < count; i++)); do
  person=${players[$(((seed + i * 7) % 3))]}
  if (((seed + i) % 2 == 0)); then
    sides=(--first "$person" --second Компьютер)
  else
    sides=(--first Компьютер --second "$person")
  fi
  "$bin/referee" "${sides[@]}" --program-folder "$folder" --port 0 --pause-scale 0 --tick 0 \
    --record >"$fifo" &
  pid=$!
  exec {out}<"$fifo"
  read -r line <&"$out"
  "$bin/testclient" --port "${line##* }" --pick random --seed $((seed * 1000 + i)) >/dev/null
  cat <&"$out" >/dev/null
  exec {out}<&-
  wait "$pid" || { echo "game $i was not recorded" >&2; exit 1; }
done
