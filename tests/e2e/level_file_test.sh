#!/usr/bin/env bash
# The level file as the real game reads it: the shipped course saved with Windows (CR LF) and with
# old Mac (CR) line ends, a few bad records added at its end, builds the same course as the file
# as shipped (the same start picture), and the loader prints the parser's line for each bad
# record in file order, naming the file and the record's line, whatever the line ends.
# Usage: level_file_test.sh GAME DATA_DIR   (the parser's own cases: unit level_parser_test)
source "$(dirname "$0")/e2e_lib.sh"

game=$1
pristine=$(realpath "$2")
data=$work/data
mkdir -p "$data/Models"
ln -s "$pristine/Shader" "$data"
ln -s "$pristine"/Models/* "$data/Models"
rm "$data/Models/level.lvl"
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

# start_picture NAME: the game on the level file as it is now, its still start picture in
# NAME.png, and what it printed about the level file.
start_picture() {
    start_game "$game" "$data"
    wait_for_window
    wait_for_first_frame
    wait_still
    shot "$work/$1.png"
    xdotool keydown Escape
    wait_for_exit
    xdotool keyup Escape
    [ "$game_status" = 0 ] || fail "$1: exit status after Escape was $game_status, not 0"
    level_lines=$(grep '^Models/level.lvl' "$game_log" || true)
}

cp "$pristine/Models/level.lvl" "$level"
start_picture shipped
[ -z "$level_lines" ] || fail "the shipped level file has faults: $level_lines"

for ends in "CR LF" CR; do
    { cat "$pristine/Models/level.lvl" && printf '%s' "$bad_records"; } |
        if [ "$ends" = CR ]; then tr '\n' '\r'; else sed 's/$/\r/'; fi >"$level"
    start_picture "${ends// /}"
    [ "$level_lines" = "$expected" ] ||
        fail "$ends line ends: the level lines were
$level_lines
and not
$expected"
    count=$(changed_pixels "$work/shipped.png" "$work/${ends// /}.png")
    echo "$ends line ends: the start picture differs from the shipped course's in $count pixels"
    # Where the falling figure comes to rest depends on the first frames' steps, by a few pixels.
    [ "$count" -le 50 ] || fail "$ends line ends: not the shipped course"
done
echo "PASS"
