#!/usr/bin/env bash
# A driver that offers no OpenGL 3.3 core context: the window cannot be opened, one line, then
# status 255 without waiting (standard input is not a terminal).
# Usage: no_core_context_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

# Mesa's software driver can be told to claim an older version, which rules out 3.3 core.
start_game "$1" "$2" MESA_GL_VERSION_OVERRIDE=3.1
wait_for_exit
[ "$game_status" = 255 ] || fail "exit status was $game_status, not 255"
[ "$(cat "$game_log")" = "failed to open window" ] || fail "the output is not the one window line"
echo "PASS"
