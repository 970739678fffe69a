# What the e2e scripts share: ending every process they started, failing with
# a screenshot and the logs, waiting for a condition, and the X server and its
# windows. Sourced once the script has set `work` (its scratch folder, removed
# at the end), `pids` (the processes started so far), `screenshots` (the
# folder for pictures), `failure_screenshot` (the picture's name on failure)
# and a `dump_logs` that names the logs worth showing.

xdo() { timeout 10 xdotool "$@"; }

# tail_logs FILE...: the end of each log that holds anything.
tail_logs() {
  local file
  for file in "$@"; do
    [[ -s $file ]] && { echo "---- $file"; tail -n 40 "$file"; }
  done
  return 0
}

fail() {
  trap - ERR
  echo "FAIL: $*" >&2
  [[ -n ${DISPLAY:-} ]] && import -window root "$screenshots/$failure_screenshot" 2>/dev/null || true
  dump_logs >&2
  exit 1
}

alive() { kill -0 "$1" 2>/dev/null; }

# Every process started here ends here, the latest first.
cleanup() {
  local index pid
  for ((index = ${#pids[@]} - 1; index >= 0; --index)); do
    pid=${pids[index]}
    alive "$pid" || continue
    kill -TERM "$pid" 2>/dev/null || true
    for _ in {1..50}; do alive "$pid" || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
trap 'fail "line $LINENO: \"$BASH_COMMAND\" failed"' ERR

# wait_until SECONDS WHAT COMMAND...: COMMAND succeeds within SECONDS.
wait_until() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    ((SECONDS < deadline)) || fail "no $what within ${seconds} s"
    sleep 0.1
  done
}

# The first visible window whose whole title is $1 (an extended regex).
visible_window() { { xdo search --onlyvisible --name "^$1\$" 2>/dev/null || true; } | head -n 1; }
has_window() { [[ -n $(visible_window "$1") ]]; }
no_window() { [[ -z $(visible_window "$1") ]]; }

# Window geometry as X Y WIDTH HEIGHT.
geometry() {
  xdo getwindowgeometry --shell "$1" | awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ {printf "%s ", $2}'
}

# click_at X Y [CLICK OPTIONS] BUTTON. No --sync: a move onto the place the
# pointer already is never completes.
click_at() { xdo mousemove "$1" "$2" sleep 0.2 click "${@:3}"; }

# An X server of its own, logged to xvfb.log; DISPLAY names it.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  wait_until 10 "Xvfb display" test -s "$work/display"
  export DISPLAY=:$(head -n 1 "$work/display")
}
