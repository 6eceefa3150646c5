# Preview of the overlay font as the game shows it on a 1600 x 900 window: 600 overlay units up the
# height and each unit of x half as wide, over a sky-like gradient. Writes
# /tmp/assetgen-preview/font_*.png.
import pathlib
import sys

import numpy as np
from PIL import Image

OUT = pathlib.Path("/tmp/assetgen-preview")


def load_font(path):
    data = pathlib.Path(path).read_bytes()
    w, h = int.from_bytes(data[12:14], "little"), int.from_bytes(data[14:16], "little")
    px = np.frombuffer(data[18:18 + w * h * 4], dtype=np.uint8).reshape(h, w, 4)[::-1, :, [2, 1, 0, 3]]
    return Image.fromarray(np.ascontiguousarray(px), "RGBA")


def print_text(screen, atlas, text, x, y, size):
    cell = atlas.width // 16
    sy = 900 / 600
    sx = sy / 2
    for i, ch in enumerate(text):
        c = ord(ch)
        glyph = atlas.crop(((c % 16) * cell, (c // 16) * cell, (c % 16 + 1) * cell, (c // 16 + 1) * cell))
        left, right = (x + i * size) * sx, (x + (i + 1) * size) * sx
        top = 900 - (y + size) * sy
        g = glyph.resize((int(round(right - left)), int(round(size * sy))), Image.BILINEAR)
        screen.alpha_composite(g, (int(round(left)), int(round(top))))


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    atlas = load_font(sys.argv[1])
    bg = np.zeros((900, 1600, 4), dtype=np.uint8)
    t = np.linspace(0, 1, 900)[:, None]
    bg[..., 0] = (120 + 120 * t)
    bg[..., 1] = (170 + 70 * t)
    bg[..., 2] = 250
    bg[..., 3] = 255
    bg[600:, 250:900, :3] = 255  # under the "over white" line
    screen = Image.fromarray(bg, "RGBA")
    print_text(screen, atlas, "FPS: 59.94", 0, 0, 15)
    lines = ["Help (F1): on", "Show FPS (F2): on", "Wireframe (F3): off", "Bilinear Texture (F4): on",
             "Frustum Culling (F8): on", "Lens flare (F10): 2 ghosts+halo", "0123456789 !?.,:;()[]{}<>/\\|@#$%^&*_+-=~'\"`",
             "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ"]
    for k, line in enumerate(lines):
        print_text(screen, atlas, line, 0, 585 - 20 * k, 15)
    print_text(screen, atlas, "Size 20: Jumping gives me joy", 0, 380, 20)
    print_text(screen, atlas, "Yay You Won!", 130, 350 - 80, 50)
    print_text(screen, atlas, "over white 15: Frustum", 410, 40, 15)
    screen.convert("RGB").save(OUT / "font_screen.png")
    big = Image.new("RGBA", atlas.size, (60, 90, 160, 255))
    big.alpha_composite(atlas)
    big.convert("RGB").save(OUT / "font_atlas.png")


if __name__ == "__main__":
    main()
