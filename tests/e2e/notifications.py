"""A notification service for tests: owns org.freedesktop.Notifications on the session bus
and appends each notification it is sent to a file, one JSON object a line, before it
answers. Usage: notifications.py RECORD_FILE"""
import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.freedesktop.Notifications"


class Service(dbus.service.Object):
    def __init__(self, bus, record):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.record = record
        self.last_id = 0

    @dbus.service.method(NAME, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body", "body-markup"]

    @dbus.service.method(NAME, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("recorder", "zarvik tests", "1", "1.2")

    @dbus.service.method(NAME, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app, replaces, icon, summary, body, actions, hints, timeout):
        self.last_id += 1
        with open(self.record, "a", encoding="utf-8") as out:
            out.write(json.dumps({
                "app": str(app), "replaces": int(replaces), "icon": str(icon),
                "summary": str(summary), "body": str(body), "actions": [str(a) for a in actions],
                "hints": {str(k): (bool(v) if isinstance(v, dbus.Boolean) else str(v))
                          for k, v in hints.items()},
                "timeout": int(timeout), "id": self.last_id}, ensure_ascii=False) + "\n")
        return dbus.UInt32(self.last_id)

    @dbus.service.method(NAME, in_signature="u", out_signature="")
    def CloseNotification(self, _id):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    service = Service(bus, sys.argv[1])
    name = dbus.service.BusName(NAME, bus, do_not_queue=True)
    GLib.MainLoop().run()
    del service, name


if __name__ == "__main__":
    main()
