#!/usr/bin/env bash
# A grouped import (CommitInterval = 100) whose batch the database cannot
# commit: the run fails with the reason, and the count it leaves on screen
# is the rows the table holds, the records it lacks named.
#   disk-full  the database is on a small tmpfs that fills (root only:
#              elsewhere the test is skipped)
#   lock       another connection reads the table, in the rollback
#              journal mode, for longer than the busy timeout
#   lost_batch_test.sh <lumetra-import> <liblumetraodbc.so> disk-full|lock
set -euo pipefail
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
program=$1
driver=$2
case=$3
support="$(dirname "$0")/../support"
work=$(mktemp -d)
cleanup() {
  [ -n "${reader:-}" ] && kill "$reader" 2>/dev/null
  mountpoint -q "$work/disk" 2>/dev/null && umount "$work/disk"
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

eval "$(bash "$support/temp-dsn.sh" "$driver" "$work/dsn")"
echo "CommitInterval = 100" >> "$work/dsn/odbc.ini"
db="$work/dsn/lumetra.db"
records=200000
case "$case" in
disk-full)
  [ "$(id -u)" -eq 0 ] || exec bash "$support/skip.sh" root "mounting a small tmpfs needs root"
  mkdir "$work/disk"
  mount -t tmpfs -o size=4m tmpfs "$work/disk" || exec bash "$support/skip.sh" root "no tmpfs could be mounted"
  db="$work/disk/lumetra.db"
  sed -i "s|^Database = .*|Database = $db|" "$work/dsn/odbc.ini"
  reason='database or disk is full'
  ;;
lock)
  echo "JournalMode = DELETE" >> "$work/dsn/odbc.ini"
  records=3000000
  reason='database is locked'
  # Reads the table as soon as it exists, and holds the read for 20 s.
  python3 - "$db" <<'PY' &
import sqlite3, sys, time
db = sqlite3.connect(sys.argv[1], isolation_level=None, timeout=0)
while True:
    try:
        db.execute("BEGIN")
        if db.execute("SELECT count(*) FROM sqlite_master WHERE name = 'batch'").fetchone()[0]:
            db.execute("SELECT * FROM batch LIMIT 1").fetchall()
            break
        db.execute("COMMIT")
    except sqlite3.OperationalError:
        if db.in_transaction:
            db.execute("ROLLBACK")
    time.sleep(0.01)
time.sleep(20)
PY
  reader=$!
  ;;
*) fail "no case $case" ;;
esac

awk -v n="$records" 'BEGIN { print "Name,N@N"; for (i = 1; i <= n; i++) printf "row number %d of the import,%d\r\n", i, i }' \
  > "$work/batch.cdf"
set +e; timeout 60 "$program" "$work/batch.cdf" > "$work/out" 2>&1; rc=$?; set -e
out=$(tr '\r' '\n' < "$work/out")
[ "$rc" -eq 1 ] || fail "exit status $rc: $out"
grep -q "$reason" <<<"$out" || fail "no reason: $out"
shown=$(grep -o 'Importing [0-9]*' <<<"$out" | tail -n 1 | cut -d' ' -f2)
stored=$(sqlite3 "$db" 'SELECT count(*) FROM batch')
[ "$shown" = "$stored" ] || fail "$shown left on screen, $stored rows stored: $out"
grep -Eq "records? [0-9-]+ not stored" <<<"$out" || fail "the records not stored are not named: $out"
echo "$case: $shown records left on screen and in the table"
