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
readonly here=$(dirname "$(realpath "$0")")
readonly main_title='Tessaro \(POP3\).*'
readonly host=gtk-sni-tray-standalone
mkdir -p "$screenshots"

work=$(mktemp -d /tmp/tessaro-sni-XXXXXX)
pids=()

readonly failure_screenshot=sni-failure.png
dump_logs() { tail_logs "$work"/*.log; }
# shellcheck source=common.sh source-path=SCRIPTDIR
source "$here/common.sh"
# shellcheck source=session_bus.sh source-path=SCRIPTDIR
source "$here/session_bus.sh"

visible_windows_named() { { xdo search --onlyvisible --name "^$1\$" 2>/dev/null || true; } | wc -l; }
more_windows_named() { (($(visible_windows_named "$1") > $2)); }


# The host packs items from the right end of its bar; ours is the only one.
icon_center() {
  local x y w h
  read -r x y w h <<<"$(geometry "$(visible_window "$host")")"
  echo "$((x + w - 16)) $((y + h / 2))"
}

click_icon() {
  local x y
  read -r x y <<<"$(icon_center)"
  click_at "$x" "$y" "$1"
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
  start_xvfb
  status-notifier-watcher >"$work/watcher.log" 2>&1 &
  pids+=($!)
  wait_until 10 "StatusNotifierWatcher on the bus" bus_has org.kde.StatusNotifierWatcher
  "$host" --bottom --end -s 32 >"$work/host.log" 2>&1 &
  pids+=($!)
  wait_until 10 "host window" has_window "$host"
}

start_tessaro() {
  export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
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
