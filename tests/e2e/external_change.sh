#!/usr/bin/env bash
# Another program replaces nums.txt while Tallix runs (an editor, a sync tool): its version is
# kept beside it, the user is told once, and only then does the session's text go into nums.txt.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
data="$work/bin/Data"
mkdir -p "$data"
printf '111' >"$data/nums.txt"

start_program
main_window=$window
xdotool type --delay 50 "2"
sleep 4
expect_file_bytes "$data/nums.txt" '2111'
printf '999' >"$work/edited"
mv "$work/edited" "$data/nums.txt"
xdotool type --delay 50 "3"
notice=$(wait_for_box_beside "$main_window" "the user was not told of the other version")
kept=("$data"/nums-*.txt)
[ ${#kept[@]} -eq 1 ] && [ -f "${kept[0]}" ] || { echo "the other version was not kept" >&2; exit 1; }
expect_file_bytes "${kept[0]}" '999'
expect_file_bytes "$data/nums.txt" '23111'
window=$notice
focus_window
xdotool key Return
sleep 0.5
window=$main_window
focus_window
close_by_menu
expect_file_bytes "$data/nums.txt" '23111'
kept=("$data"/nums-*.txt)
[ ${#kept[@]} -eq 1 ] || { echo "the same version was kept twice" >&2; exit 1; }
echo "the other program's nums.txt was kept beside it, the session's text saved"
