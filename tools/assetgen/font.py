# The overlay font: a 16 x 16 grid of character cells (code c at column c % 16, row c // 16 from the
# top), white glyphs whose alpha is their coverage, with a soft dark outline so that text stays
# readable over a bright sky. Rendered from the Debian-shipped DejaVu Sans Mono Bold.
import numpy as np
from PIL import Image, ImageDraw, ImageFont

from images import save_tga

FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"
CELL = 32
GRID = 16
SUPERSAMPLE = 8
OUTLINE_RADIUS = 1.5
OUTLINE_OPACITY = 0.85
# The overlay shows each cell half as wide as tall, the shape of this font's own character cell, so
# the glyphs are drawn twice as wide here and come out in their natural proportions and spacing.
HORIZONTAL_STRETCH = 2.0
PRINTABLE = [c for c in range(32, 127)] + [c for c in range(161, 256) if c != 173]


def _ink_extent(font):
    """Highest ink top and lowest ink bottom over the printable ASCII set, relative to the baseline."""
    ascent, _ = font.getmetrics()
    top, bottom = 0, 0
    for code in range(33, 127):
        box = font.getbbox(chr(code), anchor="ls")
        top = min(top, box[1])
        bottom = max(bottom, box[3])
    return -top, bottom


def _glyph_coverage(font, code, baseline, advance, stretch, margin):
    size = CELL * SUPERSAMPLE
    width = 3 * size
    canvas = Image.new("L", (width, size), 0)
    draw = ImageDraw.Draw(canvas)
    centre = width / 2.0
    draw.text((centre - advance / 2.0, baseline), chr(code), fill=255, font=font, anchor="ls")
    ink = np.nonzero(np.asarray(canvas).max(axis=0))[0]
    scale = stretch / SUPERSAMPLE
    if ink.size:
        # The widest glyphs get less stretch so that their ink and outline stay inside the cell.
        reach = max(centre - ink[0], ink[-1] + 1 - centre)
        scale = min(scale, (CELL / 2.0 - margin * stretch) / reach)
    half = CELL / 2.0 / scale
    # Box filtering the supersampled glyph down gives clean coverage and applies the stretch.
    cell = canvas.resize((CELL, CELL), Image.BOX, box=(centre - half, 0, centre + half, size))
    return np.asarray(cell, dtype=np.float64) / 255.0


def _outline(coverage):
    # Round on screen: as wide here as the glyphs are stretched.
    r = OUTLINE_RADIUS
    reach_y = int(np.ceil(r))
    reach_x = int(np.ceil(r * HORIZONTAL_STRETCH))
    padded = np.pad(coverage, ((reach_y, reach_y), (reach_x, reach_x)))
    out = np.zeros_like(coverage)
    h, w = coverage.shape
    for dy in range(-reach_y, reach_y + 1):
        for dx in range(-reach_x, reach_x + 1):
            d = np.hypot(dx / HORIZONTAL_STRETCH, dy)
            weight = np.clip(r + 0.5 - d, 0.0, 1.0)
            if weight <= 0:
                continue
            shifted = padded[reach_y + dy:reach_y + dy + h, reach_x + dx:reach_x + dx + w]
            out = np.maximum(out, shifted * weight)
    return out


def build(path):
    probe = ImageFont.truetype(FONT_PATH, 100 * SUPERSAMPLE)
    up, down = _ink_extent(probe)
    margin = OUTLINE_RADIUS + 1.5
    em = int(100 * SUPERSAMPLE * (CELL - 2 * margin) * SUPERSAMPLE / (up + down))
    font = ImageFont.truetype(FONT_PATH, em)
    up, down = _ink_extent(font)
    advance = font.getlength("M")
    # Centre the ink span vertically in the cell.
    baseline = (CELL * SUPERSAMPLE - (up + down)) / 2.0 + up

    coverage = np.zeros((CELL * GRID, CELL * GRID))
    for code in PRINTABLE:
        row, col = code // GRID, code % GRID
        coverage[row * CELL:(row + 1) * CELL, col * CELL:(col + 1) * CELL] = _glyph_coverage(
            font, code, baseline, advance, HORIZONTAL_STRETCH, margin)

    outline = _outline(coverage) * OUTLINE_OPACITY
    # White glyph composited over the dark outline, stored with straight alpha.
    alpha = coverage + outline * (1.0 - coverage)
    with np.errstate(invalid="ignore", divide="ignore"):
        value = np.where(alpha > 0, coverage / alpha, 0.0)
    rgba = np.zeros((CELL * GRID, CELL * GRID, 4), dtype=np.uint8)
    v = np.clip(np.rint(value * 255), 0, 255).astype(np.uint8)
    rgba[..., 0] = v
    rgba[..., 1] = v
    rgba[..., 2] = v
    rgba[..., 3] = np.clip(np.rint(alpha * 255), 0, 255).astype(np.uint8)
    save_tga(path, rgba)
    return rgba
