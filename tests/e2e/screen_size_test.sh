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
# metric NAME A B: compare's figure, RMSE on 0..1 or AE in pixels differing by over 10%.
metric() { { compare -metric "$1" -fuzz 10% "$2" "$3" null: 2>&1 || true; } | sed 's/.*(\(.*\))/\1/'; }
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }

# settle NAME: waits until the screen has not changed for three seconds (a frame takes about a
# second here) and keeps that picture as NAME.png.
settle() {
    local deadline=$((SECONDS + 3 * wait_limit)) still=0
    shot "$work/$1.png"
    while [ $still -lt 3 ]; do
        [ $SECONDS -lt $deadline ] || fail "the picture did not settle: is the camera turning?"
        sleep 1
        shot "$work/next.png"
        below "$(metric AE "$work/$1.png" "$work/next.png")" 50 && still=$((still + 1)) || still=0
        mv "$work/next.png" "$work/$1.png"
    done
}

# toggle KEY: holds the key until the help block changes.
toggle() {
    local deadline=$((SECONDS + wait_limit))
    shot "$work/help-before.png" "$help_region"
    cp "$work/help-before.png" "$work/help-now.png"
    xdotool keydown "$1"
    while below "$(metric AE "$work/help-before.png" "$work/help-now.png")" 30; do
        [ $SECONDS -lt $deadline ] || fail "$1 changed nothing in the help block"
        sleep 0.2
        shot "$work/help-now.png" "$help_region"
    done
    xdotool keyup "$1"
}

start_game "$1" "$2"
wait_for_window
wait_for_first_frame
settle start
[ "$(identify -format %wx%h "$work/start.png")" = "$SCREEN_SIZE" ] || fail "not $SCREEN_SIZE"
convert "$work/start.png" -filter Box -resize 320x180! "$work/start-small.png"
difference=$(metric RMSE "$work/start-small.png" "$e2e_dir/../fixtures/reference/start.png")
echo "start view against the reference: RMSE $difference"
below "$difference" 0.08 || fail "not the reference's start view (turned, or not filling the screen)"

# The help shows the pause switch; the frame that shows it off again is the first after the pause.
shot "$work/scene-before.png" "$scene_region"
toggle F1
toggle P
toggle P
shot "$work/scene-after.png" "$scene_region"
difference=$(metric RMSE "$work/scene-before.png" "$work/scene-after.png")
echo "view before and after the pause: RMSE $difference"
below "$difference" 0.02 || fail "the pause turned the camera"
echo "PASS"
