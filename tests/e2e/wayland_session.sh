#!/usr/bin/env bash
# On a Wayland desktop with XWayland at hand, the program started as the desktop starts it (no
# QT_QPA_PLATFORM of its own) opens its window through XWayland, where a window may place
# itself, takes the keys typed into it and speaks them. The desktop is weston's headless
# backend, the sound a private PulseAudio null sink. Skipped (77) where weston, XWayland or
# PulseAudio cannot run here.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
program=$1
work=$(mktemp -d)
helper_pids=()
cleanup() {
    [ -n "${program_pid:-}" ] && kill -9 "$program_pid" 2>/dev/null || true
    for pid in "${helper_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

skip() {
    echo "skipped: $*"
    exit 77
}

for tool in weston Xwayland pulseaudio parec pactl; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

mkdir -p "$work/bin" "$work/config" "$work/etc-xdg" "$work/data"
mkdir -m 700 "$work/runtime"
export TALLIX_EXE_FILE="$work/bin/tallix" HOME="$work" XDG_RUNTIME_DIR="$work/runtime"
export XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/etc-xdg" XDG_DATA_HOME="$work/data"
unset QT_QPA_PLATFORM TALLIX_SOUND_OUTPUT PULSE_SERVER DISPLAY
copy_voice_sets

weston --backend=headless-backend.so --xwayland --socket=tallix-wayland --width=1280 \
    --height=1024 --idle-time=0 --log="$work/weston.log" >/dev/null 2>&1 &
helper_pids+=($!)
display=""
for _ in $(seq 100); do
    # The log may not exist yet in the first moments.
    display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log" 2>/dev/null || true)
    [ -n "$display" ] && break
    sleep 0.1
done
[ -n "$display" ] || skip "weston's headless backend with XWayland did not start"
export WAYLAND_DISPLAY=tallix-wayland DISPLAY=$display XDG_SESSION_TYPE=wayland

pulseaudio -n --daemonize=no --use-pid-file=no --exit-idle-time=-1 --disallow-exit \
    --load="module-null-sink sink_name=tallix_test rate=22050 channels=1" \
    --load=module-native-protocol-unix >/dev/null 2>&1 &
helper_pids+=($!)
for _ in $(seq 100); do
    pactl info 2>/dev/null | grep -q tallix_test && break
    sleep 0.1
done
pactl info 2>/dev/null | grep -q tallix_test || skip "PulseAudio did not start"
parec -d tallix_test.monitor --format=s16le --rate=22050 --channels=1 --raw >"$work/capture.raw" 2>/dev/null &
helper_pids+=($!)

"$program" &
program_pid=$!
window=$(wait_for_window '^Tallix$' "no window on XWayland's X display: the program did not run through XWayland")
echo "the window opened through XWayland"

# XWayland gives a headless desktop's windows no keyboard focus; the keys go to the window.
sleep 0.5
xdotool type --window "$window" --delay 150 "12" 2>/dev/null
sleep 1.5
kill -TERM "$program_pid"
wait_program || { echo "the program did not end cleanly" >&2; exit 1; }
expect_file_bytes "$work/bin/Data/nums.txt" '12'

peak=$(od -An -td2 -v "$work/capture.raw" |
    awk '{for (i = 1; i <= NF; i++) {v = $i < 0 ? -$i : $i; if (v > m) m = v}} END {print m + 0}')
[ "$peak" -gt 1000 ] || { echo "nothing was heard (peak $peak)" >&2; exit 1; }
echo "the typed digits reached the program and were spoken (peak $peak)"
