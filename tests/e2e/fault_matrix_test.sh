#!/usr/bin/env bash
# Failures at start. Before any data is read, without a display and with a driver that offers no
# OpenGL 3.3 core context, the game prints its one line and ends with 255 without waiting, since
# standard input is not a terminal. Then one data file of each kind the game reads, damaged four
# ways (missing, empty, cut to half, random bytes of the same size), each case a start of the real
# game: a bad shader ends it with its path, a failure line and 255; any other bad file is named in
# every new line while the game still draws and quits 0 on Escape. Never a signal, a hang, or a
# "gl error detected" line.
# Usage: fault_matrix_test.sh GAME DATA_DIR   (the GL suites hold the finer cases of each loader)
source "$(dirname "$0")/e2e_lib.sh"

game=$1
pristine=$(realpath "$2")
# Mesa's software driver can be told to claim an older version, which rules out 3.3 core.
for case in "failed to init glfw|-u DISPLAY -u WAYLAND_DISPLAY" \
    "failed to open window|MESA_GL_VERSION_OVERRIDE=3.1"; do
    # shellcheck disable=SC2086 # the environment arguments are words
    start_game "$game" "$pristine" ${case#*|}
    wait_for_exit
    [ "$game_status" = 255 ] || fail "${case#*|}: exit status was $game_status, not 255"
    [ "$(cat "$game_log")" = "${case%%|*}" ] || fail "${case#*|}: the output is not '${case%%|*}'"
done

data=$work/data
cp -r "$pristine" "$data"
files=(Shader/TextShader.frag Models/level.lvl Models/Holstein.tga "Models/Mark 5.obj"
    Models/cloudPlatform.mtl Models/sky.jpg Models/cloud_texture_normal_map.jpg)
shader_failures='^(failed to open shader file|Failed to (compile shader|link shader program))$'

# damage FILE KIND: random bytes are seeded by the file's name, the same on every run.
damage() {
    local size
    size=$(stat -c %s "$pristine/$1")
    case $2 in
        missing) rm "$data/$1" ;;
        empty) : >"$data/$1" ;;
        truncated) head -c $((size / 2)) "$pristine/$1" >"$data/$1" ;;
        random) python3 -c 'import random, sys
sys.stdout.buffer.write(random.Random(sys.argv[1]).randbytes(int(sys.argv[2])))' "$1" "$size" \
            >"$data/$1" ;;
    esac
}

# run_to_escape: the game with Escape held from the moment its window exists; it loads every
# file, draws a frame, reads the key after it and ends after drawing the next.
run_to_escape() {
    start_game "$game" "$data"
    wait_for_window
    quit_with_escape
}

run_to_escape
expect_clean_exit "Escape on the undamaged data"
cp "$game_log" "$work/healthy.log"

failed=0
for file in "${files[@]}"; do
    # What a message may call the file: its name, or for a material library a model that uses it.
    names=$(basename "$file"
        cd "$pristine" && grep -lxF "mtllib $(basename "$file")" Models/*.obj || true)
    for kind in missing empty truncated random; do
        damage "$file" "$kind"
        if [[ $file == Shader/* ]]; then
            start_game "$game" "$data"
            wait_for_exit
            last=$(grep "^loading shader: " "$game_log" | tail -n 1 || true)
            next=$(grep -A 1 -xF "$last" "$game_log" | tail -n 1 || true)
            verdict="status $game_status, $last, then: ${next:-nothing}"
            [ "$game_status" = 255 ] && [ "$last" = "loading shader: $file" ] &&
                grep -qE "$shader_failures" <<<"$next" || verdict="FAIL: $verdict"
            # Nothing may follow a missing file's line; a compiler's log follows the others.
            [ "$kind" != missing ] || [ "$(tail -n 1 "$game_log")" = "$next" ] ||
                verdict="FAIL: $verdict"
        else
            run_to_escape
            new=$(grep -vxF -f "$work/healthy.log" "$game_log" || true)
            stray=$(grep -vF -- "$names" <<<"$new" || true)
            verdict="status $game_status, $(grep -c . <<<"$new" || true) new line(s)"
            verdict+=${stray:+", stray: $stray"}
            [ "$game_status" = 0 ] && [ -n "$new" ] && [ -z "$stray" ] || verdict="FAIL: $verdict"
        fi
        echo "$file $kind: $verdict"
        [[ $verdict != FAIL* ]] || failed=$((failed + 1))
        cp "$pristine/$file" "$data/$file"
    done
done
[ "$failed" = 0 ] || fail "$failed of $((${#files[@]} * 4)) cases failed"
echo "PASS"
