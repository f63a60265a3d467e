#!/usr/bin/env bash
# The built program through the terminal front end with a temporary DSN:
# standard input gives the path, the table and its rows are checked in
# SQLite, and the exit code is always 0.
#   import_program_test.sh <lumetra-import> <liblumetraodbc.so>
set -euo pipefail
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM # the terminal front end
program=$1
driver=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
eval "$(bash "$(dirname "$0")/../support/temp-dsn.sh" "$driver" "$work/dsn")"
db="$work/dsn/lumetra.db"
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$work/files"
printf 'Name,Phone,Born@D\r\n"Baker, Ann",0123,19991231\r\nBob,007,' > "$work/files/people.cdf"

# A missing file and a folder are refused and asked for again; a name
# without extension finds people.cdf; the path is relative to the folder.
set +e
out=$(cd "$work/files" && printf '%s\n' missing.cdf . people | "$program" 2>&1)
rc=$?
set -e
[ "$rc" -eq 0 ] || fail "exit code $rc"
grep -q 'missing.cdf: No such file or directory' <<<"$out" || fail "no reason for a missing file: $out"
grep -q 'not a regular file' <<<"$out" || fail "no reason for a folder: $out"
[ "$(sqlite3 "$db" 'SELECT * FROM people')" = $'Baker, Ann|0123|1999-12-31 00:00:00\nBob|007|' ] \
  || fail "rows: $(sqlite3 "$db" 'SELECT * FROM people')"

# The same file again: the driver's refusal is shown, exit code still 0.
out=$(printf '%s\n' "$work/files/people.cdf" | "$program" 2>&1) || fail "exit code $?"
grep -q 'Lumetra - HP Database Import Utility: .*already exists' <<<"$out" || fail "no refusal shown: $out"

# An empty line, or no input at all, cancels the chooser quietly.
out=$(printf '\n' | "$program" 2>&1) || fail "exit code $?"
[ -z "$out" ] || fail "output on cancel: $out"
out=$("$program" </dev/null 2>&1) || fail "exit code $?"
[ -z "$out" ] || fail "output on end of input: $out"
echo "import program: all checks passed"
