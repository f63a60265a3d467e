#!/usr/bin/env bash
# A disk that fills in the middle of an import with CommitInterval = 100:
# the run fails with the reason, and the count it leaves on screen is the
# rows the table holds, whatever the batch that the full disk took. The
# disk is a small tmpfs, which only root may mount; elsewhere the test is
# skipped.
#   disk_full_test.sh <lumetra-import> <liblumetraodbc.so>
set -euo pipefail
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
program=$1
driver=$2
support="$(dirname "$0")/../support"
[ "$(id -u)" -eq 0 ] || exec bash "$support/skip.sh" root "mounting a small tmpfs needs root"
work=$(mktemp -d)
mkdir "$work/disk"
mount -t tmpfs -o size=4m tmpfs "$work/disk" || exec bash "$support/skip.sh" root "no tmpfs could be mounted"
trap 'umount "$work/disk"; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

eval "$(bash "$support/temp-dsn.sh" "$driver" "$work/dsn")"
sed -i "s|^Database = .*|Database = $work/disk/full.db|" "$work/dsn/odbc.ini"
echo "CommitInterval = 100" >> "$work/dsn/odbc.ini"
awk 'BEGIN { print "Name,N@N"; for (i = 1; i <= 200000; i++) printf "row number %d of the import,%d\r\n", i, i }' \
  > "$work/full.cdf"
set +e; timeout 60 "$program" "$work/full.cdf" > "$work/out" 2>&1; rc=$?; set -e
out=$(tr '\r' '\n' < "$work/out")
[ "$rc" -eq 1 ] || fail "exit status $rc: $out"
grep -q 'database or disk is full' <<<"$out" || fail "no reason: $out"
shown=$(grep -o 'Importing [0-9]*' <<<"$out" | tail -n 1 | cut -d' ' -f2)
stored=$(sqlite3 "$work/disk/full.db" 'SELECT count(*) FROM full')
[ "$shown" = "$stored" ] || fail "$shown left on screen, $stored rows stored: $out"
echo "disk full: $shown records left on screen and in the table"
