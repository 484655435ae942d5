#!/usr/bin/env bash
# Installs the Debian packages Tallix needs, skipping those already installed.
# Usage: setup.sh run      (what building and running the program needs)
#        setup.sh package  (that, plus what building the Debian package needs)
#        setup.sh test     (all that, plus what the tests, fuzzers and benchmarks need)
set -euo pipefail

mode=${1:-run}

run_packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev
    libpulse-dev portaudio19-dev libsndfile1-dev libsoxr-dev libasound2-dev libjack-jackd2-dev
    libjpeg62-turbo-dev zlib1g-dev
    fonts-ipafont-gothic fonts-dejavu-core
    qt6-translations-l10n
)
package_packages=(dpkg-dev file)
test_packages=(
    lintian appstream
    googletest libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev
    libpng-dev
    xvfb xauth xdotool x11-utils imagemagick desktop-file-utils
    openbox weston xwayland qt6-wayland
    pulseaudio pulseaudio-utils libasound2-plugins stress-ng
    pipewire pipewire-pulse wireplumber dbus
    speech-dispatcher speech-dispatcher-espeak-ng
    dbus ibus ibus-anthy python3-pyatspi at-spi2-core
    locales
)

wanted=("${run_packages[@]}")
if [ "$mode" = package ] || [ "$mode" = test ]; then
    wanted+=("${package_packages[@]}")
fi
if [ "$mode" = test ]; then
    wanted+=("${test_packages[@]}")
fi

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
