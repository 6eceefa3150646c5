#!/usr/bin/env bash
# Installs what is missing, builds Vantor and its tests with warnings as errors, and runs every
# test (unit, gl, e2e, the fault matrix among them) under one Xvfb; then the unit suites, the
# loaders' GL suites and a short game run under the sanitizers, half a minute of fuzzing the level
# parser, a short soak, and the browser version in headless Chromium. A failed check is never run
# again: only a connection that the X server refused is asked for again (tests/e2e/e2e_lib.sh,
# tests/gl/support/gl_test.cpp).
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/deps.sh" test web
"$root/scripts/build.sh" "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_WERROR=ON

status=0
(cd "$root/build-test" &&
    xvfb-run -a -s "-screen 0 1600x900x24" ctest --output-on-failure -j2 --timeout 600) || status=1

# AddressSanitizer and UndefinedBehaviorSanitizer over the unit tests, the loaders and the game.
xvfb-run -a -s "-screen 0 1600x900x24" "$root/scripts/sanitize.sh" "$root/build-asan" || status=1

# The level parser under libFuzzer, from the committed corpus. Its coverage levels off within
# about 40,000 inputs, a few seconds here; half a minute runs several times that many.
"$root/scripts/fuzz.sh" "$root/build-fuzz" 30 || status=1

# The game with random input after a warm-up over every setting: no crash, no GL error, no
# growing memory. 40 seconds give each kind of input several times and 20 seconds of memory
# samples, enough for a leak of a frame's buffers; slow growth is the ten-minute run's to find.
xvfb-run -a -s "-screen 0 1600x900x24" "$root/scripts/soak.sh" 40 "$root/build-test/src/vantor" \
    "$root/data" || status=1

# The browser version: built for WebAssembly (the model-import library once per version, cached
# outside the tree) and tested in headless Chromium with real browser input.
{ "$root/web/build.sh" "$root/build-web" &&
    /usr/bin/python3 "$root/web/tests/browser_test.py" "$root/build-web/site"; } || status=1

if [ $status -eq 0 ]; then
    echo "All tests passed."
else
    echo "Some tests failed (see above)."
fi
exit $status
