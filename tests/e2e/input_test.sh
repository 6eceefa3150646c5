#!/usr/bin/env bash
# The window system's input on the real game, read back from the X server and the screen. With
# the focus the pointer is hidden and held at the window's centre; moving it right turns the
# figure right and moving it up tilts the camera up, about the figure's own axis even after a turn
# (the figure stays upright on the screen). P shows the pointer and lets it go; P again hides it
# and takes it back to the centre. One wheel step towards the player during a pause zooms out by
# one step of the 0.2 s that ends a pause, 20 units, to three times the camera's distance (the
# figure a third of its size); one step away during the next pause brings the same view back. A
# tap of Escape, between two frames, ends the game with status 0.
# Usage: input_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

centre="800 450"
help_region=500x270+0+0
# Sky, sun and the clouds far ahead: above the figure, and right of the help for the tilt.
wide_sky_region=1200x200+400+0
tall_sky_region=700x300+900+0
figure_region=500x500+550+150

pointer() { xdotool getmouselocation | sed -E 's/x:([0-9]+) y:([0-9]+) .*/\1 \2/'; }
# expect_pointer POSITION DESCRIPTION [STATE]: where the pointer is, and how it is drawn and
# whether it is held ("hidden held" or "shown free").
expect_pointer() {
    [ "$(pointer)" = "$1" ] || fail "$2: the pointer is at $(pointer), not $1"
    [ -z "${3:-}" ] || [ "$(probe pointer)" = "$3" ] || fail "$2: the pointer is not $3"
}
# figure_in NAME: a screenshot, NAME.png; sets the top, bottom and lean of the figure's markers.
figure_in() {
    shot "$work/$1.png"
    read -r left top _ bottom lean _ < <(probe figure "$work/$1.png" "$figure_region")
    [ "${left:-none}" != none ] || fail "no figure in $1.png"
}
upright() { between -3 "$lean" 3 || fail "$1: the figure leans by $lean degrees on the screen"; }
# move DX DY DESCRIPTION: the pointer moved away returns to the centre within a few frames. The
# window library puts it back while the frame before the one that turns is ending, and that
# frame's own report can still be on its way: the second frame reported shows the turn.
move() {
    local deadline=$((SECONDS + wait_limit))
    xdotool mousemove_relative -- "$1" "$2"
    until [ "$(pointer)" = "$centre" ]; do
        [ $SECONDS -lt $deadline ] || fail "$3: the pointer stays at $(pointer), it is not held"
        sleep 0.1
    done
    wait_frames 2
}

start_to_rest "$1" "$2"
take_focus
expect_pointer "$centre" "with the focus" "hidden held"
hold_until_changed F1 "$help_region"
figure_in start
upright "at the start"
start_height=$((bottom - top))

# The pause hands the pointer over at the centre, and the game leaves it where it is moved.
hold_until_changed p "$help_region"
expect_pointer "$centre" "paused" "shown free"
xdotool mousemove 200 150
wait_frames 3
expect_pointer "200 150" "paused, three frames after a move"
xdotool click 5 # one step towards the player: zoom out
hold_until_changed p "$help_region"
expect_pointer "$centre" "after the pause" "hidden held"
figure_in zoomed
ratio=$(awk -v a=$((bottom - top)) -v b=$start_height 'BEGIN { printf "%.3f", a / b }')
echo "the figure after one wheel step out: $((bottom - top)) pixels high, $ratio of its height"
# About 0.31 here; how deep the figure sank on landing (a long frame sinks it further) decides
# how much of it shows above the cloud in both pictures, which moves the ratio a few hundredths.
# No zoom, or a step the wrong way, leaves it at 1 or above.
between 0.25 "$ratio" 0.36 ||
    fail "one wheel step did not zoom out to three times the distance"

hold_until_changed p "$help_region"
xdotool click 4 # one step away from the player: zoom in
hold_until_changed p "$help_region"
shot "$work/back.png"
difference=$(rmse "$work/start.png" "$work/back.png")
echo "the view after a step out and a step in against the view before: RMSE $difference"
below "$difference" 0.01 || fail "the wheel step in did not undo the step out"

# Right, then up: the far scene (sky, sun, the clouds ahead) passes to the left, then sinks. A
# larger turn and a tilt down then show the tilt's axis: about any other than the figure's own,
# the camera would roll and the figure lean on the screen.
move 12 0 "after a move to the right"
shot "$work/turned.png"
dx=$(probe shift "$work/start.png" "$work/turned.png" "$wide_sky_region" x)
echo "turning right moved the far scene by $dx pixels"
[ "$dx" -lt -20 ] || fail "moving the pointer right did not turn the view right"
move 0 -3 "after a move up"
shot "$work/tilted.png"
dy=$(probe shift "$work/turned.png" "$work/tilted.png" "$tall_sky_region" y)
echo "tilting up moved the far scene by $dy pixels"
[ "$dy" -gt 10 ] || fail "moving the pointer up did not tilt the camera up"
move 30 0 "after a second move to the right"
move 0 15 "after a move down"
figure_in tilted-after-turn
upright "tilted after a turn"

xdotool keydown Escape keyup Escape
wait_for_exit
expect_clean_exit "a tap of Escape"
echo "PASS"
