#!/usr/bin/env bash
# A lock file the user may not write (left by a start as root, or by another user in a shared
# folder) still keeps a second start off the folder: the lock is taken through a read-only file.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
data="$work/bin/Data"
mkdir -p "$data"
printf '5' >"$data/nums.txt"
[ "$(id -u)" -eq 0 ] || { echo "SKIP: a lock file of root's needs root to plant" >&2; exit 77; }
become_ordinary_user
# Left behind by root: readable, not writable, for everyone else.
touch "$data/tallix.lock"
chown 0:0 "$data/tallix.lock"
chmod 644 "$data/tallix.lock"
use_private_runtime_folder

start_program
first_pid=$program_pid
xdotool type --delay 50 "4"

launch_program
second_pid=$program_pid
program_pid=$first_pid
expect_start_to_end "$second_pid" "the second start on the same folder" || exit 1

kill -TERM "$program_pid"
wait_program
expect_file_bytes "$data/nums.txt" '45'
echo "the read-only lock file kept the second start off the folder"
