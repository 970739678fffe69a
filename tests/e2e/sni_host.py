"""A StatusNotifierHost that draws nothing: it holds a host's name on the
session bus and registers it with the watcher, so that programs see a
notification area there. Runs until it is ended."""
import os

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName(f"org.kde.StatusNotifierHost-{os.getpid()}", bus)
watcher = bus.get_object("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")
watcher.RegisterStatusNotifierHost(name.get_name(), dbus_interface="org.kde.StatusNotifierWatcher")
GLib.MainLoop().run()
