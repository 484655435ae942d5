#!/usr/bin/env bash
# A picture archive beside the program that is not an archive stops the start with the archive's
# error in a message box, before the main window exists, and the program ends with a failure.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"

printf 'this is not an archive, only text long enough to read a header from' > "$work/bin/graphic"
start_program
xdotool key Return
status=0
wait_program || status=$?
if [ "$status" -eq 0 ]; then
    echo "the program reported success after a failed start" >&2
    exit 1
fi
if [ -e "$work/bin/Data" ]; then
    echo "the main window was created although the start failed" >&2
    exit 1
fi
echo "the start stopped with status $status before any window"
