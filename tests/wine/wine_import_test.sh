#!/usr/bin/env bash
# The Windows program under Wine inside Xvfb: the dialog and the chooser
# appear, a path typed into the chooser with xdotool is accepted, and the
# import lands in our data source through a temporary DSN (Wine's odbc32
# reaches the host's unixODBC, which loads our driver). FILE arguments are
# imported one after the other without the chooser.
#   wine_import_test.sh <lumetra-import.exe> <liblumetraodbc.so> <wine-prefix> <output-folder> <win64|win32> [label]
# The label (default: the width) names the screenshots and the summary.
set -euo pipefail
exe=$1
driver=$2
prefix=$3
output=$4
name=$5
label=${6:-$5}
mkdir -p "$output"
work=$(mktemp -d)
. "$(dirname "$0")/../support/xvfb.sh"
cleanup() {
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  cat "$work/wine.log" >&2 2>/dev/null
  exit 1
}

# One prefix serves every Wine test of the build and width; the first makes it.
. "$(dirname "$0")/wine-env.sh"
wine_env "$name" "$prefix"

start_xvfb
eval "$(bash "$(dirname "$0")/../support/temp-dsn.sh" "$driver" "$work/dsn")"

printf 'Name,Phone,Amt@N*,Born@D\r\n"Baker, Ann",0123,12.34,19991231\r\nBob,007,5-,' > "$work/people.cdf"
wine "$exe" >"$work/wine.log" 2>&1 &
app=$!
dialog=$(wait_window '^Lumetra - HP Database Import Utility$') || fail "no progress dialog"
chooser=$(wait_window '^Open$') || fail "no chooser"
sleep 1
import -window root "$output/wine-$label-chooser.png" || true
xdotool windowfocus --sync "$chooser"
xdotool type --delay 10 "$(winepath -w "$work/people.cdf")"
xdotool key Return
for _ in $(seq 300); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && { import -window root "$output/wine-$label-stuck.png" || true; fail "still running"; }
wait "$app" || fail "exit code $?"
rows=$(sqlite3 "$work/dsn/lumetra.db" 'SELECT * FROM people' 2>&1)
[ "$rows" = $'Baker, Ann|0123|1234|1999-12-31 00:00:00\nBob|007|-500|' ] || fail "rows: $rows"

# FILE arguments, as when files are opened with the program: each is
# imported into its own table, with no chooser.
printf 'k@N\r\n1\r\n2\r\n' > "$work/first.cdf"
printf 'k@N\r\n3\r\n' > "$work/second.cdf"
wine "$exe" "$(winepath -w "$work/first.cdf")" "$(winepath -w "$work/second.cdf")" >>"$work/wine.log" 2>&1 &
app=$!
for _ in $(seq 300); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && { import -window root "$output/wine-$label-files-stuck.png" || true; fail "FILE arguments: still running"; }
wait "$app" || fail "FILE arguments: exit code $?"
rows=$(sqlite3 "$work/dsn/lumetra.db" 'SELECT (SELECT group_concat(k) FROM first), (SELECT group_concat(k) FROM second)' 2>&1)
[ "$rows" = '1,2|3' ] || fail "FILE arguments stored: $rows"
echo "wine $label: dialog $dialog and chooser appeared, the import landed; FILE arguments imported without the chooser"
