#!/usr/bin/env bash
# Under a locale whose code set is neither UTF-8 nor Windows Japanese (EUC-JP here), a nums.txt
# in that code set is read as text in it: "日本" in EUC-JP is no UTF-8 and no CP932, and comes
# out as those two characters when a character EUC-JP cannot hold ("€") makes the save fall
# back to UTF-8 with a byte-order mark. The locale is made for the test alone (LOCPATH).
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
command -v localedef >/dev/null || { echo "SKIP: localedef is not installed"; exit 77; }
e2e_setup "$1"
mkdir -p "$work/locale" "$work/bin/Data"
localedef -i ja_JP -f EUC-JP "$work/locale/ja_JP.EUC-JP" 2>/dev/null ||
    { echo "SKIP: no EUC-JP locale can be made here (package locales)"; exit 77; }
export LOCPATH="$work/locale"
[ "$(LC_ALL=ja_JP.EUC-JP locale charmap 2>/dev/null)" = EUC-JP ] ||
    { echo "SKIP: the EUC-JP locale does not load"; exit 77; }
# The shell itself need not follow: its own locales were set up before LOCPATH.
{ export LC_ALL=ja_JP.EUC-JP LANG=ja_JP.EUC-JP; } 2>/dev/null
printf '\xc6\xfc\xcb\xdc' >"$work/bin/Data/nums.txt"

start_program
xdotool key ctrl+End
# xdotool reads its argument in its own locale.
LC_ALL=C.UTF-8 xdotool type --delay 50 "5€"
close_by_menu || { echo "the program did not end cleanly" >&2; exit 1; }
expect_file_bytes "$work/bin/Data/nums.txt" '\xef\xbb\xbf\xe6\x97\xa5\xe6\x9c\xac5\xe2\x82\xac'
echo "a nums.txt in the locale's EUC-JP was read as EUC-JP text"
