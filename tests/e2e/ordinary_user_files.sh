#!/usr/bin/env bash
# Files the user may not change are kept, run as an ordinary user: a nums.txt that cannot be read
# at start is never replaced, and the session's text goes to a new file beside it; a read-only
# nums.txt is refused at exit with an error box rather than replaced (the rename of a save needs
# only the folder's rights).
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
data="$work/bin/Data"
mkdir -p "$data"
printf 'precious 12345' >"$data/nums.txt"
become_ordinary_user

# Dismisses the error box that the program shows now.
dismiss_error_box() {
    window=$(wait_for_window '^Tallix$')
    focus_window
    xdotool key Return
}

# Ends the program by signal; it reports the file it kept in an error box, then ends.
end_with_error_box() {
    kill -TERM "$program_pid"
    dismiss_error_box
    wait_program || { echo "the program did not end cleanly" >&2; exit 1; }
}

expect_kept() {
    expect_file_bytes "$data/nums.txt" 'precious 12345'
    if ls "$data" | grep -q 'tallix-'; then
        echo "a temporary file was left behind" >&2
        exit 1
    fi
}

chmod 000 "$data/nums.txt"
launch_program
dismiss_error_box
sleep 0.5
window=$(wait_for_window '^Tallix$')
focus_window
xdotool type --delay 50 "9"
sleep 3
kill -TERM "$program_pid"
wait_program || { echo "the program did not end cleanly" >&2; exit 1; }
chmod 600 "$data/nums.txt"
expect_kept
rescued=("$data"/nums-*.txt)
[ ${#rescued[@]} -eq 1 ] || { echo "the session's text was not saved beside it" >&2; exit 1; }
expect_file_bytes "${rescued[0]}" '9'
rm "${rescued[0]}"
echo "an unreadable nums.txt was kept, the session's text saved beside it"

chmod 444 "$data/nums.txt"
start_program
xdotool type --delay 50 "9"
end_with_error_box
expect_kept
echo "a read-only nums.txt was kept"
