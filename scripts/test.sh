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

# The voice tests once more under ThreadSanitizer: the reader thread, its hand-over and the
# player's device callback share memory across threads. Any report fails the run.
tsan="$root/build/tsan"
cmake -S "$root" -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS="-fsanitize=thread" -DCMAKE_CXX_FLAGS="-fsanitize=thread" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
cmake --build "$tsan" --target tallix_voice_test tallix_sound_player_test tallix_sound_sink_test \
    voice_play_tool
# Under the sanitizer the code runs several times slower than real time, so the checks that sound
# reaches the device whole cannot hold there; the device thread still runs in the remaining sink
# test, which leaves the process while speaking.
TSAN_OPTIONS="halt_on_error=1 exitcode=66 suppressions=$root/tests/voice/tsan.supp" \
    ctest --test-dir "$tsan/tests/voice" --output-on-failure --timeout 600 -j2 \
    -E 'SoundSink\.(FilesOfEveryFormatArriveInOrderAndWhole|FirstSoundAfterAPauseIsWhole|LostDeviceKeepsThePaceAndIsReopenedForALaterFile)'

