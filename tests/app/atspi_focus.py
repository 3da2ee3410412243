#!/usr/bin/python3
"""Prints the role and name of the object that has the focus in a running program, as a screen
reader hears of it ("text 正文"), or nothing when none has.

Usage: atspi_focus.py <process id>
"""
import sys

import pyatspi


def focused(obj, depth=0):
    if depth > 60:
        return None
    if obj.getState().contains(pyatspi.STATE_FOCUSED):
        return obj
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        found = focused(child, depth + 1) if child is not None else None
        if found is not None:
            return found
    return None


def main():
    pid = int(sys.argv[1])
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            obj = focused(app)
            if obj is not None:
                print("%s %s" % (obj.getRoleName(), obj.name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
