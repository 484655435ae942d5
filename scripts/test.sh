#!/usr/bin/env bash
# Installs what is missing, builds Tallix with its tests and runs every test.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/test"

bash "$root/scripts/setup.sh" test

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTALLIX_WERROR=ON -DTALLIX_BUILD_BENCH=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --timeout 600 -j2
