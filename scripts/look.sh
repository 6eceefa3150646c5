#!/usr/bin/env bash
# A short automated look at the running game, for machines without a display: shows the frame
# rate and the help, walks forward and jumps, saves a screenshot and quits with Escape.
# Usage (inside an X server, e.g. under xvfb-run): scripts/look.sh GAME DATA_DIR SCREENSHOT
set -euo pipefail
game=$1 data_dir=$2 shot=$3
mkdir -p "$(dirname "$shot")"
shot=$(cd "$(dirname "$shot")" && pwd)/$(basename "$shot")
log=$(mktemp)
wait_limit=60

(cd "$data_dir" && exec "$game" >"$log" 2>&1 </dev/null) &
pid=$!

give_up() {
    echo "$1. The game's output:"
    cat "$log"
    kill "$pid" 2>/dev/null || true
    exit 1
}

# Frames take up to a second in software: wait for what the screen shows, not for a fixed time.
deadline=$((SECONDS + wait_limit))
window=""
until [ -n "$window" ]; do
    kill -0 "$pid" 2>/dev/null || give_up "The game ended before opening its window"
    [ $SECONDS -lt $deadline ] || give_up "The game did not open its window"
    sleep 0.2
    window=$(xdotool search --name '^Vantor$' 2>/dev/null | head -n 1 || true)
done

frame=$(mktemp --suffix=.png)
screen_changed() {
    import -window root "$frame.new"
    local changed
    changed=$(compare -metric AE -fuzz 10% "$frame" "$frame.new" null: 2>&1 || true)
    mv "$frame.new" "$frame"
    [ "$changed" -gt 200 ]
}

# toggle KEY: keeps the key down until the screen has moved on once, so one frame saw it.
toggle() {
    import -window root "$frame"
    xdotool keydown "$1"
    local until=$((SECONDS + 20))
    while [ $SECONDS -lt $until ] && ! screen_changed; do
        sleep 0.1
    done
    xdotool keyup "$1"
}

# steer KEY SECONDS: holds a movement key for a while.
steer() {
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
}

toggle F2
toggle F1
steer w 1.5
steer space 0.5
steer w 1.5
import -window root "$shot"
xdotool keydown Escape
deadline=$((SECONDS + wait_limit))
while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
    sleep 0.1
done
xdotool keyup Escape
status=0
wait "$pid" || status=$?
cat "$log"
rm -f "$log" "$frame" "$frame.new"
echo "Game exit status: $status"
echo "Screenshot saved: $shot"
