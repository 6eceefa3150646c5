#!/usr/bin/env bash
# The real game in its data folder: the figure comes to rest on the first cloud, holding W walks
# it away (the picture changes), and R puts the world back (the picture returns to how it was).
# Usage: play_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

# wait_until_still: the screen stops changing (the figure has landed and nothing else moves).
# A frame can take well over a second in software, so stillness is judged over several.
wait_until_still() {
    local deadline=$((SECONDS + wait_limit))
    until screen_still 4; do
        [ $SECONDS -lt $deadline ] || fail "the picture never came to rest"
        game_running || fail "the game ended"
    done
}

start_game "$1" "$2"
wait_for_window
wait_for_first_frame
wait_until_still
shot "$work/start.png"

# A frame can take longer than a second here, and a key pressed and released between two frames
# is never seen: hold W until the picture has moved (a frame or two walks a few units, and the
# figure stays on the start cloud), then R until the picture is back.
hold_until() {
    local key=$1 test=$2
    local deadline=$((SECONDS + wait_limit))
    xdotool keydown "$key"
    while [ $SECONDS -lt $deadline ] && game_running; do
        shot "$work/now.png"
        changed=$(changed_pixels "$work/start.png" "$work/now.png")
        $test "$changed" && break
    done
    xdotool keyup "$key"
}
moved_away() { [ "$1" -gt 20000 ]; }
back_again() { [ "$1" -lt $((walked / 4)) ]; }

changed=0
hold_until w moved_away
walked=$changed
[ "$walked" -gt 20000 ] || fail "walking barely changed the picture ($walked pixels)"
wait_until_still

hold_until r back_again
reset=$changed
echo "pixels changed: walking $walked, after the reset $reset"
[ "$reset" -lt $((walked / 4)) ] || fail "R did not bring the picture back ($reset pixels differ)"

xdotool keydown Escape
wait_for_exit
xdotool keyup Escape
[ "$game_status" = 0 ] || fail "exit status after Escape was $game_status, not 0"
echo "PASS"
