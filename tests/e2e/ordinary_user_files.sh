#!/usr/bin/env bash
# Files the user may not change are kept, run as an ordinary user, and nothing typed is lost: a
# nums.txt that cannot be read at start is never replaced, and the session's text goes to a new
# file beside it; a read-only nums.txt or data folder is never replaced either, and the session
# goes to a rescue file the error boxes name.
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

# Ends the program by signal; it reports the file it kept in an error box (and settings it could
# not write in another), then ends.
end_with_error_box() {
    local box
    kill -TERM "$program_pid"
    dismiss_error_box
    for _ in $(seq 50); do
        kill -0 "$program_pid" 2>/dev/null || break
        box=$(xdotool search --all --onlyvisible --pid "$program_pid" --name '^Tallix$' 2>/dev/null | head -n 1) || true
        if [ -n "$box" ]; then
            window=$box
            focus_window
            xdotool key Return
        fi
        sleep 0.2
    done
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

# A read-only nums.txt is never replaced (the rename of a save needs only the folder's rights):
# the failed background save says so once and puts the text beside it; the save at exit fails
# again, names the rescue file, and that file holds the whole session.
chmod 444 "$data/nums.txt"
start_program
main_window=$window
xdotool type --delay 50 "9"
window=$(wait_for_box_beside "$main_window" "the failed background save was not reported")
focus_window
xdotool key Return
sleep 0.5
window=$main_window
focus_window
xdotool type --delay 50 "7"
end_with_error_box
expect_kept
rescued=("$data"/nums-*.txt)
[ ${#rescued[@]} -eq 1 ] || { echo "the session was not rescued beside nums.txt" >&2; exit 1; }
expect_file_bytes "${rescued[0]}" '97precious 12345'
rm "${rescued[0]}"
echo "a read-only nums.txt was kept, the session rescued beside it"

# A read-only data folder: the session goes to the user's own data folder instead.
chmod 644 "$data/nums.txt"
chmod 555 "$data"
use_private_runtime_folder
start_program
main_window=$window
xdotool type --delay 50 "8"
window=$(wait_for_box_beside "$main_window" "the failed background save was not reported")
focus_window
xdotool key Return
sleep 0.5
end_with_error_box
chmod 755 "$data"
expect_kept
rescued=("$work"/data/tallix/nums-*.txt)
[ ${#rescued[@]} -eq 1 ] && [ -f "${rescued[0]}" ] || { echo "the session was not rescued" >&2; exit 1; }
expect_file_bytes "${rescued[0]}" '8precious 12345'
echo "a read-only data folder: the session was rescued to the user's data folder"
