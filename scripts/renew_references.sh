#!/usr/bin/env bash
# Renews the reference pictures that the GL suite compares the game's look with
# (tests/fixtures/reference), from the current build and on its renderer. Run it on purpose, after
# a change of the look has been seen and judged right, and commit the pictures with the change.
# Usage: scripts/renew_references.sh [BUILD_DIR]   (default build-test; needs the GL tests built)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
suite=$(cd "${1:-$root/build-test}" && pwd)/tests/gl_frame_test
[ -x "$suite" ] || { echo "renew_references: $suite is missing: build the GL tests."; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1600x900x24" "$0" "$@"
fi
VANTOR_RENEW_REFERENCES=1 "$suite" --gtest_filter=FrameTest.ViewsLookAsTheirReferences \
    --gtest_brief=1
echo "renewed for $(cat "$root/tests/fixtures/reference/renderer.txt"):"
git -C "$root" status --short tests/fixtures/reference
echo "then compare on softpipe too: scripts/check_references.sh"
