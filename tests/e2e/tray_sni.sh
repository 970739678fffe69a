#!/usr/bin/env bash
# The tray icon on a desktop whose notification area speaks StatusNotifierItem
# over D-Bus: a private session bus with a watcher and a standalone host on
# Xvfb. The host draws the icon and shows the icon's menu itself: the menu
# shows the window and hides it again, and a click on the icon shows it.
#
# Usage: tray_sni.sh TESSARO_BINARY SCREENSHOT_FOLDER
set -Eeuo pipefail
[[ -n ${TESSARO_E2E_TRACE:-} ]] && set -x  # to follow a failure step by step

readonly kSkip=77

for tool in dbus-run-session dbus-send status-notifier-watcher gtk-sni-tray-standalone Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit $kSkip; }
done

if [[ ${TESSARO_E2E_BUS:-} != 1 ]]; then
  TESSARO_E2E_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

readonly binary=$(realpath "$1")
readonly screenshots=$2
readonly main_title='Tessaro \(POP3\).*'
readonly host=gtk-sni-tray-standalone
mkdir -p "$screenshots"

work=$(mktemp -d /tmp/tessaro-sni-XXXXXX)
pids=()

xdo() { timeout 10 xdotool "$@"; }

dump_logs() {
  local file
  for file in "$work"/*.log; do
    [[ -s $file ]] && { echo "---- $file"; tail -n 40 "$file"; }
  done
  return 0
}

fail() {
  trap - ERR
  echo "FAIL: $*" >&2
  [[ -n ${DISPLAY:-} ]] && import -window root "$screenshots/sni-failure.png" 2>/dev/null || true
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

visible_window() { { xdo search --onlyvisible --name "^$1\$" 2>/dev/null || true; } | head -n 1; }
visible_windows_named() { { xdo search --onlyvisible --name "^$1\$" 2>/dev/null || true; } | wc -l; }
more_windows_named() { (($(visible_windows_named "$1") > $2)); }
has_window() { [[ -n $(visible_window "$1") ]]; }
no_window() { [[ -z $(visible_window "$1") ]]; }

bus_has() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.ListNames 2>/dev/null |
    grep -q "\"$1\""
}

item_registered() {
  dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
    string:RegisteredStatusNotifierItems 2>/dev/null | grep -q 'string ":'
}

# Window geometry as X Y WIDTH HEIGHT.
geometry() {
  xdo getwindowgeometry --shell "$1" | awk -F= '/^(X|Y|WIDTH|HEIGHT)=/ {printf "%s ", $2}'
}

# The host packs items from the right end of its bar; ours is the only one.
icon_center() {
  local x y w h
  read -r x y w h <<<"$(geometry "$(visible_window "$host")")"
  echo "$((x + w - 16)) $((y + h / 2))"
}

click_icon() {
  local x y
  read -r x y <<<"$(icon_center)"
  xdo mousemove "$x" "$y" sleep 0.2 click "$1"
}

# Right click, then the first enabled item of the menu the host draws: of
# "show" and "hide" only the one that fits the window's state is enabled.
menu_first_enabled_item() {
  local before
  before=$(visible_windows_named "$host")
  click_icon 3
  wait_until 10 "menu from the host" more_windows_named "$host" "$before"
  sleep 0.3
  import -window root "$screenshots/sni-menu-$1.png"
  xdo key --delay 100 Down Return
}

start_desktop() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  wait_until 10 "Xvfb display" test -s "$work/display"
  export DISPLAY=:$(head -n 1 "$work/display")
  status-notifier-watcher >"$work/watcher.log" 2>&1 &
  pids+=($!)
  wait_until 10 "StatusNotifierWatcher on the bus" bus_has org.kde.StatusNotifierWatcher
  "$host" --bottom --end -s 32 >"$work/host.log" 2>&1 &
  pids+=($!)
  wait_until 10 "host window" has_window "$host"
}

start_tessaro() {
  export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
  mkdir -p -m 0700 "$XDG_CONFIG_HOME/Software" "$XDG_RUNTIME_DIR"
  printf '[TMainForm]\nShowConfig=0\nShowMain=0\n' >"$XDG_CONFIG_HOME/Software/tessaro.ini"
  (cd "$work" && exec env -u QT_QPA_PLATFORM LANG=C.UTF-8 "$binary") >"$work/tessaro.log" 2>&1 &
  pids+=($!)
  wait_until 15 "item registered with the watcher" item_registered
  sleep 1  # the host draws the icon after it learned of the item
  import -window root "$screenshots/sni-icon.png"
}

main() {
  start_desktop
  start_tessaro
  no_window "$main_title" || fail "the window shows before it was asked for"
  menu_first_enabled_item show
  wait_until 10 "window shown from the host's menu" has_window "$main_title"
  menu_first_enabled_item hide
  wait_until 10 "window hidden from the host's menu" no_window "$main_title"
  click_icon 1
  wait_until 10 "window shown by a click on the icon" has_window "$main_title"
  import -window root "$screenshots/sni-shown.png"
  echo "PASS: tray icon on a StatusNotifierItem host"
}

main
