#!/usr/bin/env bash
# Compares the look with the reference pictures (tests/fixtures/reference) on this machine's
# renderer and then under Mesa's softpipe, the second software rasteriser of the same package,
# where the test applies its tolerance for another renderer; prints each view's difference. Run it
# after renewing the references. softpipe takes about two minutes here.
# Usage: scripts/check_references.sh [BUILD_DIR]   (default build-test; needs the GL tests built)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
suite=$(cd "${1:-$root/build-test}" && pwd)/tests/gl_frame_test
[ -x "$suite" ] || { echo "check_references: $suite is missing: build the GL tests."; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1600x900x24" "$0" "$@"
fi
status=0
for driver in "" softpipe; do
    echo "check_references: ${driver:-the default renderer}"
    env ${driver:+GALLIUM_DRIVER=$driver} "$suite" \
        --gtest_filter=FrameTest.ViewsLookAsTheirReferences --gtest_brief=1 ||
        { status=1; echo "check_references: FAILED on ${driver:-the default renderer}"; }
done
exit $status
