# Shared helpers of the end-to-end tests: start the game in a data folder, find its window, hold
# keys until the screen answers, compare screenshot regions, wait for the exit status.
# Sourced by the *_test.sh scripts; they run inside an X server (xvfb-run).
set -euo pipefail

e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# One frame of the full pipeline takes most of a second in software; allow a generous margin.
wait_limit=${VANTOR_E2E_WAIT:-40}
work=$(mktemp -d)
game_log=$work/game.log
game_pid=""
game_status=""
window=""

cleanup() {
    if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then
        kill "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
    fi
    if [ -n "${VANTOR_E2E_KEEP:-}" ]; then
        echo "screenshots kept in $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "--- game output:"
    cat "$game_log" 2>/dev/null || true
    exit 1
}

# start_game BINARY DATA_DIR [ENV_ARGS...]: runs the game with the data folder as working
# directory, stdin not a terminal (a fatal start-up error ends it without waiting) and the
# environment changed by env's arguments, if any.
start_game() {
    local game data
    game=$(realpath "$1")
    data=$(realpath "$2")
    shift 2
    game_command=("$game" "$data" "$@")
    (cd "$data" && exec env "$@" "$game" >"$game_log" 2>&1 </dev/null) &
    game_pid=$!
}
game_command=()

game_running() { kill -0 "$game_pid" 2>/dev/null; }

# wait_for_window: sets $window to the game's window once it carries its title. A loaded X server
# sometimes refuses a connection; a game that could not reach it (before reading any file) is
# started again, twice at most.
wait_for_window() {
    local deadline=$((SECONDS + wait_limit)) restarts=0
    while [ $SECONDS -lt $deadline ]; do
        window=$(xdotool search --name '^Vantor$' 2>/dev/null | head -n 1 || true)
        [ -n "$window" ] && return 0
        if ! game_running; then
            wait "$game_pid" 2>/dev/null || true
            if [ $restarts -lt 2 ] && grep -qx 'failed to init glfw' "$game_log"; then
                restarts=$((restarts + 1))
                echo "the game could not reach the X server; starting it again"
                sleep 1
                start_game "${game_command[@]}"
                continue
            fi
            fail "the game ended before opening its window"
        fi
        sleep 0.1
    done
    fail "no window titled Vantor after ${wait_limit}s"
}

# shot FILE [GEOMETRY]: the screen, or one region of it (WxH+X+Y).
shot() {
    if [ $# -ge 2 ]; then
        import -window root -crop "$2" +repage "$1"
    else
        import -window root "$1"
    fi
}

# glance FILE: the whole screen at a quarter of its size, cheap enough to poll.
glance() {
    import -window root -resize 25% "$1"
}
# Pixels that must differ before a glance counts as changed.
min_glance_changed=20

# changed_pixels A B: how many pixels differ by more than a little between two images.
changed_pixels() {
    compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1 || true
}

# wait_for_first_frame: the window shows something other than plain black.
wait_for_first_frame() {
    local deadline=$((SECONDS + wait_limit))
    while [ $SECONDS -lt $deadline ]; do
        glance "$work/first.png"
        [ "$(convert "$work/first.png" -format '%[fx:maxima]' info:)" != 0 ] && return 0
        game_running || fail "the game ended before drawing a frame"
        sleep 0.2
    done
    fail "no frame drawn after ${wait_limit}s"
}

# hold_until_changed KEY GEOMETRY NAME: holds KEY down until the region differs from how it
# looked before the press, then releases it. Only meaningful on a frozen screen (see pause_game),
# where a change can only come from the key. Leaves NAME-before.png and NAME-after.png in $work.
hold_until_changed() {
    local key=$1 region=$2 name=$3
    local before=$work/$name-before.png after=$work/$name-after.png
    shot "$before" "$region"
    xdotool keydown "$key"
    local deadline=$((SECONDS + wait_limit)) changed=0
    while [ $SECONDS -lt $deadline ]; do
        shot "$after" "$region"
        changed=$(changed_pixels "$before" "$after")
        [ "$changed" -gt "$min_changed" ] && break
        game_running || break
        sleep 0.1
    done
    xdotool keyup "$key"
    [ "$changed" -gt "$min_changed" ] ||
        fail "$key did not change region $region ($changed pixels differ)"
    echo "$key changed $changed pixels in $region"
}
min_changed=200

# screen_still SECONDS: true when the whole screen did not change over that time.
screen_still() {
    glance "$work/still-a.png"
    sleep "$1"
    glance "$work/still-b.png"
    [ "$(changed_pixels "$work/still-a.png" "$work/still-b.png")" -le "$min_glance_changed" ]
}

# measure_frame_period: sets $frame_period to the seconds between frames as the screen shows
# them (an upper bound: the polling itself slows the game down), or to "" when the screen stays
# still, in which case frames cannot be told apart from the outside.
measure_frame_period() {
    local previous=$work/period-prev.png current=$work/period-cur.png
    local first="" last="" changes=0 deadline=$((SECONDS + 6))
    glance "$previous"
    while [ $changes -lt 3 ] && [ $SECONDS -lt $deadline ]; do
        sleep 0.2
        glance "$current"
        if [ "$(changed_pixels "$previous" "$current")" -gt "$min_glance_changed" ]; then
            changes=$((changes + 1))
            last=$EPOCHREALTIME
            [ -n "$first" ] || first=$last
            mv "$current" "$previous"
        fi
    done
    frame_period=""
    if [ $changes -ge 2 ]; then
        frame_period=$(awk "BEGIN { print ($last - $first) / ($changes - 1) }")
    fi
}

# pause_game: holds P for three frame periods (at least a second; six seconds on a still
# screen), so that a frame certainly polled it. Then the screen must stay still for as long, so
# that later changes can only come from the overlay.
pause_game() {
    measure_frame_period
    local hold=6
    if [ -n "$frame_period" ]; then
        hold=$(awk "BEGIN { h = 3 * $frame_period; print (h < 1 ? 1 : h) }")
    fi
    echo "frame period ${frame_period:-unknown (still screen)}; holding P for ${hold}s"
    xdotool keydown p
    sleep "$hold"
    xdotool keyup p
    screen_still "$hold" || fail "the scene still moves after P"
}

# wait_for_exit: sets $game_status once the game has ended on its own.
wait_for_exit() {
    local deadline=$((SECONDS + wait_limit))
    while game_running && [ $SECONDS -lt $deadline ]; do
        sleep 0.1
    done
    game_running && fail "the game is still running after ${wait_limit}s"
    game_status=0
    wait "$game_pid" || game_status=$?
    game_pid=""
}
