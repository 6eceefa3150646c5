#!/usr/bin/env bash
# Screenshots of the render settings under Xvfb. The real game, switched by its function keys, gives
# the default view, shadows off, each bloom blend mode and wireframe; the frame suite, which turns
# the camera exactly, gives each lens-flare mode with the sun in view.
# Usage: scripts/gallery.sh [OUTPUT_DIR] [BUILD_DIR]   (defaults: docs/gallery, build-test)
# BUILD_DIR needs the game and the GL tests built. Starts its own Xvfb when no display is set.
# Needs xdotool and ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/gallery}
build=$(cd "${2:-$root/build-test}" && pwd)
game=$build/src/vantor
frame_suite=$build/tests/gl_frame_test

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1600x900x24" "$0" "$out" "$build"
fi
for program in "$game" "$frame_suite"; do
    [ -x "$program" ] || { echo "gallery: $program is missing: build the game and its tests."; exit 1; }
done
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
log="$work/game.log"
frame="$work/frame.png"
next="$work/next.png"

(cd "$root/data" && exec "$game" >"$log" 2>&1 </dev/null) &
pid=$!
cleanup() {
    kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

give_up() {
    echo "gallery: $1. The game's output:"
    cat "$log"
    exit 1
}

window=""
deadline=$((SECONDS + 60))
until [ -n "$window" ]; do
    kill -0 "$pid" 2>/dev/null || give_up "the game ended before opening its window"
    [ $SECONDS -lt $deadline ] || give_up "the game did not open its window"
    sleep 0.2
    window=$(xdotool search --name '^Vantor$' 2>/dev/null | head -n 1 || true)
done
# Frames take most of a second in software: wait for what the screen shows, never a fixed time.
screen_changed() {
    import -window root "$next"
    local changed
    changed=$(compare -metric AE -fuzz 2% "$frame" "$next" null: 2>&1 || true)
    mv "$next" "$frame"
    # Large counts come in exponent notation.
    [ "$(printf '%.0f' "$changed" 2>/dev/null || echo 0)" -gt 200 ]
}

wait_for_change() {
    local until=$((SECONDS + ${1:-30}))
    while [ $SECONDS -lt $until ]; do
        screen_changed && return 0
        sleep 0.1
    done
    return 1
}

# Waits for the first picture, then until two looks a while apart show the same picture: the
# figure has landed.
settle() {
    local until=$((SECONDS + 60))
    import -window root "$frame"
    while [ $SECONDS -lt $until ] && [ "$(convert "$frame" -format '%[fx:maxima]' info:)" = 0 ]; do
        sleep 0.5
        import -window root "$frame"
    done
    while [ $SECONDS -lt $until ]; do
        sleep 1.5
        screen_changed || return 0
    done
}

shoot() {
    convert "$frame" -resize 800x450 -quality 88 "$out/$1.jpg"
    echo "gallery: $out/$1.jpg"
}

# press KEY: holds the key until the picture has changed, so a frame drawn after it is on screen.
# The key stays up as long again, at least one whole frame, so that the game sees it released and
# the next press is a new one.
press() {
    import -window root "$frame"
    local start
    start=$(date +%s.%N)
    xdotool keydown "$1"
    wait_for_change 30 || echo "gallery: $1 changed nothing on screen"
    xdotool keyup "$1"
    sleep "$(awk -v start="$start" -v now="$(date +%s.%N)" 'BEGIN { print now - start + 0.5 }')"
}

settle
shoot default
press F6 && shoot shadows_off
press F6
press F7 && shoot bloom_screen
press F7 && shoot bloom_soft_light
press F7 && shoot bloom_off
press F7
press F3 && shoot wireframe
press F3

# Escape is polled once a frame: hold it until the game has gone.
xdotool keydown Escape
deadline=$((SECONDS + 60))
while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
    sleep 0.2
done
xdotool keyup Escape

VANTOR_FRAME_DUMP=$work "$frame_suite" --gtest_filter='*LensFlareModes*' >"$log" 2>&1 ||
    give_up "the frame suite failed"
names=(lens_flare_off lens_flare_sprites lens_flare_screen_space)
for mode in 0 1 2; do
    convert "$work/lens_flare_mode_$mode.ppm" "$frame"
    shoot "${names[$mode]}"
done
