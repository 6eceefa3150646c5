#!/usr/bin/env bash
# The real main loop in its 1600x900 window titled Vantor, with its real clock: the fall after a
# reset lasts the world time that gravity gives, counted from the frames the X server saw and the
# step each was worth; a paused frame shows the last picture unchanged under the overlay, frame
# after frame, and the overlay switched off while paused uncovers that picture; F12 writes the
# frame it ends, overlay included, as screenshots/vantor-NNNN.png, numbered on, whether paused or
# running; a key tapped between two frames acts once; closing the window as a window manager does
# ends the game with status 0.
# Usage: main_loop_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

help_region=500x270+0+0
pause_line=400x26+0+20 # "Pause (P): on" in the help
fps_region=600x60+0+840
below_figure=1000x120+300+300 # the far edge of the start cloud, which the figure's fall moves

# same A B [GEOMETRY...]: no pixel differs by more than a little, leaving out the regions given.
same() {
    local masks=() geometry w h x y count
    for geometry in "${@:3}"; do
        IFS='x+' read -r w h x y <<<"$geometry"
        masks+=(-draw "rectangle $x,$y $((x + w - 1)),$((y + h - 1))")
    done
    # Uncompressed: a full-screen PNG takes seconds to write here.
    convert "$1" -fill black "${masks[@]}" "$work/mask-a.miff"
    convert "$2" -fill black "${masks[@]}" "$work/mask-b.miff"
    count=$(compare -metric AE -fuzz 10% "$work/mask-a.miff" "$work/mask-b.miff" null: 2>&1 ||
        true)
    [ "$count" = 0 ] || fail "$(basename "$1") and $(basename "$2") differ in $count pixels"
}
# screenshot_written N: the game's line for screenshot N, then the file, the same as the screen.
screenshot_written() {
    local name deadline=$((SECONDS + wait_limit))
    name=$(printf 'screenshots/vantor-%04d.png' "$1")
    until grep -qxF "screenshot written: $name" "$game_log"; do
        [ $SECONDS -lt $deadline ] || fail "no line 'screenshot written: $name'"
        sleep 0.1
    done
    shot "$work/screen-$1.png"
    [ "$(identify -format %wx%h "$data/$name")" = 1600x900 ] || fail "$name is not 1600x900"
    same "$data/$name" "$work/screen-$1.png"
}

# A copy of the data folder, where F12's pictures go.
data=$work/data
cp -r "$2" "$data"
start_to_rest "$1" "$data"
read -r _ size < <(xdotool getwindowgeometry "$window" | grep Geometry)
[ "$size" = 1600x900 ] || fail "window size is $size, not 1600x900"

# A frame longer than the longest step advances the world by that step whatever the clock says:
# the clock shows only in shorter frames. Shadows, bloom and lens flares off make them so here.
# F1, sent after each key, shows in a small region that a frame has read that key.
for key in F6 F7 F7 F7 F10; do
    hold_until_changed "$key F1" "$help_region"
done
wait_still
# R puts the figure back at height 4 over the start cloud, whose top is at 1.3: it falls 2.7 units
# at gravity 25, for 0.46 s, and lands in the frame whose step takes it there. In steps of s it
# gets there up to s/2 sooner (each step moves it at the speed of the step's end). Counted from
# the frame that reset it, each frame worth its interval (up to 0.2 s).
probe drop "$window" "$below_figure" r >"$work/drop.txt" || fail "$(cat "$work/drop.txt")"
read -r world frames step <"$work/drop.txt"
echo "a fall from the reset: $world s of world time over $frames frames (longest step $step s)"
awk -v w="$world" -v s="$step" 'BEGIN { exit !(w > 0.42 - s / 2 && w < 0.5 + s) }' ||
    fail "the fall took $world s of world time, not 0.46 s within the steps of up to $step s;
$(tail -n 1 "$work/drop.txt")"
hold_until_changed F1 "$help_region"
shot "$work/plain.png"
tap_until_changed F2 "$fps_region"
hold_until_changed F1 "$help_region"
shot "$work/running.png"
hold_until_changed p "$help_region"
shot "$work/paused.png"
# The frame rate may have changed since the screenshot before the pause.
same "$work/running.png" "$work/paused.png" "$pause_line" "$fps_region"
wait_frames 3
shot "$work/paused-later.png"
same "$work/paused.png" "$work/paused-later.png"
hold_until_changed F2 "$fps_region"
shot "$work/paused-no-fps.png"
same "$work/plain.png" "$work/paused-no-fps.png" "$help_region"
hold_until_changed F1 "$help_region"
shot "$work/paused-bare.png"
same "$work/plain.png" "$work/paused-bare.png"
echo "paused frames keep the picture under the overlay"

# F12 tapped with a key that changes the picture, both let go before a frame reads them: the
# screenshot is of the frame that reads both (it shows the change), or, where F12 arrives a frame
# later, of the next one (the same). First while paused, with the help; then with the key that
# ends the pause.
tap_until_changed "F1 F12" "$help_region"
screenshot_written 1
tap_until_changed "p F12" "$help_region"
screenshot_written 2
[ "$(ls "$data/screenshots")" = "$(printf 'vantor-%04d.png\n' 1 2)" ] ||
    fail "two taps of F12 wrote $(ls "$data/screenshots" | tr '\n' ' ')"

probe close "$window"
wait_for_exit
expect_clean_exit "closing the window"
echo "PASS"
