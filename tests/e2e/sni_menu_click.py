"""Clicks the item labelled LABEL in the menu of the StatusNotifierItem at
SERVICE, through the com.canonical.dbusmenu interface the item exports, as a
host does when the user picks it.

usage: sni_menu_click.py SERVICE LABEL"""
import sys
import time

import dbus

service, label = sys.argv[1], sys.argv[2]
bus = dbus.SessionBus()
item = bus.get_object(service, "/StatusNotifierItem")
menu_path = item.Get("org.kde.StatusNotifierItem", "Menu", dbus_interface="org.freedesktop.DBus.Properties")
menu = dbus.Interface(bus.get_object(service, menu_path), "com.canonical.dbusmenu")
# A host tells the menu it is about to open it; Qt fills the items then.
menu.AboutToShow(0)
_, (_, _, children) = menu.GetLayout(0, -1, [])
ids = [int(child[0]) for child in children if str(child[1].get("label", "")).replace("_", "") == label]
if not ids:
    sys.exit(f"no item {label!r} in the menu")
menu.Event(ids[0], "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(int(time.time())))
