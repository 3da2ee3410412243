#!/usr/bin/env python3
"""Kills a program with SIGKILL at one step of its atomic write of a file, and says where.

    kill_in_write.py <pid> <target> <step> <bytes>

The program writes <target> as an unnamed file in the target's folder, <bytes> long, syncs it,
links it to a hidden name and renames that over the target. <step> is where the kill lands:
  write   while the unnamed file grows, at a random point of its bytes
  fsync   on entering the sync of the unnamed file
  link    on entering the link of the unnamed file to its hidden name
  rename  on entering the rename over the target
The last three calls take microseconds: the caller has the system-call tracer hold the program
on entering them (delay_enter), long enough to be seen here in /proc/<pid>/syscall; for the
write it holds the opening of the unnamed file, so that the polling is under way when the
write begins.
Prints "write <written> of <bytes> bytes, <time> after it began to grow", or the step, and
exits 0 once the kill is sent; exits 1 without a kill when the step went by unseen or 30 s
passed, 2 when no write began in the folder within 10 s or the program ended.
"""

import os
import platform
import random
import signal
import sys
import time

# x86-64 numbers; the other machines have no rename call of that name.
SYSCALLS = {"fsync": 74, "link": 265, "rename": 82}


def missed(reason, status=1):
    print(reason)
    sys.exit(status)


def alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] not in ("Z", "X")
    except OSError:
        return False


def is_unnamed(pid, fd, folder):
    """Whether the descriptor is an unnamed file in the folder."""
    try:
        link = os.readlink(f"/proc/{pid}/fd/{fd}")
    except OSError:
        return False
    return link.startswith(folder + "/#") and link.endswith(" (deleted)")


def unnamed_fd(pid, folder):
    """The descriptor of the program's unnamed file in the folder, or None."""
    try:
        fds = os.listdir(f"/proc/{pid}/fd")
    except OSError:
        return None
    return next((int(fd) for fd in fds if is_unnamed(pid, fd, folder)), None)


def size_of(pid, fd):
    try:
        return os.stat(f"/proc/{pid}/fd/{fd}").st_size
    except OSError:
        return None


def string_at(pid, address):
    """The NUL-ended string at the address in the program's memory, read page by page so that
    the read never runs into an unmapped page."""
    data = b""
    with open(f"/proc/{pid}/mem", "rb", buffering=0) as memory:
        while b"\0" not in data and len(data) < 8192:
            at = address + len(data)
            memory.seek(at)
            chunk = memory.read(4096 - at % 4096)
            if not chunk:
                break
            data += chunk
    return os.fsdecode(data.split(b"\0")[0])


def current_call(pid):
    """The system call the program's main thread is in, as (number, arguments), or None while
    it runs."""
    try:
        with open(f"/proc/{pid}/syscall") as call:
            fields = call.read().split()
    except OSError:
        return None
    if not fields or not fields[0].isdigit():
        return None
    return int(fields[0]), [int(value, 16) for value in fields[1:7]]


def at_step(pid, step, fd, target):
    call = current_call(pid)
    if call is None or call[0] != SYSCALLS[step]:
        return False
    args = call[1]
    try:
        if step == "fsync":
            return args[0] == fd
        if step == "link":
            return string_at(pid, args[1]) == f"/proc/self/fd/{fd}"
        return string_at(pid, args[1]) == target
    except OSError:
        return False


def kill(pid, where):
    os.kill(pid, signal.SIGKILL)
    print(where)
    sys.exit(0)


def main():
    pid, target, step, total = int(sys.argv[1]), sys.argv[2], sys.argv[3], int(sys.argv[4])
    if platform.machine() != "x86_64":
        missed(f"system call numbers unknown on {platform.machine()}")
    folder = os.path.dirname(os.path.abspath(target))
    deadline = time.monotonic() + 30

    fd = None
    opened_by = time.monotonic() + 10
    while fd is None:
        if time.monotonic() > opened_by or not alive(pid):
            missed("the write never began", 2)
        time.sleep(0.005)
        fd = unnamed_fd(pid, folder)

    if step == "write":
        # So that a busy machine does not keep the polling below from the write; where
        # allowed, and only for the write, which lasts milliseconds.
        try:
            os.sched_setscheduler(0, os.SCHED_FIFO, os.sched_param(1))
        except OSError:
            pass
    began = None
    # Not at the very start or end, so that the kill is surely inside the write.
    threshold = random.randint(total // 10, total * 9 // 10)
    while time.monotonic() < deadline:
        if step == "write":
            size = size_of(pid, fd)
            if size is None or size >= total:
                missed(f"the write ended before the kill ({size} of {total})")
            if began is None and size > 0:
                began = time.monotonic()
            if size >= threshold:
                kill(pid, f"write {size} of {total} bytes, "
                          f"{(time.monotonic() - began) * 1000:.1f} ms after it began to grow")
        else:
            if at_step(pid, step, fd, target):
                kill(pid, step)
            if not is_unnamed(pid, fd, folder):
                missed(f"the write ended before its {step}")
            time.sleep(0.001)
    missed(f"no {step} within 30 s")


main()
