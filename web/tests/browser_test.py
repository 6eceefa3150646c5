#!/usr/bin/python3
"""The browser version in headless Chromium, driven through its driver with real browser input:
the game's page as a player meets it, the checks' page's views, and the page's own lines.

Usage: /usr/bin/python3 web/tests/browser_test.py SITE_DIR (what web/build.sh made; the
screenshots go beside it, to shots/). VANTOR_RENEW_WEB_REFERENCE=1 renews the browser's reference.
"""
import base64
import contextlib
import functools
import http.server
import io
import math
import os
import pathlib
import re
import sys
import tempfile
import threading
import time
import unittest

from PIL import Image, ImageChops, ImageStat
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SITE = os.path.join(ROOT, 'build-web/site')  # the command line's, when run as a program
SHOTS = os.path.join(ROOT, 'build-web/shots')
WEB_REFERENCE = os.path.join(ROOT, 'web/tests/reference')
DESKTOP_REFERENCE = os.path.join(ROOT, 'tests/fixtures/reference/start.png')
GALLERY = os.path.join(ROOT, 'docs/gallery')

WIDTH, HEIGHT = 1600, 900
SHRINK = 5  # references are 320 x 180, as the desktop's
# RMS on 0..1. The browser's own reference: the same rasteriser, about one and a half levels of
# 255. The desktop's pictures: another rasteriser (SwiftShader against llvmpipe) and another JPEG
# decoder (stb against the desktop's image library) differ by about 0.02 over the whole picture;
# twice that still tells a wrong pass or a missing object, which moves it by 0.1 and more.
BROWSER_TOLERANCE = 0.006
DESKTOP_TOLERANCE = 0.04
FIRST_FRAME_LIMIT_MS = 10000
WAIT_LIMIT = 120  # seconds for any one thing the page is to do; a frame takes seconds here
CHANGED_PIXELS = 200  # as the desktop's end-to-end checks
# A key's change of the picture against the desktop's: the least correlation, and how much
# larger or smaller it may be. The figure lands deeper or less deep with the frames' timing, which
# moves a shadow that comes back (F6 with F7): 0.5 was seen there, 0.8 to 1 elsewhere; a key
# without effect gives 0.
CHANGE_LIKENESS = 0.4
CHANGE_SIZE = 2.0
# Mouse motion in pixels that turns the view 32 degrees right and 20 up in a frame of the longest
# step (two degrees a pixel), as the desktop's picture towards the sun.
SUN_TURN = (16, -10)
# Regions as (width, height, x, y): the whole frame, the help block, the frame-rate line, the
# figure, the help's pause line, and the scene between the help and the frame-rate line.
WHOLE = (WIDTH, HEIGHT, 0, 0)
HELP = (1000, 270, 0, 0)
FPS = (600, 60, 0, 840)
FIGURE = (400, 225, 600, 337)
PAUSE_LINE = (400, 22, 0, 22)
SCENE = (WIDTH, 560, 0, 280)
CHROMIUM_FLAGS = ['--headless=new', '--no-sandbox', '--use-angle=swiftshader',
                  '--enable-unsafe-swiftshader', '--no-first-run',
                  '--disable-background-networking', '--disable-component-update',
                  '--disable-sync', '--disable-quic']

driver = None
server = None


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def setUpModule():
    global driver, server
    handler = functools.partial(QuietHandler, directory=SITE)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    options = webdriver.ChromeOptions()
    for flag in CHROMIUM_FLAGS + ['--user-data-dir=' + tempfile.mkdtemp(prefix='vantor-chromium-')]:
        options.add_argument(flag)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    driver.set_script_timeout(WAIT_LIMIT)
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                           {'width': WIDTH, 'height': HEIGHT, 'deviceScaleFactor': 1,
                            'mobile': False})
    os.makedirs(SHOTS, exist_ok=True)


def tearDownModule():
    if driver is not None:
        driver.quit()
    if server is not None:
        server.shutdown()


def open_page(page):
    driver.get('http://127.0.0.1:%d/%s' % (server.server_address[1], page))


# While the game runs, every frame holds the page's main thread for a second or more, and the
# browser lets other work in only between frames: each round trip to the page costs frames. So
# the checks talk to the page through the browser's protocol, one round trip per step, rather
# than through the driver's commands, which take several.
def evaluate(expression, wait_for_promise=False):
    reply = driver.execute_cdp_cmd('Runtime.evaluate', {
        'expression': expression, 'returnByValue': True, 'awaitPromise': wait_for_promise})
    if 'exceptionDetails' in reply:
        raise AssertionError('%s failed in the page: %s' % (expression, reply['exceptionDetails']))
    return reply['result'].get('value')


def game_lines():
    """The program's standard output lines, as the page recorded them."""
    return evaluate('window.vantorPage ? vantorPage.lines : []')


def page_state(name):
    return evaluate('window.vantorPage && vantorPage.%s' % name)


def wait_for(what, condition):
    deadline = time.time() + WAIT_LIMIT
    while True:
        value = condition()
        if value:
            return value
        stopped = page_state('stopped')
        if stopped or time.time() > deadline:
            raise AssertionError('%s did not happen within %d s%s; the game printed:\n%s' % (
                what, WAIT_LIMIT, ' (the page says: %s)' % stopped if stopped else '',
                '\n'.join(game_lines()[-20:])))
        time.sleep(0.2)


@contextlib.contextmanager
def script_on_new_pages(source):
    """Runs `source` first in every page opened meanwhile."""
    added = driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': source})
    try:
        yield
    finally:
        driver.execute_cdp_cmd('Page.removeScriptToEvaluateOnNewDocument',
                               {'identifier': added['identifier']})


# The canvas as the next frame leaves it, read right after that frame and before the browser
# shows it (and clears it); a page screenshot would wait for a frame of its own.
NEXT_FRAME = """new Promise((done) => {
    const after = Module.postMainLoop;
    Module.postMainLoop = function () {
        after();
        Module.postMainLoop = after;
        done(Module.canvas.toDataURL('image/png'));
    };
})"""


def picture(name=None):
    """The canvas after the next frame; saved among the screenshots under `name`, if given."""
    png = base64.b64decode(evaluate(NEXT_FRAME, wait_for_promise=True).split(',', 1)[1])
    return save(Image.open(io.BytesIO(png)).convert('RGB'), name)


def save(image, name):
    if name:
        image.save(os.path.join(SHOTS, name + '.png'))
    return image


def shrunk(image):
    """The picture at the references' size."""
    return image.convert('RGB').reduce(SHRINK if image.size[0] == WIDTH else 1)


def crop(image, region, scale=1):
    width, height, x, y = (value // scale for value in region)
    return image.crop((x, y, x + width, y + height))


def changed_pixels(before, after, region=WHOLE):
    """Pixels of the region in which a channel differs by more than a tenth."""
    red, green, blue = ImageChops.difference(crop(before, region), crop(after, region)).split()
    largest = ImageChops.lighter(ImageChops.lighter(red, green), blue)
    return sum(largest.histogram()[26:])


def rms(image, reference, region=WHOLE):
    """Root mean square difference, 0 to 1, over the region (given at full size) of the pictures
    shrunk to the references' size."""
    small = [crop(shrunk(each), region, SHRINK) for each in (image, reference)]
    difference = ImageChops.difference(*small)
    channels = ImageStat.Stat(difference).rms
    return math.sqrt(sum(c * c for c in channels) / len(channels)) / 255


# Real key and mouse events, through the browser's input as the driver sends them.
KEY_CODES = {'F%d' % n: 111 + n for n in range(1, 13)}
KEY_CODES.update({'Escape': 27, ' ': 32, 'w': 87})


def key(kind, name):
    code = {' ': 'Space', 'w': 'KeyW'}.get(name, name)
    driver.execute_cdp_cmd('Input.dispatchKeyEvent', {
        'type': kind, 'key': name, 'code': code, 'windowsVirtualKeyCode': KEY_CODES[name]})


def hold(*names):
    """Holds the keys down while one frame that began after they went down is drawn, the
    frame that reads them, and returns its picture."""
    for name in names:
        key('keyDown', name)
    shown = picture()
    for name in names:
        key('keyUp', name)
    return shown


def click_canvas():
    # The driver's own click: the browser grants the pointer's capture to it, though not to a
    # bare press and release sent through the protocol.
    ActionChains(driver).move_to_element(driver.find_element('id', 'canvas')).click().perform()


def pointer_captured():
    return evaluate("document.pointerLockElement === document.getElementById('canvas')")


class GamePage(unittest.TestCase):
    """The game's own page, its checks in the order a player meets them; each test goes on from
    where the one before left the game."""

    @classmethod
    def setUpClass(cls):
        open_page('index.html')
        evaluate("window.keysSeen = []; window.addEventListener('keydown', "
                 "(e) => keysSeen.push([e.key, e.defaultPrevented]));")
        wait_for('the first frame', lambda: page_state('frames'))

    def test_1_the_first_frame_within_ten_seconds(self):
        first_frame = page_state('firstFrameMs')
        print('first frame %.0f ms after the page was asked for' % first_frame)
        self.assertLess(first_frame, FIRST_FRAME_LIMIT_MS)

    def test_2_function_keys_change_the_picture_as_on_the_desktop(self):
        still = self.wait_still()
        shown = hold('F1', 'F2')
        self.assertGreater(changed_pixels(still, shown, HELP), CHANGED_PIXELS, 'F1: no help')
        self.assertGreater(changed_pixels(still, shown, FPS), CHANGED_PIXELS, 'F2: no rate')
        # The key of the setting before goes up in the same frame. F12 comes with the last: the
        # saved frame shows what that frame changed.
        folder = tempfile.mkdtemp(prefix='vantor-downloads-')
        driver.execute_cdp_cmd('Browser.setDownloadBehavior',
                               {'behavior': 'allow', 'downloadPath': folder})
        before, desktop_before = shown, 'start'
        for keys, name in ((('F3',), 'wireframe'), (('F3', 'F6'), 'shadows_off'),
                           (('F6', 'F7', 'F12'), 'bloom_2')):
            shown = save(hold(*keys), name)
            self.assert_changes_as_on_the_desktop(before, shown, desktop_before, name)
            before, desktop_before = shown, name
        path = os.path.join(folder, 'vantor-0001.png')
        wait_for('the download of the F12 picture', lambda: os.path.exists(path))
        with Image.open(path) as png:
            self.assertEqual((png.format, png.size), ('PNG', (WIDTH, HEIGHT)))

    def test_3_w_and_space_move_the_figure(self):
        before = picture()
        for name in ('w', ' '):
            after = hold(name)
            self.assertGreater(changed_pixels(before, after, FIGURE), CHANGED_PIXELS, name)
            before = after

    def test_4_a_click_captures_the_pointer_escape_pauses_and_a_click_goes_on(self):
        click_canvas()
        wait_for('the pointer captured by a click', pointer_captured)
        # The mouse turns the view towards the sun, as the desktop's picture of it; the lens
        # flares, only ever from the sun, then go with F10.
        # One move event: the driver's default spreads a move over a quarter of a second, and
        # each frame turns by its own step times the pixels it saw.
        ActionChains(driver, duration=0).move_by_offset(*SUN_TURN).perform()
        towards_sun = picture('sun')
        running = hold('F10')
        self.assert_changes_as_on_the_desktop(towards_sun, running, 'sun', 'lens_0')
        paused = hold('Escape')
        self.assertFalse(pointer_captured())
        self.assertGreater(changed_pixels(running, paused, PAUSE_LINE), 20, 'no "Pause (P): on"')
        self.assertLess(rms(paused, running, SCENE), DESKTOP_TOLERANCE,
                        'the paused frames lost the picture')
        frames = page_state('frames')
        wait_for('frames after Escape (or did it end the game?)',
                 lambda: page_state('frames') > frames)
        click_canvas()
        wait_for('the pointer captured again', pointer_captured)
        self.assertLess(changed_pixels(running, picture(), PAUSE_LINE), 20, 'not going on')

    def test_5_no_key_reached_the_browser_no_console_error_and_no_gl_error(self):
        prevented = {name for name, default_prevented in evaluate('keysSeen')
                     if default_prevented}
        self.assertLessEqual({'F1', 'F2', 'F3', 'F6', 'F7', 'F10', 'F12', 'Escape'}, prevented)
        # Every console entry since the browser started, the checks' page included.
        errors = [e['message'] for e in driver.get_log('browser') if e['level'] == 'SEVERE']
        self.assertEqual(errors, [])
        # Start-up's loading lines and F12's line, nothing else: no GL error, no target that
        # could not be made, no file that could not be read.
        expected = ('loading shader: ', 'The file for loadTexture was successfully opened ',
                    'screenshot written: ')
        self.assertEqual([line for line in game_lines() if not line.startswith(expected)], [])

    def wait_still(self):
        """The picture once it no longer changes between frames (the figure has landed)."""
        pictures = [picture()]

        def landed():
            pictures.append(picture())
            return changed_pixels(pictures[-2], pictures[-1]) <= CHANGED_PIXELS
        wait_for('a still picture', landed)
        return pictures[-1]

    def assert_changes_as_on_the_desktop(self, before, after, desktop_before, desktop_after):
        """The change in brightness over the scene against the desktop's between its pictures of
        the two settings: their correlation (1: the same pattern) and the ratio of their sizes.
        The figure lands a little deeper with the browser's longer steps, which moves the whole
        view, so the changes are compared rather than the pictures."""
        def change(first, second):
            a, b = (crop(shrunk(image).convert('L'), SCENE, SHRINK).tobytes()
                    for image in (first, second))
            return [y - x for x, y in zip(a, b)]
        desktop = [Image.open(os.path.join(GALLERY, name + '.png'))
                   for name in (desktop_before, desktop_after)]
        ours, theirs = change(before, after), change(*desktop)
        ours_size, theirs_size = (math.sqrt(sum(d * d for d in c)) for c in (ours, theirs))
        # No change at all, a key without effect, correlates 0.
        likeness = sum(a * b for a, b in zip(ours, theirs)) / max(ours_size * theirs_size, 1)
        size = ours_size / theirs_size
        print('%s: the change correlates %.2f with the desktop\'s and is %.2f times its size'
              % (desktop_after, likeness, size))
        self.assertGreater(likeness, CHANGE_LIKENESS, desktop_after)
        self.assertTrue(1 / CHANGE_SIZE < size < CHANGE_SIZE, desktop_after)


class ChecksPage(unittest.TestCase):
    """The same program's views at a fixed time, through the checks' program."""

    def draw(self, view, line):
        open_page('checks.html?' + view)
        found = wait_for(view, lambda: [l for l in game_lines() if l.startswith('checks:')])
        self.assertRegex(found[0], line)
        # The view is printed while its frame is drawn, and shown once the frame has ended.
        wait_for('the frame of the view', lambda: page_state('frames'))
        return save(Image.open(io.BytesIO(driver.get_screenshot_as_png())).convert('RGB'),
                    'checks_' + view)

    def test_start_view_matches_the_browsers_reference_and_the_desktops(self):
        picture = self.draw('start', '^checks: start view drawn$')
        renderer = driver.execute_script(
            "const gl = document.createElement('canvas').getContext('webgl2');"
            "const info = gl.getExtension('WEBGL_debug_renderer_info');"
            "return gl.getParameter(info.UNMASKED_RENDERER_WEBGL);")
        reference = os.path.join(WEB_REFERENCE, 'start.png')
        made_with = pathlib.Path(WEB_REFERENCE, 'renderer.txt')
        if os.environ.get('VANTOR_RENEW_WEB_REFERENCE'):
            shrunk(picture).save(reference)
            made_with.write_text(renderer + '\n')
        same_renderer = made_with.read_text().strip() == renderer
        to_browser = rms(picture, Image.open(reference))
        to_desktop = rms(picture, Image.open(DESKTOP_REFERENCE))
        print('start view: RMS %.4f to the browser reference, %.4f to the desktop reference'
              % (to_browser, to_desktop))
        self.assertLess(to_browser, BROWSER_TOLERANCE if same_renderer else DESKTOP_TOLERANCE)
        self.assertLess(to_desktop, DESKTOP_TOLERANCE)

    def test_the_route_reaches_the_win_line(self):
        self.draw('route', '^checks: the route reached the goal after .*, and the game is won$')


def limit_downloads(bytes_per_second):
    driver.execute_cdp_cmd('Network.emulateNetworkConditions', {
        'offline': False, 'latency': 0, 'downloadThroughput': bytes_per_second,
        'uploadThroughput': -1})


class PageLines(unittest.TestCase):
    """What the page itself says: progress while loading, and why it cannot start."""

    def test_progress_while_the_data_loads(self):
        # Every text the status line shows, kept from the page's first moment on; the download is
        # slowed so that it reports more than once.
        watch = """window.statusSeen = [];
            document.addEventListener('DOMContentLoaded', () => {
                const status = document.getElementById('status');
                new MutationObserver(() => statusSeen.push(status.textContent)).observe(
                    status, {childList: true, characterData: true, subtree: true});
            });"""
        driver.execute_cdp_cmd('Network.enable', {})
        limit_downloads(2000000)
        try:
            with script_on_new_pages(watch):
                open_page('index.html')
                wait_for('the first frame', lambda: page_state('frames'))
                seen = evaluate('statusSeen')
        finally:
            limit_downloads(-1)
            driver.get('about:blank')
        progress = [text for text in seen
                    if re.fullmatch(r'Loading Vantor: \d+ % of \d+\.\d MB', text)]
        self.assertTrue(progress, seen)
        self.assertEqual(seen[-2:], ['Starting Vantor…', ''])

    def test_a_clear_message_when_webgl_2_or_an_extension_is_missing(self):
        cases = (("HTMLCanvasElement.prototype.getContext = () => null;",
                  'This browser offers no WebGL 2, which Vantor needs to draw.'),
                 ("const real = WebGL2RenderingContext.prototype.getExtension;"
                  "WebGL2RenderingContext.prototype.getExtension = function (name) {"
                  "  return name === 'EXT_color_buffer_float' ? null : real.call(this, name); };",
                  "This browser's WebGL 2 lacks EXT_color_buffer_float, which Vantor needs to draw."))
        for patch, message in cases:
            with script_on_new_pages(patch):
                open_page('index.html')
                self.assertEqual(driver.find_element('id', 'status').text, message)
                self.assertEqual(page_state('stopped'), message)
                self.assertTrue(driver.execute_script('return window.Module === undefined'))


if __name__ == '__main__':
    if len(sys.argv) > 1:
        SITE = os.path.abspath(sys.argv[1])
        SHOTS = os.path.join(os.path.dirname(SITE), 'shots')
    unittest.main(argv=sys.argv[:1] + sys.argv[2:], verbosity=2)
