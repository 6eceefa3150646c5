#!/usr/bin/env bash
# A short automated look at the running game, for machines without a display: once the figure
# stands on its cloud, the frame rate and the help on, a screenshot, then Escape. It starts the
# game and waits for its frames the way the end-to-end tests do (tests/e2e/e2e_lib.sh), and says
# what failed, with the game's output, if anything does.
# Usage (inside an X server, e.g. under xvfb-run): scripts/look.sh GAME DATA_DIR SCREENSHOT
root=$(cd "$(dirname "$0")/.." && pwd)
game=$1 data_dir=$2 target=$3
source "$root/tests/e2e/e2e_lib.sh"
mkdir -p "$(dirname "$target")"

start_to_rest "$game" "$data_dir"
# The frame-rate line at the foot, the help at the top left. No walk or jump: where a frame takes
# a tenth of a second or more, a key may be let go frames too late and carry the figure off its
# cloud.
hold_until_changed F2 600x60+0+840
hold_until_changed F1 500x270+0+0
shot "$target"
quit_with_escape
[ "$game_status" = 0 ] || fail "exit status after Escape was $game_status, not 0"
said=$(grep -v -e '^loading shader: ' -e '^The file for loadTexture was successfully opened ' \
    "$game_log" || true)
[ -z "$said" ] || printf 'The game said:\n%s\n' "$said"
echo "Screenshot saved: $target"
