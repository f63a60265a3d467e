#!/usr/bin/env bash
# The built program importing into a PostgreSQL server through a DSN with
# Backend = PostgreSQL: every column kind, the column types and values as
# psql sees them; a table that exists, a value refused by the core and one
# refused by the server; pyodbc reading the table with the same rows and
# Python types as from SQLite; a server killed during a run, which keeps
# every committed row; a server that stops answering, given up by
# QueryTimeout or at Ctrl-C; and a server stopped before the run;
# --replace rolled back by a failure, and --append checked against the
# server's catalog. The imports
# run with a commit per row and with CommitInterval = 100, where the rows
# of a batch reach the server by COPY and a refusal comes at its commit.
#   import_pg_test.sh <lumetra-import> <liblumetraodbc.so>
. "$(dirname "$0")/../support/testlib.sh"
terminal_front_end
program=$(realpath "$1")
driver=$(realpath "$2")
server="$support/pg-server.sh"
on_exit='bash "$server" stop "$pg" immediate >/dev/null 2>&1 || true'
make_work /tmp/lumetra-pg-test-XXXXXX
pg="$work/pg"
caption='Lumetra - HP Database Import Utility'

chmod 755 "$work" # the server's own user works in $pg
keys=$(bash "$server" start "$pg")
eval "$keys"
mkdir -p "$work/dsn" "$work/sqlite" "$work/files"
: > "$work/dsn/odbcinst.ini"
# The data source with the given CommitInterval.
dsn() {
  printf '[Lumetra Data Source]\nDriver = %s\n%sCommitInterval = %s\n' "$driver" "$LUMETRA_PG_DSN_LINES" "$1" > "$work/dsn/odbc.ini"
}
export ODBCSYSINI="$work/dsn" ODBCINI="$work/dsn/odbc.ini"
sql() { psql -X -q -A -t -F '|' -v ON_ERROR_STOP=1 -P null=NULL -c "$1"; }

# Runs the program on a file of the work folder; sets $out and $rc.
run() {
  set +e
  out=$(cd "$work/files" && timeout 20 "$program" "$1" </dev/null 2>&1)
  rc=$?
  set -e
  [ "$rc" -ne 124 ] || fail "hangs on $1: $out"
}
expect() { [ "$rc" -eq "$1" ] || fail "$2: exit status $rc, wanted $1: $out"; }

sql "CREATE FUNCTION no_four() RETURNS event_trigger LANGUAGE plpgsql AS \$\$
     BEGIN
       IF EXISTS (SELECT 1 FROM pg_event_trigger_ddl_commands() WHERE object_identity = 'public.checked') THEN
         ALTER TABLE checked ADD CONSTRAINT no_four CHECK (n <> 4);
       END IF;
     END \$\$;
     CREATE EVENT TRIGGER no_four ON ddl_command_end WHEN TAG IN ('CREATE TABLE') EXECUTE FUNCTION no_four();" >/dev/null
refusal='new row for relation "checked" violates check constraint "no_four". Failing row contains (4).'
for interval in 0 100; do
dsn "$interval"
sql 'DROP TABLE IF EXISTS people, dates, checked' >/dev/null

# Every column kind; text in the CDF's Windows code page comes out as UTF-8.
printf 'Name,Phone,Born@D,At@M,Mr@O,Mrs@O,Ms@O,Vip@C,Tags@G,Amt@N,Price@N*,Notes@L\r\n"Baker, Ann",0123,19991231,0930,0,1,0,1,a;b;,12.34,12.34,"two\r\nlines"\r\nBob "B",,1999123,930,1,0,0,0,x,-1.5,5-,\\n\r\n\xe9l\xe8ve,007,20000229,,0,0,1,1,,1.999,,' \
  > "$work/files/people.cdf"
run people.cdf
expect 0 "import of every column kind"
grep -qxF "$caption  Importing 3" <<<"$out" || fail "final count: $out"
grep -qxF '3 records imported into the table "people"' <<<"$out" || fail "summary: $out"
grep -qE '^  in the data source "Lumetra Data Source": PostgreSQL database [^ ]+ on [^ ]+$' <<<"$out" \
  || fail "summary of where the table is: $out"
types=$(sql "SELECT string_agg(column_name || ' ' || data_type, ', ' ORDER BY ordinal_position) FROM information_schema.columns WHERE table_name = 'people'")
[ "$types" = "Name text, Phone text, Born timestamp without time zone, At text, Mr smallint, Vip smallint, Tags text, Amt integer, Price integer, Notes text" ] \
  || fail "column types: $types"
rows=$(sql 'SELECT * FROM people')
want=$'Baker, Ann|0123|1999-12-31 00:00:00|09:30|2|1|a;b|12|1234|two\r\nlines\nBob "B"||NULL|930|4|0|x|-1|-500|\r\n\n\xc3\xa9l\xc3\xa8ve|007|2000-02-29 00:00:00||1|1||1|0|'
[ "$rows" = "$want" ] || fail "stored values: $(printf '%q' "$rows")"

# The same file again: the server's refusal, below the count; nothing added.
run people.cdf
expect 1 "table exists"
[ "$(tail -n 1 <<<"$out")" = "lumetra-import: [Lumetra] PostgreSQL: relation \"people\" already exists" ] || fail "table exists: $out"
[ "$(sql 'SELECT count(*) FROM people')" = 3 ] || fail "rows added to the existing table"

# --replace in one transaction: a record the core refuses keeps the old
# table whole; a file read through replaces it. --append checks the
# columns in the server's catalog before it inserts.
printf 'Name,Phone\r\nann,1\r\nbob,"2"x\r\n' > "$work/files/broken.cdf"
printf 'Name,Phone\r\ncid,3\r\n' > "$work/files/short.cdf"
run_with() {
  set +e
  out=$(cd "$work/files" && timeout 20 "$program" "$@" </dev/null 2>&1)
  rc=$?
  set -e
  [ "$rc" -ne 124 ] || fail "hangs on $*: $out"
}
sql 'DROP TABLE IF EXISTS kept, short' >/dev/null
run_with --table kept people.cdf
expect 0 "import under another name"
run_with --replace --table kept broken.cdf
expect 1 "replacement refused at a record"
grep -qxF 'lumetra-import: nothing replaced: the table "kept" is kept as it was' <<<"$out" || fail "replacement refused: $out"
[ "$(sql 'SELECT count(*) FROM kept')" = 3 ] || fail "the old table after a failed replacement: $(sql 'SELECT count(*) FROM kept')"
run_with --append --table kept short.cdf
expect 1 "append with other columns"
grep -qF 'lumetra-import: short.cdf not appended: the table "kept" has other columns than the file: the table'"'"'s column 3, Born ' <<<"$out" \
  || fail "append refused: $out"
run_with short.cdf
expect 0 "import before an append"
run_with --append short.cdf
expect 0 "append"
[ "$(sql "SELECT string_agg(\"Name\", ',') FROM short")" = 'cid,cid' ] || fail "appended rows: $(sql 'SELECT * FROM short')"
run_with --replace --table kept short.cdf
expect 0 "replacement"
[ "$(sql 'SELECT * FROM kept')" = 'cid|3' ] || fail "replaced table: $(sql 'SELECT * FROM kept')"

# A date the core refuses at record 2: record 1 is kept.
printf 'n@N,d@D\n1,19991231\n2,19991345\n3,20000101\n' > "$work/files/dates.cdf"
run dates.cdf
expect 1 "refused date"
grep -q 'Datetime field overflow: 1999-13-45 is no calendar date' <<<"$out" || fail "refused date: $out"
[ "$(sql 'SELECT n FROM dates')" = 1 ] || fail "rows before the refused date: $(sql 'SELECT n FROM dates')"

# A value the server refuses at record 4 (a check constraint that an
# event trigger adds to the new table): records 1 to 3 are kept. In a
# batch the refusal comes at the commit that ends it, and says which row.
printf 'n@N\n1\n2\n3\n4\n5\n' > "$work/files/checked.cdf"
run checked.cdf
expect 1 "value refused by the server"
# the whole message: the insert's names the record's line; a batch's
# refusal comes at the commit, which names the row
want="lumetra-import: checked.cdf, line 5: [Lumetra] PostgreSQL: $refusal"
[ "$interval" = 0 ] || want="lumetra-import: [Lumetra] PostgreSQL: row 4 and the rows after it not stored: $refusal"
grep -qxF "$want" <<<"$out" || fail "server's refusal at CommitInterval $interval: $out"
grep -qxF 'The table "checked" keeps 3 rows' <<<"$out" || fail "rows kept after the refusal: $out"
[ "$(sql 'SELECT string_agg(n::text, $$,$$) FROM checked')" = 1,2,3 ] || fail "rows before the server's refusal: $(sql 'SELECT * FROM checked')"
done

# pyodbc reads the same rows, in the same Python types, as from SQLite,
# as a Unicode client (its default) and as an ANSI one.
: > "$work/sqlite/odbcinst.ini"
printf '[Lumetra Data Source]\nDriver = %s\nDatabase = %s\n' "$driver" "$work/sqlite/lumetra.db" > "$work/sqlite/odbc.ini"
ODBCSYSINI="$work/sqlite" ODBCINI="$work/sqlite/odbc.ini" timeout 20 "$program" "$work/files/people.cdf" </dev/null 2>/dev/null \
  || fail "import into SQLite"
read_rows='
import pyodbc
for ansi in (False, True):
    c = pyodbc.connect("DSN=Lumetra Data Source", ansi=ansi)
    c.setdecoding(pyodbc.SQL_CHAR, encoding="utf-8")
    for row in c.cursor().execute("SELECT * FROM people"):
        print([(type(v).__name__, v) for v in row])
'
# In a sanitizer build the driver needs the sanitizer runtime loaded first.
python() { with_sanitizer_runtime "${LUMETRA_PYTHON_PRELOAD:-}" timeout 20 /usr/bin/python3 "$@"; }
from_pg=$(python -c "$read_rows") || fail "pyodbc on PostgreSQL: $from_pg"
from_sqlite=$(ODBCSYSINI="$work/sqlite" ODBCINI="$work/sqlite/odbc.ini" python -c "$read_rows") \
  || fail "pyodbc on SQLite: $from_sqlite"
[ "$from_pg" = "$from_sqlite" ] || fail "pyodbc rows differ: PostgreSQL $from_pg, SQLite $from_sqlite"
grep -q "('datetime', datetime.datetime(1999, 12, 31, 0, 0))" <<<"$from_pg" || fail "no datetime from pyodbc: $from_pg"
grep -q "('int', 1234)" <<<"$from_pg" || fail "no int from pyodbc: $from_pg"
half=$(($(wc -l <<<"$from_pg") / 2))
[ "$(head -n "$half" <<<"$from_pg")" = "$(tail -n +"$((half + 1))" <<<"$from_pg")" ] \
  || fail "an ANSI client reads other rows than a Unicode one: $from_pg"

# The server killed during a run: the program fails with the lost
# connection, and every row committed before the kill is there. With a
# commit per row that is every row the program counted; with
# CommitInterval, the rows of whole batches, at least those seen. When
# only the run's connection is ended (pg_terminate_backend) the program
# asks the table through a new one: the count it leaves is the table's.
{
  printf 'id@N,name\r\n'
  seq 1 3000000 | sed 's/$/,row/; s/$/\r/'
} > "$work/files/big.cdf"
kill_during_run() {
  local how=$2
  dsn "$1"
  sql 'DROP TABLE IF EXISTS big' >/dev/null
  (cd "$work/files" && exec timeout 60 "$program" big.cdf </dev/null >"$work/big.out" 2>&1) &
  local runner=$! seen=0
  for _ in $(seq 1 200); do
    seen=$(sql "SELECT count(*) FROM big" 2>/dev/null || echo 0)
    [ "$seen" -lt 2000 ] || break
    sleep 0.02
  done
  if [ "$how" = terminate ]; then
    sql "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = 'Lumetra Data Source'" >/dev/null
  else
    bash "$server" stop "$pg" immediate
  fi
  set +e
  wait "$runner"
  rc=$?
  set -e
  out=$(tr '\r' '\n' <"$work/big.out")
  expect 1 "server killed during the run"
  grep -q '\[Lumetra\] PostgreSQL: .*connection to the server lost' <<<"$out" || fail "no lost connection: $out"
  counted=$(grep -o 'Importing [0-9]*' <<<"$out" | tail -n 1 | awk '{print $2}')
  [ "$how" = terminate ] || bash "$server" restart "$pg"
  stored=$(sql "SELECT count(*) FROM big")
  if [ "$how" = terminate ]; then
    [ "$counted" = "$stored" ] || fail "$counted left on screen, $stored stored: $out"
    echo "CommitInterval $1: backend ended; $counted left on screen and stored"
    return
  fi
  [ "$(sql "SELECT count(*) = max(id) FROM big")" = t ] || fail "rows stored out of order"
  [ "$counted" -lt 3000000 ] && [ "$seen" -ge 2000 ] || fail "the kill did not fall inside the run: $seen seen, $counted counted"
  if [ "$1" = 0 ]; then
    # The row under way when the server went may have committed unacknowledged.
    [ "$stored" -ge "$counted" ] && [ "$stored" -le $((counted + 1)) ] || fail "counted $counted rows, stored $stored"
  else
    [ "$stored" -ge "$seen" ] && [ "$stored" -le "$counted" ] || fail "seen $seen committed rows, counted $counted, stored $stored"
  fi
  echo "CommitInterval $1: server killed after $counted counted rows; $seen seen committed, $stored stored"
}
for interval in 0 100; do
  for how in stop terminate; do kill_during_run "$interval" "$how"; done
done

# A server that stops answering in the middle of a run (its backend
# stopped with SIGSTOP, as a network partition looks): the run ends within
# seconds, by QueryTimeout or at Ctrl-C, and the count it leaves is what
# the table holds.
stop_answering() {
  local end=$1 limit=$2
  dsn 100
  printf 'QueryTimeout = %s\n' "$limit" >> "$work/dsn/odbc.ini"
  sql 'DROP TABLE IF EXISTS big' >/dev/null
  (cd "$work/files" && exec timeout 60 "$program" big.cdf </dev/null >"$work/big.out" 2>&1) &
  local runner=$! seen=0 backend
  for _ in $(seq 1 200); do
    seen=$(sql "SELECT count(*) FROM big" 2>/dev/null || echo 0)
    [ "$seen" -lt 2000 ] || break
    sleep 0.02
  done
  backend=$(sql "SELECT pid FROM pg_stat_activity WHERE application_name = 'Lumetra Data Source'")
  kill -STOP $backend
  local stopped=$SECONDS
  [ "$end" = ctrl-c ] && { sleep 1; kill -INT "$runner"; }
  set +e
  wait "$runner"
  rc=$?
  set -e
  local took=$((SECONDS - stopped))
  # The stopped backend is ended before it runs again, as a server ends a
  # session whose client has gone: the batch it was given dies with it.
  sql "SELECT pg_terminate_backend($backend)" >/dev/null
  kill -CONT $backend
  while kill -0 $backend 2>/dev/null; do sleep 0.05; done
  out=$(tr '\r' '\n' <"$work/big.out")
  if [ "$end" = ctrl-c ]; then
    expect 130 "Ctrl-C while the server does not answer"
  else
    expect 1 "a server that does not answer"
    grep -q "The server did not answer within $limit s (QueryTimeout)" <<<"$out" || fail "no reason: $out"
  fi
  [ "$took" -le 10 ] || fail "$end: the run went on for $took s after the server stopped"
  counted=$(grep -o 'Importing [0-9]*' <<<"$out" | tail -n 1 | awk '{print $2}')
  stored=$(sql "SELECT count(*) FROM big")
  # A backend stopped while it held a lock of the server's own can keep
  # the table from being counted; the program then says so.
  if grep -q 'could not be asked how many' <<<"$out"; then
    [ "$stored" -le "$counted" ] || fail "$end: $counted counted, $stored stored: $out"
    echo "server stopped answering, $end: ended after $took s, $counted counted, the table not countable then, $stored stored"
    return
  fi
  [ "$counted" = "$stored" ] || fail "$end: $counted left on screen, $stored stored: $out"
  echo "server stopped answering, $end: ended after $took s with $counted counted and stored"
}
stop_answering timeout 2
stop_answering ctrl-c 0

# A server stopped before the run: a clear connect failure, no table.
bash "$server" stop "$pg"
run dates.cdf
expect 1 "server stopped"
grep -q "^lumetra-import: .*\[Lumetra\] PostgreSQL: connection to server on socket \".*\" failed: No such file or directory" <<<"$out" \
  || fail "connect failure: $out"
echo "PostgreSQL import program: all checks passed"
