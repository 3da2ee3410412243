#!/usr/bin/env bash
# Interruptions a user's day brings, on the real program: the window closed by every road while
# an export, a conversion or a page load runs, and the program killed while it writes a
# document, its settings or an export. Needs an X server and a sound server (the test
# services); starts a window manager of its own.
#   faults.sh <program folder> [close cycles per road] [kill trials per writer]
set -uo pipefail

bin=$(cd "$1" && pwd)
cycles=${2:-3}
trials=${3:-20}
work=$(mktemp -d /tmp/parlora-faults.XXXXXX)
failures=0
declare -A counts

cleanup() {
    [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null
    [ -n "${server_pid:-}" ] && kill "$server_pid" 2>/dev/null
    pkill -KILL -f "$work/" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
sleep 0.5

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
count() { counts[$1]=$((${counts[$1]:-0} + 1)); }

# A text of the given number of sentences in a file.
sentences() {
    for i in $(seq "$1"); do printf 'Sentence number %d of the fault test is read aloud. ' "$i"; done
    printf '\n'
}
sentences 150 >"$work/long.txt"
printf 'old document\r\n' >"$work/old-document"

# Starts the program with its settings in a fresh folder, or in the one given; sets pid, config
# and window.
start_program() {
    config=${1:-$(mktemp -d "$work/config.XXXXXX")}
    # In the work folder, where a name the dialog took as relative stays.
    (cd "$work" && XDG_CONFIG_HOME=$config PATH="$work/stubs:$PATH" exec "$bin/parlora") \
        >"$config/log" 2>&1 &
    pid=$!
    window=""
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --pid "$pid" --name '^Parlora2008$' 2>/dev/null | head -n1)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { fail "the window did not appear"; return 1; }
    xdotool windowactivate --sync "$window" 2>/dev/null
    sleep 0.3
}

keys() { xdotool key --clearmodifiers --delay 30 "$@"; }
typed() { xdotool type --delay 5 "$1"; }

# Types an address into the address bar and opens it.
open_address() {
    keys alt+d
    typed "$1"
    keys Return
}

# Answers the file dialog that is showing with the path; sets dialog.
answer_dialog() {
    dialog=""
    for _ in $(seq 50); do
        dialog=$(xdotool getactivewindow 2>/dev/null)
        [ -n "$dialog" ] && [ "$dialog" != "$window" ] && break
        sleep 0.1
    done
    sleep 0.3
    keys ctrl+a
    typed "$1"
    keys Return
}

# Waits for the program to end; sets status.
wait_exit() {
    for _ in $(seq 150); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid"
        status=hung
    fi
    wait "$pid" 2>/dev/null
    status=${status:-$?}
}

close_by() {
    case $1 in
    SIGTERM | SIGINT | SIGHUP) kill -s "$1" "$pid" ;;
    title-bar) wmctrl -i -c "$window" || fail "wmctrl could not close $window" ;;
    menu) keys alt+f x ;;
    esac
}

settings_written() {
    [ -s "$config/parlora/set.ini" ] && grep -q 'SpeakKey=All' "$config/parlora/set.ini"
}

# Closing during a long operation: it is cancelled, nothing half-done stays, exit status 0.
check_close() {
    local operation=$1 road=$2 out=$3
    unset status
    close_by "$road"
    wait_exit
    [ "$status" = 0 ] || fail "$operation, $road: exit status $status"
    [ -z "$(ls -A "$out" 2>/dev/null)" ] || fail "$operation, $road: left $(ls -A "$out")"
    settings_written || fail "$operation, $road: settings not written"
    # A conversion that never ended remembered nothing, and an empty list is not written.
    [ "$operation" = conversion ] || [ -f "$config/parlora/files.ini" ] ||
        fail "$operation, $road: recent list not written"
    if pgrep -f "$work/stubs" >/dev/null; then
        fail "$operation, $road: the converter still runs"
        pkill -KILL -f "$work/stubs"
    fi
    count "close-$operation"
}

# Each long operation, started in a fresh program.
begin_export() {
    open_address "$work/long.txt"
    sleep 0.5
    keys alt+f w
    answer_dialog "$out/talk.wav"
    # Within the first half second: then the progress dialog is modal, and only a signal or
    # its own 取消 reach the program.
    sleep 0.1
}
begin_conversion() {
    open_address "$work/slow.doc"
    sleep 0.1
}
begin_page_load() {
    open_address "http://127.0.0.1:$(cat "$work/port")/"
    sleep 1
}

close_during() {
    local operation=$1 road=$2
    out=$(mktemp -d "$work/out.XXXXXX")
    start_program || return
    "begin_$operation"
    check_close "$operation" "$road" "$out"
}

# A converter that takes its time, as a large Word document does.
mkdir -p "$work/stubs"
printf '#!/bin/sh\nsleep 60\n' >"$work/stubs/antiword"
chmod +x "$work/stubs/antiword"
printf 'not really a Word document' >"$work/slow.doc"

# A web server that accepts and never answers.
python3 -c '
import socket, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(16)
print(s.getsockname()[1], flush=True)
conns = []
while True:
    conns.append(s.accept())
' >"$work/port" &
server_pid=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done

for road in ${ROADS:-SIGTERM SIGINT SIGHUP title-bar menu}; do
    for _ in $(seq "$cycles"); do
        for operation in export conversion page_load; do
            close_during "$operation" "$road"
        done
    done
done

random_ms() { echo "0.$(printf '%03d' $((RANDOM % $1)))"; }

# The size of the unnamed file the program writes in the folder; empty when it holds none.
unnamed_size() {
    local fd
    fd=$(find /proc/"$1"/fd -lname "$2/#*" 2>/dev/null | head -n1)
    [ -n "$fd" ] && stat -L -c %s "$fd" 2>/dev/null
}

# Waits until the program's unnamed file in the folder holds more than the bytes; false when
# it never does within 30 s or the program ended.
wait_growth() {
    local size
    for _ in $(seq 3000); do
        size=$(unnamed_size "$1" "$2")
        [ -n "$size" ] && [ "$size" -gt "$3" ] && return 0
        kill -0 "$1" 2>/dev/null || return 1
        sleep 0.01
    done
    return 1
}

# Qt's save dialog asks before it replaces a file, in a window of its own, which a busy machine
# may show late; false when it does not show within 3 s.
wait_question() {
    local question
    for _ in $(seq 30); do
        question=$(xdotool getactivewindow 2>/dev/null)
        [ -n "$question" ] && [ "$question" != "$window" ] && [ "$question" != "$dialog" ] &&
            sleep 0.1 && return 0
        sleep 0.1
    done
    return 1
}

confirm_replace() {
    wait_question
    keys y
}

# A whole WAV file: its RIFF size is its length.
whole_wav() {
    python3 -c '
import struct, sys
data = open(sys.argv[1], "rb").read()
sys.exit(0 if data[:4] == b"RIFF" and struct.unpack("<I", data[4:8])[0] + 8 == len(data) else 1)
' "$1"
}

# kill -9 while the settings are written at exit: the old file or the new one, whole.
old_settings=$'[set]\r\nRate=3\r\n'
for _ in $(seq "$trials"); do
    start_program || continue
    printf '%s' "$old_settings" >"$config/parlora/set.ini"
    # The settings are written in far less than a millisecond: the kill is placed at a step of
    # that write (its data on disk, its link, its rename) by the system-call tracer.
    steps=(fsync linkat rename)
    step=${steps[$((RANDOM % 3))]}
    strace -f -qq -y -o "$work/trace" -e trace="$step" -e inject="$step":signal=SIGKILL:when=1 \
        -p "$pid" &
    tracer=$!
    sleep 0.5
    unset status
    kill -TERM "$pid"
    wait_exit
    kill "$tracer" 2>/dev/null
    wait "$tracer" 2>/dev/null
    # The call it was killed in names the settings folder: the kill was inside their write.
    if [ "$status" = 137 ] && grep -v -e "^[0-9]* *---" "$work/trace" | head -n1 | grep -qF "$config/parlora/"; then
        count "settings-killed-at-$step"
    else
        fail "settings: the kill at $step missed their write ($(head -c 200 "$work/trace"))"
    fi
    current=$(cat "$config/parlora/set.ini")
    if [ "$current" = "$(printf '%s' "$old_settings")" ]; then
        count settings-old
    elif grep -q 'HighlightReading=' "$config/parlora/set.ini" && [ "$(grep -c . "$config/parlora/set.ini")" -ge 15 ]; then
        count settings-new
    else
        fail "settings partial: $(od -c "$config/parlora/set.ini" | head -3)"
    fi
    # A kill between the link and the rename leaves a part, which the next exit takes away.
    start_program "$config" || continue
    unset status
    kill -TERM "$pid"
    wait_exit
    [ -z "$(ls -A "$config/parlora" | grep '^\.parlora-.*\.part$')" ] || fail "settings: a part was left"
done

# A document whose save writes about 20 MB, which takes milliseconds to tens of them, and the
# bytes its save as text gives: a byte-order mark, then UTF-16 with CR LF line ends.
python3 -c '
import sys
with open(sys.argv[1], "w") as text, open(sys.argv[2], "wb") as saved:
    lines = ["Paragraph %d of the large document is long enough that saving it takes a while. " % i * 3
             for i in range(40000)]
    text.write("".join(line + "\n" for line in lines))
    saved.write(b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le"))
' "$work/large.txt" "$work/large-saved.txt"
large_size=$(stat -c %s "$work/large-saved.txt")
documents=$(mktemp -d "$work/documents.XXXXXX")
target="$documents/saved.txt"

# Opens the large document and answers the save dialog with the old document's path until the
# dialog asks whether to replace it: on a busy machine the typed name can mix with the list the
# dialog is still loading. False when it never asks.
ask_save_large() {
    cp "$work/old-document" "$target"
    open_address "$work/large.txt"
    keys alt+f s
    answer_dialog "$target"
    for _ in 1 2 3; do
        wait_question && return 0
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$dialog" ] || return 1
        keys ctrl+a
        typed "$target"
        keys Return
    done
    return 1
}

# Waits until the system-call tracer has the program.
wait_traced() {
    for _ in $(seq 100); do
        [ "$(awk '/^TracerPid:/ { print $2 }' "/proc/$pid/status")" != 0 ] && return
        sleep 0.05
    done
}

parts() { find "$documents" -maxdepth 1 -name '.parlora-*.part' | wc -l; }

# One save killed at the step. Returns the watcher's status: 2, with the program ended, when
# no save began in the documents' folder, as a busy machine can garble the name typed into the
# dialog.
kill_save_at() {
    local step=$1 held tracer killer outcome
    start_program || return 2
    if ! ask_save_large; then
        kill -KILL "$pid"
        wait "$pid" 2>/dev/null
        return 2
    fi
    # Only now, as the tracer slows every call the program makes.
    case $step in
    write) held=(-P "$documents" -e trace=openat -e inject=openat:delay_exit=100ms) ;;
    link) held=(-e trace=linkat -e inject=linkat:delay_enter=300ms) ;;
    *) held=(-e trace="$step" -e inject="$step":delay_enter=300ms) ;;
    esac
    strace -qq -o /dev/null "${held[@]}" -p "$pid" 2>/dev/null &
    tracer=$!
    wait_traced
    python3 "$(dirname "$0")/kill_in_write.py" "$pid" "$target" "$step" "$large_size" >"$work/kill" &
    killer=$!
    keys y
    wait "$killer"
    outcome=$?
    [ "$outcome" = 0 ] || kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    kill "$tracer" 2>/dev/null
    wait "$tracer" 2>/dev/null
    return "$outcome"
}

# kill -9 at each step of a document save in turn, taken from its unnamed file: while it grows,
# or on entering its sync, its link or its rename. The tracer holds the program a moment there
# (and where the unnamed file is opened, before the write), so that the watcher, which polls,
# cannot miss it. Every kill comes before the rename, so the old document stays, whole.
steps=(write fsync link rename)
for i in $(seq "$trials"); do
    step=${steps[$((i % 4))]}
    for _ in 1 2 3; do
        kill_save_at "$step"
        outcome=$?
        [ "$outcome" = 2 ] || break
        count save-dialog-retried
    done
    landed=no
    case $outcome in
    0)
        landed=yes
        where=$(cat "$work/kill")
        count "save-killed-at-${where%% *}"
        [ "$step" = write ] && echo "save killed during its write at ${where#write }"
        ;;
    1) fail "save: the kill at $step missed the write ($(cat "$work/kill"))" ;;
    *)
        fail "save: no save began in three tries"
        continue
        ;;
    esac
    if cmp -s "$target" "$work/old-document"; then
        count save-old
    elif cmp -s "$target" "$work/large-saved.txt"; then
        count save-new
        [ "$landed" = yes ] &&
            fail "save: the new document is in place though the kill came before its rename"
    else
        fail "saved document partial: $(stat -c %s "$target") bytes"
    fi
    # Killed at the rename, the file has its hidden name; the next save takes it away.
    expected=0
    [ "$step" = rename ] && expected=1
    [ "$landed" = no ] || [ "$(parts)" = "$expected" ] ||
        fail "save at $step: $(parts) parts left, not $expected"
done

# A save that runs to its end, timed; it also takes away the part a killed one left.
if start_program && ask_save_large; then
    strace -qq -T -y -o "$work/trace" -e trace=write,fsync,linkat,rename -p "$pid" &
    tracer=$!
    wait_traced
    keys y
    for _ in $(seq 100); do
        cmp -s "$target" "$work/large-saved.txt" && break
        sleep 0.1
    done
    kill -TERM "$pid"
    wait_exit
    kill "$tracer" 2>/dev/null
    wait "$tracer" 2>/dev/null
    if cmp -s "$target" "$work/large-saved.txt"; then
        count save-new
    else
        fail "save: the whole save did not write the document ($(stat -c %s "$target") bytes)"
    fi
    [ "$(parts)" = 0 ] || fail "save: a part was left after a whole save"
    timings=$(grep -F "$documents/" "$work/trace" |
        sed -n 's/^\([a-z]*\)(.* <\([0-9.]*\)>$/\1 \2 s,/p' | tr '\n' ' ')
    echo "whole save of $large_size bytes: ${timings%, }"
else
    fail "save: the whole save did not begin"
    kill -KILL "$pid" 2>/dev/null
fi

# An earlier export that a new one replaces.
python3 -c '
import struct, sys
samples = b"\x01\x00" * 8000
header = b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVEfmt " + struct.pack(
    "<IHHIIHH", 16, 1, 1, 16000, 32000, 2, 16) + b"data" + struct.pack("<I", len(samples))
open(sys.argv[1], "wb").write(header + samples)
' "$work/old.wav"

# kill -9 during an export, at a random moment once it has written audio: no file, or a whole
# one, never a part; an earlier file (every other trial) stays whole until it is replaced.
for i in $(seq "$trials"); do
    out=$(mktemp -d "$work/out.XXXXXX")
    start_program || continue
    existing=$((i % 2))
    [ "$existing" = 1 ] && cp "$work/old.wav" "$out/talk.wav"
    open_address "$work/long.txt"
    sleep 0.5
    keys alt+f w
    answer_dialog "$out/talk.wav"
    [ "$existing" = 1 ] && confirm_replace
    if ! wait_growth "$pid" "$out" 44; then
        fail "export: never wrote audio"
        kill -KILL "$pid"
        continue
    fi
    count export-writing-seen
    sleep "$(random_ms 999)"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    if [ ! -e "$out/talk.wav" ]; then
        [ "$existing" = 1 ] && fail "export: the earlier file is gone"
        count export-absent
    elif cmp -s "$out/talk.wav" "$work/old.wav"; then
        count export-earlier-kept
    elif whole_wav "$out/talk.wav"; then
        count export-complete
    else
        fail "export partial: $(ls -l "$out/talk.wav")"
    fi
    [ -z "$(ls -A "$out" | grep -v '^talk.wav$')" ] || fail "export: left $(ls -A "$out")"
done

for key in $(printf '%s\n' "${!counts[@]}" | sort); do
    printf '%-24s %d\n' "$key" "${counts[$key]}"
done
echo "$failures failures"
[ "$failures" -eq 0 ]
