#!/usr/bin/env bash
# Every data file the game reads, damaged four ways (missing, empty, cut to half, random bytes of
# the same size): a bad shader must end the game with its lines and 255; any other bad file must
# be named in a message while the game still opens, draws and quits 0 on Escape. Never a signal,
# a hang, a "gl error detected" line, or a new line that does not name the damaged file.
# Usage: fault_matrix_test.sh GAME DATA_DIR   (VANTOR_FAULT_ONLY=REGEX limits the files;
# VANTOR_FAULT_WORKERS sets how many cases run at once, each on its own X server)
source "$(dirname "$0")/e2e_lib.sh"

game=$(realpath "$1")
pristine=$(realpath "$2")
workers=${VANTOR_FAULT_WORKERS:-2}
cases=(missing empty truncated random)
# Seeds the random contents; the same file gets the same bytes on every run.
random_seed=8

# Every file the game reads, relative to the data folder.
data_files() {
    (cd "$pristine" && find Models Shader -type f \( -name '*.obj' -o -name '*.mtl' -o \
        -name '*.jpg' -o -name '*.png' -o -name '*.tga' -o -name '*.lvl' -o \
        -name '*.vert' -o -name '*.frag' \) | LC_ALL=C sort)
}

# damage DATA FILE CASE
damage() {
    local target=$1/$2 size
    size=$(stat -c %s "$pristine/$2")
    case $3 in
        missing) rm "$target" ;;
        empty) : >"$target" ;;
        truncated) head -c $((size / 2)) "$pristine/$2" >"$target" ;;
        random)
            python3 -c 'import random, sys
r = random.Random(sys.argv[1] + sys.argv[2])
sys.stdout.buffer.write(r.randbytes(int(sys.argv[3])))' "$random_seed" "$2" "$size" >"$target"
            ;;
    esac
}

# names FILE: what a message about the file may call it. The model reader opens a material library
# on behalf of a model, so a message naming such a model counts for its library too.
names() {
    basename "$1"
    if [[ $1 == *.mtl ]]; then
        (cd "$pristine" && grep -lxF "mtllib $(basename "$1")" Models/*.obj || true)
    fi
}

# Lines of a run that a healthy run does not print.
new_lines() { grep -vxF -f "$baseline" "$1" || true; }

# wait_running_frame LOG PID: the window shows a frame; false (with a reason) if the game ends.
wait_running_frame() {
    local pid=$1 shot=$2 deadline=$((SECONDS + wait_limit))
    while [ $SECONDS -lt $deadline ]; do
        kill -0 "$pid" 2>/dev/null || { reason="ended before drawing a frame"; return 1; }
        if xdotool search --name '^Vantor$' >/dev/null 2>&1; then
            import -window root -resize 12% "$shot" 2>/dev/null &&
                [ "$(convert "$shot" -format '%[fx:maxima]' info:)" != 0 ] && return 0
        fi
        sleep 0.25
    done
    reason="no frame after ${wait_limit}s"
    return 1
}

# finish PID: holds Escape until the game ends; sets status, or reason when it hangs.
finish() {
    local pid=$1 deadline=$((SECONDS + wait_limit))
    xdotool keydown Escape
    while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
        sleep 0.1
    done
    xdotool keyup Escape
    if kill -0 "$pid" 2>/dev/null; then
        kill -9 "$pid"
        wait "$pid" 2>/dev/null || true
        reason="still running ${wait_limit}s after Escape"
        return 1
    fi
    status=0
    wait "$pid" || status=$?
}

# run_case DATA FILE CASE LOG: prints "FILE CASE ok|FAIL outcome". The window opens before any
# data file is read, so a game that could not reach the X server (a loaded machine's server now
# and then refuses a connection) failed for the machine, not the file: that case runs again.
run_case() {
    local verdict
    verdict=$(run_case_once "$@")
    if [[ $verdict == *" FAIL "* ]] && grep -qxE 'failed to init glfw|failed to open window' "$4"; then
        verdict=$(run_case_once "$@")
    fi
    echo "$verdict"
}

run_case_once() {
    local data=$1 file=$2 kind=$3 log=$4 pid status=0 reason="" outcome
    damage "$data" "$file" "$kind"
    (cd "$data" && exec "$game" >"$log" 2>&1 </dev/null) &
    pid=$!
    if [[ $file == Shader/* ]]; then
        local deadline=$((SECONDS + wait_limit))
        while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.05; done
        if kill -0 "$pid" 2>/dev/null; then
            kill -9 "$pid"
            reason="still running after ${wait_limit}s"
        fi
        wait "$pid" || status=$?
        local loading failure
        loading=$(grep '^loading shader: ' "$log" | tail -n 2)
        failure=$(grep -E -m1 '^(failed to open shader file|failed to create shader|Failed to compile shader|Failed to link shader program)$' "$log" || true)
        outcome="status $status, ${failure:-no failure line}"
        [ -z "$reason" ] || outcome="$reason"
        if [ "$status" = 255 ] && [ -n "$failure" ] && grep -qxF "loading shader: $file" <<<"$loading"; then
            echo "$file $kind ok $outcome"
        else
            echo "$file $kind FAIL $outcome"
        fi
    else
        if wait_running_frame "$pid" "$log.png" && finish "$pid"; then
            outcome="drew, status $status"
        else
            kill -9 "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || status=$?
            outcome="$reason (status $status)"
        fi
        local fresh stray named patterns
        fresh=$(new_lines "$log")
        patterns=$(names "$file")
        named=$(grep -cF -- "$patterns" <<<"$fresh" || true)
        stray=$(grep -vF -- "$patterns" <<<"$fresh" | grep -v '^$' || true)
        if [ -z "$reason" ] && [ "$status" = 0 ] && [ "$named" -gt 0 ] && [ -z "$stray" ]; then
            echo "$file $kind ok $outcome, $named line(s) naming it"
        else
            echo "$file $kind FAIL $outcome, $named line(s) naming it${stray:+; stray: $(head -n 3 <<<"$stray" | tr '\n' '|')}"
        fi
    fi
    cp -p "$pristine/$file" "$data/$file" 2>/dev/null || cp "$pristine/$file" "$data/$file"
}

# worker INDEX: runs every workers-th case on its own X server and data copy.
worker() {
    local index=$1 data=$work/data-$1 logs=$work/logs-$1 n=0
    cp -r "$pristine" "$data"
    mkdir -p "$logs"
    Xvfb -displayfd 3 -screen 0 1600x900x24 -nolisten tcp 3>"$work/display-$index" 2>/dev/null &
    local xvfb_pid=$! deadline=$((SECONDS + 10))
    echo "$xvfb_pid" >"$work/xvfb-$index.pid"
    until grep -q '^[0-9]' "$work/display-$index" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || { echo "worker $index: no X server" >&2; return 1; }
        sleep 0.05
    done
    export DISPLAY=:$(head -n 1 "$work/display-$index")
    while read -r file; do
        for kind in "${cases[@]}"; do
            if [ $((n % workers)) -eq "$index" ]; then
                run_case "$data" "$file" "$kind" "$logs/$n.log"
            fi
            n=$((n + 1))
        done
    done < <(data_files | grep -E -- "${VANTOR_FAULT_ONLY:-.}")
    kill "$xvfb_pid" 2>/dev/null || true
}

# The workers' X servers go with the test, however it ends.
stop_servers() {
    local file
    for file in "$work"/xvfb-*.pid; do
        [ -e "$file" ] && kill "$(cat "$file")" 2>/dev/null || true
    done
    cleanup
}
trap stop_servers EXIT

# A healthy run's lines, and a check that it is healthy.
baseline=$work/baseline.log
start_game "$game" "$pristine"
wait_for_window
wait_for_first_frame
xdotool keydown Escape
wait_for_exit
xdotool keyup Escape
cp "$game_log" "$baseline"
[ "$game_status" = 0 ] || fail "the undamaged game ended with $game_status"
! grep -q 'gl error detected' "$baseline" || fail "the undamaged game reports GL errors"

started=$SECONDS
for ((i = 0; i < workers; i++)); do
    worker "$i" >"$work/results-$i" &
done
wait
sort -k1,2 "$work"/results-* >"$work/results"
column -t -l 4 "$work/results" 2>/dev/null || cat "$work/results"
total=$(wc -l <"$work/results")
failed=$(grep -c ' FAIL ' "$work/results" || true)
echo "$total cases in $((SECONDS - started))s, $failed failed"
if [ "$total" -eq 0 ] || [ "$failed" -ne 0 ]; then
    echo "FAIL: $failed of $total cases failed"
    exit 1
fi
echo "PASS"
