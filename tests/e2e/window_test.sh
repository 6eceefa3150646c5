#!/usr/bin/env bash
# The real game in its data folder: a 1600x900 window titled Vantor; with the game paused, so that
# only the overlay can change, F2 shows the frame-rate line and F1 the help block; Escape ends the
# game with status 0.
# Usage: window_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

# Overlay regions in window pixels: the frame-rate line along the bottom-left edge, the help block
# in the top-left corner (the overlay's 800x600 units span the whole window, y upwards).
fps_region=600x60+0+840
help_region=1000x270+0+0

start_game "$1" "$2"
wait_for_window
read -r _ size < <(xdotool getwindowgeometry "$window" | grep Geometry)
[ "$size" = 1600x900 ] || fail "window size is $size, not 1600x900"
[ "$(xdotool getwindowname "$window")" = Vantor ] || fail "window title is not Vantor"
wait_for_first_frame
pause_game

hold_until_changed F2 "$fps_region" fps
shot "$work/help-region-with-fps.png" "$help_region"
hold_until_changed F1 "$help_region" help
shot "$work/overlay.png"

xdotool keydown Escape
wait_for_exit
xdotool keyup Escape
[ "$game_status" = 0 ] || fail "exit status after Escape was $game_status, not 0"
grep -q "gl error detected" "$game_log" && echo "note: the game reported GL errors"
echo "PASS"
