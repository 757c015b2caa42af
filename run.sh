#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program in its program folder.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build
prog=build/program
if [ -x "$prog/selfplay" ]; then
  "$prog/selfplay" --board "$prog/Data/Board.cfg" "$@"
else
  echo "Nothing to run yet." >&2
  exit 1
fi
