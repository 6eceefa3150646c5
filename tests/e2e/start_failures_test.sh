#!/usr/bin/env bash
# Start-up failures before any data is read: without a display, and with a driver that offers no
# OpenGL 3.3 core context, the game prints its one line and ends with 255 without waiting, since
# standard input is not a terminal. (A missing shader: fault_matrix_test.sh.)
# Usage: start_failures_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

# Mesa's software driver can be told to claim an older version, which rules out 3.3 core.
for case in "failed to init glfw|-u DISPLAY -u WAYLAND_DISPLAY" \
    "failed to open window|MESA_GL_VERSION_OVERRIDE=3.1"; do
    # shellcheck disable=SC2086 # the environment arguments are words
    start_game "$1" "$2" ${case#*|}
    wait_for_exit
    [ "$game_status" = 255 ] || fail "${case#*|}: exit status was $game_status, not 255"
    [ "$(cat "$game_log")" = "${case%%|*}" ] || fail "${case#*|}: the output is not '${case%%|*}'"
done
echo "PASS"
