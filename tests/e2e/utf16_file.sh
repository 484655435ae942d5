#!/usr/bin/env bash
# A UTF-16 file with its byte-order mark (Windows Notepad's "Unicode") is shown as its text and
# stays byte for byte what it was; typed text is saved in the same form, mark and all.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
mkdir -p "$work/bin/Data"
utf16='\xff\xfe1\x00\r\x00\n\x002\x00'
printf "$utf16" >"$work/bin/Data/nums.txt"

start_program
close_by_menu || { echo "the program did not end cleanly" >&2; exit 1; }
expect_file_bytes "$work/bin/Data/nums.txt" "$utf16"

start_program
xdotool key ctrl+End
xdotool type --delay 50 "3"
close_by_menu || { echo "the program did not end cleanly" >&2; exit 1; }
expect_file_bytes "$work/bin/Data/nums.txt" "${utf16}3\\x00"
echo "the UTF-16 file came back unchanged, and with a typed digit in its own form"
