#!/usr/bin/env bash
# The driver reads the keys of the data source that the driver manager
# connected, wherever it is: a user's odbc.ini that its owner may read but
# not write (chmod 400, to guard a password) still sends the import to its
# own Database, never to the system file's or the default one; a user
# file that cannot be read at all refuses the connection. Root may write
# any file, so as root the program runs as nobody.
#   dsn_file_test.sh <lumetra-import> <liblumetraodbc.so>
set -euo pipefail
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
program=$(realpath "$1")
driver=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$work/system"
: > "$work/system/odbcinst.ini"
for where in system user; do
  printf '[Lumetra Data Source]\nDriver = %s\nDatabase = %s\n' "$driver" "$work/$where.db" > "$work/$where.ini"
done
mv "$work/system.ini" "$work/system/odbc.ini"
printf 'n@N\r\n1,\r\n2,\r\n' > "$work/numbers.cdf"
cp "$work/numbers.cdf" "$work/refused.cdf"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  chown -R nobody:nogroup "$work"
fi
import() {
  set +e
  out=$("${as_user[@]}" env ODBCSYSINI="$work/system" ODBCINI="$work/user.ini" HOME="$work" \
    XDG_DATA_HOME="$work/xdg" timeout 20 "$program" "$work/$1.cdf" 2>&1)
  rc=$?
  set -e
}
tables() { [ -f "$work/$1.db" ] && sqlite3 "$work/$1.db" 'SELECT group_concat(name) FROM sqlite_master'; true; }

chmod 400 "$work/user.ini"
import numbers
[ "$rc" -eq 0 ] || fail "read-only user file: exit status $rc: $out"
[ "$(sqlite3 "$work/user.db" 'SELECT * FROM numbers')" = $'1\n2' ] || fail "rows not in the user file's Database"
[ -z "$(tables system)" ] && [ ! -e "$work/xdg" ] || fail "an import went elsewhere: system.db has '$(tables system)'"

chmod 000 "$work/user.ini"
import refused
[ "$rc" -eq 1 ] || fail "unreadable user file: exit status $rc: $out"
grep -q "cannot read the data source file $work/user.ini: Permission denied" <<<"$out" || fail "no reason: $out"
[ -z "$(tables system)" ] || fail "the system file's database was used: $(tables system)"
echo "dsn file: a read-only user file is used, an unreadable one refuses the connection"
