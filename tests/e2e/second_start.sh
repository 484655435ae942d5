#!/usr/bin/env bash
# Starting the program again on the same data folder brings the running window to the front
# instead of opening a second one that would save its own text over the first one's.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
start_window_manager
data="$work/bin/Data"

start_program
first_pid=$program_pid
first_window=$window
xdotool type --delay 50 "42"
xdotool windowminimize --sync "$first_window"

"$program" &
expect_start_to_end $! "the second start" || exit 1

for _ in $(seq 50); do
    xdotool search --onlyvisible --pid "$first_pid" --name '^Tallix$' 2>/dev/null | grep -qx "$first_window" && break
    sleep 0.1
done
xdotool search --onlyvisible --pid "$first_pid" --name '^Tallix$' | grep -qx "$first_window" ||
    { echo "the running window was not brought back" >&2; exit 1; }
state=$(xprop -id "$first_window" _NET_WM_STATE)
case "$state" in *HIDDEN*) echo "the running window is still minimised: $state" >&2; exit 1 ;; esac
echo "the second start brought the running window back and ended"

program_pid=$first_pid
kill -TERM "$program_pid"
wait_program
expect_file_bytes "$data/nums.txt" '42'
echo "the first program kept its text"
