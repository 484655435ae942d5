#!/usr/bin/env bash
# Steady typing never rests, yet it is saved: a digit a second for ten seconds, then kill -9,
# and nums.txt holds what was typed up to a few seconds before the kill.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
data="$work/bin/Data"

start_program
for digit in 1 2 3 4 5 6 7 8 9 0; do
    xdotool type --delay 0 "$digit"
    sleep 1
done
kill -9 "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=""
saved=$(cat "$data/nums.txt" 2>/dev/null || true)
case "$saved" in
    1234*) ;;
    *) echo "steady typing was not saved before the kill: '$saved'" >&2; exit 1 ;;
esac
case "1234567890" in
    "$saved"*) ;;
    *) echo "nums.txt holds something else than was typed: '$saved'" >&2; exit 1 ;;
esac
echo "nums.txt held '$saved' of the steady typing when the program was killed"
