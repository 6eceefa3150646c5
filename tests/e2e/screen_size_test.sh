#!/usr/bin/env bash
# Any screen: on X servers of 1920x1200 (taller than 16:9) and 1280x600 (wider), where full
# screen keeps the screen's own size, the picture is the start view of the references in the
# largest 16:9 area in the middle, with black bars around it, in each lens-flare mode (each ends
# the frame with another pass); neither the start nor a pause turns the camera.
# Runs each size under an X server of its own.
# Usage: screen_size_test.sh GAME DATA_DIR
if [ -z "${SCREEN_SIZE:-}" ]; then
    for size in 1920x1200 1280x600; do
        echo "--- $size"
        SCREEN_SIZE=$size xvfb-run -a -s "-screen 0 ${size}x24" bash "$0" "$@" || exit 1
    done
    exit 0
fi
source "$(dirname "$0")/e2e_lib.sh"
read -r width height <<<"${SCREEN_SIZE/x/ }"
# The 16:9 area and the bars on either side of it: above and below, or left and right.
if [ $((width * 9)) -gt $((height * 16)) ]; then
    area_width=$(((height * 16 + 4) / 9)) area_height=$height
    area_x=$(((width - area_width) / 2)) area_y=0
    right=$((area_x + area_width))
    bars=("${area_x}x$height+0+0" "$((width - right))x$height+$right+0")
else
    area_width=$width area_height=$(((width * 9 + 8) / 16))
    area_x=0 area_y=$(((height - area_height) / 2))
    bottom=$((area_y + area_height))
    bars=("${width}x$area_y+0+0" "${width}x$((height - bottom))+0+$bottom")
fi
area=${area_width}x$area_height+$area_x+$area_y
# Where F1 shows the help, and the rest of the area, which no overlay covers.
help_region=$((area_width / 3))x$((area_height / 3))+$area_x+$area_y
scene_region=$((area_width * 2 / 3))x$area_height+$((area_x + area_width / 3))+$area_y
brightest() { convert "$1" -crop "$2" +repage -format "%[fx:$3]" info:; }
# The start view's sky round the sun, in the reference's 320x180: where a turned camera shows
# another part of the sky. How deep the figure sank on landing moves all but the sky, and decides
# whether the sun is near enough to the view for the sprite flares (mode 1) to show there.
sky=90x60+230+0

# check_picture MODE: the bars are black to the last pixel; the picture reaches each edge of its
# area; without sprite flares, the area shrunk to the reference's size shows the reference's sky.
check_picture() {
    local bar edge difference
    shot "$work/$1.png"
    [ "$(identify -format %wx%h "$work/$1.png")" = "$SCREEN_SIZE" ] || fail "not $SCREEN_SIZE"
    for bar in "${bars[@]}"; do
        [ "$(brightest "$work/$1.png" "$bar" maxima)" = 0 ] ||
            fail "lens flares $1: bar $bar is not black"
    done
    for edge in "${area_width}x1+$area_x+$area_y" "1x$area_height+$area_x+$area_y" \
        "${area_width}x1+$area_x+$((area_y + area_height - 1))" \
        "1x$area_height+$((area_x + area_width - 1))+$area_y"; do
        below 0.1 "$(brightest "$work/$1.png" "$edge" mean)" ||
            fail "lens flares $1: the picture does not reach the edge $edge of its area"
    done
    echo "lens flares $1: bars black, edges reached"
    [ "$1" != 1 ] || return 0
    convert "$work/$1.png" -crop "$area" +repage -filter Box -resize 320x180! -crop $sky +repage \
        "$work/$1-sky.png"
    convert "$e2e_dir/../fixtures/reference/start.png" -crop $sky +repage "$work/reference.png"
    difference=$(rmse "$work/$1-sky.png" "$work/reference.png")
    echo "lens flares $1: the sky against the reference's, RMSE $difference"
    below "$difference" 0.05 ||
        fail "lens flares $1: not the reference's start view (turned, or not filling its area)"
}

start_to_rest "$1" "$2"
check_picture 2
# From the start view the lens flares add nothing to see: F1 shows that a frame has read F10.
min_changed=50
for mode in 0 1; do
    hold_until_changed "F10 F1" "$help_region"
    wait_frames 2
    check_picture $mode
done

# The help shows the pause switch; the frame that shows it off again is the first after the pause.
shot "$work/scene-before.png" "$scene_region"
for key in F1 p p; do
    hold_until_changed $key "$help_region"
done
shot "$work/scene-after.png" "$scene_region"
difference=$(rmse "$work/scene-before.png" "$work/scene-after.png")
echo "view before and after the pause: RMSE $difference"
below "$difference" 0.02 || fail "the pause turned the camera"
echo "PASS"
