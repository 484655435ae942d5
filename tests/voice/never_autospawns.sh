#!/usr/bin/env bash
# Playing a digit where no sound server runs never starts one, even where the user's client
# settings allow it and the fallback device reaches ALSA's plugin for the server. Run as an
# ordinary user, as the library never starts a server for root; `pactl` run the same way first
# shows that a server would start here.
# Usage: never_autospawns.sh <voice_play_tool> <recording>
set -euo pipefail
tool=$1
recording=$2
uid=65534
if [ "$(id -u)" -ne 0 ] || ! setpriv --reuid="$uid" --regid="$uid" --clear-groups true 2>/dev/null; then
    echo "SKIP: cannot run as an ordinary user here" >&2
    exit 77
fi
work=$(mktemp -d)
socket="$work/run/pulse/native"
stop_servers() { pkill -KILL -u "$uid" -x pulseaudio 2>/dev/null || true; }
trap 'stop_servers; rm -rf "$work"' EXIT
mkdir -p "$work/home/.config/pulse" "$work/run"
printf 'autospawn = yes\n' >"$work/home/.config/pulse/client.conf"
chown -R "$uid:$uid" "$work"
chmod 755 "$work"
chmod 700 "$work/run"
as_user() {
    setpriv --reuid="$uid" --regid="$uid" --clear-groups \
        env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/run" \
        QT_QPA_PLATFORM=offscreen "$@"
}

as_user pactl info >/dev/null 2>&1 || true
if [ ! -S "$socket" ]; then
    echo "SKIP: the sound server cannot start itself here" >&2
    exit 77
fi
stop_servers
rm -rf "$work/run/pulse"

as_user timeout 30 "$tool" "$recording"
sleep 1
if [ -e "$socket" ]; then
    echo "playing a recording started a sound server" >&2
    exit 1
fi
