#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program in its program folder.
# On a desktop it opens the main menu. Without a display it plays a demo game
# offscreen (computer against computer, the board client in automatic mode),
# prints every message and saves screenshots into build/demo.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build
cd build/program
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./vertan
fi
echo "No display: playing a demo game offscreen; screenshots go to build/demo."
QT_QPA_PLATFORM=offscreen ./vertan --demo ../demo --pause-scale "${VERTAN_DEMO_PAUSE_SCALE:-0.05}"
