#!/usr/bin/env bash
# Installs what is missing, builds Tallix and starts it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/release"

bash "$root/scripts/setup.sh" run
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALLIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target tallix
exec "$build/bin/tallix"
