#!/usr/bin/env bash
# nums.txt as a FIFO or as a link to /dev/zero: the program neither blocks nor fills its memory.
# It says why it does not read the file, opens its window, and leaves the file alone; the text
# of the session goes to a file beside it.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
mkdir -p "$work/bin/Data"

check_special() {
    local what=$1
    launch_program
    wait_for_window '^Tallix$' "no message and no window for nums.txt as $what" >/dev/null
    xdotool key Return
    window=$(wait_for_window '^Tallix$' "the main window did not appear for nums.txt as $what")
    focus_window
    local resident
    resident=$(awk '/VmRSS/ {print $2}' "/proc/$program_pid/status")
    if [ "$resident" -gt 400000 ]; then
        echo "nums.txt as $what took $resident kB" >&2
        exit 1
    fi
    xdotool type --delay 50 "7"
    close_by_menu || { echo "the program did not end cleanly" >&2; exit 1; }
    if ! grep -qx 7 "$work"/bin/Data/nums-*.txt; then
        echo "the session with nums.txt as $what was not kept beside it" >&2
        ls -l "$work/bin/Data" >&2
        exit 1
    fi
    rm -f "$work"/bin/Data/nums-*.txt
}

mkfifo "$work/bin/Data/nums.txt"
check_special "a FIFO"
[ -p "$work/bin/Data/nums.txt" ] || { echo "the FIFO was replaced" >&2; exit 1; }

rm "$work/bin/Data/nums.txt"
ln -s /dev/zero "$work/bin/Data/nums.txt"
check_special "a link to /dev/zero"
[ "$(readlink "$work/bin/Data/nums.txt")" = /dev/zero ] || { echo "the link was replaced" >&2; exit 1; }
echo "a FIFO and a link to /dev/zero were refused with a message and left alone"
