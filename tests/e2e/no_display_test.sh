#!/usr/bin/env bash
# Without a display the window library cannot start: one line, then status 255 without waiting,
# since standard input is not a terminal.
# Usage: no_display_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

(cd "$2" && exec env -u DISPLAY -u WAYLAND_DISPLAY "$1" >"$game_log" 2>&1 </dev/null) &
game_pid=$!
wait_for_exit
[ "$game_status" = 255 ] || fail "exit status was $game_status, not 255"
[ "$(cat "$game_log")" = "failed to init glfw" ] || fail "the output is not the one glfw line"
echo "PASS"
