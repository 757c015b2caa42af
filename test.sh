#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exit code is the suite's.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build -DVERTAN_WERROR=${VERTAN_WERROR:-OFF}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2 "$@"
