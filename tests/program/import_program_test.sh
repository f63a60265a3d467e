#!/usr/bin/env bash
# The built program through the terminal front end with a temporary DSN:
# the path from standard input or from the command line, the options, the
# exit status of each end, the final count left on standard error, and
# that a scripted run never opens a window, even with a display set. The
# tables and their rows are checked in SQLite.
#   import_program_test.sh <lumetra-import> <liblumetraodbc.so>
. "$(dirname "$0")/../support/testlib.sh"
terminal_front_end
program=$(realpath "$1")
driver=$2
make_work
temp_dsn "$driver" "$work/dsn"
db="$work/dsn/lumetra.db"
caption='Lumetra - HP Database Import Utility'

# Runs the program with the rest of the arguments (after the input, given
# as a string for printf, or "-" for none) and sets $out and $rc; a run
# that waits for longer than 20 s is a hang.
run() {
  local input=$1
  shift
  set +e
  if [ "$input" = - ]; then
    out=$(cd "$work/files" && timeout 20 "$program" "$@" </dev/null 2>&1)
  else
    out=$(cd "$work/files" && printf "$input" | timeout 20 "$program" "$@" 2>&1)
  fi
  rc=$?
  set -e
  [ "$rc" -ne 124 ] || fail "hangs: $* <<<$input: $out"
}
expect() { [ "$rc" -eq "$1" ] || fail "$2: exit status $rc, wanted $1: $out"; }
rows() { sqlite3 "$db" "SELECT * FROM \"$1\""; }

mkdir "$work/files"
printf 'Name,Phone,Born@D\r\n"Baker, Ann",0123,19991231\r\nBob,007,' > "$work/files/people.cdf"
printf 'n@N\r\n1,\r\n2,\r\n' > "$work/files/data"
printf 'n@N\r\n9,\r\n' > "$work/files/data.cdf"
cp "$work/files/data" "$work/files/numbers.cdf"
cp "$work/files/data" "$work/files/given.cdf"
printf 'a,b\r\n1,2\r\n3,"4"x\r\n5,6\r\n' > "$work/files/broken.cdf"

# A missing file and a folder are refused and asked for again; a name
# without extension finds people.cdf; the path is relative to the folder.
run 'missing.cdf\n.\npeople\n'
expect 0 "import from standard input"
grep -q 'missing.cdf: No such file or directory' <<<"$out" || fail "no reason for a missing file: $out"
grep -q 'not a regular file' <<<"$out" || fail "no reason for a folder: $out"
[ "$(rows people)" = $'Baker, Ann|0123|1999-12-31 00:00:00\nBob|007|' ] || fail "rows: $(rows people)"
[ "$(tail -n 1 <<<"$out")" = "$caption  Importing 2" ] || fail "final count not kept: $out"

# A name that is a regular file is imported as typed, not with ".cdf".
run 'data\n'
expect 0 "data typed"
[ "$(rows data)" = $'1\n2' ] || fail "data typed imported $(rows data)"

# The same file again: the refusal is shown below the count, status 1.
run "$work/files/people.cdf\n"
expect 1 "table exists"
[ "$(printf '%s\n' "$out" | tail -n 2)" = "$caption  Importing "$'\n'"$caption: [Lumetra] SQLite: table \"people\" already exists" ] \
  || fail "refusal not shown below the count: $out"

# A read failure after one record: the count stays, the message follows.
run - broken.cdf
expect 1 "read failure"
[ "$out" = "$caption  Importing 1"$'\n'"$caption: Error reading file" ] || fail "read failure output: $out"
[ "$(rows broken)" = '1|2' ] || fail "rows before the read failure: $(rows broken)"

# FILE on the command line: no prompt, nothing read from standard input.
run 'people.cdf\n' given.cdf
expect 0 "FILE argument"
[ "$(rows given)" = $'1\n2' ] || fail "FILE argument imported $(rows given)"
run - missing.cdf
expect 1 "missing FILE"
[ "$out" = 'lumetra-import: missing.cdf: No such file or directory' ] || fail "missing FILE: $out"

# An empty line, or no input at all, cancels the chooser quietly.
run '\n'
expect 130 "empty line"
[ -z "$out" ] || fail "output on cancel: $out"
run -
expect 130 "end of input"
[ -z "$out" ] || fail "output on end of input: $out"

# Options and bad command lines.
run - --help
expect 0 "--help"
grep -q '^Usage: lumetra-import \[FILE\]' <<<"$out" || fail "--help: $out"
run - --version
expect 0 "--version"
grep -Eq '^lumetra-import [0-9]+\.[0-9]+\.[0-9]+$' <<<"$out" || fail "--version: $out"
for bad in -x --bogus 'a.cdf b.cdf'; do
  # shellcheck disable=SC2086
  run - $bad
  expect 2 "bad command line $bad"
  grep -q '^Usage: lumetra-import \[FILE\]' <<<"$out" || fail "no usage for $bad: $out"
done

# With a display that Qt could use, a pipe or a FILE still runs on the
# terminal: a window would wait here for a person.
export QT_QPA_PLATFORM=offscreen
run 'numbers\n'
expect 0 "pipe with a display"
[ "$(rows numbers)" = $'1\n2' ] || fail "pipe with a display imported $(rows numbers)"
run - people.cdf
expect 1 "FILE with a display"
grep -q 'already exists' <<<"$out" || fail "FILE with a display: $out"
echo "import program: all checks passed"
