#!/usr/bin/env bash
# Installs the Debian packages Vantor needs and that this machine lacks.
# Usage: scripts/deps.sh SET...   (play: build and run the game; test: everything the tests need
# too; web: the browser version, its build and its browser tests)
set -euo pipefail

play_packages=(cmake ninja-build g++ pkg-config libglfw3-dev libglew-dev libassimp-dev libdevil-dev
    libgl1-mesa-dri libglx-mesa0 xvfb xauth xdotool imagemagick)
test_packages=(python3 libgtest-dev libbenchmark-dev libfcl-dev clang libclang-rt-14-dev)
# The compiler to WebAssembly; the source packages' tools and the headers the model-import
# library's Debian patches take (its version and zlib's follow the desktop's development packages);
# headless Chromium with its driver, and the image library the browser tests read pictures with.
web_packages=(cmake ninja-build emscripten dpkg-dev libassimp-dev zlib1g-dev libstb-dev
    libutfcpp-dev chromium chromium-driver python3-selenium python3-pil)

packages=()
for set in "${@:-play}"; do
    case $set in
        play) packages+=("${play_packages[@]}") ;;
        test) packages+=("${play_packages[@]}" "${test_packages[@]}") ;;
        web) packages+=("${web_packages[@]}") ;;
        *)
            echo "scripts/deps.sh: unknown set $set (play, test or web)" >&2
            exit 1
            ;;
    esac
done

missing=()
for package in $(printf '%s\n' "${packages[@]}" | sort -u); do
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
