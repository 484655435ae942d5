#!/usr/bin/env bash
# Shift+Enter in the real window is a line break like Enter: nums.txt gets CR LF, never the
# bytes of a line separator inside one line.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"

start_program
xdotool type --delay 50 "12"
xdotool key shift+Return
xdotool type --delay 50 "3"
xdotool key shift+KP_Enter
xdotool type --delay 50 "4"
sleep 1
kill -TERM "$program_pid"
wait_program || { echo "the program did not end cleanly" >&2; exit 1; }
expect_file_bytes "$work/bin/Data/nums.txt" '12\r\n3\r\n4'
echo "Shift+Enter made CR LF line breaks"
