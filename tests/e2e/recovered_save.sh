#!/usr/bin/env bash
# A save cut short where a rename is not one step (FAT, exFAT) leaves nums.txt empty and the text
# only in the writer's temporary file: at the next start that text comes back as nums.txt, and a
# message says so once, over the window that shows it. A start with a whole nums.txt says nothing;
# a session ended by a signal while the message is open still ends, keeping the text.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
data="$work/bin/Data"
mkdir -p "$data"
: >"$data/nums.txt"
printf '12\r\n34' >"$data/nums.txt.tallix-Ab12Cd"

launch_program
window=$(wait_for_window '^Tallix$' "the main window did not appear")
box=$(wait_for_box_beside "$window" "the recovered text was not announced")
xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box"
xdotool key Return
for _ in $(seq 50); do
    xdotool search --onlyvisible --pid "$program_pid" --name '^Tallix$' | grep -qx "$box" || break
    sleep 0.1
done
focus_window
xdotool key ctrl+End
xdotool type --delay 50 "5"
close_by_menu || { echo "the program did not end cleanly" >&2; exit 1; }
expect_file_bytes "$data/nums.txt" '12\r\n345'
[ ! -e "$data/nums.txt.tallix-Ab12Cd" ] || { echo "the temporary file was left" >&2; exit 1; }

start_program
sleep 1
if [ "$(xdotool search --onlyvisible --pid "$program_pid" --name '^Tallix$' | wc -l)" -ne 1 ]; then
    echo "a start with a whole nums.txt showed a message" >&2
    exit 1
fi
close_by_menu

: >"$data/nums.txt"
printf '6' >"$data/nums.txt.tallix-Ef34Gh"
launch_program
window=$(wait_for_window '^Tallix$' "the main window did not appear")
wait_for_box_beside "$window" "the recovered text was not announced" >/dev/null
kill -TERM "$program_pid"
for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null && { echo "a signal during the message left the program running" >&2; exit 1; }
wait_program || { echo "a signal during the message did not end the program cleanly" >&2; exit 1; }
expect_file_bytes "$data/nums.txt" '6'
echo "the text of the cut-short save came back, announced once"
