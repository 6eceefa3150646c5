#!/usr/bin/env bash
# A missing text fragment shader is a fatal start-up error: its path, the failure line, and
# status 255 at once, since standard input is not a terminal.
# Usage: missing_shader_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

data=$work/data
cp -r "$2" "$data"
rm "$data/Shader/TextShader.frag"

start_game "$1" "$data"
wait_for_exit
[ "$game_status" = 255 ] || fail "exit status was $game_status, not 255"
last_two=$(tail -n 2 "$game_log")
expected=$'loading shader: Shader/TextShader.frag\nfailed to open shader file'
[ "$last_two" = "$expected" ] || fail "the output does not end with the shader's path and failure line"
echo "PASS"
