# The cloud platform: a puffy cloud 2 x 0.6 x 2 units (x, z in -1..1, y in -0.3..0.3) with a nearly
# flat top to stand on, its tileable cloud texture and the matching tangent-space normal map, both
# derived from one height field.
import math

import numpy as np

from images import normal_map_from_height, save_jpeg, smoothstep, tileable_noise
from meshkit import Mesh, grid_surface, smooth_normals, write_mtl, write_obj

HALF_EXTENT = np.array([1.0, 0.3, 1.0])
CUBE_DIVISIONS = 16  # 6 faces x 16 x 16 quads x 2 = 3072 triangles
TEXTURE_SIZE = 512
SEED = 1207
TILES_PER_UNIT = 0.5
PLATEAU = 0.25
# Tilts the normals gently (a few degrees on average): relief, not ripples.
NORMAL_STRENGTH = 24.0


def _puffs(seed):
    """Ellipsoids (centre, radii) whose soft union is the cloud before its top is levelled: a wide
    flat body, a ring of round puffs along the rim, smaller ones hanging below and sitting on top."""
    rng = np.random.default_rng(seed)
    puffs = [((0.0, 0.0, 0.0), (0.78, 0.27, 0.78))]
    ring = 11
    for k in range(ring):
        angle = 2 * math.pi * (k + 0.4 * rng.random()) / ring
        radius = 0.24 + 0.09 * rng.random()
        reach = 0.97 - radius + 0.03 * rng.random()
        puffs.append(((reach * math.cos(angle), 0.03 * rng.standard_normal(), reach * math.sin(angle)),
                      (radius,) * 3))
    for k in range(8):
        angle = 2 * math.pi * (k + 0.5 + 0.3 * rng.random()) / 8
        reach = 0.3 + 0.35 * rng.random()
        radius = 0.2 + 0.07 * rng.random()
        puffs.append(((reach * math.cos(angle), -0.12, reach * math.sin(angle)), (radius, radius * 0.9, radius)))
    for k in range(7):
        angle = 2 * math.pi * (k + 0.2 + 0.5 * rng.random()) / 7
        reach = 0.35 + 0.3 * rng.random()
        radius = 0.2 + 0.06 * rng.random()
        puffs.append(((reach * math.cos(angle), 0.1, reach * math.sin(angle)), (radius,) * 3))
    return puffs


def _field(points, puffs):
    """Approximate signed distance to the puffs blended by a smooth minimum, so the creases
    between neighbouring puffs are rounded valleys rather than folds."""
    blend = 0.09
    result = None
    for centre, radii in puffs:
        r = np.asarray(radii, dtype=np.float64)
        q = (points - np.asarray(centre)) / r
        d = (np.linalg.norm(q, axis=-1) - 1.0) * r.min()
        if result is None:
            result = d
            continue
        h = np.clip(0.5 + 0.5 * (result - d) / blend, 0.0, 1.0)
        result = result * (1 - h) + d * h - blend * h * (1 - h)
    return result


def _surface_distance(directions, puffs):
    """Distance from the origin to the outermost crossing of the blended surface along each unit
    direction: marched inwards from outside, then refined by bisection."""
    steps = np.linspace(1.6, 0.0, 321)
    inside = _field(directions[:, None, :] * steps[None, :, None], puffs) < 0
    first = np.argmax(inside, axis=1)
    hi = steps[np.maximum(first - 1, 0)]
    lo = steps[first]
    for _ in range(30):
        mid = (lo + hi) / 2
        is_inside = _field(directions * mid[:, None], puffs) < 0
        lo = np.where(is_inside, mid, lo)
        hi = np.where(is_inside, hi, mid)
    return (lo + hi) / 2


def _shape(directions, puffs):
    d = directions / np.linalg.norm(directions, axis=-1, keepdims=True)
    p = d * _surface_distance(d, puffs)[:, None]
    # Level the top: what rises above the plateau is pressed down to a gentle undulation, with a
    # smooth bend rather than a crease where the pressing starts.
    above = p[:, 1] - PLATEAU
    softness = 0.03
    p[:, 1] = p[:, 1] - 0.75 * softness * np.logaddexp(0.0, above / softness)
    return p


_FACES = [  # outward axis, u axis, v axis (right-handed) for each cube face
    ((1, 0, 0), (0, 0, -1), (0, 1, 0)),
    ((-1, 0, 0), (0, 0, 1), (0, 1, 0)),
    ((0, 0, 1), (1, 0, 0), (0, 1, 0)),
    ((0, 0, -1), (-1, 0, 0), (0, 1, 0)),
    ((0, 1, 0), (1, 0, 0), (0, 0, -1)),
    ((0, -1, 0), (1, 0, 0), (0, 0, 1)),
]


def _cube_sphere_mesh(puffs):
    raw = Mesh()
    n = CUBE_DIVISIONS
    for axis, u_axis, v_axis in _FACES:
        axis, u_axis, v_axis = (np.asarray(a, dtype=np.float64) for a in (axis, u_axis, v_axis))

        def point(s, t, axis=axis, u_axis=u_axis, v_axis=v_axis):
            a = math.tan((s * 2 - 1) * math.pi / 4)
            b = math.tan((t * 2 - 1) * math.pi / 4)
            return axis + a * u_axis + b * v_axis

        grid_surface(raw, point, lambda s, t, p: (0, 1, 0), lambda s, t: (0, 0), n, n)
    directions = np.asarray(raw.positions)
    positions = _shape(directions, puffs)
    lo, hi = positions.min(axis=0), positions.max(axis=0)
    centre, half = (lo + hi) / 2, (hi - lo) / 2
    positions = (positions - centre) / half * HALF_EXTENT
    raw.positions = [tuple(p) for p in positions.tolist()]
    smooth_normals(raw, 5)
    _project_uvs(raw)
    return raw


def _project_uvs(mesh):
    """One projection from above for the whole cloud: the texture and the normal map's tangent
    frames then run on without a seam anywhere (a switch of projection shows up as a lit edge
    under the normal map). u follows +x and v follows -z, right-handed with the upward normal."""
    p = np.asarray(mesh.positions)
    u = 0.5 + p[:, 0] * TILES_PER_UNIT
    v = 0.5 - p[:, 2] * TILES_PER_UNIT
    mesh.uvs = list(zip(u.tolist(), v.tolist()))


def height_field():
    """Soft, rounded billows: broad lumps with a little finer grain, no sharp ridges."""
    base = tileable_noise(TEXTURE_SIZE, 4, 4, SEED, persistence=0.45)
    billow = np.abs(2.0 * tileable_noise(TEXTURE_SIZE, 6, 3, SEED + 1, persistence=0.4) - 1.0)
    return 0.7 * base + 0.3 * billow


def texture(height):
    h = (height - height.min()) / (height.max() - height.min())
    lit = smoothstep(0.15, 0.95, h)[..., None]
    shadow = np.array([0.84, 0.87, 0.93])
    bright = np.array([1.0, 1.0, 1.0])
    return shadow + (bright - shadow) * lit


def build(out_dir):
    height = height_field()
    save_jpeg(out_dir / "cloud.jpg", texture(height), quality=90)
    save_jpeg(out_dir / "cloud_texture_normal_map.jpg", normal_map_from_height(height, NORMAL_STRENGTH), quality=92)
    mesh = _cube_sphere_mesh(_puffs(SEED))
    write_mtl(out_dir / "cloudPlatform.mtl", "cloud", "cloud.jpg", specular=(0.05, 0.05, 0.05), shininess=4.0)
    write_obj(out_dir / "cloudPlatform.obj", mesh, "cloudPlatform.mtl", "cloud",
              comment="Cloud platform: x, z in -1..1, y in -0.3..0.3, nearly flat top near y = 0.3.")
    return mesh
