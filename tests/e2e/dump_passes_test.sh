#!/usr/bin/env bash
# vantor-bench --dump-passes on the real data, facing the light: one PNG per pass that runs, named
# in frame order, each of the size its pass draws at and none a uniform image; the dump leaves the
# measured frames as they were.
# Usage: dump_passes_test.sh GAME DATA_DIR (vantor-bench is found in the build beside GAME)
source "$(dirname "$0")/e2e_lib.sh"

bench=$(dirname "$(realpath "$1")")/../bench/vantor-bench
data=$(realpath "$2")
cd "$work"

# run NAME ARGS...: one measured frame after one warm-up frame; its last frame in NAME.png.
run() {
    local name=$1 && shift
    "$bench" --frames 1 --warmup 1 --no-floor --data "$data" --png "$name.png" "$@" \
        >"$name.txt" 2>&1 || fail "$name: vantor-bench failed: $(tail -5 "$name.txt")"
}

# check DIR PASS...: DIR holds exactly the passes given, in that order, then the final picture.
check() {
    local dir=$1 expected="" n=0 pass size spread want && shift
    for pass in "$@" final; do
        n=$((n + 1))
        expected+=$(printf '%02d-%s.png ' "$n" "$pass")
    done
    [ "$(ls "$dir" | tr '\n' ' ')" = "$expected" ] || fail "$dir holds $(ls "$dir" | tr '\n' ' ')"
    for file in $expected; do
        read -r size spread < <(identify -format '%wx%h %[fx:standard_deviation]\n' "$dir/$file")
        # Each pass at the size it is read at: the shadow blur halves the map in each step, the
        # bright passes and the lens features draw a quarter of the picture each way, and the
        # blurs the level their readers sample (1/16 for the bloom, 1/32 for the lens flare).
        case $file in
            *shadow-map*) want=1600x1600 ;;
            *shadow-blur-1*) want=1600x800 ;;
            *shadow-blur-2*) want=800x800 ;;
            *bright* | *features*) want=400x225 ;;
            *bloom-blur*) want=100x56 ;;
            *lens-blur*) want=50x28 ;;
            *) want=1600x900 ;;
        esac
        [ "$size" = "$want" ] || fail "$dir/$file is $size, not $want"
        awk -v s="$spread" 'BEGIN { exit !(s > 0.01) }' || fail "$dir/$file is uniform ($spread)"
    done
}

bloom_blur=(bloom-blur-{1..8})
shadow=(shadow-map shadow-blur-1 shadow-blur-2)
run plain
run default --dump-passes default --dump-view sun
check default "${shadow[@]}" scene bloom-bright "${bloom_blur[@]}" composition lens-bright \
    lens-blur-1 lens-blur-2 lens-features lens-combine
run sprites --lens 1 --dump-passes sprites --dump-view sun
check sprites "${shadow[@]}" scene sprite-flares bloom-bright "${bloom_blur[@]}" composition
[ "$(compare -metric AE sprites/04-scene.png sprites/05-sprite-flares.png null: 2>&1)" != 0 ] ||
    fail "no sprite flare drawn: the dumped view does not face the light"
[ "$(compare -metric AE plain.png default.png null: 2>&1)" = 0 ] ||
    fail "the dump changed the measured frame"
echo "every pass's output dumped"
