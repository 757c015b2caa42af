#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it: lintian
# without errors, the menu entry and the AppStream metainfo as installed.
# Lintian's warnings are printed; the ones that remain are explained in
# docs/packaging.md.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$top/${1:-build-deb}
deb=$("$top/scripts/package.sh" "${1:-build-deb}" | tail -n 1)
echo "== $deb"
lintian --fail-on error --tag-display-limit 0 "$deb"
rm -rf "$dir/unpacked"
dpkg-deb -x "$deb" "$dir/unpacked"
desktop-file-validate "$dir/unpacked/usr/share/applications/vertan.desktop"
appstreamcli validate --no-net "$dir"/unpacked/usr/share/metainfo/*.metainfo.xml
echo "== package checks passed"
