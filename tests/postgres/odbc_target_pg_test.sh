#!/usr/bin/env bash
# The built program through "Lumetra Data Source" with Backend = ODBC
# into a PostgreSQL server reached by Debian's psqlODBC driver, which on
# its own refuses "1234.5" for an integer column and knows none of the
# utility's type words. Types and values are checked with psql; a table
# that exists, a refused value after K rows (K-1 kept), Cancel (the
# counted rows kept) and a server that is down end as with SQLite.
#   odbc_target_pg_test.sh <lumetra-import> <liblumetraodbc.so> <psqlodbcw.so>
. "$(dirname "$0")/../support/testlib.sh"
terminal_front_end
program=$(realpath "$1")
driver=$(realpath "$2")
psqlodbc=$3
server="$support/pg-server.sh"
on_exit='bash "$server" stop "$pg" immediate >/dev/null 2>&1 || true'
make_work /tmp/lumetra-odbc-pg-XXXXXX
pg="$work/pg"

chmod 755 "$work"
eval "$(bash "$server" start "$pg")"
: > "$work/odbcinst.ini"
cat > "$work/odbc.ini" <<INI
[Lumetra Data Source]
Driver = $driver
Backend = ODBC
Target = Server
CommitInterval = 100
[Server]
Driver = $psqlodbc
Servername = $PGHOST
Port = $PGPORT
Database = $PGDATABASE
Username = $PGUSER
INI
export ODBCSYSINI=$work ODBCINI=$work/odbc.ini
sql() { psql -X -q -A -t -F '|' -v ON_ERROR_STOP=1 -P null=NULL -c "$1"; }
run() { set +e; out=$("$program" "$@" 2>&1); rc=$?; set -e; }

printf 'Name,Phone,Born@D,At@M,Mr@O,Mrs@O,Vip@C,Amt@N,Price@N*,Notes@L\r\n' > "$work/people.cdf"
printf '"Baker, Ann",0123,19991231,0930,1,0,1,1234.5,12.34,"two\r\nlines"\r\n' >> "$work/people.cdf"
printf 'Zo\xe9,007,,1745,0,1,0,-7,0.5,\r\n' >> "$work/people.cdf"
run "$work/people.cdf"
[ "$rc" -eq 0 ] || fail "import: exit $rc: $out"
# LPWSTR gets psqlODBC's varchar, long enough for any CDF field; LONG_LPWSTR its text.
types=$(sql "SELECT string_agg(data_type || coalesce('(' || character_maximum_length || ')', ''), ',' ORDER BY ordinal_position) FROM information_schema.columns WHERE table_name = 'people'")
v='character varying(32767)'
[ "$types" = "$v,$v,timestamp without time zone,$v,smallint,smallint,integer,integer,text" ] || fail "types: $types"
rows=$(sql 'SELECT * FROM people')
want=$'Baker, Ann|0123|1999-12-31 00:00:00|09:30|2|1|1234|1234|two\r\nlines\nZo\xc3\xa9|007|NULL|17:45|1|0|-7|50|'
[ "$rows" = "$want" ] || fail "values: $(printf '%q' "$rows")"

run "$work/people.cdf"
[ "$rc" -eq 1 ] && grep -q 'already exists' <<<"$out" || fail "existing table: exit $rc: $out"

printf 'Name,N@N\r\na,1\r\nb,2\r\nc,30000000000\r\nd,4\r\n' > "$work/refused.cdf"
run "$work/refused.cdf"
[ "$rc" -eq 1 ] && grep -q 'out of range' <<<"$out" || fail "refused: exit $rc: $out"
[ "$(sql 'SELECT string_agg("N"::text, $$,$$ ORDER BY "N") FROM refused')" = "1,2" ] || fail "refused: rows kept"

long_cdf "$work/long.cdf" 1000000
cancel_midway 2 "$program" "$work/long.cdf"
[ "$rc" -eq 130 ] || fail "cancel: exit $rc: $out"
[ "$(sql 'SELECT count(*) FROM long')" = "$counted" ] || fail "cancel: rows differ from the count $counted"

bash "$server" stop "$pg" >/dev/null
run "$work/people.cdf"
[ "$rc" -eq 1 ] && grep -q 'Lumetra' <<<"$out" || fail "server down: exit $rc: $out"
echo "ODBC backend into PostgreSQL: all checks passed"
