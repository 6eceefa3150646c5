#!/usr/bin/env bash
# Closing the game's window, as a window manager's close button does, ends it with status 0.
# Usage: close_window_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

start_game "$1" "$2"
wait_for_window
wait_for_first_frame
python3 "$e2e_dir/close_window.py" "$window"
wait_for_exit
[ "$game_status" = 0 ] || fail "exit status after closing the window was $game_status, not 0"
echo "PASS"
