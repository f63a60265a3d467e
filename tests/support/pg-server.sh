#!/usr/bin/env bash
# A throwaway PostgreSQL server for tests and benchmarks. It lives in one
# folder: the cluster in <folder>/data, its unix socket in <folder>, no
# TCP listener. Run as root, the server runs as the "postgres" user (initdb
# refuses root) and the folder is handed to it: the folders above it must
# let that user through.
#   eval "$(bash tests/support/pg-server.sh start /tmp/pg)"   # prints PG* and LUMETRA_PG_* keys
#   bash tests/support/pg-server.sh stop /tmp/pg [immediate]
#   bash tests/support/pg-server.sh restart /tmp/pg
# The keys: PGHOST (the socket folder), PGPORT, PGUSER, PGDATABASE, and the
# same as the data source's Database, Backend, Server, Port and UID lines
# in LUMETRA_PG_DSN_LINES.
set -euo pipefail
action=${1:?usage: pg-server.sh start|stop|restart <folder> [immediate]}
dir=$(realpath -m "${2:?usage: pg-server.sh start|stop|restart <folder>}")
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$bin/initdb" ] || { echo "pg-server.sh: no PostgreSQL server binaries in /usr/lib/postgresql" >&2; exit 2; }

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$action" in
  start)
    mkdir -p "$dir"
    if [ "$(id -u)" -eq 0 ]; then
      chown postgres: "$dir"
      runuser -u postgres -- test -x "$dir" || { echo "pg-server.sh: user postgres cannot enter $dir" >&2; exit 1; }
    fi
    # The port only names the socket file; a free TCP port keeps the name
    # unlike any other server's.
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    as_owner "$bin/initdb" -D "$dir/data" -U lumetra -A trust -E UTF8 --locale=C --no-sync >"$dir/initdb.log" 2>&1 \
      || { cat "$dir/initdb.log" >&2; exit 1; }
    echo "$port" > "$dir/port"
    # fsync off: a test kills server processes, never the machine, so the
    # page cache keeps every committed row.
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
      -o "-k $dir -p $port -c listen_addresses= -c fsync=off -c full_page_writes=off" start >/dev/null \
      || { cat "$dir/server.log" >&2; exit 1; }
    printf 'export PGHOST=%q PGPORT=%q PGUSER=lumetra PGDATABASE=postgres\n' "$dir" "$port"
    printf 'export LUMETRA_PG_DSN_LINES=%q\n' $'Database = postgres\nBackend = PostgreSQL\nServer = '"$dir"$'\nPort = '"$port"$'\nUID = lumetra\n'
    ;;
  stop)
    [ -f "$dir/data/postmaster.pid" ] || exit 0
    as_owner "$bin/pg_ctl" -D "$dir/data" -m "${3:-fast}" -w -t 30 stop >/dev/null
    ;;
  restart)
    port=$(cat "$dir/port")
    as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
      -o "-k $dir -p $port -c listen_addresses= -c fsync=off -c full_page_writes=off" start >/dev/null \
      || { cat "$dir/server.log" >&2; exit 1; }
    ;;
  *) echo "pg-server.sh: unknown action $action" >&2; exit 2 ;;
esac
