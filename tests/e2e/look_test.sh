#!/usr/bin/env bash
# The automated look that ./play.sh runs without a display (scripts/look.sh): it prints nothing but
# where it saved its picture, and the picture shows the figure upright in the middle of the start
# view, standing on a cloud, with the help and the frame-rate line over it.
# Usage: look_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

picture=$work/look.png
bash "$e2e_dir/../../scripts/look.sh" "$1" "$2" "$picture" >"$work/look.txt" 2>&1 ||
    fail "the look ended with status $?: $(cat "$work/look.txt")"
[ "$(cat "$work/look.txt")" = "Screenshot saved: $picture" ] ||
    fail "the look printed more than where its picture is:
$(cat "$work/look.txt")"

read -r left top right bottom lean count < <(probe figure "$picture" 600x500+500+150)
echo "the figure's markers: $left,$top to $right,$bottom, leaning $lean degrees ($count pixels)"
[ "${left:-none}" != none ] || fail "no figure in the picture"
# The camera keeps the figure's head where the start view has it; how deep its feet are in the
# cloud depends on the step that landed it.
awk -v x=$(((left + right) / 2)) -v top="$top" -v lean="$lean" -v n="$count" 'BEGIN {
    exit !(x > 760 && x < 840 && top > 222 && top < 242 && lean > -3 && lean < 3 && n > 100) }' ||
    fail "the figure is not upright in the middle with its head where the start view has it"
# Under its feet: the grey of a cloud, not the blue of the sky.
blueness=$(convert "$picture" -crop 120x40+$(((left + right) / 2 - 60))+$((bottom + 10)) +repage \
    -format '%[fx:mean.b - mean.r]' info:)
echo "under the figure: blue exceeds red by $blueness"
awk -v b="$blueness" 'BEGIN { exit !(b < 0.1) }' || fail "the figure does not stand on a cloud"
# The overlay's letters are white; the sky behind them is not.
for region in "help 500x270+0+0 500" "frame-rate 200x40+0+860 50"; do
    read -r name geometry least <<<"$region"
    white=$(convert "$picture" -crop "$geometry" +repage -fx 'r > 0.85 && g > 0.85 && b > 0.85' \
        -format '%[fx:round(mean * w * h)]' info:)
    echo "the $name region holds $white white pixels"
    [ "$white" -ge "$least" ] || fail "no $name text in the picture"
done
echo "PASS"
