#!/usr/bin/python3
"""Presses an object of a running program through the accessibility bus, as a screen reader's
user would: the first one with the given role and name that is shown, or, for a menu item, one
in a menu that is not open.

Usage: atspi_press.py <process id> ROLE:NAME
Exit status: 0 pressed, 1 no such object or it cannot be pressed.
"""
import sys

import pyatspi


def find(obj, role, name, depth=0):
    if depth > 60:
        return None
    if obj.getRoleName() == role and (obj.name or "") == name and (
            role == "menu item" or obj.getState().contains(pyatspi.STATE_SHOWING)):
        return obj
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        found = find(child, role, name, depth + 1) if child is not None else None
        if found is not None:
            return found
    return None


def main():
    pid = int(sys.argv[1])
    role, name = sys.argv[2].split(":", 1)
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or app.get_process_id() != pid:
            continue
        target = find(app, role, name)
        if target is None:
            break
        action = target.queryAction()
        for i in range(action.nActions):
            if action.getName(i) == "Press":
                action.doAction(i)
                return 0
        print("atspi_press: %s cannot be pressed" % sys.argv[2], file=sys.stderr)
        return 1
    print("atspi_press: no %s" % sys.argv[2], file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
