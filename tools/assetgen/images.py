# Image helpers: float arrays to deterministic JPEG/PNG/TGA files, plus small filters the
# texture generators share (value noise, blur, normal maps from height fields).
import struct

import numpy as np
from PIL import Image


def to_u8(array):
    return np.clip(np.rint(np.asarray(array, dtype=np.float64) * 255.0), 0, 255).astype(np.uint8)


def save_jpeg(path, rgb, quality=90):
    # Fixed encoder settings and no metadata keep the bytes identical from run to run.
    Image.fromarray(to_u8(rgb), "RGB").save(path, "JPEG", quality=quality, optimize=False,
                                             progressive=False, subsampling=0)


def save_png(path, rgba):
    Image.fromarray(to_u8(rgba), "RGBA").save(path, "PNG", optimize=False, compress_level=9)


def save_tga(path, rgba_u8):
    """Uncompressed 32-bit true-colour TGA, rows stored bottom row first (the format's default
    origin), BGRA byte order, 8 alpha bits declared in the descriptor."""
    height, width = rgba_u8.shape[:2]
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, width, height, 32, 8)
    bgra = rgba_u8[::-1, :, [2, 1, 0, 3]]
    with open(path, "wb") as f:
        f.write(header)
        f.write(np.ascontiguousarray(bgra).tobytes())


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def tileable_noise(size, periods, octaves, seed, persistence=0.5):
    """Fractal value noise on a size x size grid that wraps at the edges, values roughly in [0, 1]."""
    rng = np.random.default_rng(seed)
    total = np.zeros((size, size))
    amplitude, norm = 1.0, 0.0
    for octave in range(octaves):
        cells = periods * (2 ** octave)
        lattice = rng.random((cells, cells))
        coords = np.arange(size) * cells / size
        i0 = np.floor(coords).astype(int)
        f = coords - i0
        f = f * f * (3 - 2 * f)
        i1 = (i0 + 1) % cells
        i0 %= cells
        a = lattice[np.ix_(i0, i0)]
        b = lattice[np.ix_(i0, i1)]
        c = lattice[np.ix_(i1, i0)]
        d = lattice[np.ix_(i1, i1)]
        fy, fx = f[:, None], f[None, :]
        total += amplitude * ((a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy)
        norm += amplitude
        amplitude *= persistence
    return total / norm


def normal_map_from_height(height, strength):
    """Tangent-space normal map (x right along u, y up along the image's v, z out) encoded as
    0.5 + 0.5 * n. Image rows run top to bottom while v runs upwards, hence the sign on dy."""
    dx = (np.roll(height, -1, axis=1) - np.roll(height, 1, axis=1)) * 0.5
    dy = (np.roll(height, 1, axis=0) - np.roll(height, -1, axis=0)) * 0.5
    n = np.stack([-dx * strength, -dy * strength, np.ones_like(height)], axis=-1)
    n /= np.linalg.norm(n, axis=-1, keepdims=True)
    return 0.5 + 0.5 * n
