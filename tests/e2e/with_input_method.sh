#!/usr/bin/env bash
# Runs a command with an IBus input method of its own: a private D-Bus session and IBus daemon,
# the Anthy engine chosen, and Qt told to use IBus. Usage: with_input_method.sh <command...>.
# Exits 77 (skipped) where IBus or Anthy is not installed.
set -euo pipefail

for tool in dbus-daemon ibus-daemon ibus; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -x /usr/libexec/ibus-engine-anthy ] || { echo "SKIP: ibus-anthy is not installed"; exit 77; }

work=$(mktemp -d)
cleanup() {
    [ -n "${ibus_pid:-}" ] && kill "$ibus_pid" 2>/dev/null || true
    [ -s "$work/dbus.pid" ] && kill "$(cat "$work/dbus.pid")" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# The engine is a program for the system's Python, whichever python3 comes first in PATH.
export PATH="/usr/bin:/bin:$PATH"
# Text files are written in the locale's code set; the test reads them back as UTF-8.
export LC_ALL=C.UTF-8

dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 \
    3>"$work/dbus.address" 4>"$work/dbus.pid"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/dbus.address")
export DBUS_SESSION_BUS_ADDRESS

ibus-daemon --panel=disable --cache=none --replace >"$work/ibus.log" 2>&1 &
ibus_pid=$!
engine_ready=""
# The engines describe themselves by running, which takes seconds on a busy machine.
for _ in $(seq 600); do
    if ibus list-engine 2>/dev/null | grep -q '^ *anthy '; then
        engine_ready=yes
        break
    fi
    kill -0 "$ibus_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$engine_ready" ]; then
    echo "IBus did not offer the Anthy engine:" >&2
    cat "$work/ibus.log" >&2
    exit 1
fi
# Qt finds the daemon through the file the daemon wrote for its display, named here.
IBUS_ADDRESS_FILE=$(find "$XDG_CONFIG_HOME/ibus/bus" -type f | head -n 1)
[ -n "$IBUS_ADDRESS_FILE" ] || { echo "IBus wrote no address file" >&2; exit 1; }
IBUS_ADDRESS=$(ibus address)
export IBUS_ADDRESS IBUS_ADDRESS_FILE QT_IM_MODULE=ibus
ibus engine anthy || true
[ "$(ibus engine)" = anthy ] || { echo "IBus did not take the Anthy engine" >&2; exit 1; }

status=0
"$@" || status=$?
exit $status
