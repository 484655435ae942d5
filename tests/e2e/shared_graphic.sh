#!/usr/bin/env bash
# The picture archive of a system-wide installation belongs to root and may only be read. An
# ordinary user's start reads it, also while another user holds a lock on it, and a second start
# of the same copy hands over to the running window instead of stopping with the archive's error.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
e2e_setup "$1"
start_window_manager
become_ordinary_user

graphic="$work/bin/graphic"
# An archive without members: the header and the time stamp, nothing after "ADAT".
printf 'FARC\x04\0\0\0\0\0\0\0AHDR\x18\0\0\0\0\0\0\0\0\0\0\0%s%s' 2026120912000000 ADAT >"$graphic"
before=$(sha256sum <"$graphic")
if [ "$(id -u)" -eq 0 ]; then
    chown root:root "$graphic"
    chmod 644 "$graphic"
fi
# The script itself (root, another user than the program's) holds the lock until it ends.
exec {lock}<"$graphic"
flock --exclusive --nonblock "$lock"

start_program
first_pid=$program_pid
echo "the program started on a read-only archive held by another user"

${as_user[@]+"${as_user[@]}"} "$program" &
expect_start_to_end $! "the second start" || exit 1
echo "the second start handed over and ended"

program_pid=$first_pid
kill -TERM "$program_pid"
wait_program || { echo "the program did not end cleanly" >&2; exit 1; }
[ "$(sha256sum <"$graphic")" = "$before" ] || { echo "the archive was changed" >&2; exit 1; }
echo "the archive is unchanged"
