#!/usr/bin/env python3
"""What the X server knows about the running game, read from outside it: each frame the game
shows (damage reports on its window), the pixels of a region, whether the pointer is drawn and
held, and the figure's markers in a screenshot; and a window manager's close request. Nothing
here reaches into the game's process.

Usage (inside the game's X server; KEYS is one argument, the key names separated by spaces):
  screen_probe.py frames WINDOW COUNT          waits until the window has shown COUNT more frames
  screen_probe.py still WINDOW                 waits until the window's picture stops changing
  screen_probe.py hold WINDOW GEOMETRY N KEYS  holds the keys until a frame changes N pixels
  screen_probe.py tap WINDOW GEOMETRY N KEYS   the same for keys let go at once, between frames
  screen_probe.py drop WINDOW GEOMETRY KEY     the world time of the motion that a tap starts
  screen_probe.py pointer                      "shown"/"hidden" (its image), then "held"/"free"
  screen_probe.py close WINDOW                 asks the window to close, as a window manager does
  screen_probe.py figure PNG GEOMETRY          the figure's orange markers: their box and lean
  screen_probe.py shift A B GEOMETRY x|y       how far the region's picture moved from A to B
Exit status 1 with a line on standard output when what was waited for did not come.
"""
import atexit
import ctypes
import functools
from ctypes import (POINTER, byref, c_char_p, c_int, c_long, c_ubyte, c_uint, c_ulong, c_ushort,
                    c_void_p, cast)
import math
import os
import select
import subprocess
import sys
import time

# How long one wait may last, as in e2e_lib.sh.
WAIT_LIMIT = float(os.environ.get("VANTOR_E2E_WAIT", "40"))
# The longest step the world takes: a slower frame advances it this much and no more.
MAX_STEP = 0.2
# Damage reports closer together than this, in seconds, belong to one buffer swap.
SAME_SWAP = 0.005


def fail(message):
    print(message)
    sys.exit(1)


def declare(library, name, restype, *argtypes):
    """The library's C function, its result and argument types declared."""
    function = getattr(library, name)
    function.restype, function.argtypes = restype, list(argtypes)
    return function


class Display:
    """One connection to the X server named by DISPLAY, through the C libraries."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        declare(self.x11, "XOpenDisplay", c_void_p, c_char_p)
        # A loaded X server now and then refuses a connection: asked again, twice at most.
        for attempt in range(3):
            self.handle = self.x11.XOpenDisplay(None)
            if self.handle:
                break
            time.sleep(0.5)
        else:
            fail("screen_probe: cannot open the display " + os.environ.get("DISPLAY", "(unset)"))
        # Closed properly, after a round trip: requests still on their way when a connection
        # simply ends, with the server's events unread in it, can be dropped.
        atexit.register(declare(self.x11, "XCloseDisplay", c_int, c_void_p), self.handle)
        # The calls on the display: it comes first.
        for name, restype, *argtypes in [
            ("XFlush", c_int), ("XSync", c_int, c_int), ("XPending", c_int),
            ("XConnectionNumber", c_int), ("XNextEvent", c_int, c_void_p),
            ("XGetImage", c_void_p, c_ulong, c_int, c_int, c_uint, c_uint, c_ulong, c_int),
            ("XGetGeometry", c_int, c_ulong, *[c_void_p] * 7),
            ("XKeysymToKeycode", c_ubyte, c_ulong), ("XDefaultRootWindow", c_ulong),
            ("XGrabPointer", c_int, c_ulong, c_int, c_uint, c_int, c_int, c_ulong, c_ulong,
             c_ulong),
            ("XUngrabPointer", c_int, c_ulong), ("XInternAtom", c_ulong, c_char_p, c_int),
            ("XSendEvent", c_int, c_ulong, c_int, c_long, c_void_p),
        ]:
            declare(self.x11, name, restype, c_void_p, *argtypes)
        declare(self.x11, "XFree", c_int, c_void_p)
        declare(self.x11, "XDestroyImage", c_int, c_void_p)
        declare(self.x11, "XStringToKeysym", c_ulong, c_char_p)


class Frames:
    """The frames a window shows, as the X server reports drawing into it: each request that draws
    is reported with the server's time, and the reports of one buffer swap come together. Times
    are the server's, not those at which this process got round to reading them."""

    REPORT_RAW_RECTANGLES = 0

    def __init__(self, display, window):
        self.display = display
        damage = ctypes.CDLL("libXdamage.so.1")
        event_base, error_base = c_int(), c_int()
        query = declare(damage, "XDamageQueryExtension", c_int, c_void_p, POINTER(c_int),
                        POINTER(c_int))
        if not query(display.handle, byref(event_base), byref(error_base)):
            fail("screen_probe: the X server has no damage extension")
        self.notify = event_base.value
        self.window = window
        declare(damage, "XDamageCreate", c_ulong, c_void_p, c_ulong, c_int)(
            display.handle, window, self.REPORT_RAW_RECTANGLES)
        display.x11.XFlush(display.handle)
        self.event = (c_long * 24)()
        self.pending = None  # the first report of the next swap, read while finishing the last

    def report(self, deadline):
        """The server time in milliseconds of the next damage report, or None at the deadline."""
        x11, handle = self.display.x11, self.display.handle
        while True:
            while x11.XPending(handle):
                x11.XNextEvent(handle, self.event)
                if cast(self.event, POINTER(c_int))[0] == self.notify:
                    # As longs: type, serial, send_event, display, drawable, damage, level and
                    # more in one, then the time.
                    return self.event[7]
            wait = deadline - time.monotonic()
            if wait <= 0:
                return None
            select.select([x11.XConnectionNumber(handle)], [], [], wait)

    def next(self, deadline):
        """The server time in seconds of the next swap, or None at the deadline."""
        shown = self.pending if self.pending is not None else self.report(deadline)
        self.pending = None
        if shown is None:
            return None
        while True:
            following = self.report(time.monotonic() + SAME_SWAP)
            if following is None or following - shown > SAME_SWAP * 1000:
                self.pending = following
                return shown / 1000.0

    def grab(self, geometry, step=4):
        """The region's pixels on a grid of every step-th pixel each way: per row, the bytes of
        each colour channel (blue, green, red in the server's 32-bit pixels)."""
        width, height, x, y = geometry
        x11 = self.display.x11
        image = x11.XGetImage(self.display.handle, self.window, x, y, width, height,
                              0xFFFFFFFF, 2)  # all planes, ZPixmap
        if not image:
            fail("screen_probe: the region %dx%d+%d+%d cannot be read" % geometry)
        fields = cast(image, POINTER(c_int))
        data = cast(image, POINTER(c_void_p))[2]
        bytes_per_line = fields[11]  # four ints, the data pointer, five ints, then this
        raw = ctypes.string_at(data, bytes_per_line * height)
        x11.XDestroyImage(image)
        rows = (raw[row * bytes_per_line:row * bytes_per_line + 4 * width]
                for row in range(0, height, step))
        return [tuple(row[channel::4 * step] for channel in range(3)) for row in rows]


def parse_geometry(text):
    size, x, y = text.split("+")
    width, height = size.split("x")
    return int(width), int(height), int(x), int(y)


def changed(a, b):
    """How many samples of two grabs differ by more than a tenth of the range in any channel."""
    count = 0
    for row_a, row_b in zip(a, b):
        if row_a != row_b:
            count += sum(1 for pixel in zip(*row_a, *row_b)
                         if max(abs(pixel[c] - pixel[c + 3]) for c in range(3)) > 25)
    return count


def moved(a, b):
    """True when more than one sample in a hundred changed."""
    return changed(a, b) * 100 > len(a) * len(a[0][0])


def wait_frames(window, count):
    frames = Frames(Display(), window)
    deadline = time.monotonic() + WAIT_LIMIT
    for shown in range(count):
        if frames.next(deadline) is None:
            fail("screen_probe: %d of %d frames shown in %.0f s" % (shown, count, WAIT_LIMIT))


def sampling(geometry):
    """The grid step that keeps a region to about 150,000 samples, which a frame can spare."""
    return max(1, math.ceil(math.sqrt(geometry[0] * geometry[1] / 150000)))


def hold(window, geometry, least, keys, tap=False):
    """Holds the keys down from one frame until a frame shows more than `least` pixels of the
    region changed (counted on a grid where the region is large), then lets them go; or, for a
    tap, lets them go at once, well before the next frame, and waits for the same change."""
    display = Display()
    frames = Frames(display, window)
    step = sampling(geometry)
    before = frames.grab(geometry, step)

    def send(down):
        for key in keys:
            press(display, key, down)

    send(True)
    if tap:
        send(False)
    deadline = time.monotonic() + WAIT_LIMIT
    count = 0
    try:
        while count * step * step <= least:
            if frames.next(deadline) is None:
                fail("%s did not change region %dx%d+%d+%d (%d pixels)" % (
                    " ".join(keys), *geometry, count * step * step))
            count = changed(before, frames.grab(geometry, step))
    finally:
        if not tap:
            send(False)


def still(window):
    """Waits until the window's picture has stayed as it was over five frames and a second:
    on a grid of every 4th pixel, no more than 20 samples (a frame-rate line's digits) differ
    from the first of those frames."""
    display = Display()
    frames = Frames(display, window)
    root, position, size = c_ulong(), [c_int(), c_int()], [c_uint() for _ in range(4)]
    display.x11.XGetGeometry(display.handle, window, byref(root),
                             *(byref(v) for v in position + size))
    geometry = (size[0].value, size[1].value, 0, 0)
    deadline = time.monotonic() + WAIT_LIMIT
    reference, since, count = None, None, 0
    while count < 5 or shown - since < 1.0:
        shown = frames.next(deadline)
        if shown is None:
            fail("the picture never came to rest")
        image = frames.grab(geometry)
        if reference is None or changed(reference, image) > 20:
            reference, since, count = image, shown, 0
        else:
            count += 1


def press(display, key, down):
    """A key event as the keyboard would send it. It returns once the server has taken the event:
    a release still on its way when this process ends can be lost, and the key stays down."""
    fake = declare(ctypes.CDLL("libXtst.so.6"), "XTestFakeKeyEvent", c_int, c_void_p, c_uint,
                   c_int, c_ulong)
    code = display.x11.XKeysymToKeycode(display.handle, display.x11.XStringToKeysym(key.encode()))
    fake(display.handle, code, 1 if down else 0, 0)
    display.x11.XSync(display.handle, 0)


def drop(window, geometry, key):
    """Waits for three frames in a row that leave the region as it was, taps the key (pressed and
    let go at once: the game takes a tap as one press), and follows the frames until the region
    has been still for five frames and half a second of world time. Reports the world time from
    the first frame in which the region moved to the last: what the game's clock gave those
    frames, each frame's interval but no more than the longest step; then a line on each frame."""
    display = Display()
    frames = Frames(display, window)
    deadline = time.monotonic() + WAIT_LIMIT
    previous, previous_time, still = None, None, 0
    while still < 3:
        previous_time = frames.next(deadline)
        if previous_time is None:
            fail("drop: the region %dx%d+%d+%d was never still" % geometry)
        image = frames.grab(geometry)
        still = still + 1 if previous is not None and not moved(previous, image) else 0
        previous = image
    press(display, key, True)
    press(display, key, False)
    steps, motion = [], []
    while not steps or len(steps) - last < 6 or sum(steps[last + 1:]) < 0.5:
        shown = frames.next(deadline)
        if shown is None:
            fail("drop: the region %dx%d+%d+%d never %s" % (
                *geometry, "moved" if not steps else "came to rest"))
        image = frames.grab(geometry)
        if moved(previous, image) or steps:
            steps.append(min(shown - previous_time, MAX_STEP))
            motion.append(changed(previous, image))
            if moved(previous, image):
                last = len(steps) - 1
        previous, previous_time = image, shown
    print("%.3f %d %.3f" % (sum(steps[:last + 1]), last + 1, max(steps[:last + 1])))
    print("frames (step in ms, samples changed): " +
          " ".join("%.0f:%d" % (1000 * step, n) for step, n in zip(steps, motion)))


def pointer():
    """How the pointer is drawn, and whether some client holds it: a grab of our own is refused
    while another lasts. Ours, where it succeeds, is let go at once; it takes no event from
    anyone."""
    display = Display()
    x11 = display.x11
    image = declare(ctypes.CDLL("libXfixes.so.3"), "XFixesGetCursorImage", c_void_p,
                    c_void_p)(display.handle)
    if not image:
        fail("pointer: the X server gave no cursor image")
    shorts = cast(image, POINTER(c_ushort))
    width, height = shorts[2], shorts[3]
    # x, y, width, height, xhot, yhot (six shorts), the serial, then the pixel pointer.
    pixels = cast(cast(image, POINTER(c_void_p))[3], POINTER(c_ulong))
    drawn = any(pixels[i] >> 24 for i in range(width * height))
    x11.XFree(image)
    grab_success, grab_mode_async = 0, 1
    status = x11.XGrabPointer(display.handle, x11.XDefaultRootWindow(display.handle), 0, 0,
                              grab_mode_async, grab_mode_async, 0, 0, 0)
    if status == grab_success:
        x11.XUngrabPointer(display.handle, 0)
        x11.XFlush(display.handle)
    print(("shown" if drawn else "hidden") + (" free" if status == grab_success else " held"))


def close(window):
    """What a window manager's close button sends: a WM_DELETE_WINDOW client message."""
    display = Display()
    x11 = display.x11
    atom = lambda name: x11.XInternAtom(display.handle, name, 0)
    client_message, format_32 = 33, 32
    # The longs of a 64-bit XClientMessageEvent: type, serial, send_event, display, window,
    # message_type, format, then the data.
    event = (c_long * 24)(client_message, 0, 0, 0, window, atom(b"WM_PROTOCOLS"), format_32,
                          atom(b"WM_DELETE_WINDOW"))
    x11.XSendEvent(display.handle, window, 0, 0, event)
    x11.XFlush(display.handle)


def is_marker(r, g, b):
    """The orange of the figure's stripes and bands, shaded or in full sun, which nothing else in
    the scene has: a strong colour (blue far below red) with a hue between 15 and 55 degrees."""
    if r < 60 or b > 0.45 * r:
        return False
    hue = 60.0 * (g - b) / (r - b)
    return 15.0 <= hue <= 55.0


def region_pixels(path, geometry):
    """(x, y, r, g, b) of each pixel of the picture's region."""
    ppm = subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % geometry, "+repage",
                          "-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
    # The image tools write the header as three lines: "P6", the size, the largest value.
    _, size, _, pixels = ppm.split(b"\n", 3)
    width, x0, y0 = int(size.split()[0]), geometry[2], geometry[3]
    for i in range(0, len(pixels), 3):
        yield (x0 + i // 3 % width, y0 + i // 3 // width, *pixels[i:i + 3])


def figure(path, geometry):
    """The box around the figure's markers in the region, and its lean: the angle from the
    vertical of the line from the centre of the lowest quarter of the markers (the feet) to the
    centre of the highest quarter (the head's stripe)."""
    points = [(x, y) for x, y, r, g, b in region_pixels(path, geometry) if is_marker(r, g, b)]
    if len(points) < 4:
        print("none")
        return
    top = min(y for _, y in points)
    bottom = max(y for _, y in points)
    quarter = (bottom - top) / 4
    centre = lambda part: sum(x for x, _ in part) / len(part)
    head = centre([p for p in points if p[1] <= top + quarter])
    feet = centre([p for p in points if p[1] >= bottom - quarter])
    lean = math.degrees(math.atan2(head - feet, max(bottom - top, 1)))
    left = min(x for x, _ in points)
    right = max(x for x, _ in points)
    print("%d %d %d %d %.1f %d" % (left, top, right, bottom, lean, len(points)))


def shift(before, after, geometry, axis):
    """How far the picture in the region moved from one screenshot to the next along the axis
    (x or y): the offset at which the brightness profiles across that axis agree best. A turn or
    a tilt moves the far scene (sky, sun, the clouds ahead) nearly as one piece."""
    def profile(path):
        totals = {}
        for x, y, r, g, b in region_pixels(path, geometry):
            key = x if axis == "x" else y
            totals[key] = totals.get(key, 0) + r + g + b
        return [totals[key] for key in sorted(totals)]

    a, b = profile(before), profile(after)
    best, best_offset = None, 0
    for offset in range(-len(a) // 2, len(a) // 2 + 1):
        overlap = range(max(0, -offset), min(len(a), len(b) - offset))
        pairs = [(a[i], b[i + offset]) for i in overlap]
        mismatch = sum(abs(p - q) for p, q in pairs) / len(pairs)
        if best is None or mismatch < best:
            best, best_offset = mismatch, offset
    print(best_offset)


def main(args):
    window = functools.partial(int, base=0)
    axis = lambda text: text if text in ("x", "y") else fail(__doc__)
    commands = {  # each command's function, and how it reads each of its arguments
        "frames": (wait_frames, [window, int]),
        "still": (still, [window]),
        "hold": (hold, [window, parse_geometry, int, str.split]),
        "tap": (functools.partial(hold, tap=True), [window, parse_geometry, int, str.split]),
        "drop": (drop, [window, parse_geometry, str]),
        "pointer": (pointer, []),
        "close": (close, [window]),
        "figure": (figure, [str, parse_geometry]),
        "shift": (shift, [str, str, parse_geometry, axis]),
    }
    function, readers = commands.get(args[0] if args else "", (None, []))
    if function is None or len(args) != len(readers) + 1:
        fail(__doc__)
    function(*(read(text) for read, text in zip(readers, args[1:])))


if __name__ == "__main__":
    main(sys.argv[1:])
