#!/usr/bin/env bash
# The about window opened from the real window's Help menu: a borderless 247 x 222 window in the
# middle of the screen, its corners cut round, a black edge with a grey frame inside, and the
# button "閉じる" closes it while the program goes on. With a second argument the screenshot of
# the window is kept in that file.
# Runs on a bare X server without a window manager, so the window's X geometry is its own.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
keep_screenshot=${2:-}

# The colour of one pixel of a picture, as ImageMagick names it.
pixel() {
    convert "$1" -format "%[pixel:p{$2,$3}]" info:
}

expect_pixel() {
    local picture=$1 x=$2 y=$3 expected=$4 actual
    actual=$(pixel "$picture" "$x" "$y")
    if [ "$actual" != "$expected" ]; then
        echo "pixel ($x, $y) of the about window is $actual, expected $expected" >&2
        exit 1
    fi
}

expect_not_pixel() {
    local picture=$1 x=$2 y=$3 unexpected=$4
    if [ "$(pixel "$picture" "$x" "$y")" = "$unexpected" ]; then
        echo "pixel ($x, $y) of the about window should not be $unexpected" >&2
        exit 1
    fi
}

# Task switchers name the window by its title: the Help menu item's words and the program's name.
find_about_window() {
    xdotool search --all --onlyvisible --pid "$program_pid" --name '^ソフトウェア情報' 2>/dev/null | head -n 1
}

start_program
open_about_window
title=$(xdotool getwindowname "$about")
[ "$title" = "ソフトウェア情報 — Tallix" ] || { echo "the about window's title is '$title'" >&2; exit 1; }
echo "about window: titled '$title'"

eval "$(xdotool getwindowgeometry --shell "$about")"
if [ "$WIDTH x $HEIGHT at $X, $Y" != "247 x 222 at $(( (1280 - 247) / 2 )), $(( (1024 - 222) / 2 ))" ]; then
    echo "about window: $WIDTH x $HEIGHT at $X, $Y; expected 247 x 222 centred" >&2
    exit 1
fi
echo "about window: 247 x 222, centred"

# The screen as the user sees it, cut to the window: round corners show what lies below.
shot="$work/about.png"
import -window root -crop "247x222+$X+$Y" +repage "$shot"
black="srgb(0,0,0)" grey="srgb(128,128,128)" white="srgb(255,255,255)"
for corner in "0 0" "246 0" "0 221" "246 221"; do
    read -r x y <<<"$corner"
    expect_not_pixel "$shot" "$x" "$y" "$black"
done
for edge in "4 0" "242 0" "0 4" "246 4" "0 217" "246 217" "4 221" "242 221" "123 0" "123 221"; do
    read -r x y <<<"$edge"
    expect_pixel "$shot" "$x" "$y" "$black"
done
expect_pixel "$shot" 123 2 "$white"
expect_pixel "$shot" 170 32 "$grey"
expect_pixel "$shot" 5 120 "$grey"
expect_pixel "$shot" 123 216 "$grey"
echo "corners cut round, black edge, grey frame"
[ -z "$keep_screenshot" ] || cp "$shot" "$keep_screenshot"

# Dragged by a label, the window holds on to the point it was grabbed at.
drag_pointer $((X + 60)) $((Y + 45)) 5 10 6
moved=$(xdotool getwindowgeometry --shell "$about" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x, y}')
if [ "$moved" != "$((X + 50)) $((Y + 30))" ]; then
    echo "dragged by 5 x (10, 6) from $X, $Y the about window went to $moved" >&2
    exit 1
fi
echo "the window follows the pointer by the point it was grabbed at"

# The button's centre, in the window's coordinates.
xdotool mousemove --window "$about" 199 200 click 1
for _ in $(seq 30); do
    [ -z "$(find_about_window)" ] && break
    sleep 0.1
done
if [ -n "$(find_about_window)" ]; then
    echo "閉じる did not close the about window" >&2
    exit 1
fi
kill -0 "$program_pid" || { echo "the program ended with the about window" >&2; exit 1; }
echo "閉じる closed the about window; the program runs on"

# The desktop session ends while the about window is open: the program leaves all the same and
# keeps the text. Without a window manager nobody gives the main window the focus back.
xdotool windowfocus --sync "$window"
xdotool type --delay 50 "42"
open_about_window
kill -TERM "$program_pid"
wait_program || { echo "the program did not end cleanly with the about window open" >&2; exit 1; }
expect_file_bytes "$work/bin/Data/nums.txt" '42'
echo "an end of the session with the about window open keeps the text"
