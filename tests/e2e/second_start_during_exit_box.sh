#!/usr/bin/env bash
# A second start while the first program shows the error box of its exit (its save failed) must
# not bring back what is left of the first window, where keys would be typed that no save ever
# sees: the second start is told a Tallix runs, and the first ends normally.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
data="$work/bin/Data"
mkdir -p "$data"
# A link into a folder that is not there: every save of nums.txt fails, even root's.
ln -s "$work/missing/nums.txt" "$data/nums.txt"

start_program
main_window=$window
xdotool type --delay 50 "5"
window=$(wait_for_box_beside "$main_window" "the failed background save was not reported")
focus_window
xdotool key Return
sleep 0.5
kill -TERM "$program_pid"
exit_box=$(wait_for_box_beside "$main_window" "the failed exit save was not reported")
first_pid=$program_pid

launch_program
second_pid=$program_pid
program_pid=$second_pid
notice=$(wait_for_window '.' "the second start said nothing: the closing window answered it")
if xdotool search --onlyvisible --pid "$first_pid" --name '^Tallix$' | grep -qx "$main_window"; then
    echo "the second start brought back the closing window" >&2
    exit 1
fi
window=$notice
focus_window
xdotool key Return
wait_program || { echo "the second start failed" >&2; exit 1; }

program_pid=$first_pid
window=$exit_box
focus_window
xdotool key Return
wait_program || true
rescued=("$data"/nums-*.txt)
[ ${#rescued[@]} -eq 1 ] && [ -f "${rescued[0]}" ] || { echo "the session was not rescued" >&2; exit 1; }
expect_file_bytes "${rescued[0]}" '5'
echo "the second start during the exit box left the closing window alone"
