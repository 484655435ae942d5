# Helpers for end-to-end tests that drive the real program under Xvfb with xdotool.
# Each test runs in a private folder: the program is told its executable lives there, so its
# data folder ("Data" beside it) and XDG folders are private too.

set -euo pipefail

e2e_setup() {
    program=$1
    work=$(mktemp -d)
    trap 'e2e_cleanup' EXIT
    mkdir -p "$work/bin" "$work/config" "$work/etc-xdg" "$work/data"
    export TALLIX_EXE_FILE="$work/bin/tallix"
    export XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/etc-xdg" XDG_DATA_HOME="$work/data"
    export HOME="$work"
    unset QT_QPA_PLATFORM
    start_display
}

# Xvfb picks a free display itself and names it once it takes connections: choosing a number
# here would race with other tests starting theirs at the same moment. By default it resets as
# its last client leaves and drops a client that connects meanwhile: a program started just as
# the one before it ended would find no display.
start_display() {
    local number=""
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 300); do
        # The number is written whole with its line end, once the server listens.
        [ "$(wc -l <"$work/display")" -ge 1 ] && number=$(head -n 1 "$work/display") && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$number" ]; then
        echo "no X display could be started" >&2
        exit 1
    fi
    export DISPLAY=":$number"
}

copy_voice_sets() {
    cp -r "$(dirname "$program")/speed" "$(dirname "$program")/hispeed" "$work/bin/"
}

e2e_cleanup() {
    [ -n "${program_pid:-}" ] && kill -9 "$program_pid" 2>/dev/null || true
    [ -n "${window_manager_pid:-}" ] && kill "$window_manager_pid" 2>/dev/null || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}

# Starts the program (as $as_user when set) and returns at once; sets $program_pid.
launch_program() {
    ${as_user[@]+"${as_user[@]}"} "$program" &
    program_pid=$!
}

# Starts the program and waits until its main window is mapped; sets $window.
start_program() {
    launch_program
    window=$(wait_for_window '^Tallix$' "the main window did not appear")
    focus_window
}

# Gives $window the keyboard focus: keys typed before it holds it would be lost on a busy
# machine.
focus_window() {
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    for _ in $(seq 50); do
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ] && break
        xdotool windowfocus "$window" 2>/dev/null || true
        sleep 0.1
    done
    sleep 0.3
}

# Ends the program by its menu item "終了(&X)" and waits for it.
close_by_menu() {
    xdotool key alt+f
    sleep 0.3
    xdotool key x
    wait_program
}

# Gives process $1 up to ten seconds to end; false while it still runs.
ends_in_ten_seconds() {
    for _ in $(seq 100); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    ! kill -0 "$1" 2>/dev/null
}

# Waits for the program to end by itself and returns its exit status.
wait_program() {
    local status=0
    ends_in_ten_seconds "$program_pid" || true
    wait "$program_pid" || status=$?
    program_pid=""
    return $status
}

# A second start must hand over to the running program and end at once, successfully: waits up
# to ten seconds for process $1, and says what went wrong, in terms of $2 (the start), if not.
expect_start_to_end() {
    local pid=$1 what=$2 status=0
    if ! ends_in_ten_seconds "$pid"; then
        kill -9 "$pid"
        echo "$what went on running (an error box, or beside the first)" >&2
        return 1
    fi
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || { echo "$what ended with $status" >&2; return 1; }
}

# A runtime folder of the test's own, private to the user who owns the program's folder, as a
# desktop session gives one.
use_private_runtime_folder() {
    mkdir -p "$work/runtime"
    chown --reference="$work/bin" "$work/runtime"
    chmod 700 "$work/runtime"
    export XDG_RUNTIME_DIR=$work/runtime
}

# Where the undo tests begin: "12345" loaded at start, a "6" typed at its end, then one undo.
undo_typing_after_loading() {
    mkdir -p "$work/bin/Data"
    printf '12345' >"$work/bin/Data/nums.txt"
    start_program
    xdotool key ctrl+End
    xdotool type --delay 50 "6"
    xdotool key ctrl+z
}

expect_file_bytes() {
    local file=$1 expected=$2
    if ! cmp -s "$file" <(printf '%b' "$expected"); then
        echo "unexpected content of $file:" >&2
        od -c "$file" >&2 || true
        exit 1
    fi
}

# Runs openbox on the display, so that windows get frames and title bars as on a desktop and can
# be minimised and raised.
start_window_manager() {
    local attempt
    for attempt in 1 2 3; do
        openbox --sm-disable >"$work/openbox.log" 2>&1 &
        window_manager_pid=$!
        # Its first start on a busy machine can take seconds (font and theme caches).
        for _ in $(seq 300); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
            kill -0 "$window_manager_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$window_manager_pid" 2>/dev/null || true
        sleep 0.5
    done
    echo "openbox did not start:" >&2
    cat "$work/openbox.log" >&2
    exit 1
}

# Prints "left top width height" of a window's outer rectangle, its frame included.
frame_rectangle() {
    local id=$1 info left right top bottom
    info=$(xwininfo -id "$id")
    read -r left right top bottom < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= //; s/,//gp')  || true
    awk -v l="${left:-0}" -v r="${right:-0}" -v t="${top:-0}" -v b="${bottom:-0}" '
        /Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
        /^ *Width:/ {w = $2} /^ *Height:/ {h = $2}
        END {print x - l, y - t, w + l + r, h + t + b}' <<<"$info"
}

# Drags with the left button from a screen point in the given number of equal steps.
drag_pointer() {
    local x=$1 y=$2 steps=$3 dx=$4 dy=$5
    xdotool mousemove "$x" "$y" mousedown 1
    sleep 0.2
    for _ in $(seq "$steps"); do
        xdotool mousemove_relative -- "$dx" "$dy"
        sleep 0.1
    done
    xdotool mouseup 1
    sleep 0.5
}

# Runs the program as an ordinary user: a file's rights mean nothing to root. Sets $as_user
# (the command prefix) and hands the test folder to that user; exits 77 (skipped) where no
# other user can be taken on.
become_ordinary_user() {
    as_user=()
    [ "$(id -u)" -ne 0 ] && return 0
    local uid=65534
    if ! setpriv --reuid="$uid" --regid="$uid" --clear-groups true 2>/dev/null; then
        echo "SKIP: cannot run as an ordinary user here" >&2
        exit 77
    fi
    chown -R "$uid:$uid" "$work"
    chmod 755 "$work"
    as_user=(setpriv --reuid="$uid" --regid="$uid" --clear-groups)
}

# Opens the about window by the Help menu's keys; sets $about.
open_about_window() {
    xdotool key alt+h
    sleep 0.3
    xdotool key i
    about=$(wait_for_window '^ソフトウェア情報' "the about window did not appear")
    sleep 0.5
}

# Waits for a visible window of the program with the given title; prints its id. The second
# argument, if given, is what to say when none appears.
wait_for_window() {
    local title=$1 found=""
    for _ in $(seq 100); do
        found=$(xdotool search --all --onlyvisible --pid "$program_pid" --name "$title" 2>/dev/null | head -n 1) && [ -n "$found" ] && break
        sleep 0.1
    done
    [ -n "$found" ] || { echo "${2:-no window '$title' appeared}" >&2; exit 1; }
    echo "$found"
}

# Waits for a message box of the program beside the window $1; prints its id.
wait_for_box_beside() {
    local main=$1 found=""
    for _ in $(seq 150); do
        found=$(xdotool search --all --onlyvisible --pid "$program_pid" --name '^Tallix$' 2>/dev/null | grep -vx "$main" | head -n 1) && [ -n "$found" ] && break
        sleep 0.1
    done
    [ -n "$found" ] || { echo "${2:-no message box appeared}" >&2; exit 1; }
    echo "$found"
}
