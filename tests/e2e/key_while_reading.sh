#!/usr/bin/env bash
# Keys pressed while a line is read aloud act where the caret is, exactly as they would without
# the reading: a digit does not replace the line being read, Backspace and Delete remove one
# character, not the line.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
# Real recordings, about a third of a second per digit: the first line takes seconds to read.
copy_voice_sets
mkdir -p "$work/bin/Data"
printf '3333333333\r\n4' >"$work/bin/Data/nums.txt"

start_program
xdotool key End
xdotool key Escape
sleep 0.7
xdotool type --delay 50 "9"
xdotool key --delay 50 BackSpace Left Delete
sleep 0.5
xdotool key Escape
sleep 1
kill -TERM "$program_pid"
wait_program || { echo "the program did not end cleanly" >&2; exit 1; }
expect_file_bytes "$work/bin/Data/nums.txt" '333333333\r\n4'
echo "typing while reading removed no more than the keys themselves"
