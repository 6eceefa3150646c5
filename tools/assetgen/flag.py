# The goal flag: a pole rising 3 units from a small cloud puff, a gold knob on top and a
# double-sided, gently waving checkered cloth. The goal's scale reaches the flag too; the
# proportions are chosen for a goal scaled 3 across and 1 up, so the cloth stays wider than tall.
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

from images import save_jpeg
from meshkit import Mesh, compact, grid_surface, write_mtl, write_obj
from figure import lathe

ATLAS = 512
REGIONS = {
    "cloth": (0, 0, 512, 320),
    "pole": (0, 320, 256, 512),
    "knob": (256, 320, 384, 512),
    "puff": (384, 320, 512, 512),
}
POLE_RADIUS = 0.025
POLE_HEIGHT = 3.0
CLOTH_WIDTH = 0.55
CLOTH_BOTTOM = 1.95
CLOTH_TOP = 2.95


def _uv(name, s, t):
    left, top, right, bottom = REGIONS[name]
    inset = 3
    u = (left + inset + s * (right - left - 2 * inset)) / ATLAS
    v = 1.0 - (bottom - inset - t * (bottom - top - 2 * inset)) / ATLAS
    return u, v


def _region(name):
    return lambda s, t: _uv(name, s, t)


def _cloth_point(s, t):
    x = POLE_RADIUS + s * CLOTH_WIDTH
    y = CLOTH_BOTTOM + t * (CLOTH_TOP - CLOTH_BOTTOM) - 0.05 * s * s
    z = 0.07 * s * math.sin(2 * math.pi * (1.3 * s - 0.15 * t))
    return (x, y, z)


def cloth():
    front = Mesh()

    def normal(s, t, p, eps=1e-4):
        a = np.subtract(_cloth_point(min(s + eps, 1), t), _cloth_point(max(s - eps, 0), t))
        b = np.subtract(_cloth_point(s, min(t + eps, 1)), _cloth_point(s, max(t - eps, 0)))
        return np.cross(a, b)

    grid_surface(front, _cloth_point, normal, lambda s, t: _uv("cloth", s, t), 24, 12)
    back = Mesh()
    back.positions = list(front.positions)
    back.normals = [tuple(-c for c in n) for n in front.normals]
    # The back shows the same cloth mirrored, as a real flag does.
    back.uvs = list(front.uvs)
    back.triangles = [(a, c, b) for a, b, c in front.triangles]
    return front.extend(back)


def build_mesh():
    flag = Mesh()
    flag.extend(lathe([(0.0, 0.0), (POLE_RADIUS, 0.0), (POLE_RADIUS, POLE_HEIGHT), (0.0, POLE_HEIGHT)], 12,
                      _region("pole")))
    knob = lathe([(0.0, -0.06), (0.025, -0.055), (0.035, 0.0), (0.025, 0.055), (0.0, 0.06)], 12, _region("knob"))
    flag.extend(knob.transformed(np.eye(3), (0.0, POLE_HEIGHT + 0.05, 0.0)))
    puff = Mesh()
    for (x, y, z), r in (((0.0, 0.0, 0.0), 0.17), ((0.13, 0.02, 0.05), 0.11), ((-0.12, 0.01, -0.06), 0.12),
                         ((0.03, 0.03, -0.14), 0.1), ((-0.05, 0.02, 0.13), 0.1)):
        rings = 10
        profile = [(r * math.sin(math.pi * i / rings), -0.7 * r * math.cos(math.pi * i / rings)) for i in range(rings + 1)]
        profile[0], profile[-1] = (0.0, profile[0][1]), (0.0, profile[-1][1])
        puff.extend(lathe(profile, 14, _region("puff")).transformed(np.eye(3), (x, y, z)))
    flag.extend(puff)
    flag.extend(cloth())
    return compact(flag)


def paint_atlas():
    image = Image.new("RGB", (ATLAS, ATLAS), (255, 255, 255))
    d = ImageDraw.Draw(image)
    left, top, right, bottom = REGIONS["cloth"]
    cols, rows = 6, 4
    w, h = (right - left) / cols, (bottom - top) / rows
    for i in range(cols):
        for j in range(rows):
            colour = (24, 24, 28) if (i + j) % 2 == 0 else (250, 250, 250)
            d.rectangle((left + i * w, top + j * h, left + (i + 1) * w, top + (j + 1) * h), fill=colour)
    # A red hem along the pole side.
    d.rectangle((left, top, left + 18, bottom), fill=(220, 40, 40))
    left, top, right, bottom = REGIONS["pole"]
    d.rectangle((left, top, right, bottom), fill=(235, 235, 240))
    for k in range(12):
        y0 = top + k * (bottom - top) / 12
        if k % 2 == 0:
            d.rectangle((left, y0, right, y0 + (bottom - top) / 24), fill=(220, 40, 40))
    left, top, right, bottom = REGIONS["knob"]
    d.rectangle((left, top, right, bottom), fill=(250, 200, 40))
    left, top, right, bottom = REGIONS["puff"]
    d.rectangle((left, top, right, bottom), fill=(246, 248, 252))
    image = image.filter(ImageFilter.GaussianBlur(0.8))
    return np.asarray(image, dtype=np.float64) / 255.0


def build(out_dir):
    save_jpeg(out_dir / "flag.jpg", paint_atlas(), quality=90)
    write_mtl(out_dir / "flag.mtl", "flag", "flag.jpg", specular=(0.2, 0.2, 0.2), shininess=16.0)
    write_obj(out_dir / "flag.obj", build_mesh(), "flag.mtl", "flag",
              comment="Goal flag: pole base at the origin, pole 3 units up +y, cloth towards +x.")
