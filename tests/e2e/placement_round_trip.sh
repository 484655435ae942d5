#!/usr/bin/env bash
# The main window's place and size survive a restart: the first start centres the window on the
# screen, a move and a resize are written to application.ini at close in the order TOP, LEFT,
# WIDTH, HEIGHT, DOCKSITE, and the next start shows the window at exactly that rectangle; an end
# by SIGTERM saves it as well. A stored place off every screen brings the window back to the
# centre.
# Runs on a bare X server without a window manager: the program's window is then its own outer
# frame, so the X window's geometry is the outer rectangle.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
ini="$work/bin/Data/application.ini"

# Prints "left top width height" of the program's window.
window_rectangle() {
    xdotool getwindowgeometry --shell "$window" |
        awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}'
}

expect_rectangle() {
    local expected=$1 actual
    actual=$(window_rectangle)
    if [ "$actual" != "$expected" ]; then
        echo "window at '$actual', expected '$expected'" >&2
        exit 1
    fi
}

start_program
read -r _ _ width height < <(window_rectangle)
# Without a frame the window is its client area, at the width it was designed with.
[ "$width" = 422 ] || { echo "first start: ${width} wide, not 422" >&2; exit 1; }
expect_rectangle "$(( (1280 - width) / 2 )) $(( (1024 - height) / 2 )) $width $height"
echo "first start: centred at ${width}x${height}"

xdotool windowmove --sync "$window" 123 77
xdotool windowsize --sync "$window" 517 463
sleep 0.5
expect_rectangle "123 77 517 463"
close_by_menu
expect_file_bytes "$ini" '[VOICE]\ninput=1\nreturn=1\ntype=speed\n[TFMTALLIXOR]\nTOP=77\nLEFT=123\nWIDTH=517\nHEIGHT=463\nDOCKSITE=\n'
echo "application.ini holds the placement in key order"

start_program
expect_rectangle "123 77 517 463"
echo "second start: same outer rectangle"
xdotool windowmove --sync "$window" 200 100
sleep 0.3
kill -TERM "$program_pid"
wait_program
expect_file_bytes "$ini" '[VOICE]\ninput=1\nreturn=1\ntype=speed\n[TFMTALLIXOR]\nTOP=100\nLEFT=200\nWIDTH=517\nHEIGHT=463\nDOCKSITE=\n'
echo "an end by SIGTERM keeps the placement too"

printf '[TFMTALLIXOR]\nTOP=77\nLEFT=5000\nWIDTH=517\nHEIGHT=463\nDOCKSITE=\n' >"$ini"
start_program
expect_rectangle "$(( (1280 - 517) / 2 )) $(( (1024 - 463) / 2 )) 517 463"
echo "a place off every screen comes back centred"
kill -TERM "$program_pid"
wait_program
