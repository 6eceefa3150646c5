# Lens-flare sprites: one quad each (in the xy plane, uv 0..1 across it) with a greyscale glow
# texture whose colour and alpha fall to zero at the edges, so a blended sprite shows only light: a
# big soft glow, wider than the sun's disc so that its soft edge lies on the sky around the sun, a
# small sharp ghost, a hexagonal aperture ghost and a streaky starburst.
import math

import numpy as np

from images import save_png, smoothstep
from meshkit import Mesh, write_mtl, write_obj

SIZE = 256
SEED = 77

# model file stem -> (half size of the quad in world units, texture painter)
HALF_SIZES = {"bigGlow": 7.0, "smallGlow": 0.8, "hexaGlow": 1.5, "shinyGlow": 1.2}


def _polar():
    k = (np.arange(SIZE) + 0.5) / SIZE * 2 - 1
    x, y = np.meshgrid(k, -k)
    return x, y, np.hypot(x, y), np.arctan2(y, x)


def big_glow():
    _, _, r, _ = _polar()
    a = 0.62 * np.exp(-(r / 0.42) ** 2) + 0.38 * np.exp(-(r / 0.12) ** 2)
    a += 0.08 * np.exp(-((r - 0.72) / 0.06) ** 2)  # a faint halo ring
    return a * smoothstep(1.0, 0.8, r)


def small_glow():
    _, _, r, _ = _polar()
    disc = smoothstep(0.62, 0.52, r) * (0.45 + 0.35 * (r / 0.6) ** 3)
    return np.clip(disc + 0.6 * np.exp(-(r / 0.18) ** 2), 0, 1) * smoothstep(1.0, 0.7, r)


def hexa_glow():
    x, y, r, _ = _polar()
    # Distance to a regular hexagon's edge (flat sides left and right).
    ax, ay = np.abs(x), np.abs(y)
    hex_d = np.maximum(ax * math.cos(math.radians(30)) + ay * 0.5, ay)
    edge = 0.78
    inside = smoothstep(edge + 0.04, edge - 0.04, hex_d)
    rim = np.exp(-((hex_d - edge + 0.05) / 0.06) ** 2)
    a = inside * (0.2 + 0.15 * (hex_d / edge) ** 2 + 0.3 * rim)
    return np.clip(a, 0, 1) * smoothstep(1.0, 0.9, r)


def shiny_glow():
    _, _, r, theta = _polar()
    rng = np.random.default_rng(SEED)
    streaks = np.zeros_like(r)
    for _ in range(48):
        angle = rng.random() * 2 * math.pi
        width = 0.01 + 0.03 * rng.random()
        length = 0.4 + 0.6 * rng.random()
        delta = np.angle(np.exp(1j * (theta - angle)))
        streaks += (0.3 + 0.7 * rng.random()) * np.exp(-(delta / width) ** 2) * np.clip(1 - r / length, 0, 1) ** 2
    for k in range(6):  # the six spikes of the aperture
        delta = np.angle(np.exp(1j * (theta - k * math.pi / 3 - 0.2)))
        streaks += 0.9 * np.exp(-(delta / 0.012) ** 2) * np.clip(1 - r, 0, 1) ** 1.5
    core = np.exp(-(r / 0.1) ** 2) + 0.35 * np.exp(-(r / 0.3) ** 2)
    return np.clip(core + 0.55 * streaks, 0, 1) * smoothstep(1.0, 0.85, r)


PAINTERS = {"bigGlow": big_glow, "smallGlow": small_glow, "hexaGlow": hexa_glow, "shinyGlow": shiny_glow}


def texture(alpha):
    # Colour carries the glow's brightness as well as alpha, so the sprite fades out whether a
    # shader uses the colour, the alpha or both.
    value = np.sqrt(np.clip(alpha, 0, 1))
    return np.stack([value, value, value, alpha], axis=-1)


def quad(half):
    mesh = Mesh()
    ids = [mesh.vertex((x * half, y * half, 0.0), (0, 0, 1), ((x + 1) / 2, (y + 1) / 2))
           for x, y in ((-1, -1), (1, -1), (1, 1), (-1, 1))]
    mesh.triangle(ids[0], ids[1], ids[2])
    mesh.triangle(ids[0], ids[2], ids[3])
    return mesh


def build(out_dir, name):
    half = HALF_SIZES[name]
    save_png(out_dir / (name + ".png"), texture(PAINTERS[name]()))
    write_mtl(out_dir / (name + ".mtl"), name, name + ".png", specular=(0, 0, 0), shininess=1.0)
    write_obj(out_dir / (name + ".obj"), quad(half), name + ".mtl", name,
              comment="Lens-flare sprite: quad of half size %g in the xy plane, uv 0..1." % half)
