#!/usr/bin/env bash
# The set-up script in a throw-away HOME and system ini folder: run twice,
# it leaves one driver entry and one "Lumetra Data Source" beside the
# user's other DSN, and isql reaches the default database through it.
# Then temp-dsn.sh: its environment alone lets isql write into its folder.
#   setup_dsn_test.sh <setup-dsn.sh> <temp-dsn.sh> <liblumetraodbc.so>
set -euo pipefail
setup=$1 tempdsn=$2 library=$(realpath "$3")
work=$(mktemp -d /tmp/lumetra-setup-test-XXXXXX)
trap 'rm -rf "$work"' EXIT
# isql is not built with the sanitizers; a sanitizer-built driver needs their runtime first.
isql() { LD_PRELOAD=${LUMETRA_ISQL_PRELOAD:-} ASAN_OPTIONS=detect_leaks=0 command isql "$@"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

# unixODBC takes the user's odbc.ini from ODBCINI, else from the home folder
# of the password database (not $HOME); the system files from ODBCSYSINI.
real_user_ini=$(getent passwd "$(id -u)" | cut -d: -f6)/.odbc.ini
stamp() { stat -c %Y.%s "$real_user_ini" /etc/odbc.ini /etc/odbcinst.ini 2>/dev/null || true; }
before=$(stamp)
export HOME=$work/home ODBCSYSINI=$work/sys ODBCINI=$work/home/.odbc.ini XDG_DATA_HOME=$work/xdg
mkdir -p "$HOME" "$ODBCSYSINI"
: > "$ODBCSYSINI/odbcinst.ini"
printf '[Other DSN]\nDriver = SomethingElse\nDatabase = /keep/me.db\n' > "$ODBCINI"

bash "$setup" "$library" >/dev/null
bash "$setup" "$library" >/dev/null

[ "$(grep -c '^\[Lumetra Data Source\]' "$ODBCINI")" = 1 ] || fail "DSN not written exactly once"
grep -q '^\[Other DSN\]' "$ODBCINI" || fail "other DSN lost"
grep -q '^Database *= */keep/me.db' "$ODBCINI" || fail "other DSN changed"
[ "$(grep -c '^\[Lumetra\]' "$ODBCSYSINI/odbcinst.ini")" = 1 ] || fail "driver not registered exactly once"
grep -q "^Driver *= *$library\$" "$ODBCSYSINI/odbcinst.ini" || fail "driver path not registered"

out=$(printf 'CREATE TABLE "t"("a"LPWSTR)\nINSERT INTO "t" VALUES (%s)\n' "'0123'" | isql -b 'Lumetra Data Source' 2>&1) \
  || fail "isql through the registered DSN: $out"
[ "$(sqlite3 "$XDG_DATA_HOME/lumetra/lumetra.db" 'SELECT a FROM t')" = 0123 ] || fail "default database not used"
[ "$(sqlite3 "$XDG_DATA_HOME/lumetra/lumetra.db" 'PRAGMA journal_mode')" = wal ] || fail "default journal mode is not WAL"

eval "$(bash "$tempdsn" "$library" "$work/temp")"
[ "$ODBCINI" = "$work/temp/odbc.ini" ] || fail "temp-dsn.sh did not point ODBCINI at its folder"
echo 'CREATE TABLE "u"("b"I4)' | isql -b 'Lumetra Data Source' >/dev/null 2>&1 || fail "isql through temp-dsn.sh"
[ "$(sqlite3 "$work/temp/lumetra.db" "SELECT name FROM sqlite_master")" = u ] || fail "temp-dsn.sh database not used"
[ "$(stamp)" = "$before" ] || fail "the real odbc.ini files were touched"
echo ok
