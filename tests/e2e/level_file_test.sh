#!/usr/bin/env bash
# The level file as the real game reads it: the shipped course prints nothing about itself; saved
# with Windows (CR LF) and with old Mac (CR) line ends, a few bad records added at its end, it
# makes the loader print the parser's line for each bad record in file order, naming the file and
# the record's line, and nothing else about the file. That every kind of line end gives the same
# records: unit level_parser_test, which holds the parser's own cases.
# Usage: level_file_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

game=$1
pristine=$(realpath "$2")
data=$work/data
cp -r "$pristine" "$data"
level=$data/Models/level.lvl

n=$(wc -l <"$pristine/Models/level.lvl")
bad_records='p 1/2 0/0/0 1/1/1
e 0/0/0 1/0/1
# a note between them
p 0.5/0/0 0/0/0 1/1/1
e 0/0/0 1/1
p 1/1/1
  0/0/0'
expected="Models/level.lvl:$((n + 1)): p record skipped: expected '/' after the position y, found a space
Models/level.lvl:$((n + 2)): e record skipped: the scale y is 0
Models/level.lvl:$((n + 4)): p record skipped: expected '/' after the position x, found '.'
Models/level.lvl:$((n + 5)): e record skipped: expected '/' after the scale y, found the end of the line
Models/level.lvl:$((n + 7)): p record (from line $((n + 6))) skipped: expected an integer for the scale x, found the end of the file"

# run_game NAME: the game on the level file as it is now, to its first frame (the course is
# built before it) and Escape; what it printed about the level file.
run_game() {
    start_game "$game" "$data"
    wait_for_window
    wait_for_first_frame
    quit_with_escape
    expect_clean_exit "Escape ($1)"
    level_lines=$(grep 'level.lvl' "$game_log" || true)
}

run_game "the shipped level"
[ -z "$level_lines" ] || fail "the shipped level file has faults: $level_lines"

for ends in "CR LF" CR; do
    { cat "$pristine/Models/level.lvl" && printf '%s' "$bad_records"; } |
        if [ "$ends" = CR ]; then tr '\n' '\r'; else sed 's/$/\r/'; fi >"$level"
    run_game "$ends line ends"
    [ "$level_lines" = "$expected" ] ||
        fail "$ends line ends: the level lines were
$level_lines
and not
$expected"
    echo "$ends line ends: the loader's lines as expected"
done
echo "PASS"
