#!/usr/bin/env bash
# Installs what is missing, builds Vantor and its tests with warnings as errors, and runs every
# test (unit, gl, e2e) under one Xvfb; then the unit tests again under the sanitizers.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/deps.sh" test
"$root/scripts/build.sh" "$root/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_WERROR=ON

status=0
(cd "$root/build-test" &&
    xvfb-run -a -s "-screen 0 1600x900x24" ctest --output-on-failure -j2 --timeout 600) ||
    status=1

# AddressSanitizer and UndefinedBehaviorSanitizer over the unit tests (no GL needed).
"$root/scripts/sanitize.sh" "$root/build-asan" || status=1

if [ $status -eq 0 ]; then
    echo "All tests passed."
else
    echo "Some tests failed (see above)."
fi
exit $status
