#!/usr/bin/env bash
# Typing into the real window, then ending the program as a desktop session does at log-off:
# the text must be in nums.txt exactly as typed.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
# With the voice sets beside it the program is still speaking when the signal comes: leaving
# must not wait for the speech, nor crash in the middle of it.
copy_voice_sets

start_program
xdotool type --delay 50 "12"
xdotool key Return
xdotool type --delay 50 "3"
# Let the program take in every key before the signal comes.
sleep 1
kill -TERM "$program_pid"
wait_program || { echo "the program did not end cleanly" >&2; exit 1; }
expect_file_bytes "$work/bin/Data/nums.txt" '12\r\n3'
echo "nums.txt holds the typed text"
