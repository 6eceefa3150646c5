#!/usr/bin/python3
"""Figures of the browser version in headless Chromium: what the page transfers (the program's
WebAssembly, its JavaScript, the packed data and the page itself, as served and gzip-compressed),
the time from asking for the page to its first frame, and the frame time of the running game
(median over a stretch of frames, the first ones left out).

Usage: /usr/bin/python3 web/measure.py [SITE_DIR (build-web/site)] [RUNS (3)] [SECONDS (30)]
"""
import gzip
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), 'tests'))
import browser_test as browser  # noqa: E402  (its server, browser and page helpers)

PAGE_FILES = ('index.html', 'page.css', 'page.js', 'vantor.js', 'vantor.wasm', 'vantor.data')
SETTLE_FRAMES = 5

# Each frame's end, kept by the page while the measurement runs.
RECORD_FRAMES = """(() => {
    window.frameEnds = [];
    const after = Module.postMainLoop;
    Module.postMainLoop = function () { after(); frameEnds.push(performance.now()); };
})()"""


def transfer_sizes(site):
    print('transfer: file, bytes as served, bytes gzip-compressed')
    served = compressed = 0
    for name in PAGE_FILES:
        with open(os.path.join(site, name), 'rb') as file:
            data = file.read()
        packed = len(gzip.compress(data, 9))
        served, compressed = served + len(data), compressed + packed
        print('  %-12s %9d %9d' % (name, len(data), packed))
    print('  %-12s %9d %9d' % ('all', served, compressed))


def one_run(seconds):
    browser.open_page('index.html')
    browser.wait_for('the first frame', lambda: browser.page_state('frames'))
    first = browser.page_state('firstFrameMs')
    browser.wait_for('frames to settle',
                     lambda: browser.page_state('frames') > SETTLE_FRAMES)
    browser.evaluate(RECORD_FRAMES)
    time.sleep(seconds)
    ends = browser.evaluate('frameEnds')
    frames = [b - a for a, b in zip(ends, ends[1:])]
    return first, statistics.median(frames), len(frames)


def main():
    site = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else 'build-web/site')
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 30
    browser.SITE = site
    browser.SHOTS = tempfile.mkdtemp(prefix='vantor-measure-')
    transfer_sizes(site)
    browser.setUpModule()
    try:
        for run in range(runs):
            first, frame, count = one_run(seconds)
            print('run %d: first frame %.0f ms, frame %.0f ms (median of %d)'
                  % (run + 1, first, frame, count))
    finally:
        browser.tearDownModule()


if __name__ == '__main__':
    main()
