#!/usr/bin/env python3
"""What the X server knows about the running game, read from outside it: each frame the game
shows (damage reports on its window), the pixels of a region, whether the pointer is drawn and
held, and the figure's markers in a screenshot; and a window manager's close request. Nothing
here reaches into the game's process.

Usage (inside the game's X server):
  screen_probe.py frames WINDOW COUNT          waits until the window has shown COUNT more frames
  screen_probe.py still WINDOW                 waits until the window's picture stops changing
  screen_probe.py hold WINDOW GEOMETRY N KEY...  holds the keys until a frame shows more than N
                                               pixels of the region changed
  screen_probe.py drop WINDOW GEOMETRY KEY     taps KEY, then reports the world time from the
                                               first frame that moved the region to the last
                                               (then a line on each frame)
  screen_probe.py cursor                       "shown" or "hidden": the pointer's current image
  screen_probe.py pointer                      "held" while a client holds the pointer, or "free"
  screen_probe.py close WINDOW                 asks the window to close, as a window manager does
  screen_probe.py figure PNG [GEOMETRY]        the figure's orange markers: their box and lean
  screen_probe.py shift A B GEOMETRY x|y       how far the region's picture moved from A to B
Exit status 1 with a line on standard output when what was waited for did not come.
"""
import atexit
import ctypes
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


class Display:
    """One connection to the X server named by DISPLAY, through the C libraries."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
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
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        atexit.register(self.x11.XCloseDisplay, self.handle)
        for name, restype, argtypes in [
            ("XFlush", ctypes.c_int, []),
            ("XSync", ctypes.c_int, [ctypes.c_int]),
            ("XPending", ctypes.c_int, []),
            ("XConnectionNumber", ctypes.c_int, []),
            ("XNextEvent", ctypes.c_int, [ctypes.c_void_p]),
            ("XGetImage", ctypes.c_void_p, [ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                           ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong,
                                           ctypes.c_int]),
            ("XKeysymToKeycode", ctypes.c_ubyte, [ctypes.c_ulong]),
            ("XFree", ctypes.c_int, None),
            ("XGetGeometry", ctypes.c_int, [ctypes.c_ulong] + [ctypes.c_void_p] * 7),
            ("XDestroyImage", ctypes.c_int, None),
            ("XStringToKeysym", ctypes.c_ulong, None),
        ]:
            function = getattr(self.x11, name)
            function.restype = restype
            # The display comes first, except for the calls on a pointer or a name alone.
            function.argtypes = ([ctypes.c_void_p] + argtypes if argtypes is not None else
                                 [ctypes.c_char_p if name == "XStringToKeysym" else
                                  ctypes.c_void_p])


class Frames:
    """The frames a window shows, as the X server reports drawing into it: each request that draws
    is reported with the server's time, and the reports of one buffer swap come together. Times
    are the server's, not those at which this process got round to reading them."""

    REPORT_RAW_RECTANGLES = 0

    def __init__(self, display, window):
        self.display = display
        damage = ctypes.CDLL("libXdamage.so.1")
        event_base, error_base = ctypes.c_int(), ctypes.c_int()
        damage.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                                 ctypes.POINTER(ctypes.c_int)]
        if not damage.XDamageQueryExtension(display.handle, ctypes.byref(event_base),
                                            ctypes.byref(error_base)):
            fail("screen_probe: the X server has no damage extension")
        damage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        damage.XDamageCreate.restype = ctypes.c_ulong
        self.notify = event_base.value
        self.window = window
        damage.XDamageCreate(display.handle, window, self.REPORT_RAW_RECTANGLES)
        display.x11.XFlush(display.handle)
        self.event = (ctypes.c_long * 24)()
        self.pending = None  # the first report of the next swap, read while finishing the last

    def report(self, deadline):
        """The server time in milliseconds of the next damage report, or None at the deadline."""
        x11, handle = self.display.x11, self.display.handle
        while True:
            while x11.XPending(handle):
                x11.XNextEvent(handle, self.event)
                if ctypes.cast(self.event, ctypes.POINTER(ctypes.c_int))[0] == self.notify:
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
        fields = ctypes.cast(image, ctypes.POINTER(ctypes.c_int))
        data = ctypes.cast(image, ctypes.POINTER(ctypes.c_void_p))[2]
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


def hold(window, geometry, least, keys):
    """Holds the keys down from one frame until a frame shows more than `least` pixels of the
    region changed (counted on a grid where the region is large), then lets them go."""
    display = Display()
    frames = Frames(display, window)
    step = sampling(geometry)
    before = frames.grab(geometry, step)
    for key in keys:
        press(display, key, True)
    deadline = time.monotonic() + WAIT_LIMIT
    count = 0
    try:
        while count * step * step <= least:
            if frames.next(deadline) is None:
                fail("%s did not change region %dx%d+%d+%d (%d pixels)" % (
                    " ".join(keys), *geometry, count * step * step))
            count = changed(before, frames.grab(geometry, step))
    finally:
        for key in keys:
            press(display, key, False)


def still(window):
    """Waits until the window's picture has stayed as it was over five frames and a second:
    on a grid of every 4th pixel, no more than 20 samples (a frame-rate line's digits) differ
    from the first of those frames."""
    display = Display()
    frames = Frames(display, window)
    size = [ctypes.c_uint() for _ in range(4)]
    position = [ctypes.c_int(), ctypes.c_int()]
    root = ctypes.c_ulong()
    display.x11.XGetGeometry(display.handle, window, ctypes.byref(root),
                             *(ctypes.byref(v) for v in position),
                             *(ctypes.byref(v) for v in size))
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
    xtest = ctypes.CDLL("libXtst.so.6")
    xtest.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                        ctypes.c_ulong]
    code = display.x11.XKeysymToKeycode(display.handle, display.x11.XStringToKeysym(key.encode()))
    xtest.XTestFakeKeyEvent(display.handle, code, 1 if down else 0, 0)
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


def cursor():
    display = Display()
    fixes = ctypes.CDLL("libXfixes.so.3")
    fixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    fixes.XFixesGetCursorImage.restype = ctypes.c_void_p
    image = fixes.XFixesGetCursorImage(display.handle)
    if not image:
        fail("cursor: the X server gave no cursor image")
    shorts = ctypes.cast(image, ctypes.POINTER(ctypes.c_ushort))
    width, height = shorts[2], shorts[3]
    # x, y, width, height, xhot, yhot (six shorts), the serial, then the pixel pointer.
    pixels = ctypes.cast(ctypes.cast(image, ctypes.POINTER(ctypes.c_void_p))[3],
                         ctypes.POINTER(ctypes.c_ulong))
    drawn = any(pixels[i] >> 24 for i in range(width * height))
    display.x11.XFree(image)
    print("shown" if drawn else "hidden")


def pointer_held():
    """Whether some client holds the pointer: a grab of our own is refused while another lasts.
    Ours, where it succeeds, is let go at once; it takes no event from anyone."""
    display = Display()
    x11 = display.x11
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XGrabPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_uint,
                                 ctypes.c_int, ctypes.c_int, ctypes.c_ulong, ctypes.c_ulong,
                                 ctypes.c_ulong]
    x11.XUngrabPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    grab_success, grab_mode_async = 0, 1
    status = x11.XGrabPointer(display.handle, x11.XDefaultRootWindow(display.handle), 0, 0,
                              grab_mode_async, grab_mode_async, 0, 0, 0)
    if status == grab_success:
        x11.XUngrabPointer(display.handle, 0)
        x11.XFlush(display.handle)
    print("free" if status == grab_success else "held")


def close(window):
    """What a window manager's close button sends: a WM_DELETE_WINDOW client message."""
    display = Display()
    x11 = display.x11
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    atom = lambda name: x11.XInternAtom(display.handle, name, 0)
    client_message, format_32 = 33, 32
    # The longs of a 64-bit XClientMessageEvent: type, serial, send_event, display, window,
    # message_type, format, then the data.
    event = (ctypes.c_long * 24)(client_message, 0, 0, 0, window, atom(b"WM_PROTOCOLS"),
                                 format_32, atom(b"WM_DELETE_WINDOW"))
    x11.XSendEvent(display.handle, window, 0, 0, event)
    x11.XFlush(display.handle)


def read_png(path):
    # The image tools write the header as three lines: "P6", the size, the largest value.
    ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True,
                         check=True).stdout
    _, size, _, pixels = ppm.split(b"\n", 3)
    width, height = (int(n) for n in size.split())
    return width, height, pixels


def is_marker(r, g, b):
    """The orange of the figure's stripes and bands, shaded or in full sun, which nothing else in
    the scene has: a strong colour (blue far below red) with a hue between 15 and 55 degrees."""
    if r < 60 or b > 0.45 * r:
        return False
    hue = 60.0 * (g - b) / (r - b)
    return 15.0 <= hue <= 55.0


def region_pixels(path, geometry):
    """(x, y, r, g, b) of each pixel of the region (the whole picture when none is given)."""
    width, height, pixels = read_png(path)
    w, h, x0, y0 = geometry or (width, height, 0, 0)
    for y in range(y0, min(y0 + h, height)):
        row = pixels[3 * (y * width):3 * ((y + 1) * width)]
        for x in range(x0, min(x0 + w, width)):
            yield x, y, row[3 * x], row[3 * x + 1], row[3 * x + 2]


def figure(path, geometry=None):
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
    if args[:1] == ["frames"] and len(args) == 3:
        wait_frames(int(args[1], 0), int(args[2]))
    elif args[:1] == ["hold"] and len(args) >= 5:
        hold(int(args[1], 0), parse_geometry(args[2]), int(args[3]), args[4:])
    elif args[:1] == ["still"] and len(args) == 2:
        still(int(args[1], 0))
    elif args[:1] == ["drop"] and len(args) == 4:
        drop(int(args[1], 0), parse_geometry(args[2]), args[3])
    elif args == ["cursor"]:
        cursor()
    elif args == ["pointer"]:
        pointer_held()
    elif args[:1] == ["close"] and len(args) == 2:
        close(int(args[1], 0))
    elif args[:1] == ["figure"] and len(args) in (2, 3):
        figure(args[1], parse_geometry(args[2]) if len(args) == 3 else None)
    elif args[:1] == ["shift"] and len(args) == 5 and args[4] in ("x", "y"):
        shift(args[1], args[2], parse_geometry(args[3]), args[4])
    else:
        fail(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
