#!/usr/bin/env bash
# The first undo after start takes back what was typed, and goes no further back than the text
# that was loaded: never to the empty box from before the load.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
undo_typing_after_loading
xdotool key ctrl+z
sleep 1
kill -TERM "$program_pid"
wait_program || { echo "the program did not end cleanly" >&2; exit 1; }
expect_file_bytes "$work/bin/Data/nums.txt" '12345'
echo "undo after start went back to the loaded text, not further"
