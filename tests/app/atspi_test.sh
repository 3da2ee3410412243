#!/usr/bin/env bash
# Starts the program on the X server of the test run with a session bus and an accessibility bus
# of its own, walks its window as a screen reader sees it (atspi_walk.py), and then moves the
# focus with real key presses, checking what a screen reader is told has it (atspi_focus.py),
# and last opens each dialog from its menu item and walks it too (atspi_press.py).
# Usage: atspi_test.sh <program>
set -euo pipefail

program=$1
here=$(cd "$(dirname "$0")" && pwd)

fail() { echo "atspi_test: $*" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "no X server (DISPLAY is not set); run under scripts/with-test-services"
command -v dbus-run-session >/dev/null || fail "dbus-run-session is missing (scripts/install-deps)"
command -v dbus-send >/dev/null || fail "dbus-send is missing (scripts/install-deps)"
[ -x /usr/libexec/at-spi-bus-launcher ] || fail "at-spi-bus-launcher is missing (scripts/install-deps)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "python3-pyatspi is missing (scripts/install-deps)"
command -v xdotool >/dev/null || fail "xdotool is missing (scripts/install-deps)"

if [ "${1:-}" != --in-session ]; then
    work=$(mktemp -d /tmp/parlora-atspi.XXXXXX)
    trap 'rm -rf "$work"' EXIT
    mkdir -p -m 0700 "$work/runtime" "$work/config"
    export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" HOME="$work"
    # A session bus of this test only; everything started on it ends with it.
    status=0
    dbus-run-session -- bash "$0" --in-session "$program" || status=$?
    exit "$status"
fi
program=$2

launcher_pid=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
    [ -n "$launcher_pid" ] && kill "$launcher_pid" 2>/dev/null && wait "$launcher_pid" 2>/dev/null
    return 0
}
trap cleanup EXIT

# Asked without starting it: the session bus would otherwise start a launcher of its own.
bus_is_up() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true'
}
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$XDG_RUNTIME_DIR/launcher.log" 2>&1 &
launcher_pid=$!
for _ in $(seq 100); do
    bus_is_up && break
    kill -0 "$launcher_pid" 2>/dev/null || break
    sleep 0.1
done
bus_is_up || { cat "$XDG_RUNTIME_DIR/launcher.log" >&2; fail "the accessibility bus did not start"; }

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 QT_QPA_PLATFORM=xcb \
    "$program" >"$XDG_RUNTIME_DIR/program.log" 2>&1 &
program_pid=$!

status=0
/usr/bin/python3 "$here/atspi_walk.py" "$program_pid" 10 \
    'text:正文' 'slider:语速' 'slider:音量' 'progress bar:音量电平' 'push button:转到' \
    'link:获取更多语音引擎...' 'check box:朗读剪贴板' || status=$?
if [ "$status" -eq 2 ]; then
    cat "$XDG_RUNTIME_DIR/program.log" >&2
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended before its window appeared"
fi
[ "$status" -eq 0 ] || exit "$status"

# The editor has the focus at start; Tab is text inside it, Ctrl+Tab and Ctrl+Shift+Tab leave it.
window=$(xdotool search --pid "$program_pid" --name '^Parlora2008$' | head -n1)
[ -n "$window" ] || fail "no window of the program on the X server"
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
focus_after() {
    [ -z "$1" ] || xdotool key --window "$window" $1
    local heard=""
    for _ in $(seq 20); do
        heard=$(/usr/bin/python3 "$here/atspi_focus.py" "$program_pid")
        [ "$heard" = "$2" ] && return 0
        sleep 0.1
    done
    echo "atspi_test: after '${1:-start}' the focus is on '$heard', not on '$2'" >&2
    return 1
}
focus_after "" "text 正文"
focus_after ctrl+Tab "combo box 中文（普通话）"
focus_after Tab "link 获取更多语音引擎..."
focus_after "shift+Tab shift+Tab" "text 正文"
focus_after ctrl+shift+Tab "push button 转到"
focus_after Tab "text 正文"
echo "atspi_test: Tab, Ctrl+Tab and Ctrl+Shift+Tab move the focus as shown"

# The dialogs, opened from their menu items, walked while they are shown, and cancelled. The
# audiobook dialog needs text to make chapters of.
xdotool type --window "$window" "Hello world."
walk_dialog() {
    local item=$1 title=$2
    shift 2
    /usr/bin/python3 "$here/atspi_press.py" "$program_pid" "menu item:$item" || exit 1
    local walked=1
    for _ in $(seq 20); do
        /usr/bin/python3 "$here/atspi_walk.py" "$program_pid" 10 "dialog:$title" "$@" \
            >"$XDG_RUNTIME_DIR/walk.log" && walked=0 && break
        sleep 0.2
    done
    [ "$walked" -eq 0 ] || { cat "$XDG_RUNTIME_DIR/walk.log" >&2; fail "the dialog $title"; }
    /usr/bin/python3 "$here/atspi_press.py" "$program_pid" "push button:取消" || exit 1
    for _ in $(seq 50); do
        /usr/bin/python3 "$here/atspi_walk.py" "$program_pid" 10 "dialog:$title" >/dev/null || return 0
        sleep 0.1
    done
    fail "the dialog $title stayed open after 取消"
}
walk_dialog "快捷键设置..." 快捷键设置 "text:朗读选中的文字"
walk_dialog "发音词典(D)..." 发音词典 "table:发音规则"
walk_dialog "导出为有声书(B)..." 导出为有声书 "list:章节"
echo "atspi_test: the dialogs name every control"
