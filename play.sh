#!/usr/bin/env bash
# Installs what is missing, builds Vantor and starts it from data/.
# Without a display it runs the game under Xvfb for a short automated look and saves a screenshot.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/deps.sh" play
"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=Release -DVANTOR_TESTS=OFF -DVANTOR_BENCHMARKS=OFF
game="$root/build/src/vantor"

if [ -n "${DISPLAY:-}" ]; then
    cd "$root/data"
    exec "$game"
fi

echo "No display found: running a short automated look under Xvfb instead."
xvfb-run -a -s "-screen 0 1600x900x24" "$root/scripts/look.sh" "$game" "$root/data" "$root/screenshots/look.png"
