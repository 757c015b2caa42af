#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it: lintian
# without errors, the menu entry and the AppStream metainfo as installed.
# Lintian's warnings are printed; the ones that remain are explained in
# docs/packaging.md.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build-deb}
case $dir in /*) ;; *) dir=$top/$dir ;; esac
deb=$("$top/scripts/package.sh" "$dir" | tail -n 1)
echo "== $deb"
lintian --fail-on error --tag-display-limit 0 "$deb"
rm -rf "$dir/unpacked"
dpkg-deb -x "$deb" "$dir/unpacked"
desktop-file-validate "$dir/unpacked/usr/share/applications/vertan.desktop"
appstreamcli validate --no-net "$dir"/unpacked/usr/share/metainfo/*.metainfo.xml
# A club's server: the driver is recommended, the set-up tool and its schema ship.
dpkg-deb -f "$deb" Recommends | grep -qw libqt6sql6-psql || { echo "no Recommends: libqt6sql6-psql" >&2; exit 1; }
# GNU Backgammon as a player: suggested, never needed.
dpkg-deb -f "$deb" Suggests | grep -qw gnubg || { echo "no Suggests: gnubg" >&2; exit 1; }
for file in usr/bin/ratings-db usr/share/man/man1/ratings-db.1.gz usr/share/vertan-server/Ratings.postgresql.sql; do
  [ -s "$dir/unpacked/$file" ] || { echo "missing from the package: $file" >&2; exit 1; }
done
# The club page's user timer and service as systemd reads them, the command
# taken from the unpacked package; shipped off (nothing enables them).
units=$dir/unpacked/usr/lib/systemd/user
for unit in vertan-report.service vertan-report.timer; do
  [ -s "$units/$unit" ] || { echo "missing from the package: $unit" >&2; exit 1; }
done
rm -rf "$dir/units" && mkdir "$dir/units"
sed "s#^ExecStart=/#ExecStart=$dir/unpacked/#" "$units/vertan-report.service" > "$dir/units/vertan-report.service"
cp "$units/vertan-report.timer" "$dir/units/"
"$top/tests/packaging/verify-units.sh" "$dir/units/vertan-report.service" "$dir/units/vertan-report.timer"
rm -rf "$dir/control"
dpkg-deb -e "$deb" "$dir/control"
if grep -qs "vertan-report" "$dir/control/postinst"; then
  echo "the package enables the report's timer" >&2; exit 1
fi
echo "== package checks passed"
