#!/usr/bin/env bash
# Long run of the launcher: GAMES computer-against-computer games in one
# process with no pauses (default 10000). Prints the figures every 100 games
# and "held" when memory grew at most 5 % after game 100 and no descriptor,
# timer or child process was left behind.
# usage: bench/app/soak.sh [BUILD_DIR] [GAMES] [--person]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
shift || true
export QT_QPA_PLATFORM=offscreen
exec nice -n 19 "$build/bench-bin/launcher_soak" "$@"
