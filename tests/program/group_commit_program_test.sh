#!/usr/bin/env bash
# The built program with CommitInterval = 100: a refused record K leaves
# K-1 rows, Cancel after N counted records leaves exactly N, and a commit
# that fails at the end of the run is shown, ends it as a failure and
# leaves the count of what the table holds.
#   group_commit_program_test.sh <lumetra-import> <liblumetraodbc.so>
. "$(dirname "$0")/../support/testlib.sh"
terminal_front_end
program=$1
driver=$2
make_work
temp_dsn "$driver" "$work/dsn"
echo "CommitInterval = 100" >> "$work/dsn/odbc.ini"
db="$work/dsn/lumetra.db"
rows() { sqlite3 "$db" "SELECT count(*) FROM $1"; }

# Record 5 holds a number no I4 takes.
printf 'Name,N@N\r\na,1\r\nb,2\r\nc,3\r\nd,4\r\ne,30000000000\r\nf,6\r\n' > "$work/refused.cdf"
set +e; out=$("$program" "$work/refused.cdf" 2>&1); rc=$?; set -e
[ "$rc" -eq 1 ] || fail "refused record: exit $rc: $out"
grep -q 'out of range' <<<"$out" || fail "refused record: no reason shown: $out"
[ "$(rows refused)" = 4 ] || fail "refused record: $(rows refused) rows, not 4"

# Cancel (SIGINT, as Ctrl-C) in the middle of a long import.
long_cdf "$work/long.cdf" 3000000
cancel_midway 1 "$program" "$work/long.cdf"
[ "$rc" -eq 130 ] || fail "cancel: exit $rc: $out"
grep -q 'Cancelled' <<<"$out" || fail "cancel: not shown: $out"
[ -n "$counted" ] && [ "$counted" -gt 0 ] || fail "cancel: no count shown: $out"
[ "$(rows long)" = "$counted" ] || fail "cancel: $(rows long) rows, $counted counted"

# The last commit fails (the driver's fault hook): shown, exit 1, and
# the count left on screen is what the table holds, the records it lacks
# named.
printf 'Name\r\na\r\nb\r\n' > "$work/unsaved.cdf"
set +e; out=$(LUMETRA_FAIL_COMMIT=1 "$program" "$work/unsaved.cdf" 2>&1); rc=$?; set -e
[ "$rc" -eq 1 ] || fail "failed commit: exit $rc: $out"
grep -q 'disk is full' <<<"$out" || fail "failed commit: not shown: $out"
grep -q 'Importing 0$' <<<"$out" || fail "failed commit: the count left is not the table's: $out"
grep -q 'records 1-2 not stored' <<<"$out" || fail "failed commit: the lost records not named: $out"
[ "$(rows unsaved)" = 0 ] || fail "failed commit: $(rows unsaved) rows"
echo "group commit program: all checks passed"
