#!/usr/bin/env bash
# Under a window manager that frames its windows (openbox), the main window comes back with its
# frame exactly where the user left it, at the size the user left it, session after session:
# three sessions, the window dragged by its title bar in each, the last also resized. The first
# start shows the designed outer size 430 x 419 in the middle of the screen, and the settings
# hold the outer rectangle, frame included, also for a window that was never moved. The about
# window, which has no frame, follows the pointer by the point it was grabbed at, also when held
# by its link; a press on its close button or a moving press on its link is no drag and no click.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
start_window_manager
ini="$work/bin/Data/application.ini"

expect_frame() {
    local expected=$1 actual
    actual=$(frame_rectangle "$window")
    if [ "$actual" != "$expected" ]; then
        echo "$2: the window's frame is at '$actual', expected '$expected'" >&2
        exit 1
    fi
}

stored_rectangle() {
    awk -F= '/^LEFT=/{l=$2} /^TOP=/{t=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print l, t, w, h}' "$ini"
}

# Drags the window by the middle of its title bar.
drag_by_title_bar() {
    local left top width steps=$1 dx=$2 dy=$3
    read -r left top width _ < <(frame_rectangle "$window")
    drag_pointer $((left + width / 2)) $((top + 8)) "$steps" "$dx" "$dy"
}

# A session that starts at the stored frame, is dragged by its title bar, and stores the new frame.
drag_session() {
    local name=$1 steps=$2 dx=$3 dy=$4 left top width height moved
    start_program
    read -r left top width height <<<"$(stored_rectangle)"
    expect_frame "$left $top $width $height" "$name start"
    drag_by_title_bar "$steps" "$dx" "$dy"
    moved="$((left + steps * dx)) $((top + steps * dy)) $width $height"
    expect_frame "$moved" "$name session dragged by $steps x ($dx, $dy)"
    close_by_menu
    [ "$(stored_rectangle)" = "$moved" ] ||
        { echo "$name session stored '$(stored_rectangle)'" >&2; exit 1; }
    echo "$name session: back at its frame, dragged, its frame stored"
}

# The desktop's web browser, standing in: it notes what it is asked to open.
mkdir "$work/browser"
printf '#!/bin/sh\necho "$@" >>"%s"\n' "$work/opened" >"$work/browser/xdg-open"
chmod +x "$work/browser/xdg-open"
export PATH="$work/browser:$PATH"

start_program
[ -n "$(xprop -id "$window" _NET_FRAME_EXTENTS | grep -v 'not found')" ] ||
    { echo "openbox reports no frame" >&2; exit 1; }
read -r left top width height < <(frame_rectangle "$window")
expect_frame "$(( (1280 - 430) / 2 )) $(( (1024 - 419) / 2 )) 430 419" "first start"
echo "first start: the designed outer size 430 x 419, centred"
close_by_menu
[ "$(stored_rectangle)" = "$left $top $width $height" ] ||
    { echo "a window never moved stored '$(stored_rectangle)'" >&2; exit 1; }

drag_session first 5 10 6
drag_session second 4 -30 -20

start_program
expected=$(stored_rectangle)
expect_frame "$expected" "third start"
drag_by_title_bar 3 25 15
xdotool windowsize --sync "$window" 517 463
sleep 0.5
resized=$(frame_rectangle "$window")
read -r left top width height <<<"$resized"
[ "$width x $height" != "517 x 463" ] || { echo "openbox drew no frame" >&2; exit 1; }
kill -TERM "$program_pid"
wait_program
[ "$(stored_rectangle)" = "$resized" ] ||
    { echo "third session stored '$(stored_rectangle)', the frame was '$resized'" >&2; exit 1; }
start_program
expect_frame "$resized" "fourth start"
echo "third session: dragged and resized, back at the same frame"

# The about window holds on to the point it was grabbed at.
open_about_window
read -r left top _ _ < <(frame_rectangle "$about")
drag_pointer $((left + 60)) $((top + 45)) 5 10 6
read -r moved_left moved_top _ _ < <(frame_rectangle "$about")
if [ "$moved_left $moved_top" != "$((left + 50)) $((top + 30))" ]; then
    echo "the about window dragged by 5 x (10, 6) went from $left, $top to $moved_left, $moved_top" >&2
    exit 1
fi
echo "the about window follows the pointer exactly"

expect_about_at() {
    local place
    place=$(frame_rectangle "$about" | cut -d' ' -f1,2)
    [ "$place" = "$1 $2" ] || { echo "$3: the about window went to $place, not $1 $2" >&2; exit 1; }
}

about_shown() {
    xwininfo -id "$about" 2>/dev/null | grep -q IsViewable
}

# A click on the surface first, then a press on "閉じる" slid off it: neither a drag nor a close.
left=$moved_left top=$moved_top
xdotool mousemove $((left + 20)) $((top + 150)) click 1
sleep 0.3
drag_pointer $((left + 199)) $((top + 200)) 6 -20 -20
expect_about_at "$left" "$top" "a press on 閉じる slid off it"
about_shown || { echo "a press on 閉じる slid off it closed the about window" >&2; exit 1; }
echo "sliding off 閉じる neither drags nor closes the about window"

# The link moved by 2 pixels drags the window and opens nothing; a click without moving opens it.
drag_pointer $((left + 192)) $((top + 86)) 1 2 0
expect_about_at $((left + 2)) "$top" "the link held and moved by 2 pixels"
sleep 1
[ ! -s "$work/opened" ] || { echo "the link moved by 2 pixels opened $(cat "$work/opened")" >&2; exit 1; }
xdotool mousemove $((left + 194)) $((top + 86)) click 1
for _ in $(seq 50); do [ -s "$work/opened" ] && break; sleep 0.1; done
expect_about_at $((left + 2)) "$top" "a click on the link"
[ "$(cat "$work/opened" 2>/dev/null)" = "http://kstr.example/contents/software/information.php?from=tallix" ] ||
    { echo "a click on the link opened '$(cat "$work/opened" 2>/dev/null)'" >&2; exit 1; }
echo "the link drags when moved, opens when clicked"

xdotool mousemove $((left + 2 + 199)) $((top + 200)) click 1
for _ in $(seq 30); do about_shown || break; sleep 0.1; done
! about_shown || { echo "閉じる did not close the about window" >&2; exit 1; }
echo "閉じる closes the about window"
kill -TERM "$program_pid"
wait_program
