#!/usr/bin/env bash
# The sanitizer build of the game, briefly: the frame-rate and help lines, a walk, a jump, pause
# and resume, a reset, each held until the screen shows a frame has read it, then Escape. Any
# sanitizer report, GL error or exit status but 0 fails it.
# Usage: sanitized_run.sh GAME DATA_DIR   (run by scripts/sanitize.sh, not by ctest)
source "$(dirname "$0")/e2e_lib.sh"

# The GL driver is loaded when the window opens and unloaded when it closes, before the leak
# check at exit: its own allocations then show as leaks from an unknown module, which no
# suppression can name. Preloaded, it stays mapped, and what it still holds is reachable.
driver=$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1 || true)
start_to_rest "$1" "$2" ${driver:+LD_PRELOAD=$driver} \
    "ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}:verify_asan_link_order=0"
# A pause shows only through the help block toggled with it.
for keys in F2 F1 w space "p F1" "p F1" r; do
    hold_until_changed "$keys" 1600x900+0+0
done
quit_with_escape
! grep -E -m 5 'ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: ' "$game_log" ||
    fail "the sanitizers reported the above"
expect_clean_exit Escape
echo "PASS: the sanitized game ran, took keys and quit cleanly"
