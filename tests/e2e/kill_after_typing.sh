#!/usr/bin/env bash
# A crash must not take the session's numbers with it: a few seconds after the last key the text
# is in nums.txt, so a kill -9 (or a power cut) loses nothing typed before that. A temporary file
# left by a save that was cut short is cleared up at the next start while nums.txt holds the text.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
data="$work/bin/Data"
mkdir -p "$data"
printf '5' >"$data/nums.txt"
printf 'half' >"$data/nums.txt.tallix-Ab12Cd"
printf 'mine' >"$data/nums.txt.backup"

start_program
[ ! -e "$data/nums.txt.tallix-Ab12Cd" ] || { echo "a stale temporary file was left" >&2; exit 1; }
expect_file_bytes "$data/nums.txt.backup" 'mine'
xdotool type --delay 50 "12"
xdotool key Return
xdotool type --delay 50 "34"
sleep 4
kill -9 "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=""
expect_file_bytes "$data/nums.txt" '12\r\n345'
echo "nums.txt held the typed text when the program was killed"
