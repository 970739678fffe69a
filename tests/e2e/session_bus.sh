# What the e2e scripts ask the session bus: whether a name is on it, and
# which StatusNotifierItems the watcher holds.

bus_has() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.ListNames 2>/dev/null |
    grep -q "\"$1\""
}

# The watcher's items, one a line.
registered_items() {
  dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
    string:RegisteredStatusNotifierItems 2>/dev/null | sed -n 's/^ *string "\(.*\)"$/\1/p'
}
item_registered() { [[ -n $(registered_items) ]]; }
