#!/usr/bin/env bash
# Installs what is missing, builds Vantor and its tests with warnings as errors, and runs every
# test (unit, gl, e2e, the fault matrix among them) under one Xvfb; then the unit and GL tests and
# a short game run under the sanitizers, a minute of fuzzing the level parser, and a minute's soak.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/deps.sh" test
"$root/scripts/build.sh" "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_WERROR=ON

status=0
(cd "$root/build-test" &&
    xvfb-run -a -s "-screen 0 1600x900x24" ctest --output-on-failure -j2 --timeout 600 --repeat until-pass:2) ||
    status=1

# AddressSanitizer and UndefinedBehaviorSanitizer over the unit and GL tests and the game.
xvfb-run -a -s "-screen 0 1600x900x24" "$root/scripts/sanitize.sh" "$root/build-asan" || status=1

# The level parser under libFuzzer, from the committed corpus.
"$root/scripts/fuzz.sh" "$root/build-fuzz" 60 || status=1

# The game with random input for a minute: no crash, no GL error, no growing memory.
xvfb-run -a -s "-screen 0 1600x900x24" "$root/scripts/soak.sh" 60 "$root/build-test/src/vantor" \
    "$root/data" || status=1

if [ $status -eq 0 ]; then
    echo "All tests passed."
else
    echo "Some tests failed (see above)."
fi
exit $status
