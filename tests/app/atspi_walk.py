#!/usr/bin/python3
"""Walks the window of a running program on the accessibility bus, as a screen reader sees it,
and lists every object that takes the focus or shows a value but has no name.

Usage: atspi_walk.py <process id> <seconds to wait for the window> [ROLE:NAME]...
Each ROLE:NAME ("slider:语速") must be in the tree, so that a walk of a window whose contents
never reached the bus cannot pass.
Exit status: 0 every such object is named and every ROLE:NAME found, 1 not, 2 the window never
appeared.
"""
import sys
import time

import pyatspi


def find_application(pid, deadline):
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            try:
                if app is not None and app.get_process_id() == pid and app.childCount > 0:
                    frame = app.getChildAtIndex(0)
                    # The window's contents are there once its menu bar and panes are.
                    if frame is not None and frame.childCount > 0:
                        return app
            except Exception:  # an application that went away while being asked
                pass
        time.sleep(0.1)
    return None


def has_value(obj):
    try:
        obj.queryValue()
        return True
    except NotImplementedError:
        return False


def walk(obj, path, found, depth=0):
    if depth > 60:
        raise RuntimeError("the tree loops at " + path)
    role = obj.getRoleName()
    states = obj.getState()
    stops = states.contains(pyatspi.STATE_FOCUSABLE) or has_value(obj)
    found["objects"] += 1
    here = "%s/%s[%s]" % (path, role, obj.name or "")
    found["seen"].add("%s:%s" % (role, obj.name or ""))
    if stops:
        found["stops"] += 1
        if not (obj.name or "").strip():
            found["unnamed"].append(here)
    for i in range(obj.childCount):
        child = obj.getChildAtIndex(i)
        if child is not None:
            walk(child, here, found, depth + 1)


def main():
    pid = int(sys.argv[1])
    deadline = time.monotonic() + float(sys.argv[2])
    app = find_application(pid, deadline)
    if app is None:
        print("atspi_walk: the program's window did not appear on the accessibility bus",
              file=sys.stderr)
        return 2
    found = {"objects": 0, "stops": 0, "unnamed": [], "seen": set()}
    walk(app, "", found)
    missing = [wanted for wanted in sys.argv[3:] if wanted not in found["seen"]]
    print("atspi_walk: %d objects, %d take the focus or show a value, %d of them unnamed"
          % (found["objects"], found["stops"], len(found["unnamed"])))
    for path in found["unnamed"]:
        print("  unnamed: " + path)
    for wanted in missing:
        print("  not found: " + wanted)
    return 1 if found["unnamed"] or missing else 0


if __name__ == "__main__":
    sys.exit(main())
