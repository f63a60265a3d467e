#!/usr/bin/env bash
# The built program through "Lumetra Data Source" with Backend = ODBC into
# two targets: our own driver's SQLite backend and Debian's stock SQLite
# ODBC driver, which used directly turns "0123" into 123. Every value and
# column type is checked in the target's file; a refused value after K
# rows keeps K-1, an existing table is refused with the target's message,
# Cancel keeps the counted rows, and a target that cannot be reached is a
# clear connect failure that names it; a target that reaches back to this
# data source says so with one prefix.
#   odbc_backend_program_test.sh <lumetra-import> <liblumetraodbc.so> <stock libsqlite3odbc.so>
. "$(dirname "$0")/../support/testlib.sh"
terminal_front_end
program=$1
driver=$(realpath "$2")
stock=$3
make_work
export ODBCSYSINI=$work ODBCINI=$work/odbc.ini
: > "$work/odbcinst.ini"

# The DSN the program uses, pointed at a target.
dsn() {
  cat > "$work/odbc.ini" <<INI
[Lumetra Data Source]
Driver = $driver
Backend = ODBC
Target = $1
CommitInterval = 100
[Ours]
Driver = $driver
Database = $work/ours.db
[Stock]
Driver = $stock
Database = $work/stock.db
INI
}

printf 'Name,Phone,Born@D,At@M,Mr@O,Mrs@O,Vip@C,Tags@G,Amt@N,Price@N*,Notes@L\r\n' > "$work/people.cdf"
printf '"Baker, Ann",0123,19991231,0930,1,0,1,a;b;,12.34,12.34,"two\r\nlines"\r\n' >> "$work/people.cdf"
printf 'Zo\xe9,007,,1745,0,1,0,,-7,0.5,\r\n' >> "$work/people.cdf"

for target in Ours Stock; do
  db="$work/$(tr 'A-Z' 'a-z' <<<"$target").db"
  dsn "$target"
  out=$("$program" "$work/people.cdf" 2>&1) || fail "$target: exit $?: $out"
  # Values as SQLite holds them: text stays text, numbers are whole, the
  # date is a timestamp (the stock driver writes its fraction).
  got=$(sqlite3 "$db" "SELECT Name, typeof(Phone), Phone, substr(Born, 1, 19), At, Mr, Vip, Tags, typeof(Amt), Amt, Price, Notes FROM people")
  want=$'Baker, Ann|text|0123|1999-12-31 00:00:00|09:30|2|1|a;b|integer|12|1234|two\r\nlines\nZo\xc3\xa9|text|007||17:45|1|0||integer|-7|50|'
  [ "$got" = "$want" ] || fail "$target: rows: $got"
  types=$(sqlite3 "$db" "SELECT group_concat(lower(type), ' ') FROM pragma_table_info('people')")
  t='[a-z]+(\(32767\))?' # the target's text type, with a length where it takes one
  grep -Eq "^$t $t timestamp $t smallint smallint $t integer integer $t\$" <<<"$types" \
    || fail "$target: column types: $types"

  set +e; out=$("$program" "$work/people.cdf" 2>&1); rc=$?; set -e
  [ "$rc" -eq 1 ] && grep -q 'already exists' <<<"$out" || fail "$target: existing table: exit $rc: $out"

  printf 'Name,N@N\r\na,1\r\nb,2\r\nc,30000000000\r\nd,4\r\n' > "$work/refused.cdf"
  set +e; out=$("$program" "$work/refused.cdf" 2>&1); rc=$?; set -e
  [ "$rc" -eq 1 ] && grep -q '^lumetra-import: refused.cdf, line 4, column N, value "30000000000": .*out of range' <<<"$out" \
    || fail "$target: refused value: exit $rc: $out"
  [ "$(sqlite3 "$db" 'SELECT group_concat(N) FROM refused')" = "1,2" ] || fail "$target: refused value kept the wrong rows"

  long_cdf "$work/long.cdf" 2000000
  cancel_midway 1 "$program" "$work/long.cdf"
  [ "$rc" -eq 130 ] || fail "$target: cancel: exit $rc"
  [ "$(sqlite3 "$db" 'SELECT count(*) FROM long')" = "$counted" ] || fail "$target: cancel: rows differ from the count $counted"
done

dsn Missing
set +e; out=$("$program" "$work/people.cdf" 2>&1); rc=$?; set -e
[ "$rc" -eq 1 ] && grep -q '^lumetra-import: .*\[Lumetra\] Target "Missing": .*Data source name not found' <<<"$out" \
  || fail "unreachable target: exit $rc: $out"
dsn 'DSN=Missing;UID=ann;PWD=secret'
set +e; out=$("$program" "$work/people.cdf" 2>&1); rc=$?; set -e
[ "$rc" -eq 1 ] && grep -q 'Target "DSN=Missing;UID=ann;PWD=\*\*\*": ' <<<"$out" && ! grep -q secret <<<"$out" \
  || fail "unreachable target by connection string: exit $rc: $out"
dsn 'Lumetra Data Source'
set +e; out=$("$program" "$work/people.cdf" 2>&1); rc=$?; set -e
[ "$rc" -eq 1 ] && [ "$(grep -o '\[Lumetra\]' <<<"$out" | wc -l)" -eq 1 ] && grep -q 'Target reaches back to itself' <<<"$out" \
  || fail "target reaching back: exit $rc: $out"
echo "ODBC backend program: all checks passed"
