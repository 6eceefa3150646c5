#!/usr/bin/env bash
# Without a display the window library cannot start: one line, then status 255 without waiting,
# since standard input is not a terminal.
# Usage: no_display_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

start_game "$1" "$2" -u DISPLAY -u WAYLAND_DISPLAY
wait_for_exit
[ "$game_status" = 255 ] || fail "exit status was $game_status, not 255"
[ "$(cat "$game_log")" = "failed to init glfw" ] || fail "the output is not the one glfw line"
echo "PASS"
