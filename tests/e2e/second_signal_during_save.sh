#!/usr/bin/env bash
# Ending the program by signal, and signalling again while it saves a long text (Ctrl+C twice, a
# terminal that closes, a session manager that insists): the save must still finish whole.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
data="$work/bin/Data"
mkdir -p "$data"
# About 3 MB: long enough that the signals below arrive while it is being written.
awk 'BEGIN { ORS = "\r\n" } { print }' < <(yes 1234567890123456789012345678901234567890 | head -n 75000) >"$data/nums.txt"
{ printf '7'; cat "$data/nums.txt"; } >"$work/expected.txt"

start_program
xdotool type "7"
sleep 1
kill -TERM "$program_pid"
while kill -HUP "$program_pid" 2>/dev/null; do
    sleep 0.005
done
wait "$program_pid" 2>/dev/null || true
program_pid=""
cmp -s "$data/nums.txt" "$work/expected.txt" || { echo "the save was cut short" >&2; exit 1; }
if ls "$data" | grep -q 'tallix-'; then
    echo "a temporary file was left behind" >&2
    exit 1
fi
echo "the save finished under repeated signals"
