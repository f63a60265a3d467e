#!/usr/bin/env bash
# The real program in a real X server (Xvfb), driven by xdotool as a
# person would: the window and the chooser appear, a path typed into the
# chooser is imported into a temporary DSN, and Cancel pressed during a
# long import leaves the rows inserted so far (exit status 130); a FILE
# opened from a desktop shows the window without the chooser; a pipe
# with the display set runs on the terminal, and so does a program whose
# window module is missing. Screenshots of the window
# and of the chooser are saved into the output folder.
#   x11_import_test.sh <lumetra-import> <liblumetraodbc.so> <generate_cdf> <output-folder>
. "$(dirname "$0")/../support/testlib.sh"
program=$1
driver=$2
generate=$3
output=$4
mkdir -p "$output"
make_work
. "$support/xvfb.sh"
on_exit=stop_xvfb
fail() {
  echo "FAIL: $*" >&2
  cat "$work/app.log" >&2 2>/dev/null
  exit 1
}

start_xvfb
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
temp_dsn "$driver" "$work/dsn"
db="$work/dsn/lumetra.db"

# Types a path into the chooser (its name field has the focus) and confirms.
choose() {
  local chooser
  chooser=$(wait_window "$1") || fail "no chooser window"
  sleep 0.5
  [ -n "${2:-}" ] && import -window root "$output/$2"
  xdotool type --delay 2 "$3"
  xdotool key Return
}

printf 'Name,Phone,Born@D\r\n"Baker, Ann",0123,19991231\r\nBob,007,\r\n' > "$work/people.cdf"
(cd "$work" && "$program") >>"$work/app.log" 2>&1 &
app=$!
wait_window "Lumetra - HP Database Import Utility" >/dev/null || fail "no progress window"
import -window "$(wait_window 'Lumetra - HP Database Import Utility')" "$output/x11-progress-window.png" || true
choose "Lumetra - HP Database Import Utility" x11-chooser.png "$work/people.cdf"
wait "$app" || fail "exit code $?"
[ "$(sqlite3 "$db" 'SELECT * FROM people')" = $'Baker, Ann|0123|1999-12-31 00:00:00\nBob|007|' ] \
  || fail "rows: $(sqlite3 "$db" 'SELECT * FROM people' 2>&1)"

# The README's scripted form with the display set: no window, no wait.
cp "$work/people.cdf" "$work/piped.cdf"
printf '%s\n' "$work/piped.cdf" | timeout 20 "$program" >>"$work/app.log" 2>&1 || fail "piped run: exit status $?"
[ "$(sqlite3 "$db" 'SELECT count(*) FROM piped')" = 2 ] || fail "piped run did not import"

# A FILE opened from a desktop (standard input neither a terminal nor a
# script): the window shows the run without the chooser; a table that
# exists already is refused in a message box, which waits for a person.
"$program" "$work/people.cdf" </dev/null >>"$work/app.log" 2>&1 &
app=$!
wait_window "Lumetra - HP Database Import Utility" >/dev/null || fail "no window for a FILE opened from a desktop"
sleep 1
import -window root "$output/x11-desktop-file.png" || true
xdotool key Return
status=0
wait "$app" || status=$?
[ "$status" -eq 1 ] || fail "desktop FILE of an existing table: exit status $status"

# The program without its window module beside it or installed: it says
# so and asks on the terminal instead, here reading the end of input.
mkdir "$work/alone"
cp "$program" "$work/alone/"
status=0
timeout 20 "$work/alone/$(basename "$program")" </dev/null >"$work/alone.log" 2>&1 || status=$?
grep -q "no window (lumetra-window.so not found in" "$work/alone.log" || fail "no notice: $(cat "$work/alone.log")"
[ "$status" -ne 124 ] || fail "the program without its window module waited"

# A long import, cancelled with the window's Cancel button.
"$generate" 1000000 "$work/long.cdf"
(cd "$work" && "$program") >>"$work/app.log" 2>&1 &
app=$!
choose "Lumetra - HP Database Import Utility" "" "long"
sleep 1.5
window=$(xdotool search --onlyvisible --name 'Lumetra - HP Database Import Utility' | head -n 1)
import -window "$window" "$output/x11-importing.png" || true
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove --window "$window" $((WIDTH - 30)) $((HEIGHT / 2)) click 1
status=0
wait "$app" || status=$?
[ "$status" -eq 130 ] || fail "cancelled run: exit status $status"
rows=$(sqlite3 "$db" 'SELECT count(*) FROM long')
[ "$rows" -gt 0 ] && [ "$rows" -lt 1000000 ] || fail "cancel left $rows rows"
echo "x11: imported people, cancelled the long import after $rows rows; screenshots in $output"
