#!/usr/bin/env bash
# The set-up script in a throw-away HOME and system ini folder: run twice,
# it leaves one "Lumetra Data Source" with the driver's absolute path and
# CommitInterval = 100 beside the user's other DSN, registers nothing in
# the system files, and isql reaches the default database through it; an
# odbc.ini it cannot write fails with odbcinst's reason. As root, the same
# for the user nobody with its own HOME (its password-database home does
# not exist). Then temp-dsn.sh: its environment alone lets isql write into
# its folder.
#   setup_dsn_test.sh <setup-dsn.sh> <temp-dsn.sh> <liblumetraodbc.so>
. "$(dirname "$0")/../support/testlib.sh"
setup=$1 tempdsn=$2 library=$(realpath "$3")
make_work /tmp/lumetra-setup-test-XXXXXX
# isql is not built with the sanitizers; a sanitizer-built driver needs their runtime first.
isql() { with_sanitizer_runtime "${LUMETRA_ISQL_PRELOAD:-}" command isql "$@"; }

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
said=$(bash "$setup" "$library")

[ "$(grep -c '^\[Lumetra Data Source\]' "$ODBCINI")" = 1 ] || fail "DSN not written exactly once"
grep -q '^\[Other DSN\]' "$ODBCINI" || fail "other DSN lost"
grep -q '^Database *= */keep/me.db' "$ODBCINI" || fail "other DSN changed"
grep -q "^Driver *= *$library\$" "$ODBCINI" || fail "driver path not in the DSN"
grep -q '^CommitInterval *= *100$' "$ODBCINI" || fail "no CommitInterval = 100 in the DSN"
[ ! -s "$ODBCSYSINI/odbcinst.ini" ] || fail "a system file was written: $(cat "$ODBCSYSINI/odbcinst.ini")"
grep -qF "Database: $XDG_DATA_HOME/lumetra/lumetra.db" <<<"$said" || fail "database not named: $said"

out=$(printf 'CREATE TABLE "t"("a"LPWSTR)\nINSERT INTO "t" VALUES (%s)\n' "'0123'" | isql -b 'Lumetra Data Source' 2>&1) \
  || fail "isql through the registered DSN: $out"
[ "$(sqlite3 "$XDG_DATA_HOME/lumetra/lumetra.db" 'SELECT a FROM t')" = 0123 ] || fail "default database not used"
[ "$(sqlite3 "$XDG_DATA_HOME/lumetra/lumetra.db" 'PRAGMA journal_mode')" = wal ] || fail "default journal mode is not WAL"

# An odbc.ini that cannot be written: status 1 and odbcinst's reason.
if out=$(ODBCINI=/proc/no-such/odbc.ini bash "$setup" "$library" 2>&1); then fail "unwritable odbc.ini accepted"; fi
grep -q 'could not write .*SQLWritePrivateProfileString' <<<"$out" || fail "odbcinst's error not shown: $out"

# nobody, whose home in the password database is /nonexistent: the DSN
# goes into its own HOME, the script says to set ODBCINI, and then isql
# connects as nobody.
if [ "$(id -u)" = 0 ] && id nobody >/dev/null 2>&1; then
  mine=$work/nobody
  mkdir -p "$mine/home"
  cp "$library" "$setup" "$mine/" # the clone may be closed to others
  chown -R nobody "$mine"
  chmod 755 "$work"
  said=$(env -u ODBCINI -u XDG_DATA_HOME HOME="$mine/home" setpriv --reuid=nobody --regid=nogroup --clear-groups \
    bash "$mine/setup-dsn.sh" "$mine/liblumetraodbc.so" 2>&1) || fail "setup as nobody: $said"
  grep -qF "export ODBCINI=$mine/home/.odbc.ini" <<<"$said" || fail "nobody not told to set ODBCINI: $said"
  grep -qF "Database: $mine/home/.local/share/lumetra/lumetra.db" <<<"$said" || fail "database not named: $said"
  out=$(echo 'CREATE TABLE "n"("a"I4)' | env -u XDG_DATA_HOME HOME="$mine/home" ODBCINI="$mine/home/.odbc.ini" \
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env LD_PRELOAD="${LUMETRA_ISQL_PRELOAD:-}" ASAN_OPTIONS=detect_leaks=0 isql -b 'Lumetra Data Source' 2>&1) \
    || fail "isql as nobody: $out"
  [ "$(sqlite3 "$mine/home/.local/share/lumetra/lumetra.db" 'SELECT name FROM sqlite_master')" = n ] \
    || fail "nobody's database not used"
fi

eval "$(bash "$tempdsn" "$library" "$work/temp")"
[ "$ODBCINI" = "$work/temp/odbc.ini" ] || fail "temp-dsn.sh did not point ODBCINI at its folder"
echo 'CREATE TABLE "u"("b"I4)' | isql -b 'Lumetra Data Source' >/dev/null 2>&1 || fail "isql through temp-dsn.sh"
[ "$(sqlite3 "$work/temp/lumetra.db" "SELECT name FROM sqlite_master")" = u ] || fail "temp-dsn.sh database not used"
[ "$(stamp)" = "$before" ] || fail "the real odbc.ini files were touched"
echo ok
