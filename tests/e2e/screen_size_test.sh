#!/usr/bin/env bash
# Any screen: on X servers of 1920x1080 and 1280x720, where full screen keeps the screen's own size,
# the picture fills the screen with the start view of the references, and neither the start nor a
# pause turns the camera. Runs each size under an X server of its own.
# Usage: screen_size_test.sh GAME DATA_DIR
if [ -z "${SCREEN_SIZE:-}" ]; then
    for size in 1920x1080 1280x720; do
        echo "--- $size"
        SCREEN_SIZE=$size xvfb-run -a -s "-screen 0 ${size}x24" bash "$0" "$@" || exit 1
    done
    exit 0
fi
source "$(dirname "$0")/e2e_lib.sh"
read -r width height <<<"${SCREEN_SIZE/x/ }"
help_region=$((width / 3))x$((height / 3))+0+0                    # where F1 shows the help
scene_region=$((width * 2 / 3))x$height+$((width / 3))+0          # the rest, overlay-free
# rmse A B: compare's root mean square difference on 0..1.
rmse() { { compare -metric RMSE "$1" "$2" null: 2>&1 || true; } | sed 's/.*(\(.*\))/\1/'; }
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

start_game "$1" "$2"
wait_for_window
wait_for_first_frame
wait_still
shot "$work/start.png"
[ "$(identify -format %wx%h "$work/start.png")" = "$SCREEN_SIZE" ] || fail "not $SCREEN_SIZE"
convert "$work/start.png" -filter Box -resize 320x180! "$work/start-small.png"
difference=$(rmse "$work/start-small.png" "$e2e_dir/../fixtures/reference/start.png")
echo "start view against the reference: RMSE $difference"
below "$difference" 0.08 || fail "not the reference's start view (turned, or not filling the screen)"

# The help shows the pause switch; the frame that shows it off again is the first after the pause.
# Its word is a small change on a small screen.
min_changed=50
shot "$work/scene-before.png" "$scene_region"
for key in F1 p p; do
    hold_until_changed $key "$help_region"
done
shot "$work/scene-after.png" "$scene_region"
difference=$(rmse "$work/scene-before.png" "$work/scene-after.png")
echo "view before and after the pause: RMSE $difference"
below "$difference" 0.02 || fail "the pause turned the camera"
echo "PASS"
