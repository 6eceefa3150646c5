#!/usr/bin/env python3
"""What the X server knows about the running game, read from outside it: each frame the game
shows (damage reports on its window), the pixels of a region, whether the pointer is drawn, and
the figure's markers in a screenshot. Nothing here reaches into the game's process.

Usage (inside the game's X server):
  screen_probe.py frames WINDOW COUNT          waits until the window has shown COUNT more frames
  screen_probe.py airtime WINDOW GEOMETRY KEY  holds KEY until the region moves, then reports the
                                               world time until it is still again
  screen_probe.py cursor                       "shown" or "hidden": the pointer's current image
  screen_probe.py pointer                      "held" while a client holds the pointer, or "free"
  screen_probe.py figure PNG [GEOMETRY]        the figure's orange markers: their box and lean
  screen_probe.py shift A B GEOMETRY x|y       how far the region's picture moved from A to B
Exit status 1 with a line on standard output when what was waited for did not come.
"""
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
# Damage reports closer together than this belong to one buffer swap.
SAME_SWAP = 0.01


def fail(message):
    print(message)
    sys.exit(1)


class Display:
    """One connection to the X server named by DISPLAY, through the C libraries."""

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.handle = self.x11.XOpenDisplay(None)
        if not self.handle:
            fail("screen_probe: cannot open the display " + os.environ.get("DISPLAY", "(unset)"))
        for name, restype, argtypes in [
            ("XFlush", ctypes.c_int, []),
            ("XPending", ctypes.c_int, []),
            ("XConnectionNumber", ctypes.c_int, []),
            ("XNextEvent", ctypes.c_int, [ctypes.c_void_p]),
            ("XGetImage", ctypes.c_void_p, [ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                           ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong,
                                           ctypes.c_int]),
            ("XKeysymToKeycode", ctypes.c_ubyte, [ctypes.c_ulong]),
            ("XFree", ctypes.c_int, None),
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
    """The frames a window shows: one damage report per buffer swap, taken as it comes."""

    REPORT_NON_EMPTY = 3

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
        damage.XDamageSubtract.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                           ctypes.c_ulong]
        self.damage = damage
        self.notify = event_base.value
        self.window = window
        self.region = damage.XDamageCreate(display.handle, window, self.REPORT_NON_EMPTY)
        display.x11.XFlush(display.handle)
        self.event = (ctypes.c_long * 24)()

    def next(self, deadline):
        """The time of the next swap, or None at the deadline."""
        x11, handle = self.display.x11, self.display.handle
        shown = None
        while True:
            while x11.XPending(handle):
                x11.XNextEvent(handle, self.event)
                if ctypes.cast(self.event, ctypes.POINTER(ctypes.c_int))[0] == self.notify:
                    shown = shown or time.monotonic()
                    self.damage.XDamageSubtract(handle, self.region, 0, 0)
                    x11.XFlush(handle)
            now = time.monotonic()
            if shown is not None and now - shown >= SAME_SWAP:
                return shown
            if now >= deadline:
                return None
            wait = SAME_SWAP if shown is not None else deadline - now
            select.select([x11.XConnectionNumber(handle)], [], [], wait)

    def grab(self, geometry):
        """The region's pixels as bytes, four per pixel, sampled on a grid of every 4th pixel."""
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
        return b"".join(raw[row * bytes_per_line + column:row * bytes_per_line + column + 4]
                        for row in range(0, height, 4) for column in range(0, 4 * width, 16))


def parse_geometry(text):
    size, x, y = text.split("+")
    width, height = size.split("x")
    return int(width), int(height), int(x), int(y)


def moved(a, b):
    """True when more than one sample in a hundred differs by more than a tenth of the range."""
    changed = sum(1 for i in range(0, len(a), 4)
                  if max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2])) > 25)
    return changed * 100 > len(a) // 4


def wait_frames(window, count):
    frames = Frames(Display(), window)
    deadline = time.monotonic() + WAIT_LIMIT
    for shown in range(count):
        if frames.next(deadline) is None:
            fail("screen_probe: %d of %d frames shown in %.0f s" % (shown, count, WAIT_LIMIT))


def press(display, key, down):
    xtest = ctypes.CDLL("libXtst.so.6")
    xtest.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                        ctypes.c_ulong]
    code = display.x11.XKeysymToKeycode(display.handle, display.x11.XStringToKeysym(key.encode()))
    xtest.XTestFakeKeyEvent(display.handle, code, 1 if down else 0, 0)
    display.x11.XFlush(display.handle)


def airtime(window, geometry, key):
    """Holds the key from one frame until the first frame in which the region moved, then follows
    the frames until the region has been still for half a second of world time (a jump's slowest
    part, at its top, is far shorter). The world time in between is what the game's clock gave
    those frames: each frame's interval, but no more than the longest step."""
    display = Display()
    frames = Frames(display, window)
    deadline = time.monotonic() + WAIT_LIMIT
    previous_time = frames.next(deadline)
    if previous_time is None:
        fail("airtime: no frame shown")
    previous = frames.grab(geometry)
    press(display, key, True)
    steps, first, last = [], None, None
    while first is None or sum(steps[last + 1:]) < 0.5:
        shown = frames.next(deadline)
        if shown is None:
            press(display, key, False)
            fail("airtime: the region %s never %s" % (
                "%dx%d+%d+%d" % geometry, "moved" if first is None else "came to rest"))
        image = frames.grab(geometry)
        steps.append(min(shown - previous_time, MAX_STEP))
        if moved(previous, image):
            if first is None:
                first = len(steps) - 1
                press(display, key, False)
            last = len(steps) - 1
        previous, previous_time = image, shown
    world = sum(steps[first:last + 1])
    print("%.3f %d %.3f" % (world, last - first + 1, max(steps[first:last + 1])))


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


def read_png(path):
    ppm = subprocess.run(["convert", path, "ppm:-"], capture_output=True, check=True).stdout
    header, offset = [], 0
    while len(header) < 4:
        while ppm[offset:offset + 1].isspace():
            offset += 1
        end = offset
        while not ppm[end:end + 1].isspace():
            end += 1
        header.append(ppm[offset:end])
        offset = end
    width, height = int(header[1]), int(header[2])
    return width, height, ppm[offset + 1:]


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
    elif args[:1] == ["airtime"] and len(args) == 4:
        airtime(int(args[1], 0), parse_geometry(args[2]), args[3])
    elif args == ["cursor"]:
        cursor()
    elif args == ["pointer"]:
        pointer_held()
    elif args[:1] == ["figure"] and len(args) in (2, 3):
        figure(args[1], parse_geometry(args[2]) if len(args) == 3 else None)
    elif args[:1] == ["shift"] and len(args) == 5 and args[4] in ("x", "y"):
        shift(args[1], args[2], parse_geometry(args[3]), args[4])
    else:
        fail(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
