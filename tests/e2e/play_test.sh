#!/usr/bin/env bash
# The real game in its data folder: a 1600x900 window titled Vantor; on the still start picture,
# F1 shows the help block, F2 the frame-rate line and W walks the figure; closing the window the
# way a window manager's close button does ends the game with status 0 and no GL error.
# Usage: play_test.sh GAME DATA_DIR
source "$(dirname "$0")/e2e_lib.sh"

start_game "$1" "$2"
wait_for_window
read -r _ size < <(xdotool getwindowgeometry "$window" | grep Geometry)
[ "$size" = 1600x900 ] || fail "window size is $size, not 1600x900"
wait_for_first_frame
wait_still
# The help block fills the top-left corner, the frame-rate line the bottom-left edge, and the
# figure stands in the middle.
hold_until_changed F1 1000x270+0+0
hold_until_changed F2 600x60+0+840
hold_until_changed w 400x225+600+337
python3 - "$window" <<'PY'
import ctypes, ctypes.util, sys
x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                           ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
display, window = x11.XOpenDisplay(None), int(sys.argv[1])
atom = lambda name: x11.XInternAtom(display, name, 0)
# The window manager's close request: a ClientMessage, here as the longs of a 64-bit XEvent
# (type, serial, send_event, display, window, message_type, format, then the data).
x11.XSendEvent(display, window, 0, 0, (ctypes.c_long * 24)(
    33, 0, 0, 0, window, atom(b"WM_PROTOCOLS"), 32, atom(b"WM_DELETE_WINDOW")))
x11.XCloseDisplay(display)  # sends what is queued
PY
wait_for_exit
[ "$game_status" = 0 ] || fail "exit status after closing the window was $game_status, not 0"
! grep -q 'gl error detected' "$game_log" || fail "the game reported GL errors"
echo "PASS"
