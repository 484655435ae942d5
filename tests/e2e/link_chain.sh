#!/usr/bin/env bash
# nums.txt as a link to a link: saving writes the file at the end of the chain and leaves both
# links as they are.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
data="$work/bin/Data"
mkdir -p "$data" "$work/elsewhere"
printf 'old' >"$work/elsewhere/b.txt"
ln -s elsewhere/b.txt "$work/a.txt"
ln -s "$work/a.txt" "$data/nums.txt"

start_program
xdotool type --delay 50 "5"
sleep 0.5
kill -TERM "$program_pid"
wait_program || { echo "the program did not end cleanly" >&2; exit 1; }
[ -L "$data/nums.txt" ] && [ -L "$work/a.txt" ] || { echo "a link was replaced" >&2; exit 1; }
expect_file_bytes "$work/elsewhere/b.txt" '5old'
echo "the save went to the end of the link chain"
