#!/usr/bin/env bash
# Installs what is missing, builds Tallix with its tests and runs every test.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

bash "$root/scripts/setup.sh" test

# Short smoke runs of the fuzzers, in a build of their own instrumented with the sanitizers.
fuzz="$root/build/fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTALLIX_BUILD_TESTS=OFF -DTALLIX_BUILD_FUZZ=ON \
    -DCMAKE_C_FLAGS="-fsanitize=address,undefined -fsanitize=fuzzer-no-link" \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fsanitize=fuzzer-no-link"
cmake --build "$fuzz" --target tallix_fuzzers
ctest --test-dir "$fuzz" --output-on-failure -j2

# The main build: every unit, test and benchmark, warnings as errors.
build="$root/build/test"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTALLIX_WERROR=ON -DTALLIX_BUILD_BENCH=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --timeout 600 -j2

# The Debian package, built into dist/ from a build folder of its own that later runs reuse:
# checked by lintian and the validators, then (as root) installed with apt, started from its menu
# entry as root and as an ordinary user, removed and purged without a trace.
bash "$root/scripts/package.sh"
bash "$root/tests/package/check_package.sh" "$root"/dist/tallix_*.deb

# The same tests through PipeWire's pulse service, which most desktops now run in place of
# PulseAudio: its graph takes the player's stream in steps of its own. On a shared machine the
# test server's graph now and then stalls for tens of milliseconds (its profiler shows the driver
# late), and every stream then loses a cycle of sound, ours with it, which no client can make up
# for. The tests excuse such a loss where only the server can have caused it (a cycle or two of
# silence inside a recording, past its head) and say so in their output; how many there were is
# told after each run. A test that fails there gets one more try, for a loss that falls where the
# player's own faults would show; a second failure fails the run.
pipewire_retry=(--repeat until-pass:2)
pipewire_losses() {
    local lost
    lost=$({ grep -o "the server lost" "$build/Testing/Temporary/LastTest.log" || true; } | wc -l)
    echo "PipeWire test server: $lost stretches of sound lost and excused"
}
TALLIX_TEST_SOUND_SERVER=pipewire ctest --test-dir "$build" --output-on-failure --timeout 600 \
    "${pipewire_retry[@]}" -R '^(e2e_voice_real_sound|SoundSink\.)'
pipewire_losses

# The real-sound tests once more with every core busy, on both servers: a loaded machine must
# neither break up a recording nor drop or delay one.
stress-ng --cpu "$(nproc)" --quiet --timeout 1800s &
busy=$!
trap 'kill "$busy" 2>/dev/null || true' EXIT
ctest --test-dir "$build" --output-on-failure --timeout 600 -R '^(e2e_voice_real_sound|SoundSink\.)'
TALLIX_TEST_SOUND_SERVER=pipewire ctest --test-dir "$build" --output-on-failure --timeout 600 \
    "${pipewire_retry[@]}" -R '^(e2e_voice_real_sound|SoundSink\.)'
pipewire_losses
kill "$busy"
wait "$busy" || true
trap - EXIT

# The voice tests once more under ThreadSanitizer: the reader thread, its hand-over and the
# players' library threads share memory across threads. Each binary runs whole, in one process,
# so that what one test leaves running meets the next. Any report fails the run. The sound tests
# start helper processes (a sound server, kill) from a process whose library threads are running;
# the children exec at once, so the sanitizer's refusal of that is turned off.
tsan="$root/build/tsan"
cmake -S "$root" -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS="-fsanitize=thread" -DCMAKE_CXX_FLAGS="-fsanitize=thread" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
cmake --build "$tsan" --target tallix_voice_test tallix_sound_player_test tallix_sound_sink_test \
    voice_play_tool
tsan_home=$(mktemp -d)
for binary in tallix_voice_test tallix_sound_player_test tallix_sound_sink_test; do
    HOME="$tsan_home" XDG_CONFIG_HOME="$tsan_home/config" XDG_DATA_HOME="$tsan_home/data" \
        QT_QPA_PLATFORM=offscreen \
        TSAN_OPTIONS="halt_on_error=1 exitcode=66 die_after_fork=0 suppressions=$root/tests/voice/tsan.supp" \
        "$tsan/tests/voice/$binary"
    tsan_passed=$((${tsan_passed:-0} + 1))
done
rm -rf "$tsan_home"
# Any report above has ended the run already; what is left to say is how many binaries passed.
echo "ThreadSanitizer: $tsan_passed passed, 0 failed"
