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
runtime="$work/runtime"
mkdir -p "$runtime"
chown --reference="$work/bin" "$runtime"
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime

start_program
first_pid=$program_pid
xdotool type --delay 50 "4"

launch_program
second_pid=$program_pid
for _ in $(seq 100); do
    kill -0 "$second_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$second_pid" 2>/dev/null; then
    kill -9 "$second_pid"
    program_pid=$first_pid
    echo "a second program ran beside the first on the same folder" >&2
    exit 1
fi
wait "$second_pid" || { echo "the second start failed" >&2; exit 1; }

program_pid=$first_pid
kill -TERM "$program_pid"
wait_program
expect_file_bytes "$data/nums.txt" '45'
echo "the read-only lock file kept the second start off the folder"
