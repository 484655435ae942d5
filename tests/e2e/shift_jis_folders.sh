#!/usr/bin/env bash
# Folders named in Shift-JIS bytes, as unzip leaves a Windows archive on a UTF-8 system: a data
# folder recorded in the per-user store, and a portable copy whose "Data" lies beside it. The
# text is read from and saved into those very folders, and no folder of another name appears.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"

# "データ" and "プログラム" in Shift-JIS.
data=$work/$(printf '\x83\x66\x81\x5b\x83\x5e')
mkdir "$data"
printf '123' >"$data/nums.txt"
mkdir -p "$work/config/Kestrow"
printf '[DATA]\nPATH=%s\n' "$data" >"$work/config/Kestrow/tallix.ini"

start_program
xdotool key ctrl+End
xdotool type --delay 50 "4"
close_by_menu || { echo "the program did not end cleanly" >&2; exit 1; }
expect_file_bytes "$data/nums.txt" '1234'
[ -e "$data/tallix.lock" ] || { echo "the lock file is not in the data folder" >&2; exit 1; }
# Beside the test's own folders only the data folder itself: none of another name.
others=$(find "$work" -mindepth 1 -maxdepth 1 -type d ! -name bin ! -name config ! -name data \
    ! -name etc-xdg ! -name '.*')
if [ "$others" != "$data" ] || [ -e "$work/bin/Data" ] ||
   [ "$(find "$work/data" -mindepth 1 | wc -l)" -ne 0 ]; then
    echo "a folder other than the recorded one was used:" >&2
    find "$work" -maxdepth 2 >&2
    exit 1
fi
echo "the recorded Shift-JIS data folder kept the text"

rm -r "$work/config/Kestrow"
program_folder=$work/$(printf '\x83\x76\x83\x8d\x83\x4f\x83\x89\x83\x80')
mkdir -p "$program_folder/Data"
printf '55' >"$program_folder/Data/nums.txt"
export TALLIX_EXE_FILE=$program_folder/tallix
start_program
xdotool key ctrl+End
xdotool type --delay 50 "6"
close_by_menu || { echo "the program did not end cleanly" >&2; exit 1; }
expect_file_bytes "$program_folder/Data/nums.txt" '556'
if [ "$(find "$work/data" -mindepth 1 | wc -l)" -ne 0 ]; then
    echo "the portable copy wrote into the per-user data folder:" >&2
    find "$work/data" >&2
    exit 1
fi
echo "the portable copy in a Shift-JIS folder kept its text beside itself"
