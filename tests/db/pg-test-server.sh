#!/usr/bin/env bash
# pg-test-server.sh start|stop|restart DIR [durable|killable]
# A PostgreSQL 15 server of the tests' own: its data, log and Unix socket in
# DIR, no TCP listener, trust authentication for the role "vertan". As root it
# runs as the unprivileged user nobody (the server refuses to run as root).
# Tests need no durability and run without fsync; "durable" keeps the
# server's defaults (for figures); "killable" keeps what was committed when
# the server's processes are killed (the operating system still writes it).
set -euo pipefail
command=$1
dir=$2
options="-c fsync=off -c synchronous_commit=off -c full_page_writes=off"
[ "${3:-}" = durable ] && options=""
[ "${3:-}" = killable ] && options="-c fsync=off -c full_page_writes=off"
bindir=/usr/lib/postgresql/15/bin
[ -x "$bindir/initdb" ] || bindir=$(dirname "$(command -v initdb)")
as_server=()
if [ "$(id -u)" -eq 0 ]; then as_server=(runuser -u nobody --); fi
pg_ctl() { (cd / && "${as_server[@]}" "$bindir/pg_ctl" "$@"); }

case $command in
start)
  if [ -d "$dir/data" ] && pg_ctl status -D "$dir/data" >/dev/null 2>&1; then exit 0; fi
  rm -rf "$dir"
  mkdir -p "$dir"
  chmod 700 "$dir"
  if [ "$(id -u)" -eq 0 ]; then chown nobody "$dir"; fi
  (cd / && "${as_server[@]}" "$bindir/initdb" -D "$dir/data" -U vertan -A trust -E UTF8 \
     --locale=C.UTF-8 --no-sync >"$dir/initdb.log" 2>&1) || { cat "$dir/initdb.log" >&2; exit 1; }
  pg_ctl start -w -t 60 -D "$dir/data" -l "$dir/server.log" \
    -o "-k $dir -c listen_addresses= -p 5432 $options" \
    >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  ;;
restart)
  # Keeps the data: a running server is restarted, a killed one started again.
  pg_ctl stop -w -D "$dir/data" -m fast >/dev/null 2>&1 || true
  pg_ctl start -w -t 60 -D "$dir/data" -l "$dir/server.log" \
    -o "-k $dir -c listen_addresses= -p 5432 $options" \
    >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  ;;
stop)
  if [ -d "$dir/data" ]; then pg_ctl stop -w -D "$dir/data" -m fast >/dev/null 2>&1 || true; fi
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start|stop|restart DIR" >&2
  exit 2
  ;;
esac
