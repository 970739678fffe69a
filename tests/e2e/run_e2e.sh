#!/usr/bin/env bash
# The real program on a real desktop: Xvfb with trayer as the tray host and a
# Dovecot POP3 server on 127.0.0.1:110, inside a network namespace of its own
# so that the fixed port is free. Start from the older single-account
# settings, the first pass, the window from the tray, a Russian message with
# its attachment, delete with confirmation, the configuration dialog, exit,
# the migrated settings, and a second copy refused while a first runs, which
# brings the first one's window up.
#
# Usage: run_e2e.sh TESSARO_BINARY SCREENSHOT_FOLDER FIXTURE_FOLDER
set -Eeuo pipefail
[[ -n ${TESSARO_E2E_TRACE:-} ]] && set -x  # to follow a failure step by step

readonly kSkip=77

if [[ ${TESSARO_E2E_NAMESPACE:-} != 1 ]]; then
  # Dovecot serves mail only as an unprivileged user the mail belongs to; a
  # user namespace maps only ourselves, so without root there is no way.
  if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: the e2e test runs as root only (a network namespace and a mailbox owned by tessaro-mail)"
    exit $kSkip
  fi
  TESSARO_E2E_NAMESPACE=1 exec unshare --net -- "$0" "$@"
fi
ip link set lo up

readonly binary=$(realpath "$1")
readonly screenshots=$2
readonly fixtures=$(realpath "$3")
readonly here=$(dirname "$(realpath "$0")")
readonly main_title='Tessaro \(POP3\)'
readonly config_title='Tessaro \(настройка\)'
mkdir -p "$screenshots"

work=$(mktemp -d /tmp/tessaro-e2e-XXXXXX)
chmod 711 "$work"
pids=()

log() { echo "[$(date +%T)] $*"; }

readonly failure_screenshot=failure.png
dump_logs() {
  tail_logs "$work"/dovecot.log "$work"/dovecot.out "$work"/tessaro*.log "$work"/xvfb.log "$work"/trayer.log
}
# shellcheck source=common.sh source-path=SCRIPTDIR
source "$here/common.sh"
# shellcheck source=dovecot.sh source-path=SCRIPTDIR
source "$here/dovecot.sh"

visible_windows_of() { { xdo search --onlyvisible --pid "$1" 2>/dev/null || true; } | wc -l; }
more_windows_of() { (($(visible_windows_of "$1") > $2)); }

# Keys to the window, given the input focus first: there is no window
# manager to hand it over.
keys_to() {
  local window=$1
  shift
  xdo windowfocus --sync "$window" key --delay 100 "$@"
}

screenshot() { import -window "$1" "$screenshots/$2" || fail "screenshot $2"; }

start_desktop() {
  start_xvfb
  trayer --edge bottom --align right --widthtype request --heighttype pixel --height 32 --transparent false \
    >"$work/trayer.log" 2>&1 &
  pids+=($!)
  wait_until 10 "trayer window" has_window panel
}

write_settings() {
  export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
  mkdir -p -m 0700 "$XDG_CONFIG_HOME/Software" "$XDG_RUNTIME_DIR" "$work/files"
  settings=$XDG_CONFIG_HOME/Software/tessaro.ini
  # The older single-account layout, with every other option off its default.
  cat >"$settings" <<EOF
[TMainForm]
Host=127.0.0.1
UserId=$account_user
Passwd=$account_password
ShowMain=0
ShowDialog=1
ShowSound=0
DeleteConf=1
Time=3600000
WordWrap=1
WorkDir=$work/files
FilesViewHeight=90
ShowConfig=0

[Font]
Name=DejaVu Sans
Charset=204
Size=10
Color=8388608
Style=2
EOF
  chmod 600 "$settings"
}

# start_tessaro NAME: runs the program, its pid in $started.
start_tessaro() {
  (cd "$work" && exec env -u QT_QPA_PLATFORM LANG=C.UTF-8 "$binary") >"$work/tessaro-$1.log" 2>&1 &
  started=$!
  pids+=("$started")
}

# ends_within SECONDS PID: the process ends by itself with status 0.
ends_within() {
  local deadline=$((SECONDS + $1)) status=0
  while alive "$2"; do
    ((SECONDS < deadline)) || fail "process $2 still runs after $1 s"
    sleep 0.1
  done
  wait "$2" || status=$?
  ((status == 0)) || fail "process $2 ended with status $status"
}


# The tray icon is trayer's only client: the panel's middle.
tray_icon_center() {
  local x y w h
  read -r x y w h <<<"$(geometry "$(visible_window panel)")"
  echo "$((x + w / 2)) $((y + h / 2))"
}

# The window shows from the tray once a pass has ended; a double click
# during a pass is ignored, so it is repeated.
show_main_window() {
  local x y
  read -r x y <<<"$(tray_icon_center)"
  for _ in {1..20}; do
    click_at "$x" "$y" --repeat 2 --delay 100 1
    for _ in {1..20}; do
      has_window "$1" && return 0
      sleep 0.1
    done
  done
  fail "no window \"$1\" after double clicks on the tray icon"
}

# Toolbar buttons by their centres in the window (16-pixel icons, Fusion):
# a button is 25 pixels wide, a separator 7 or 8.
declare -A button_x=([TBNext]=40 [TBDelete]=72 [TBConfig]=129)
readonly button_y=15

click_button() {
  local x y w h
  read -r x y w h <<<"$(geometry "$1")"
  click_at $((x + button_x[$2])) $((y + button_y)) 1
  xdo mousemove 600 600  # the hint of a hovered button would cover the status line
}

# confirm CAPTION: the question box is answered with its default, "OK".
confirm() {
  wait_until 10 "box \"$1\"" has_window "$1"
  keys_to "$(visible_window "$1")" Return
  wait_until 10 "box \"$1\" closed" no_window "$1"
}

stored_messages() { find "$maildir/cur" "$maildir/new" -type f | wc -l; }
message_stored() { grep -rlq "^From: $1" "$maildir/cur" "$maildir/new"; }

read_and_delete() {
  local main
  main=$(visible_window "$main_title - 3")
  click_button "$main" TBNext
  sleep 1
  screenshot "$main" main_window.png
  message_stored buh@example.org || fail "the fixture to delete is not in the mailbox"
  click_button "$main" TBDelete
  confirm "Подтверждение"
  wait_until 30 "window title with 2 messages" has_window "$main_title - 2"
  ((($(stored_messages)) == 2)) || fail "Dovecot holds $(stored_messages) messages, wanted 2"
  message_stored buh@example.org && fail "the deleted message is still in Dovecot's mailbox"
  message_stored boss@example.org || fail "a message that was not deleted is gone"
}

open_and_cancel_configuration() {
  local dialog
  click_button "$(visible_window "$main_title - 2")" TBConfig
  wait_until 10 "configuration dialog" has_window "$config_title"
  dialog=$(visible_window "$config_title")
  sleep 0.5
  screenshot "$dialog" config_dialog.png
  # Escape does not cancel this dialog; focus starts on "OK", and "Отмена" follows it.
  keys_to "$dialog" Tab space
  wait_until 10 "configuration dialog closed" no_window "$config_title"
}

# "Выход..." is the tray menu's last item.
exit_from_tray_menu() {
  local x y before
  read -r x y <<<"$(tray_icon_center)"
  before=$(visible_windows_of "$1")
  click_at "$x" "$y" 3
  wait_until 10 "tray menu" more_windows_of "$1" "$before"
  sleep 0.3
  xdo key --delay 100 Up Return
  confirm "Подтверждение"
  ends_within 30 "$1"
}

check_settings() {
  [[ $(stat -c %a "$settings") == 600 ]] || fail "settings file mode $(stat -c %a "$settings"), wanted 600"
  python3 "$here/check_settings.py" "$settings" \
    '!TMainForm/Host' '!TMainForm/UserId' '!TMainForm/Passwd' '!TMainForm/UserIdent' '!TMainForm/Password' \
    Servers/Count=1 Servers/Host0=127.0.0.1 "Servers/UserId0~=$account_user" \
    "Servers/Passwd0~=$account_password" Servers/Checked0=1 '!Servers/Host1' \
    TMainForm/ShowMain=0 TMainForm/ShowDialog=1 TMainForm/ShowSound=0 TMainForm/DeleteConf=1 \
    TMainForm/Time=3600000 TMainForm/WordWrap=1 "TMainForm/WorkDir=$work/files" TMainForm/FilesViewHeight=90 \
    TMainForm/ShowConfig=0 'Font/Name=DejaVu Sans' Font/Charset=204 Font/Size=10 Font/Color=8388608 Font/Style=2 ||
    fail "settings file after exit:$(printf '\n'; cat -v "$settings")"
}

# A second copy while a first runs: it says so in an error box and ends,
# and the first shows its window, hidden until then, and goes on as before.
refuse_second_copy() {
  local first second box ended
  ended=$(sessions_ended)
  start_tessaro resident
  first=$started
  wait_until 60 "the resident copy's first pass" more_sessions_than "$ended"
  no_window "$main_title - 2" || fail "the resident copy's window is up before the second start"
  start_tessaro second
  second=$started
  wait_until 30 "error box of the second copy" has_window "Ошибка"
  box=$(visible_window "Ошибка")
  [[ $(xdo getwindowpid "$box") == "$second" ]] || fail "the error box does not come from the second copy"
  (($(visible_windows_of "$second") == 1)) || fail "the second copy shows more than its error box"
  wait_until 30 "the resident copy's window, asked for by the second" has_window "$main_title - 2"
  [[ $(xdo getwindowpid "$(visible_window "$main_title - 2")") == "$first" ]] ||
    fail "the main window shown is not the resident copy's"
  sleep 0.5
  screenshot "$box" second_copy.png
  keys_to "$box" Return
  ends_within 10 "$second"
  alive "$first" || fail "the first copy ended with the second"
  # The end of the desktop session ends it too, saving as it goes.
  kill -TERM "$first"
  ends_within 30 "$first"
  check_settings
}

main() {
  rm -f "$screenshots"/{main_window,config_dialog,second_copy,failure}.png
  log "Dovecot on 127.0.0.1:110"
  start_dovecot
  log "Xvfb and trayer"
  start_desktop
  write_settings
  log "tessaro on $DISPLAY"
  start_tessaro first
  local first=$started
  wait_until 60 "first pass reading all three messages" all_read_once "$first"
  log "window from the tray"
  show_main_window "$main_title - 3"
  log "reading and deleting the message with an attachment"
  read_and_delete
  log "configuration dialog"
  open_and_cancel_configuration
  log "exit from the tray menu"
  exit_from_tray_menu "$first"
  check_settings
  log "second copy"
  refuse_second_copy
  log "PASS: screenshots in $screenshots"
}

main
