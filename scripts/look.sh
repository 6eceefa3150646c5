#!/usr/bin/env bash
# A short automated look at the running game: presses a few keys, takes a screenshot, quits.
# Usage (inside an X server): scripts/look.sh GAME DATA_DIR SCREENSHOT
set -euo pipefail
game=$1 data_dir=$2 shot=$3
mkdir -p "$(dirname "$shot")"
cd "$data_dir"
log=$(mktemp)
"$game" >"$log" 2>&1 </dev/null &
pid=$!
window=""
for _ in $(seq 1 120); do
    window=$(xdotool search --name '^Vantor$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
done
if [ -z "$window" ]; then
    echo "The game did not open its window. Its output:"
    cat "$log"
    wait "$pid" || true
    exit 1
fi
sleep 2
for key in F2 F1 w w w space; do
    xdotool key --window "$window" "$key" 2>/dev/null || xdotool key "$key"
    sleep 0.5
done
sleep 2
import -window root "$shot"
xdotool key Escape
wait "$pid" && status=0 || status=$?
cat "$log"
echo "Screenshot saved: $shot (game exit status $status)"
