#!/usr/bin/env bash
# What a screen reader gets from the real window through AT-SPI: every control named and
# described in Japanese, and the line being read told while the caret stays where it was.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }
command -v dbus-daemon >/dev/null || { echo "SKIP: no D-Bus"; exit 77; }
e2e_setup "$1"
copy_voice_sets
mkdir -p "$work/bin/Data"
printf '1\r\n2345678\r\n9' >"$work/bin/Data/nums.txt"

# A private session bus; the accessibility bus is started on it when first asked for.
dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 \
    3>"$work/dbus.address" 4>"$work/dbus.pid"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/dbus.address")
export DBUS_SESSION_BUS_ADDRESS QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
# The accessibility bus ends with the session bus it was started for.
stop_buses() {
    kill "$(cat "$work/dbus.pid")" 2>/dev/null || true
    e2e_cleanup
}
trap stop_buses EXIT

start_program
xdotool key ctrl+Home Down End
/usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/accessible_controls.py" "$program_pid"
