#!/usr/bin/env bash
# Keys typed after an undo are kept: the redo that follows records them instead of throwing
# them away.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
undo_typing_after_loading
xdotool key ctrl+End
xdotool type --delay 50 "7"
xdotool key ctrl+r
close_by_menu || { echo "the program did not end cleanly" >&2; exit 1; }
expect_file_bytes "$work/bin/Data/nums.txt" '123457'
echo "the digit typed after the undo survived the redo"
