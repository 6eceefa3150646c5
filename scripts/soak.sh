#!/usr/bin/env bash
# Soak run: the real game under Xvfb for a while with random input (movement, jump, every
# function key, pause, reset, mouse motion and wheel; a fixed seed), checking that it never
# crashes, never reports a GL error, and that its resident memory stops growing after warm-up.
# Usage: scripts/soak.sh [SECONDS (600)] [GAME (build-test/src/vantor)] [DATA (data)]
# A deterministic warm-up (every setting, both zoom ends, every direction of view; under a minute)
# comes first, then SECONDS of random input. From the first minute of that on (20 s for runs under
# five minutes) the resident set may grow by less than VANTOR_SOAK_GROWTH_KB (2048).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
duration=${1:-600}
game=$(realpath "${2:-$root/build-test/src/vantor}")
data=$(realpath "${3:-$root/data}")
allowed_growth_kb=${VANTOR_SOAK_GROWTH_KB:-2048}
warmup=60
[ "$duration" -ge 300 ] || warmup=20
seed=8

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1600x900x24" "$0" "$duration" "$game" "$data"
fi
# The end-to-end tests' way to start the game, find its window and see it end.
source "$root/tests/e2e/e2e_lib.sh"

# The C library raises its threshold for serving large blocks from fresh pages each time such a
# block is freed, and from then on keeps the freed large blocks (a frame's big scratch buffers)
# in the heap: the resident set then climbs for minutes while the heap in use stays flat. A fixed
# threshold makes the resident set follow the memory in use, which is what a leak grows.
# VANTOR_SOAK_MMAP_THRESHOLD=default leaves the allocator as it is.
allocator_env=()
mmap_threshold=${VANTOR_SOAK_MMAP_THRESHOLD:-131072}
[ "$mmap_threshold" = default ] || allocator_env=("MALLOC_MMAP_THRESHOLD_=$mmap_threshold")

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0; }

# rss_by_kind: the resident set split by what backs it, to tell where growth sits: the heap, other
# anonymous memory (the C library's large blocks, and the software renderer's compiled shaders
# among others), and mapped files. Read from /proc like the rest: the game is only ever watched
# from outside, never stopped or called into.
rss_by_kind() {
    awk '/^[0-9a-f]+-[0-9a-f]+ / { kind = ($6 == "[heap]") ? "heap" : ($6 ~ /^\// ? "files" : "anonymous") }
         /^Rss:/ { kb[kind] += $2 }
         END { printf "heap %d kB, anonymous %d kB, files %d kB", kb["heap"], kb["anonymous"], kb["files"] }' \
        "/proc/$pid/smaps" 2>/dev/null || true
}

start_game "$game" "$data" "${allocator_env[@]}"
wait_for_window
pid=$game_pid
# Mouse motion reaches a disabled-cursor window only once it has the focus.
xdotool windowfocus --sync "$window" 2>/dev/null || true

# hold KEY SECONDS: down, wait, up (a frame takes a good part of a second in software, so a key
# must stay down long enough for a frame to see it).
hold() {
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
}

# Warm-up visits the extremes first: the allocators (the driver's included) keep the high-water
# mark of the heaviest frames seen while the heap in use stays flat, so every setting, both ends
# of the zoom and every direction of view come before the measurement starts.
warm_up() {
    local key press
    # Each function key goes round all its states and back to the default.
    local -A function_key_states=([F1]=2 [F2]=2 [F3]=2 [F4]=2 [F5]=2 [F6]=2 [F7]=4 [F8]=2
        [F9]=2 [F10]=3)
    xdotool click --repeat 12 --delay 50 4
    sleep 1
    xdotool click --repeat 24 --delay 50 5
    sleep 1
    xdotool click --repeat 12 --delay 50 4
    for key in "${!function_key_states[@]}"; do
        for ((press = 0; press < function_key_states[$key]; press++)); do
            hold "$key" 0.6
            sleep 0.2
        done
    done
    hold p 0.6
    sleep 0.5
    hold p 0.6
    # A full turn of the camera, up and down, a short walk each way, a jump and a reset.
    for _ in $(seq 22); do
        xdotool mousemove_relative -- 100 0
        sleep 0.25
    done
    xdotool mousemove_relative -- 0 -200
    sleep 0.5
    xdotool mousemove_relative -- 0 400
    sleep 0.5
    xdotool mousemove_relative -- 0 -200
    for key in w s a d space; do
        hold "$key" 0.8
    done
    hold r 0.6
}

RANDOM=$seed
movement=(w a s d space)
function_keys=(F1 F2 F3 F4 F5 F6 F7 F8 F9 F10)
warm_rss=""
max_rss=0
first_rss=$(rss_kb)
samples=0
trail=""
warm_kinds=""
measured=()

warm_up
start=$SECONDS
next_sample=$start
while [ $((SECONDS - start)) -lt "$duration" ]; do
    game_running || break
    case $((RANDOM % 10)) in
        0 | 1 | 2) hold "${movement[RANDOM % ${#movement[@]}]}" "0.$((3 + RANDOM % 7))" ;;
        3) hold "${function_keys[RANDOM % ${#function_keys[@]}]}" 0.6 ;;
        4) hold p 0.6 ;;
        5) hold r 0.4 ;;
        6 | 7)
            xdotool mousemove_relative -- $((RANDOM % 201 - 100)) $((RANDOM % 61 - 30))
            sleep 0.2
            ;;
        8)
            xdotool click $((4 + RANDOM % 2))
            sleep 0.2
            ;;
        9) sleep 0.5 ;;
    esac
    if [ $SECONDS -ge $next_sample ]; then
        rss=$(rss_kb)
        [ $((samples % 15)) -ne 0 ] || trail+=" $((SECONDS - start))s:$((rss / 1024))M"
        samples=$((samples + 1))
        next_sample=$((SECONDS + 2))
        if [ $((SECONDS - start)) -ge $warmup ]; then
            [ -n "$warm_kinds" ] || warm_kinds=$(rss_by_kind)
            measured+=("$rss")
            [ "$rss" -le "$max_rss" ] || max_rss=$rss
        fi
    fi
done
game_running || fail "the game ended by itself after $((SECONDS - start))s"
end_kinds=$(rss_by_kind)
end_rss=$(rss_kb)
measured+=("$end_rss")
[ "$end_rss" -le "$max_rss" ] || max_rss=$end_rss
# A frame's scratch buffers come and go between samples: each end is judged by the lowest of its
# three samples.
lowest() { printf '%s\n' "$@" | sort -n | head -n 1; }
warm_rss=$(lowest "${measured[@]:0:3}")
tail_from=$((${#measured[@]} > 3 ? ${#measured[@]} - 3 : 0))
settled_rss=$(lowest "${measured[@]:tail_from}")

# Escape ends the loop after the frame in flight; a pause does not stop it.
xdotool keydown Escape
wait_for_exit
xdotool keyup Escape

echo "soak: warm-up, then ${duration}s of random input (seed $seed), $samples memory samples"
echo "soak: resident memory at start ${first_rss} kB, ${warmup}s into the random input ${warm_rss} kB," \
    "at the end ${settled_rss} kB, highest in between ${max_rss} kB (large-block threshold: $mmap_threshold)"
echo "soak: resident memory every 30 s of random input:$trail"
growth=$((settled_rss - warm_rss))
echo "soak: resident growth after warm-up $growth kB (allowed under $allowed_growth_kb kB)"
output=$(grep -v -e '^loading shader: ' -e '^The file for loadTexture was successfully opened ' \
    "$game_log" || true)
[ -z "$output" ] || printf 'soak: game output besides the loading lines:\n%s\n' "$output"
[ "$game_status" = 0 ] || fail "exit status after Escape was $game_status"
! grep -q 'gl error detected: ' "$game_log" || fail "the game reported GL errors"
[ -z "$warm_kinds" ] || echo "soak: resident set after warm-up: $warm_kinds; at the end: $end_kinds"
[ "$growth" -lt "$allowed_growth_kb" ] || fail "resident memory grew by $growth kB after warm-up"
echo "PASS"
