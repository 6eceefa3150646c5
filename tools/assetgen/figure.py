# The player's figure "Mark 5": a little astronaut robot, about 2 units tall, feet at the origin,
# facing -z (the way it walks) with its backpack towards the camera. Built from lathed parts, each
# textured from its own region of one painted atlas.
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

from images import save_jpeg
from meshkit import Mesh, compact, rotation_x, rotation_z, smooth_normals, write_mtl, write_obj

ATLAS = 1024
SUIT = (236, 238, 242)
SUIT_SHADE = (196, 202, 214)
ACCENT = (255, 138, 28)
DARK = (58, 62, 72)
METAL = (120, 126, 138)
FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# Atlas regions in pixels (left, top, right, bottom), image rows from the top.
REGIONS = {
    "helmet": (0, 0, 512, 384),
    "torso": (512, 0, 1024, 384),
    "backpack": (0, 384, 384, 640),
    "arm": (384, 384, 640, 640),
    "leg": (640, 384, 896, 640),
    "joint": (896, 384, 1024, 640),
    "boot": (0, 640, 256, 896),
    "glove": (256, 640, 512, 896),
    "visor": (512, 640, 768, 896),
    "antenna": (768, 640, 896, 896),
    "light": (896, 640, 1024, 896),
    "ear": (0, 896, 256, 1024),
}


def _region_uv(name, s, t):
    """Maps (s, t) in [0, 1]^2 (t upwards) into the region's texture coordinates, with a small
    inset so that filtering never reaches a neighbouring region."""
    left, top, right, bottom = REGIONS[name]
    inset = 4
    u = (left + inset + s * (right - left - 2 * inset)) / ATLAS
    v = 1.0 - (bottom - inset - t * (bottom - top - 2 * inset)) / ATLAS
    return u, v


def _superellipse(phi, n):
    c, s = math.cos(phi), math.sin(phi)
    if n == 2:
        return 1.0
    return (abs(c) ** n + abs(s) ** n) ** (-1.0 / n)


def lathe(profile, segments, region, sx=1.0, sz=1.0, squareness=2):
    """Surface of revolution about +y from a (radius, height) profile listed bottom to top.
    u runs around (the front, -z, sits at u = 0.5; the seam is at the back), v along the profile
    by arc length. Profile points of radius 0 close the surface without degenerate triangles.
    region names an atlas region of the figure or is a function mapping (u, v) to texture
    coordinates."""
    uv_of = region if callable(region) else (lambda s, t: _region_uv(region, s, t))
    mesh = Mesh()
    lengths = [0.0]
    for (r0, y0), (r1, y1) in zip(profile, profile[1:]):
        lengths.append(lengths[-1] + math.hypot(r1 - r0, y1 - y0))
    total = lengths[-1]
    rows = []
    for (r, y), length in zip(profile, lengths):
        row = []
        for j in range(segments + 1):
            u = j / segments
            phi = math.pi - 2 * math.pi * u
            k = r * _superellipse(phi, squareness)
            p = (k * math.sin(phi) * sx, y, -k * math.cos(phi) * sz)
            row.append(mesh.vertex(p, (0, 1, 0), uv_of(u, length / total)))
        rows.append(row)
    for i in range(len(rows) - 1):
        for j in range(segments):
            a, b = rows[i][j], rows[i][j + 1]
            c, d = rows[i + 1][j + 1], rows[i + 1][j]
            for tri in ((a, b, c), (a, c, d)):
                if len({mesh.positions[x] for x in tri}) == 3:
                    mesh.triangle(*tri)
    _orient_outwards(mesh)
    smooth_normals(mesh, 6)
    return mesh


def sphere_patch(centre, radius, yaw_range, pitch_range, nu, nv, region):
    """Part of a sphere facing -z, for the visor."""
    mesh = Mesh()
    c = np.asarray(centre)
    rows = []
    for j in range(nv + 1):
        t = j / nv
        e = math.radians(pitch_range[0] + (pitch_range[1] - pitch_range[0]) * t)
        row = []
        for i in range(nu + 1):
            s = i / nu
            h = math.radians(yaw_range[0] + (yaw_range[1] - yaw_range[0]) * s)
            d = np.array([-math.sin(h) * math.cos(e), math.sin(e), -math.cos(h) * math.cos(e)])
            row.append(mesh.vertex(c + radius * d, d, _region_uv(region, s, t)))
        rows.append(row)
    for j in range(nv):
        for i in range(nu):
            a, b, cc, d = rows[j][i], rows[j][i + 1], rows[j + 1][i + 1], rows[j + 1][i]
            mesh.triangle(a, b, cc)
            mesh.triangle(a, cc, d)
    _orient_outwards(mesh, centre)
    return mesh


def _orient_outwards(mesh, centre=None):
    p = np.asarray(mesh.positions)
    tris = np.asarray(mesh.triangles)
    face = np.cross(p[tris[:, 1]] - p[tris[:, 0]], p[tris[:, 2]] - p[tris[:, 0]])
    mid = p[tris].mean(axis=1)
    if centre is None:
        outward = mid.copy()
        outward[:, 1] = 0.0  # away from the lathe's axis
        out = (face * outward).sum()
    else:
        out = (face * (mid - np.asarray(centre))).sum()
    if out < 0:
        mesh.triangles = [(a, c, b) for a, b, c in mesh.triangles]


def _sphere(radius, rings, segments, region):
    profile = [(radius * math.sin(math.pi * i / rings), -radius * math.cos(math.pi * i / rings))
               for i in range(rings + 1)]
    profile[0] = (0.0, profile[0][1])
    profile[-1] = (0.0, profile[-1][1])
    return lathe(profile, segments, region)


def _moved(mesh, offset, matrix=None):
    return mesh.transformed(np.eye(3) if matrix is None else matrix, offset)


def build_mesh():
    figure = Mesh()
    # Boots, lengthened towards the toes (-z).
    boot = lathe([(0.0, 0.0), (0.11, 0.0), (0.13, 0.02), (0.135, 0.07), (0.125, 0.14), (0.1, 0.18), (0.0, 0.185)],
                 20, "boot", sx=1.0, sz=1.4)
    leg = lathe([(0.0, 0.15), (0.085, 0.15), (0.092, 0.3), (0.1, 0.38), (0.098, 0.45), (0.106, 0.6), (0.0, 0.62)],
                18, "leg")
    for side in (-1, 1):
        figure.extend(_moved(boot, (0.15 * side, 0.0, -0.04)))
        figure.extend(_moved(leg, (0.15 * side, 0.0, 0.0)))
    torso = lathe([(0.0, 0.54), (0.18, 0.55), (0.26, 0.62), (0.3, 0.76), (0.32, 0.95), (0.315, 1.1), (0.28, 1.22),
                   (0.2, 1.29), (0.0, 1.31)], 36, "torso", sx=1.0, sz=0.8, squareness=2.6)
    figure.extend(torso)
    neck = lathe([(0.0, 1.26), (0.16, 1.26), (0.18, 1.3), (0.17, 1.35), (0.0, 1.36)], 24, "joint")
    figure.extend(neck)
    helmet = _moved(_sphere(0.36, 22, 36, "helmet"), (0.0, 1.63, 0.0))
    figure.extend(helmet)
    figure.extend(sphere_patch((0.0, 1.63, -0.055), 0.335, (-62, 62), (-34, 36), 20, 12, "visor"))
    ear = lathe([(0.0, -0.05), (0.075, -0.05), (0.08, 0.0), (0.075, 0.05), (0.0, 0.05)], 16, "ear")
    for side in (-1, 1):
        figure.extend(_moved(ear, (0.36 * side, 1.63, 0.0), rotation_z(90)))
    antenna = lathe([(0.0, 0.0), (0.014, 0.0), (0.012, 0.34), (0.0, 0.345)], 8, "antenna")
    tilt = rotation_z(-14)
    figure.extend(_moved(antenna, (0.4, 1.66, 0.0), tilt))
    tip = tilt @ np.array([0.0, 0.36, 0.0]) + np.array([0.4, 1.66, 0.0])
    figure.extend(_moved(_sphere(0.04, 8, 12, "light"), tuple(tip)))
    backpack = lathe([(0.0, 0.72), (0.2, 0.72), (0.23, 0.76), (0.235, 1.15), (0.2, 1.22), (0.0, 1.22)],
                     28, "backpack", sx=1.05, sz=0.45, squareness=5)
    figure.extend(_moved(backpack, (0.0, 0.0, 0.27)))
    arm = lathe([(0.0, -0.56), (0.07, -0.56), (0.076, -0.45), (0.09, -0.3), (0.086, -0.2), (0.095, -0.05),
                 (0.0, 0.0)], 16, "arm")
    shoulder = _sphere(0.115, 10, 16, "joint")
    glove = _sphere(0.085, 10, 14, "glove")
    for side in (-1, 1):
        swing = rotation_z(12 * side) @ rotation_x(-6)
        top = np.array([0.36 * side, 1.17, 0.0])
        figure.extend(_moved(shoulder, tuple(top)))
        figure.extend(_moved(arm, tuple(top), swing))
        hand = top + swing @ np.array([0.0, -0.6, 0.0])
        figure.extend(_moved(glove, tuple(hand)))
    return compact(figure)


def _paint(draw, name, fn):
    left, top, right, bottom = REGIONS[name]
    fn(draw, left, top, right - left, bottom - top)


def _band(draw, x, y, w, h, v0, v1, colour):
    """Horizontal band between profile fractions v0 < v1 (measured from the bottom)."""
    draw.rectangle((x, y + h * (1 - v1), x + w, y + h * (1 - v0)), fill=colour)


def paint_atlas():
    image = Image.new("RGB", (ATLAS, ATLAS), SUIT)
    draw = ImageDraw.Draw(image)

    def helmet(d, x, y, w, h):
        d.rectangle((x, y, x + w, y + h), fill=SUIT)
        _band(d, x, y, w, h, 0.0, 0.1, DARK)

    def torso(d, x, y, w, h):
        d.rectangle((x, y, x + w, y + h), fill=SUIT)
        _band(d, x, y, w, h, 0.02, 0.2, DARK)  # belt
        _band(d, x, y, w, h, 0.2, 0.24, ACCENT)
        # Chest panel with status lights on the front (u = 0.5).
        px0, px1 = x + w * 0.4, x + w * 0.6
        py0, py1 = y + h * 0.22, y + h * 0.52
        d.rounded_rectangle((px0, py0, px1, py1), radius=12, fill=(70, 78, 92), outline=(40, 44, 52), width=4)
        for k, colour in enumerate(((255, 70, 60), (90, 230, 110), (80, 170, 255))):
            cx = px0 + (px1 - px0) * (0.22 + 0.28 * k)
            cy = py0 + (py1 - py0) * 0.32
            d.ellipse((cx - 9, cy - 9, cx + 9, cy + 9), fill=colour)
        d.rectangle((px0 + 14, py0 + (py1 - py0) * 0.62, px1 - 14, py0 + (py1 - py0) * 0.62 + 8), fill=(150, 160, 175))
        d.rectangle((px0 + 14, py0 + (py1 - py0) * 0.78, px1 - 30, py0 + (py1 - py0) * 0.78 + 8), fill=(150, 160, 175))
        # Side stripes and the name on the back.
        for centre in (0.25, 0.75):
            d.rectangle((x + w * (centre - 0.02), y + h * 0.28, x + w * (centre + 0.02), y + h * 0.78), fill=ACCENT)
        font = ImageFont.truetype(FONT_PATH, 34)
        d.text((x + w * 0.5, y + h * 0.64), "MK 5", fill=(60, 66, 80), font=font, anchor="mm")
        d.text((x + w * 0.035, y + h * 0.4), "5", fill=(60, 66, 80), font=font, anchor="mm")

    def backpack(d, x, y, w, h):
        d.rectangle((x, y, x + w, y + h), fill=(214, 218, 226))
        _band(d, x, y, w, h, 0.0, 0.12, METAL)
        _band(d, x, y, w, h, 0.88, 1.0, METAL)
        # Vents and a thruster-orange panel on the back face (u near 0 and 1 is the back).
        for k in range(5):
            vy = y + h * (0.25 + 0.1 * k)
            d.rounded_rectangle((x + w * 0.02, vy, x + w * 0.16, vy + h * 0.05), radius=5, fill=DARK)
            d.rounded_rectangle((x + w * 0.84, vy, x + w * 0.98, vy + h * 0.05), radius=5, fill=DARK)
        d.rectangle((x + w * 0.3, y + h * 0.3, x + w * 0.34, y + h * 0.7), fill=ACCENT)
        d.rectangle((x + w * 0.66, y + h * 0.3, x + w * 0.7, y + h * 0.7), fill=ACCENT)

    def arm(d, x, y, w, h):
        d.rectangle((x, y, x + w, y + h), fill=SUIT)
        _band(d, x, y, w, h, 0.06, 0.16, ACCENT)
        _band(d, x, y, w, h, 0.4, 0.46, SUIT_SHADE)

    def leg(d, x, y, w, h):
        d.rectangle((x, y, x + w, y + h), fill=SUIT)
        _band(d, x, y, w, h, 0.42, 0.56, ACCENT)
        _band(d, x, y, w, h, 0.85, 1.0, SUIT_SHADE)

    def solid(colour):
        def fill(d, x, y, w, h):
            d.rectangle((x, y, x + w, y + h), fill=colour)
        return fill

    def boot(d, x, y, w, h):
        d.rectangle((x, y, x + w, y + h), fill=(88, 94, 108))
        _band(d, x, y, w, h, 0.0, 0.3, (40, 42, 48))
        _band(d, x, y, w, h, 0.3, 0.38, ACCENT)

    def visor(d, x, y, w, h):
        for k in range(h):
            t = k / h
            c = (int(18 + 30 * t), int(40 + 50 * t), int(90 + 60 * t))
            d.line((x, y + k, x + w, y + k), fill=c)
        d.ellipse((x + w * 0.14, y + h * 0.12, x + w * 0.5, y + h * 0.34), fill=(200, 225, 255))
        d.ellipse((x + w * 0.55, y + h * 0.18, x + w * 0.66, y + h * 0.27), fill=(170, 200, 245))

    def ear(d, x, y, w, h):
        d.rectangle((x, y, x + w, y + h), fill=METAL)
        _band(d, x, y, w, h, 0.35, 0.65, ACCENT)

    _paint(draw, "helmet", helmet)
    _paint(draw, "torso", torso)
    _paint(draw, "backpack", backpack)
    _paint(draw, "arm", arm)
    _paint(draw, "leg", leg)
    _paint(draw, "joint", solid(METAL))
    _paint(draw, "boot", boot)
    _paint(draw, "glove", solid((96, 102, 116)))
    _paint(draw, "visor", visor)
    _paint(draw, "antenna", solid(METAL))
    _paint(draw, "light", solid((255, 60, 50)))
    _paint(draw, "ear", ear)
    pixels = np.asarray(image, dtype=np.uint8).copy()
    _helmet_stripe(pixels)
    # A slight blur keeps painted edges from aliasing when the texture is minified.
    image = Image.fromarray(pixels, "RGB").filter(ImageFilter.GaussianBlur(1.2))
    return np.asarray(image, dtype=np.float64) / 255.0


def _helmet_stripe(pixels):
    """An even-width stripe over the crown from the brow to the nape. The helmet's texture runs
    around (u) and up (v, by arc length) the sphere, so the stripe's width in u grows towards the
    top; it is painted from each texel's position on the sphere."""
    left, top, right, bottom = REGIONS["helmet"]
    inset = 4
    ys, xs = np.mgrid[top:bottom, left:right]
    s = (xs + 0.5 - left - inset) / (right - left - 2 * inset)
    t = (bottom - inset - ys - 0.5) / (bottom - top - 2 * inset)
    phi = math.pi - 2 * math.pi * s
    polar = math.pi * (1.0 - t)
    across = np.abs(np.sin(polar) * np.sin(phi))
    stripe = (across < 0.13) & (t > 0.55)
    region = pixels[top:bottom, left:right]
    region[stripe] = ACCENT


def build(out_dir):
    save_jpeg(out_dir / "mark5.jpg", paint_atlas(), quality=90)
    mesh = build_mesh()
    write_mtl(out_dir / "Mark5.mtl", "suit", "mark5.jpg", specular=(0.35, 0.35, 0.35), shininess=40.0)
    write_obj(out_dir / "Mark 5.obj", mesh, "Mark5.mtl", "suit",
              comment="Player figure: feet at the origin, about 2 units tall, facing -z.")
    return mesh
