#!/usr/bin/env bash
# The README's gallery, from the current build at full size (PNG): the start view of the game, a
# view towards the sun, shadows off, every bloom blend mode and every lens-flare mode, wireframe,
# and the win screen with the overlay. The GL suite's reference-picture test draws them with the
# game's own start-up, frame and overlay at a fixed camera and time. Then prints how far apart the
# bloom modes are on the start view and towards the sun (ImageMagick's RMSE, 0 to 1).
# Usage: scripts/gallery.sh [OUTPUT_DIR] [BUILD_DIR]   (defaults docs/gallery, build-test)
# BUILD_DIR needs the GL tests built. Starts its own Xvfb when no display is set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/gallery}
build=$(cd "${2:-$root/build-test}" && pwd)
suite=$build/tests/gl_frame_test
[ -x "$suite" ] || { echo "gallery: $suite is missing: build the GL tests."; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1600x900x24" "$0" "$out" "$build"
fi
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/*.png
# A look that differs from the references fails the test's comparison, not the pictures.
VANTOR_GALLERY=$out "$suite" --gtest_filter=FrameTest.ViewsLookAsTheirReferences \
    --gtest_brief=1 >/dev/null ||
    echo "gallery: the pictures differ from the references (scripts/renew_references.sh)"
for name in start sun shadows_off bloom_0 bloom_2 bloom_3 sun_bloom_0 sun_bloom_2 sun_bloom_3 \
    lens_0 lens_1 wireframe win; do
    [ -s "$out/$name.png" ] || { echo "gallery: $name.png was not drawn"; exit 1; }
    echo "gallery: $out/$name.png"
done

# The start view and the sun view are bloom mode 1, the default.
rmse() { { compare -metric RMSE "$out/$1.png" "$out/$2.png" null: 2>&1 || true; } |
    sed 's/.*(\(.*\))/\1/'; }
echo
echo "Bloom blend modes, RMS difference between each pair (0 to 1):"
echo
echo "| view | 0-1 | 0-2 | 0-3 | 1-2 | 1-3 | 2-3 |"
echo "|---|--:|--:|--:|--:|--:|--:|"
for view in start sun; do
    prefix=$([ $view = sun ] && echo sun_ || true)
    modes=("${prefix}bloom_0" "$view" "${prefix}bloom_2" "${prefix}bloom_3")
    row="| $view |"
    for a in 0 1 2; do
        for ((b = a + 1; b < 4; b++)); do
            row="$row $(printf %.3f "$(rmse "${modes[$a]}" "${modes[$b]}")") |"
        done
    done
    echo "$row"
done
