#!/usr/bin/env bash
# The real program on Wayland: Weston's headless compositor, a private session
# bus that activates nothing, with a StatusNotifierItem watcher and host and
# python3-dbusmock's notification daemon, and Dovecot on 127.0.0.1:110 in a
# network namespace of its own; the bus stands for the system bus too, with
# dbusmock's logind and NetworkManager. The first pass reads the mailbox,
# posts the desktop notification and shows the notice window; the tray
# item's Activate brings the main window onto the screen, its menu hides it,
# and a second start brings it back (each seen as a change between two
# screenshots); a resume within a minute of the pass starts no pass, one
# after it does, and so does the network's return a minute later;
# "Выход..." picked from the item's menu puts its question on the screen,
# and the end of the desktop session, the only answer the headless seat
# leaves, ends the program, which saves its settings.
#
# Usage: wayland.sh TESSARO_BINARY SCREENSHOT_FOLDER FIXTURE_FOLDER
set -Eeuo pipefail
[[ -n ${TESSARO_E2E_TRACE:-} ]] && set -x  # to follow a failure step by step

readonly kSkip=77
readonly here=$(dirname "$(realpath "$0")")

for tool in dbus-run-session dbus-send status-notifier-watcher weston weston-screenshooter compare dovecot; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit $kSkip; }
done
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || { echo "SKIP: python3-dbusmock is not installed"; exit $kSkip; }

if [[ ${TESSARO_E2E_NAMESPACE:-} != 1 ]]; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: the e2e test runs as root only (a network namespace and a mailbox owned by tessaro-mail)"
    exit $kSkip
  fi
  TESSARO_E2E_NAMESPACE=1 exec unshare --net -- \
    dbus-run-session --config-file="$here/../support/private_bus.conf" -- "$0" "$@"
fi
ip link set lo up

readonly binary=$(realpath "$1")
readonly screenshots=$2
readonly fixtures=$(realpath "$3")
mkdir -p "$screenshots"

work=$(mktemp -d /tmp/tessaro-wayland-XXXXXX)
chmod 711 "$work"
pids=()

readonly failure_screenshot=wayland-failure.png
dump_logs() { tail_logs "$work"/*.log "$work"/dovecot.out; }
# shellcheck source=common.sh source-path=SCRIPTDIR
source "$here/common.sh"
# shellcheck source=dovecot.sh source-path=SCRIPTDIR
source "$here/dovecot.sh"
# shellcheck source=session_bus.sh source-path=SCRIPTDIR
source "$here/session_bus.sh"

host_registered() {
  dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
    string:IsStatusNotifierHostRegistered 2>/dev/null | grep -q 'boolean true'
}

# What the notification daemon was asked to show.
notify_calls() {
  dbus-send --session --print-reply --dest=org.freedesktop.Notifications /org/freedesktop/Notifications \
    org.freedesktop.DBus.Mock.GetMethodCalls string:Notify 2>/dev/null
}
notification_posted() { notify_calls | grep -q 'Получено новых писем: 3'; }

# The end of a suspend, as logind announces it.
resume() {
  /usr/bin/python3 -c 'import dbus
dbus.SystemBus().get_object("org.freedesktop.login1", "/org/freedesktop/login1").EmitSignal(
    "org.freedesktop.login1.Manager", "PrepareForSleep", "b", [False], dbus_interface="org.freedesktop.DBus.Mock")'
}

# network_state NM_STATE: NetworkManager's global state (20 disconnected, 70 connected).
network_state() {
  dbus-send --system --print-reply --dest=org.freedesktop.NetworkManager /org/freedesktop/NetworkManager \
    org.freedesktop.DBus.Mock.SetGlobalConnectionState "uint32:$1" >/dev/null
}

# shot NAME: the whole output as the compositor draws it.
shot() {
  (cd "$work" && rm -f wayland-screenshot-*.png && weston-screenshooter >/dev/null 2>&1) || return 1
  mv "$work"/wayland-screenshot-*.png "$screenshots/$1"
}

start_desktop() {
  export XDG_RUNTIME_DIR=$work/runtime
  mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
  # --debug lets weston-screenshooter take pictures.
  weston --backend=headless-backend.so --use-pixman --width=1024 --height=768 --idle-time=0 --debug \
    --socket=wayland-tessaro >"$work/weston.log" 2>&1 &
  pids+=($!)
  export WAYLAND_DISPLAY=wayland-tessaro
  wait_until 10 "Weston's socket" test -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"
  status-notifier-watcher >"$work/watcher.log" 2>&1 &
  pids+=($!)
  wait_until 10 "StatusNotifierWatcher on the bus" bus_has org.kde.StatusNotifierWatcher
  # The host makes the watcher say a notification area is there.
  /usr/bin/python3 "$here/sni_host.py" >"$work/host.log" 2>&1 &
  pids+=($!)
  wait_until 10 "the host registered with the watcher" host_registered
  /usr/bin/python3 -m dbusmock --session --template notification_daemon >"$work/notifications.log" 2>&1 &
  pids+=($!)
  wait_until 10 "notification daemon on the bus" bus_has org.freedesktop.Notifications
  # The same bus stands for the system bus, with logind on it.
  export DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
  /usr/bin/python3 -m dbusmock --system --template logind >"$work/logind.log" 2>&1 &
  pids+=($!)
  wait_until 10 "logind on the bus" bus_has org.freedesktop.login1
  /usr/bin/python3 -m dbusmock --system --template networkmanager >"$work/networkmanager.log" 2>&1 &
  pids+=($!)
  wait_until 10 "NetworkManager on the bus" bus_has org.freedesktop.NetworkManager
}

start_tessaro() {
  export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_CACHE_HOME=$work/cache
  mkdir -p -m 0700 "$XDG_CONFIG_HOME/Software"
  settings=$XDG_CONFIG_HOME/Software/tessaro.ini
  printf '[TMainForm]\nHost=127.0.0.1\nUserId=%s\nPasswd=%s\nShowMain=0\nShowDialog=1\nShowSound=0\n' \
    "$account_user" "$account_password" >"$settings"
  printf 'ShowNotify=1\nShowConfig=0\nTime=3600000\n' >>"$settings"
  (cd "$work" && exec env QT_QPA_PLATFORM=wayland LANG=C.UTF-8 "$binary") >"$work/tessaro.log" 2>&1 &
  tessaro=$!
  pids+=("$tessaro")
}

# The item's service: the watcher lists it alone, the item at the usual path.
item_service() { registered_items | head -n 1; }
activate_item() {
  dbus-send --session --print-reply --dest="$(item_service)" /StatusNotifierItem \
    org.kde.StatusNotifierItem.Activate int32:0 int32:0 >/dev/null
}

# Pixels that differ between the two pictures, below Weston's panel (its clock ticks).
changed_pixels() {
  compare -metric AE -fuzz 2% "$screenshots/$1" "$screenshots/$2" -crop 1024x700+0+40 null: 2>&1 || true
}

# shot_changes BEFORE AFTER PIXELS WHAT: a second after, the picture AFTER
# differs from BEFORE in more than PIXELS pixels: WHAT came or went.
shot_changes() {
  sleep 1.5
  shot "$2" || fail "no screenshot from Weston"
  (($(changed_pixels "$1" "$2") > $3)) || fail "no change on the screen for $4 ($2)"
}

# A second copy says it is one and brings the first one's window up; its box
# cannot be answered here, so it is ended. The window is far larger than the box.
second_start() {
  local second
  (cd "$work" && exec env QT_QPA_PLATFORM=wayland LANG=C.UTF-8 "$binary") >"$work/second.log" 2>&1 &
  second=$!
  pids+=("$second")
  shot_changes wayland-hidden.png wayland-second.png 100000 "the main window, asked for by a second start"
  alive "$second" || fail "the second copy ended without its box"
  kill -TERM "$second"
}

main() {
  start_dovecot
  start_desktop
  sleep 1
  shot wayland-desktop.png || fail "no screenshot from Weston"
  start_tessaro
  wait_until 60 "first pass reading all three messages" all_read_once "$tessaro"
  local first_pass=$SECONDS
  resume  # within a minute of that pass: no other
  wait_until 15 "the desktop notification" notification_posted
  wait_until 15 "item registered with the watcher" item_registered
  sleep 1
  shot_changes wayland-desktop.png wayland-notice.png 5000 "the notice window"
  activate_item
  shot_changes wayland-notice.png wayland-shown.png 100000 "the main window, from the tray item"
  /usr/bin/python3 "$here/sni_menu_click.py" "$(item_service)" "Убрать окно" || fail "no hide in the item's menu"
  shot_changes wayland-shown.png wayland-hidden.png 100000 "the main window's leaving"
  second_start
  sleep $((first_pass + 62 - SECONDS))
  (($(sessions_ended) == 1)) || fail "a resume within a minute of a pass started another"
  resume
  wait_until 20 "a pass after the resume" more_sessions_than 1
  local resumed=$SECONDS
  network_state 20
  sleep $((resumed + 62 - SECONDS))
  network_state 70
  wait_until 20 "a pass when the network came back" more_sessions_than 2
  /usr/bin/python3 "$here/sni_menu_click.py" "$(item_service)" "Выход..." || fail "no exit in the item's menu"
  shot_changes wayland-second.png wayland-exit.png 5000 "the exit's question"
  # Weston's headless seat takes no input to answer it; the session's end does.
  kill -TERM "$tessaro"
  for _ in {1..300}; do alive "$tessaro" || break; sleep 0.1; done
  alive "$tessaro" && fail "tessaro still runs 30 s after the session's end"
  wait "$tessaro" || fail "tessaro ended with status $?"
  grep -q '^ShowNotify=1$' "$settings" && grep -q '^Count=1$' "$settings" ||
    fail "settings not saved:$(cat "$settings")"
  echo "PASS: Wayland, screenshots in $screenshots"
}

main
