#!/usr/bin/env bash
# Installs the Debian packages Vantor needs and that this machine lacks.
# Usage: scripts/deps.sh play|test   (play: build and run the game; test: everything the tests need too)
set -euo pipefail

play_packages=(cmake ninja-build g++ pkg-config libglfw3-dev libglew-dev libassimp-dev libdevil-dev
    libgl1-mesa-dri libglx-mesa0 xvfb xauth xdotool imagemagick)
test_packages=(python3 libgtest-dev libbenchmark-dev libfcl-dev clang libclang-rt-14-dev)

packages=("${play_packages[@]}")
if [ "${1:-play}" = test ]; then
    packages+=("${test_packages[@]}")
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
