#!/usr/bin/env bash
# lumetraodbc.dll under Wine with Backend = ODBC: the test program drives
# the DLL directly, through a DSN in the Wine registry and through a
# connection string, and the rows land in a host unixODBC data source
# that our Linux driver serves (Wine's odbc32 forwards to the host's
# unixODBC). The stored values are checked with sqlite3.
#   wine_dll_test.sh <lumetra-dll-test.exe> <lumetraodbc.dll> <liblumetraodbc.so> <wine-prefix> <win64|win32>
set -euo pipefail
exe=$1
dll=$2
driver=$(realpath "$3")
prefix=$4
name=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  cat "$work/wine.log" >&2 2>/dev/null
  exit 1
}

. "$(dirname "$0")/wine-env.sh"
wine_env "$name" "$prefix"

# The target: a host DSN on our Linux driver's SQLite backend.
: > "$work/odbcinst.ini"
cat > "$work/odbc.ini" <<INI
[Lumetra Target]
Driver = $driver
Database = $work/target.db
INI
export ODBCSYSINI=$work ODBCINI=$work/odbc.ini

# The Windows data source, as the installer writes it.
dsn="Lumetra DLL Test $name"
key="HKCU\\Software\\ODBC\\ODBC.INI\\$dsn"
wine reg add "$key" /v Backend /d ODBC /f >/dev/null 2>&1
wine reg add "$key" /v Target /d "Lumetra Target" /f >/dev/null 2>&1
trap 'wine reg delete "$key" /f >/dev/null 2>&1; rm -rf "$work"' EXIT

wine "$exe" "$(winepath -w "$dll")" "$dsn" "DSN=Lumetra Target" >"$work/wine.log" 2>&1 || fail "test program failed"
cat "$work/wine.log"

query() { sqlite3 "$work/target.db" "$1" 2>&1; }
# Text stays text ("0123"), 1234.5 is cut to 1234, refused rows are not
# stored, NULL stays NULL. Byte E9 is é by the automatic rule, Ú in CP850.
rows='SELECT typeof(Name), Name, typeof(Amt), Amt, typeof(Mr), Mr, Born FROM %s ORDER BY rowid'
expected_rows() {
  printf '%s\n' "text|0123|integer|1234|integer|2|1999-12-31 00:00:00" \
    "text|Zo$1|integer|1234|integer|-32768|2000-02-29 00:00:00" \
    "null||null||null||" \
    "text|-5|integer|-5|integer|0|1900-01-01 00:00:00"
}
got=$(query "$(printf "$rows" people_dsn)")
[ "$got" = "$(expected_rows $'\xc3\xa9')" ] || fail "people_dsn rows: $got"
got=$(query "$(printf "$rows" people_cp850)")
[ "$got" = "$(expected_rows $'\xc3\x9a')" ] || fail "people_cp850 rows: $got"
got=$(query "SELECT group_concat(type, ',') FROM pragma_table_info('people_dsn')")
echo "stored column types: $got"
echo "wine $name: the DLL stored every row through the host target"
