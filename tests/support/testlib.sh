# testlib.sh: what the shell tests of the built system start with and
# share. Sourced, never run:
#   . "$(dirname "$0")/../support/testlib.sh"
# It turns on strict mode and defines:
#   fail TEXT...               ends the test as failed, with TEXT
#   make_work [TEMPLATE]       $work, a new folder removed at exit, after
#                              the commands in $on_exit (a test's server)
#   terminal_front_end         no display: the program runs on the terminal
#   temp_dsn DRIVER FOLDER     a temporary "Lumetra Data Source" of DRIVER
#                              in FOLDER (ODBCSYSINI and ODBCINI set)
#   long_cdf FILE ROWS         a CDF of a text and a number column, ROWS long
#   cancel_midway SECONDS PROGRAM ARGS...
#                              runs the program, sends it Ctrl-C (SIGINT)
#                              after SECONDS; sets $rc, $out (the count's
#                              carriage returns as line breaks) and
#                              $counted, the last count it showed
#   with_sanitizer_runtime PRELOAD COMMAND...
#                              COMMAND with PRELOAD, the sanitizer runtime
#                              of a sanitizer build, loaded first (leaks
#                              unchecked); as it is when PRELOAD is empty
set -euo pipefail
support=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

make_work() {
  work=$(mktemp -d ${1:+"$1"})
  on_exit=${on_exit:-}
  trap 'eval "$on_exit"; rm -rf "$work"' EXIT
}

terminal_front_end() { unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; }

temp_dsn() { eval "$(bash "$support/temp-dsn.sh" "$1" "$2")"; }

long_cdf() {
  awk -v rows="$2" 'BEGIN { print "Name,N@N"; for (i = 1; i <= rows; i++) printf "row %d,%d\r\n", i, i }' > "$1"
}

cancel_midway() {
  local seconds=$1 pid
  shift
  "$@" > "$work/cancelled.out" 2>&1 &
  pid=$!
  sleep "$seconds"
  kill -INT "$pid"
  set +e
  wait "$pid"
  rc=$?
  set -e
  out=$(tr '\r' '\n' < "$work/cancelled.out")
  counted=$(grep -o 'Importing [0-9]*' <<<"$out" | tail -n 1 | cut -d' ' -f2 || true)
}

with_sanitizer_runtime() {
  local preload=$1
  shift
  if [ -n "$preload" ]; then
    LD_PRELOAD="$preload" ASAN_OPTIONS=detect_leaks=0 "$@"
  else
    "$@"
  fi
}
