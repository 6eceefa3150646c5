#!/usr/bin/env bash
# Installs what is missing, builds Vantor with its tests and runs every test under one Xvfb.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/deps.sh" test
"$root/scripts/build.sh" "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_WERROR=ON
cd "$root/build-test"
xvfb-run -a -s "-screen 0 1600x900x24" ctest --output-on-failure -j2 --timeout 600
