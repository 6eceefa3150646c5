#!/usr/bin/env bash
# Taps shorter than a frame: each key below is pressed and released by one command, a few
# milliseconds apart, while a frame takes tens of them here, so most taps fall between two frames.
# Each still acts exactly once: three F12 taps write three screenshots; F1 and F2 show the help and
# the frame-rate line; and a tap of Escape ends the game with status 0.
# Usage: key_taps_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

# F12 writes into the working directory: a copy of the data folder keeps the tree clean.
cp -r "$2" "$work/data"
start_game "$1" "$work/data"
wait_for_window
wait_for_first_frame
wait_still

tap() { xdotool keydown "$1" keyup "$1"; }
screenshots() { find "$work/data/screenshots" -name 'vantor-*.png' 2>/dev/null | wc -l; }

# tap_until_changed KEY GEOMETRY: one tap, then the region must change (within the wait limit).
tap_until_changed() {
    local changed=0 deadline=$((SECONDS + wait_limit))
    shot "$work/before.png" "$2"
    tap "$1"
    while [ "$changed" -le $min_changed ] && game_running && [ $SECONDS -lt $deadline ]; do
        sleep 0.1
        shot "$work/after.png" "$2"
        changed=$(changed_pixels "$work/before.png" "$work/after.png")
    done
    [ "$changed" -gt $min_changed ] || fail "a tap of $1 was lost: region $2 did not change"
}

for count in 1 2 3; do
    tap F12
    deadline=$((SECONDS + wait_limit))
    until [ "$(screenshots)" -ge $count ]; do
        game_running || fail "the game ended after $count F12 taps"
        [ $SECONDS -lt $deadline ] || fail "F12 tap $count was lost: $(screenshots) screenshots"
        sleep 0.1
    done
done
# The help shows on a frame after the last F12 tap: by then each tap has had its frames.
tap_until_changed F1 1000x270+0+0
[ "$(screenshots)" = 3 ] || fail "three F12 taps wrote $(screenshots) screenshots"
tap_until_changed F2 600x60+0+840
tap Escape
wait_for_exit
[ "$game_status" = 0 ] || fail "exit status after a tap of Escape was $game_status, not 0"
echo "PASS"
