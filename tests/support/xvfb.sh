# xvfb.sh: sourced by the tests that drive a program in a private X
# server. Needs $work (a scratch folder the caller removes).
#   start_xvfb         starts Xvfb on a free display and exports DISPLAY
#   stop_xvfb          ends it
#   wait_window NAME   waits up to 90 s for a visible window whose name
#                      matches NAME and prints its id

start_xvfb() {
  # Xvfb picks a free display itself and writes its number to the fifo;
  # -noreset keeps it from resetting, and refusing clients for a moment,
  # whenever its last client has gone.
  mkfifo "$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  local number
  read -r number <"$work/display"
  export DISPLAY=":$number"
  for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
}

stop_xvfb() {
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  return 0
}

wait_window() {
  local id
  for _ in $(seq 900); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) && [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
