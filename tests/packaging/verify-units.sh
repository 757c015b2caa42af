#!/bin/sh
# systemd-analyze verify on user units: neither an error nor a warning.
set -eu
run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
# A user manager needs a runtime folder, which root and CI do not have.
out=$(XDG_RUNTIME_DIR=$run systemd-analyze verify --user --man=no "$@" 2>&1) || {
    echo "$out"
    exit 1
}
[ -z "$out" ] || { echo "$out"; exit 1; }
