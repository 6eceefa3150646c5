# Shared helpers of the end-to-end tests: start the game in a data folder, find its window, watch
# the screen for frames, hold keys until a frame has read them, wait for the exit status.
# Sourced by the *_test.sh scripts; they run inside an X server (xvfb-run).
set -eEuo pipefail

e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# The longest wait for one step; a frame of the full pipeline takes most of a second in software.
wait_limit=${VANTOR_E2E_WAIT:-40}
work=$(mktemp -d)
game_log=$work/game.log
game_pid="" game_status="" window=""
# A key left down would reach the next test's game on the same display.
trap 'game_running && kill "$game_pid"; xdotool keyup Escape 2>/dev/null || true
    [ -n "${VANTOR_E2E_KEEP:-}" ] || rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    echo "--- game output:"
    cat "$game_log" 2>/dev/null || true
    exit 1
}

# Any command that fails where nothing tests its status ends the script with a report of the
# command and the game's output, never silently. Inside a command substitution the line goes to
# standard error and the substitution's own failure brings the report.
failed_command() {
    local status=$1 line=$2 source=$3 command=$4
    echo "'$command' ended with status $status (line $line of $source)" >&2
    [ "$BASHPID" = "$$" ] || exit "$status"
    fail "'$command' ended with status $status (line $line of $source)"
}
trap 'failed_command $? "$LINENO" "${BASH_SOURCE[0]##*/}" "$BASH_COMMAND"' ERR

# A loaded X server now and then refuses a connection. A client that could not connect has done
# nothing yet: it is run again, twice at most. Any other failure of it is final.
x_client() {
    local attempt errors=$work/x-client-errors
    for attempt in 1 2 3; do
        "$@" 2>"$errors" && { cat "$errors" >&2; return 0; }
        grep -qiE "can't open display|unable to open X server" "$errors" || break
        echo "the X server refused a connection (attempt $attempt): $*" >&2
        sleep 0.5
    done
    cat "$errors" >&2
    return 1
}
xdotool() { x_client command xdotool "$@"; }

# start_game BINARY DATA_DIR [ENV_ARGS...]: the game with the data folder as working directory,
# standard input not a terminal (a fatal start-up error ends it without waiting), and the
# environment changed by env's arguments, if any.
start_game() {
    game_command=("$@") restarts=0
    local game data
    game=$(realpath "$1") data=$(realpath "$2")
    shift 2
    game_display=$(env "$@" printenv DISPLAY || true)
    (cd "$data" && exec env "$@" "$game" >"$game_log" 2>&1 </dev/null) &
    game_pid=$!
}

game_running() { [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; }

# restart_if_refused: a loaded X server now and then refuses a connection. A game that was given
# a display and printed nothing but the window library's start-up failure has read no file yet:
# it is started again, twice at most. Any other ending, a failed check above all, is final.
restart_if_refused() {
    [ -n "$game_display" ] && [ "$restarts" -lt 2 ] &&
        [ "$(cat "$game_log")" = "failed to init glfw" ] || return 1
    echo "the X server refused the game's connection; starting it again"
    local count=$((restarts + 1))
    start_game "${game_command[@]}"
    restarts=$count
}

# wait_for_window: sets $window to the game's window once it carries its title.
wait_for_window() {
    local deadline=$((SECONDS + wait_limit))
    until window=$(xdotool search --name '^Vantor$' 2>/dev/null | head -n 1) && [ -n "$window" ]; do
        game_running || { wait "$game_pid" || true; restart_if_refused; } ||
            fail "the game ended before opening its window"
        [ $SECONDS -lt $deadline ] || fail "no window titled Vantor after ${wait_limit}s"
        sleep 0.1
    done
}

# wait_for_exit: sets $game_status once the game has ended on its own.
wait_for_exit() {
    local deadline=$((SECONDS + wait_limit))
    while :; do
        while game_running && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
        game_running && fail "the game is still running after ${wait_limit}s"
        game_status=0
        wait "$game_pid" || game_status=$?
        restart_if_refused || break
    done
    game_pid=""
}

# shot FILE [GEOMETRY]: the screen, or one region of it (WxH+X+Y), written with the fastest
# compression: the default takes seconds for a full screen here.
shot() { x_client import -window root ${2:+-crop "$2" +repage} -quality 10 "$1"; }

# wait_for_first_frame: the window shows something other than plain black (polled on the screen
# at a quarter of its size, which is cheap).
wait_for_first_frame() {
    local deadline=$((SECONDS + wait_limit))
    until x_client import -window root -resize 25% -quality 10 "$work/first.png" &&
        [ "$(convert "$work/first.png" -format '%[fx:maxima]' info:)" != 0 ]; do
        game_running || fail "the game ended before drawing a frame"
        [ $SECONDS -lt $deadline ] || fail "no frame drawn after ${wait_limit}s"
        sleep 0.2
    done
}

# wait_still: the picture stops changing (at the start, once the figure has landed): the same, but
# for a few pixels, over five frames and a second (tests/e2e/screen_probe.py).
wait_still() { probe still "$window" || fail "the picture never came to rest"; }

# hold_until_changed KEYS GEOMETRY: holds the keys down until a frame shows the region changed
# from how it looked before, so that a frame has certainly read them; on a still screen only they
# change it. tap_until_changed: the same with the keys let go at once, between two frames.
min_changed=200
hold_until_changed() {
    probe hold "$window" "$2" "$min_changed" "$1" || fail "$1 did not change region $2"
}
tap_until_changed() {
    probe tap "$window" "$2" "$min_changed" "$1" || fail "a tap of $1 did not change region $2"
}

# probe ARGS...: what the X server shows of the game (tests/e2e/screen_probe.py); wait_frames N:
# the window has shown N more frames, whether or not they differ (a paused game's do not).
# The system's own interpreter where there is one: it starts at once, where a version manager's
# stand-in first on the path can take a second or more.
python=python3
[ ! -x /usr/bin/python3 ] || python=/usr/bin/python3
probe() { "$python" "$e2e_dir/screen_probe.py" "$@"; }
wait_frames() { probe frames "$window" "$1" || fail "the game stopped showing frames"; }

# take_focus: gives the window the focus that mouse motion needs, and the world its start again.
# Without a window manager the focus is seen to go and come back, the window library puts the
# pointer back where it never saved it (the screen's corner) and reads that as one motion: the
# figure turns. R undoes the turn.
take_focus() {
    xdotool windowfocus --sync "$window"
    wait_frames 2
    hold_until_changed r 1600x900+0+0
    wait_still
}

# start_to_rest GAME DATA_DIR [ENV_ARGS...]: the game started, its window found, at rest after
# its first frames.
start_to_rest() {
    start_game "$@"
    wait_for_window
    wait_for_first_frame
    wait_still
}

# quit_with_escape: Escape held until the game has ended on it.
quit_with_escape() {
    xdotool keydown Escape
    wait_for_exit
    xdotool keyup Escape
}

# expect_clean_exit HOW: the game ended with status 0 (after HOW) and reported no GL error.
expect_clean_exit() {
    [ "$game_status" = 0 ] || fail "exit status after $1 was $game_status, not 0"
    ! grep -q 'gl error detected' "$game_log" || fail "the game reported GL errors"
}

# between LOW VALUE HIGH: LOW < VALUE < HIGH, as decimals; below VALUE LIMIT: VALUE < LIMIT.
# rmse A B: how much two pictures differ, the root mean square on 0..1.
between() { awk -v low="$1" -v x="$2" -v high="$3" 'BEGIN { exit !(low < x && x < high) }'; }
below() { awk -v x="$1" -v limit="$2" 'BEGIN { exit !(x < limit) }'; }
rmse() { { compare -metric RMSE "$1" "$2" null: 2>&1 || true; } | sed 's/.*(\(.*\))/\1/'; }
