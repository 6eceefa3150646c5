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

# A second of W at most walks a few units: the figure stays on the start cloud.
xdotool keydown w
sleep 1
xdotool keyup w
wait_until_still
shot "$work/walked.png"

xdotool keydown r
sleep 1
xdotool keyup r
wait_until_still
shot "$work/reset.png"

walked=$(changed_pixels "$work/start.png" "$work/walked.png")
reset=$(changed_pixels "$work/start.png" "$work/reset.png")
echo "pixels changed: walking $walked, after the reset $reset"
[ "$walked" -gt 20000 ] || fail "walking barely changed the picture ($walked pixels)"
[ "$reset" -lt $((walked / 4)) ] || fail "R did not bring the picture back ($reset pixels differ)"

xdotool keydown Escape
wait_for_exit
xdotool keyup Escape
[ "$game_status" = 0 ] || fail "exit status after Escape was $game_status, not 0"
echo "PASS"
