# Looks at the generated models the way a player would: an orthographic, textured, lit software
# render of each OBJ from several angles, plus a validity check (indices in range, normals and uvs
# present, triangle count, bounds). Writes /tmp/assetgen-preview/<model>.png.
import math
import pathlib
import sys

import numpy as np
from PIL import Image

MODELS = pathlib.Path(__file__).resolve().parents[2] / "data" / "Models"
OUT = pathlib.Path("/tmp/assetgen-preview")


def read_obj(path):
    v, vt, vn, faces, mtllib = [], [], [], [], None
    for line in path.read_text().splitlines():
        parts = line.split()
        if not parts:
            continue
        if parts[0] == "v":
            v.append([float(x) for x in parts[1:4]])
        elif parts[0] == "vt":
            vt.append([float(x) for x in parts[1:3]])
        elif parts[0] == "vn":
            vn.append([float(x) for x in parts[1:4]])
        elif parts[0] == "mtllib":
            mtllib = line.split(None, 1)[1]
        elif parts[0] == "f":
            corners = [tuple(int(i) - 1 for i in c.split("/")) for c in parts[1:]]
            for k in range(1, len(corners) - 1):
                faces.append((corners[0], corners[k], corners[k + 1]))
    faces = np.array(faces)
    assert faces.shape[1:] == (3, 3), "every face needs v/vt/vn"
    for column, array, name in ((0, v, "v"), (1, vt, "vt"), (2, vn, "vn")):
        idx = faces[:, :, column]
        assert idx.min() >= 0 and idx.max() < len(array), "%s index out of range in %s" % (name, path)
    texture = None
    if mtllib:
        for line in (path.parent / mtllib).read_text().splitlines():
            if line.startswith("map_Kd "):
                texture = np.asarray(Image.open(path.parent / line.split(None, 1)[1]).convert("RGBA"),
                                     dtype=np.float64) / 255.0
    return np.array(v), np.array(vt), np.array(vn), faces, texture


def look_matrix(yaw, pitch):
    y, p = math.radians(yaw), math.radians(pitch)
    ry = np.array([[math.cos(y), 0, -math.sin(y)], [0, 1, 0], [math.sin(y), 0, math.cos(y)]])
    rx = np.array([[1, 0, 0], [0, math.cos(p), -math.sin(p)], [0, math.sin(p), math.cos(p)]])
    return rx @ ry


def render(model, yaw, pitch, size=400, light=(0.4, 0.8, 0.6), background=(0.35, 0.55, 0.85),
           cull_back=True, centre=None, extent=None):
    v, vt, vn, faces, texture = model
    rot = look_matrix(yaw, pitch)
    p = v @ rot.T
    n = vn @ rot.T
    lo, hi = p.min(axis=0), p.max(axis=0)
    c = (lo + hi) / 2 if centre is None else rot @ np.asarray(centre)
    scale = 0.9 * size / (max(hi[0] - lo[0], hi[1] - lo[1]) if extent is None else extent)
    sx = (p[:, 0] - c[0]) * scale + size / 2
    sy = size / 2 - (p[:, 1] - c[1]) * scale
    image = np.empty((size, size, 3))
    image[:] = background
    depth = np.full((size, size), -np.inf)
    ldir = rot @ (np.asarray(light) / np.linalg.norm(light))
    for tri in faces:
        vi, ti, ni = tri[:, 0], tri[:, 1], tri[:, 2]
        x, y = sx[vi], sy[vi]
        area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0])
        # Screen y grows downwards, so counter-clockwise front faces have negative area here.
        if cull_back and area >= 0:
            continue
        if abs(area) < 1e-12:
            continue
        x0, x1 = max(int(math.floor(x.min())), 0), min(int(math.ceil(x.max())), size - 1)
        y0, y1 = max(int(math.floor(y.min())), 0), min(int(math.ceil(y.max())), size - 1)
        if x0 > x1 or y0 > y1:
            continue
        gx, gy = np.meshgrid(np.arange(x0, x1 + 1) + 0.5, np.arange(y0, y1 + 1) + 0.5)
        w0 = ((x[1] - gx) * (y[2] - gy) - (x[2] - gx) * (y[1] - gy)) / area
        w1 = ((x[2] - gx) * (y[0] - gy) - (x[0] - gx) * (y[2] - gy)) / area
        w2 = 1 - w0 - w1
        inside = (w0 >= 0) & (w1 >= 0) & (w2 >= 0)
        if not inside.any():
            continue
        z = w0 * p[vi[0], 2] + w1 * p[vi[1], 2] + w2 * p[vi[2], 2]
        region = depth[y0:y1 + 1, x0:x1 + 1]
        write = inside & (z > region)
        if not write.any():
            continue
        region[write] = z[write]
        nn = (w0[..., None] * n[ni[0]] + w1[..., None] * n[ni[1]] + w2[..., None] * n[ni[2]])[write]
        nn /= np.maximum(np.linalg.norm(nn, axis=1, keepdims=True), 1e-9)
        if not cull_back:
            nn = np.where((nn[:, 2:3] < 0), -nn, nn)
        shade = 0.35 + 0.65 * np.clip(nn @ ldir, 0, 1)
        if texture is not None:
            uv = (w0[..., None] * vt[ti[0]] + w1[..., None] * vt[ti[1]] + w2[..., None] * vt[ti[2]])[write]
            th, tw = texture.shape[:2]
            # The importer flips v and the image rows arrive top row first: v = 1 is the top row.
            col = np.clip(((uv[:, 0] % 1.0) * tw).astype(int), 0, tw - 1)
            row = np.clip(((1.0 - uv[:, 1] % 1.0) * th).astype(int), 0, th - 1)
            colour = texture[row, col, :3]
        else:
            colour = np.full((write.sum(), 3), 0.8)
        image[y0:y1 + 1, x0:x1 + 1][write] = colour * shade[:, None]
    return image


def sheet(name, views, scale=None, **kw):
    model = read_obj(MODELS / name)
    if scale is not None:
        v, vt, vn, faces, texture = model
        vn = vn / np.asarray(scale)
        model = (v * np.asarray(scale), vt, vn / np.linalg.norm(vn, axis=1, keepdims=True), faces, texture)
    v, _, _, faces, _ = model
    used = np.unique(faces[:, :, 0])
    lo, hi = v[used].min(axis=0), v[used].max(axis=0)
    print("%-22s triangles %5d  bounds min (%.4f, %.4f, %.4f) max (%.4f, %.4f, %.4f)"
          % (name, len(faces), *lo, *hi))
    tiles = [render(model, yaw, pitch, **kw) for yaw, pitch in views]
    image = np.concatenate(tiles, axis=1)
    OUT.mkdir(parents=True, exist_ok=True)
    stem = pathlib.Path(name).stem.replace(" ", "_") + ("_scaled" if scale is not None else "")
    Image.fromarray(np.clip(image * 255, 0, 255).astype(np.uint8)).save(OUT / (stem + ".png"))


VIEWS = {
    "Mark 5.obj": [(180, 10), (0, 10), (90, 10), (220, 30)],
    "cloudPlatform.obj": [(0, 5), (30, 35), (0, 90), (0, -60)],
    "flag.obj": [(0, 0), (60, 15), (90, 0)],
    "plane.obj": [(0, 0)],
    "bigGlow.obj": [(0, 0)],
    "smallGlow.obj": [(0, 0)],
    "hexaGlow.obj": [(0, 0)],
    "shinyGlow.obj": [(0, 0)],
}


def main(argv):
    if argv[1:] == ["sky"]:
        sky_views()
        return
    names = argv[1:] or list(VIEWS)
    for name in names:
        if (MODELS / name).exists():
            sheet(name, VIEWS.get(name, [(0, 0)]))
    if "flag.obj" in names:
        # As the goal's scale of 3 across and 1 up shows it in the level.
        sheet("flag.obj", [(0, 10), (40, 20), (200, 10)], scale=(3, 1, 3))


def sky_views():
    """Perspective views from the centre of the sky box through its own triangles and uvs
    (bilinear sampling), looking at the sun, along a cube edge and straight up at a corner."""
    v, vt, _, faces, texture = read_obj(MODELS / "customskybox.obj")
    th, tw = texture.shape[:2]
    tiles = []
    for forward in ((0.696, 0.174, -0.696), (1.0, 1.0, 0.02), (-1.0, 0.4, -1.0), (0.3, -0.6, 1.0)):
        f = np.asarray(forward) / np.linalg.norm(forward)
        right = np.cross(f, (0, 1, 0))
        right /= np.linalg.norm(right)
        up = np.cross(right, f)
        w, h = 640, 360
        half = math.tan(math.radians(22.5))
        xs = (np.arange(w) + 0.5 - w / 2) / (h / 2) * half
        ys = (h / 2 - np.arange(h) - 0.5) / (h / 2) * half
        gx, gy = np.meshgrid(xs, ys)
        d = f + gx[..., None] * right + gy[..., None] * up
        image = np.zeros((h, w, 3))
        for tri in faces:
            a, b, c = v[tri[:, 0]]
            # Ray from the origin against the triangle's plane, then barycentrics.
            n = np.cross(b - a, c - a)
            denom = d @ n
            with np.errstate(divide="ignore", invalid="ignore"):
                t = (a @ n) / denom
                hit = d * t[..., None]
                w1 = (np.cross(hit - a, c - a) @ n) / (n @ n)
                w2 = (np.cross(b - a, hit - a) @ n) / (n @ n)
            w0 = 1 - w1 - w2
            inside = (t > 0) & (w0 >= -1e-6) & (w1 >= -1e-6) & (w2 >= -1e-6)
            uv = w0[..., None] * vt[tri[0, 1]] + w1[..., None] * vt[tri[1, 1]] + w2[..., None] * vt[tri[2, 1]]
            x = uv[..., 0] * tw - 0.5
            y = (1 - uv[..., 1]) * th - 0.5
            x0 = np.clip(np.floor(x).astype(int), 0, tw - 2)
            y0 = np.clip(np.floor(y).astype(int), 0, th - 2)
            fx, fy = (x - x0)[..., None], (y - y0)[..., None]
            sample = ((texture[y0, x0, :3] * (1 - fx) + texture[y0, x0 + 1, :3] * fx) * (1 - fy)
                      + (texture[y0 + 1, x0, :3] * (1 - fx) + texture[y0 + 1, x0 + 1, :3] * fx) * fy)
            image[inside] = sample[inside]
        tiles.append(image)
    grid = np.concatenate([np.concatenate(tiles[:2], axis=1), np.concatenate(tiles[2:], axis=1)], axis=0)
    Image.fromarray(np.clip(grid * 255, 0, 255).astype(np.uint8)).save(OUT / "sky_views.png")


if __name__ == "__main__":
    main(sys.argv)
