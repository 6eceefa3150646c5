# The sky box: a cube (-2..2 on every axis) wound outwards, so that drawing it with front faces
# culled shows its inside, textured from one atlas of six faces. Every texel is computed from its
# 3D view direction (gradient, sun, clouds above and below), so the faces meet without
# seams; each face tile carries a gutter of extra texels continuing the same directions.
import math

import numpy as np

from images import save_jpeg, smoothstep
from meshkit import Mesh, write_mtl, write_obj

HALF_SIZE = 2.0
FACE = 1024
GUTTER = 8
TILE = FACE + 2 * GUTTER
SEED = 4242
# The light shines along (-0.696, -0.174, 0.696), so the sun sits the opposite way.
SUN = np.array([0.696, 0.174, -0.696]) / np.linalg.norm([0.696, 0.174, -0.696])

# outward axis, u axis, v axis (right-handed), atlas column, atlas row
FACES = [
    ((1, 0, 0), (0, 0, -1), (0, 1, 0), 0, 0),
    ((-1, 0, 0), (0, 0, 1), (0, 1, 0), 1, 0),
    ((0, 1, 0), (1, 0, 0), (0, 0, -1), 2, 0),
    ((0, -1, 0), (1, 0, 0), (0, 0, 1), 0, 1),
    ((0, 0, 1), (1, 0, 0), (0, 1, 0), 1, 1),
    ((0, 0, -1), (-1, 0, 0), (0, 1, 0), 2, 1),
]


class ValueNoise:
    """Seeded 2D value noise with smooth interpolation, evaluated on arrays of points."""

    def __init__(self, seed, size=256):
        rng = np.random.default_rng(seed)
        self.size = size
        self.perm = rng.permutation(size)
        self.values = rng.random(size)

    def _hash(self, ix, iy):
        p = self.perm
        return self.values[p[(p[ix % self.size] + iy) % self.size]]

    def __call__(self, x, y):
        ix, iy = np.floor(x).astype(np.int64), np.floor(y).astype(np.int64)
        fx, fy = x - ix, y - iy
        fx = fx * fx * (3 - 2 * fx)
        fy = fy * fy * (3 - 2 * fy)
        a, b = self._hash(ix, iy), self._hash(ix + 1, iy)
        c, d = self._hash(ix, iy + 1), self._hash(ix + 1, iy + 1)
        return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy

    def fbm(self, x, y, octaves, lacunarity=2.03, gain=0.5):
        total, amplitude, norm = np.zeros_like(x), 1.0, 0.0
        for k in range(octaves):
            # Rotate each octave a little so the lattice directions do not line up.
            angle = 0.5 * k
            c, s = math.cos(angle), math.sin(angle)
            total += amplitude * self(x * c - y * s + 17.3 * k, x * s + y * c - 9.1 * k)
            norm += amplitude
            amplitude *= gain
            x, y = x * lacunarity, y * lacunarity
        return total / norm


def sky_colour(d, noise):
    """Linear RGB of the sky seen along the unit directions d (N x 3)."""
    y = d[:, 1]
    zenith = np.array([0.16, 0.36, 0.78])
    horizon = np.array([0.68, 0.81, 0.95])
    up = np.clip(y, 0.0, 1.0)[:, None]
    colour = horizon + (zenith - horizon) * (up ** 0.55)

    cos_sun = np.clip(d @ SUN, -1.0, 1.0)
    angle = np.degrees(np.arccos(cos_sun))
    warm = np.array([1.0, 0.86, 0.62])

    # Below the horizon: the sky goes on, deepening towards the nadir, with scattered clouds
    # of a lower layer, so that the white platforms stand out against it.
    below = y < 0.0
    down = np.clip(-y, 0.0, 1.0)[:, None]
    deep = np.array([0.22, 0.42, 0.80])
    abyss = horizon + (deep - horizon) * smoothstep(0.0, 0.7, down) ** 0.8
    t2 = 1.0 / np.maximum(-y, 0.02)
    qx, qz = d[:, 0] * t2 * 1.3, d[:, 2] * t2 * 1.3
    low_cover = smoothstep(0.56, 0.78, noise.fbm(qx + 40.0, qz - 13.0, 6)) * smoothstep(0.02, 0.2, -y)
    low_cloud = np.array([0.86, 0.90, 0.96]) * (0.85 + 0.1 * noise.fbm(qx * 3.0, qz * 3.0, 3))[:, None]
    abyss = abyss + (low_cloud - abyss) * (0.75 * low_cover)[:, None]
    colour = np.where(below[:, None], abyss, colour)
    # Warm light scattered around the sun, above and below the horizon alike.
    colour = colour + (warm - colour) * (0.45 * np.exp(-angle / 28.0))[:, None]

    # Clouds above: a layer of fractal noise projected from a plane overhead.
    above = y > 0.0
    t = 1.0 / np.maximum(y, 0.03)
    px, pz = d[:, 0] * t * 1.6, d[:, 2] * t * 1.6
    density = noise.fbm(px, pz, 6)
    cover = smoothstep(0.48, 0.72, density) * smoothstep(0.04, 0.35, y) * above
    cover *= smoothstep(6.0, 16.0, angle)  # keep the sun clear for the lens flares
    shade = 0.78 + 0.12 * smoothstep(0.4, 0.8, noise.fbm(px * 2.0 + 5.0, pz * 2.0, 4))
    lit = 0.06 * (cos_sun[:, None] + 1.0)
    cloud = np.array([1.0, 1.0, 1.0]) * (shade[:, None] + lit) * np.array([0.97, 0.97, 1.0])
    colour = colour + (np.minimum(cloud, 0.92) - colour) * (0.85 * cover)[:, None]

    # The sun: a bright disc with a tight glow around it.
    glow = np.exp(-angle / 2.2) * 0.55 + np.exp(-angle / 9.0) * 0.22
    colour = colour + warm * glow[:, None]
    disc = smoothstep(1.6, 1.2, angle)[:, None]
    colour = colour + (np.array([1.0, 1.0, 0.97]) - colour) * disc
    return np.clip(colour, 0.0, 1.0)


def atlas():
    noise = ValueNoise(SEED)
    image = np.zeros((2 * TILE, 3 * TILE, 3))
    k = (np.arange(TILE) - GUTTER + 0.5) / FACE * 2.0 - 1.0
    a, b = np.meshgrid(k, -k)  # image rows run from +v at the top down to -v
    for axis, u_axis, v_axis, col, row in FACES:
        d = (np.asarray(axis, dtype=np.float64)[None, None, :] + a[..., None] * np.asarray(u_axis)
             + b[..., None] * np.asarray(v_axis))
        d = d.reshape(-1, 3)
        d /= np.linalg.norm(d, axis=1, keepdims=True)
        tile = sky_colour(d, noise).reshape(TILE, TILE, 3)
        image[row * TILE:(row + 1) * TILE, col * TILE:(col + 1) * TILE] = tile
    return image


def cube():
    mesh = Mesh()
    width, height = 3 * TILE, 2 * TILE
    for axis, u_axis, v_axis, col, row in FACES:
        axis, u_axis, v_axis = (np.asarray(x, dtype=np.float64) for x in (axis, u_axis, v_axis))
        ids = []
        for sa, sb in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
            p = HALF_SIZE * (axis + sa * u_axis + sb * v_axis)
            u = (col * TILE + GUTTER + (sa + 1) / 2 * FACE) / width
            v = 1.0 - (row * TILE + GUTTER + (1 - sb) / 2 * FACE) / height
            ids.append(mesh.vertex(p, -axis, (u, v)))
        mesh.triangle(ids[0], ids[1], ids[2])
        mesh.triangle(ids[0], ids[2], ids[3])
    return mesh


def build(out_dir):
    save_jpeg(out_dir / "sky.jpg", atlas(), quality=88)
    write_mtl(out_dir / "customskybox.mtl", "sky", "sky.jpg", specular=(0, 0, 0), shininess=1.0)
    write_obj(out_dir / "customskybox.obj", cube(), "customskybox.mtl", "sky",
              comment="Sky box: cube -2..2, wound outwards (seen from inside with front faces culled).")
