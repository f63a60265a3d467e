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
place="  in the data source \"Lumetra Data Source\": SQLite database $db"

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

# A name longer than a line is refused whole, not split into names: its
# tail here would name people.cdf.
run "$(printf 'x%.0s' $(seq 4095))people.cdf\n"
expect 130 "over-long name"
[ "$out" = 'a name of more than 4095 bytes is too long' ] || fail "over-long name: $out"
[ "$(sqlite3 "$db" "SELECT count(*) FROM sqlite_master WHERE name = 'people'")" = 0 ] \
  || fail "the tail of an over-long name was imported"

# A missing file and a folder are refused and asked for again; a name
# without extension finds people.cdf; the path is relative to the folder.
run 'missing.cdf\n.\npeople\n'
expect 0 "import from standard input"
grep -q 'missing.cdf: No such file or directory' <<<"$out" || fail "no reason for a missing file: $out"
grep -q 'not a regular file' <<<"$out" || fail "no reason for a folder: $out"
[ "$(rows people)" = $'Baker, Ann|0123|1999-12-31 00:00:00\nBob|007|' ] || fail "rows: $(rows people)"
[ "$(tail -n 3 <<<"$out")" = "$caption  Importing 2"$'\n''2 records imported into the table "people"'$'\n'"$place" ] \
  || fail "final count and summary: $out"

# A name that is a regular file is imported as typed, not with ".cdf".
run 'data\n'
expect 0 "data typed"
[ "$(rows data)" = $'1\n2' ] || fail "data typed imported $(rows data)"

# The same file again: the refusal alone, no empty count before it, no
# summary of a table the run did not make; status 1.
run "$work/files/people.cdf\n"
expect 1 "table exists"
[ "$out" = 'lumetra-import: [Lumetra] SQLite: table "people" already exists' ] || fail "refusal: $out"

# A read failure after one record: the count stays, the message follows
# with its line and reason, then the rows the table keeps.
run - broken.cdf
expect 1 "read failure"
[ "$out" = "$caption  Importing 1"$'\n'"lumetra-import: Error reading file broken.cdf, line 3, column b: a closing quote is followed by something else than a comma or a line break"$'\n''The table "broken" keeps 1 row'$'\n'"$place" ] \
  || fail "read failure output: $out"
[ "$(rows broken)" = '1|2' ] || fail "rows before the read failure: $(rows broken)"

# FILE on the command line: no prompt, nothing read from standard input.
run 'people.cdf\n' given.cdf
expect 0 "FILE argument"
[ "$(rows given)" = $'1\n2' ] || fail "FILE argument imported $(rows given)"
# A symbolic link is imported under its own name, not its target's.
ln -s people.cdf "$work/files/alias.cdf"
run - alias.cdf
expect 0 "FILE through a link"
[ "$(rows alias)" = "$(rows people)" ] || fail "link imported as $(sqlite3 "$db" .tables)"
# The file's code page: guessed from its letters, or given with --charset;
# the text is stored as UTF-8 whatever the DSN's Charset says for other
# clients.
printf 'Name,City\r\nRen\202e,M\201nchen\r\n' > "$work/files/dos.cdf"
printf 'Name,City\r\nRen\303\251e,M\303\274nchen\r\n' > "$work/files/utf8.cdf"
printf 'Name,City\r\nx,\234\r\n' > "$work/files/pound.cdf"
printf 'Charset = CP850\n' >> "$ODBCINI"
run - dos.cdf
expect 0 "DOS file"
[ "$(rows dos)" = 'Renée|München' ] || fail "DOS file stored as $(rows dos)"
grep -qxF '  text read as CP850, as its letters show, and stored as UTF-8' <<<"$out" || fail "DOS file summary: $out"
run - utf8.cdf
expect 0 "UTF-8 file"
[ "$(rows utf8)" = 'Renée|München' ] || fail "UTF-8 file stored as $(rows utf8)"
run - --charset CP437 pound.cdf
expect 0 "--charset"
[ "$(rows pound)" = 'x|£' ] || fail "--charset CP437 stored $(rows pound)"
run - --charset KOI8-R pound.cdf
expect 2 "unknown --charset"
[ "$out" = "lumetra-import: unknown charset 'KOI8-R'; it is one of UTF-8, WINDOWS-1252, CP850, CP437, ISO-8859-1" ] \
  || fail "unknown --charset: $out"
run - missing.cdf
expect 1 "missing FILE"
[ "$out" = 'lumetra-import: missing.cdf: No such file or directory' ] || fail "missing FILE: $out"

# An empty line cancels the chooser quietly; standard input that gives no
# line at all (/dev/null, an empty pipe) gives no file: a bad command line.
run '\n'
expect 130 "empty line"
[ -z "$out" ] || fail "output on cancel: $out"
for input in - ''; do
  run "$input"
  expect 2 "empty standard input '$input'"
  [ "$out" = "lumetra-import: no file given: standard input is empty"$'\n'"Usage: lumetra-import [OPTIONS] [FILE...]"$'\n'"Try 'lumetra-import --help' for more." ] \
    || fail "empty standard input '$input': $out"
done

# Options and bad command lines: each fault in one line, then the short usage.
for help in --help -h; do
  run - $help
  expect 0 "$help"
  grep -q '^Usage: lumetra-import \[OPTIONS\] \[FILE...\]' <<<"$out" || fail "$help: $out"
done
for version in --version -V; do
  run - $version
  expect 0 "$version"
  grep -Eq '^lumetra-import [0-9]+\.[0-9]+\.[0-9]+$' <<<"$out" || fail "$version: $out"
done
while IFS='|' read -r args fault; do
  # shellcheck disable=SC2086
  run - $args
  expect 2 "bad command line $args"
  [ "$out" = "lumetra-import: $fault"$'\n'"Usage: lumetra-import [OPTIONS] [FILE...]"$'\n'"Try 'lumetra-import --help' for more." ] \
    || fail "bad command line $args: $out"
done <<'EOF_CASES'
-x|unknown option '-x'
--bogus a.cdf|unknown option '--bogus'
--table t a.cdf b.cdf|--table names the table of one FILE; 2 files were given
--append --replace a.cdf|--append and --replace exclude each other
a.cdf --table|option '--table' needs a value
--dry-run|--dry-run needs a FILE
EOF_CASES

# Several files, each into its own table with its summary, and a total:
# a failure goes on with the next file and makes the status 1.
printf 'k@N,v\r\n1,x\r\n' > "$work/files/one.cdf"
printf 'k@N,v\r\n2,y\r\n3,z\r\n' > "$work/files/two.cdf"
run - one.cdf missing.cdf broken.cdf two.cdf
expect 1 "several files, two failing"
[ "$(rows one)" = '1|x' ] && [ "$(rows two)" = $'2|y\n3|z' ] || fail "several files stored $(rows one) / $(rows two)"
grep -qxF 'lumetra-import: missing.cdf: No such file or directory' <<<"$out" || fail "missing file among several: $out"
[ "$(tail -n 1 <<<"$out")" = 'lumetra-import: 2 files imported, 2 failed; 3 records in the files imported' ] || fail "total: $out"
[ "$(grep -c 'imported into the table' <<<"$out")" = 2 ] || fail "a summary per file: $out"

# --table and --replace: a replacement refused at a record keeps the old
# table; one that succeeds holds the new rows only. --append adds to a
# table of the same columns and refuses one of others, inserting nothing.
run - --table data --replace broken.cdf
expect 1 "replace failing"
grep -qxF 'lumetra-import: nothing replaced: the table "data" is kept as it was' <<<"$out" || fail "replace failing: $out"
[ "$(rows data)" = $'1\n2' ] || fail "the old table after a failed replacement: $(rows data)"
run - --replace --table data two.cdf
expect 0 "replace"
[ "$(rows data)" = $'2|y\n3|z' ] || fail "replaced table: $(rows data)"
run - --append --table one two.cdf
expect 0 "append"
[ "$(rows one)" = $'1|x\n2|y\n3|z' ] || fail "appended table: $(rows one)"
run - --append --table one people.cdf
expect 1 "append, other columns"
grep -qxF 'lumetra-import: people.cdf not appended: the table "one" has other columns than the file: column 1 is Name TEXT in the file but k INTEGER in the table; column 2 is Phone TEXT in the file but v TEXT in the table; the file'"'"'s column 3, Born TIMESTAMP, is not in the table' <<<"$out" \
  || fail "append refused: $out"
[ "$(rows one | wc -l)" = 3 ] || fail "rows after a refused append: $(rows one)"

# --dsn: a DSN name, or a connection string naming the driver itself.
run - --dsn 'No Such Source' one.cdf
expect 1 "unknown DSN"
grep -q 'Data source name not found' <<<"$out" || fail "unknown DSN: $out"
run - --dsn "DRIVER=$(realpath "$driver");Database=$work/other.db" one.cdf
expect 0 "connection string"
[ "$(sqlite3 "$work/other.db" 'SELECT * FROM one')" = '1|x' ] || fail "connection string stored elsewhere: $out"

# --dry-run reads the whole file and writes nothing; a reader error is
# status 1 with its line.
tables=$(sqlite3 "$db" .tables)
run - --dry-run people.cdf
expect 0 "dry run"
[ "$out" = 'people.cdf would give the table "people" with 3 columns:
  Name TEXT
  Phone TEXT
  Born TIMESTAMP
and 2 records; nothing was written' ] || fail "dry run: $out"
run - --dry-run --table t broken.cdf
expect 1 "dry run of a broken file"
[ "$out" = 'lumetra-import: Error reading file broken.cdf, line 3, column b: a closing quote is followed by something else than a comma or a line break' ] \
  || fail "dry run of a broken file: $out"
[ "$(sqlite3 "$db" .tables)" = "$tables" ] || fail "a dry run wrote: $(sqlite3 "$db" .tables)"

# Ctrl-C stops the whole run: the file after it is not tried.
long_cdf "$work/files/long.cdf" 400000
cancel_midway 1 bash -c "cd '$work/files' && exec '$program' long.cdf one.cdf </dev/null"
[ "$rc" -eq 130 ] || fail "Ctrl-C among several files: exit status $rc: $out"
grep -qF 'lumetra-import: 0 files imported, 0 failed, 1 not tried after Cancel' <<<"$out" || fail "Ctrl-C total: $out"

# With a display that Qt could use, a pipe or a FILE still runs on the
# terminal: a window would wait here for a person.
export QT_QPA_PLATFORM=offscreen
run 'numbers\n'
expect 0 "pipe with a display"
[ "$(rows numbers)" = $'1\n2' ] || fail "pipe with a display imported $(rows numbers)"
run 'x\n' people.cdf
expect 1 "FILE with a display"
grep -q 'already exists' <<<"$out" || fail "FILE with a display: $out"
echo "import program: all checks passed"
