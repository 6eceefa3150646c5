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
    raster(image, depth, sx, sy, p[:, 2], n, vt, faces, texture, ldir, cull_back)
    return image


def raster(image, depth, sx, sy, pz, n, vt, faces, texture, ldir, cull_back=True, ambient=0.35):
    """Fills the triangles into image where they are nearer (larger pz) than depth, lit by ldir
    (view space) and textured by the uvs the way the game samples them."""
    size_y, size_x = depth.shape
    for tri in faces:
        vi, ti, ni = tri[:, 0], tri[:, 1], tri[:, 2]
        x, y = sx[vi], sy[vi]
        area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0])
        # Screen y grows downwards, so counter-clockwise front faces have negative area here.
        if cull_back and area >= 0:
            continue
        if abs(area) < 1e-12:
            continue
        x0, x1 = max(int(math.floor(x.min())), 0), min(int(math.ceil(x.max())), size_x - 1)
        y0, y1 = max(int(math.floor(y.min())), 0), min(int(math.ceil(y.max())), size_y - 1)
        if x0 > x1 or y0 > y1:
            continue
        gx, gy = np.meshgrid(np.arange(x0, x1 + 1) + 0.5, np.arange(y0, y1 + 1) + 0.5)
        w0 = ((x[1] - gx) * (y[2] - gy) - (x[2] - gx) * (y[1] - gy)) / area
        w1 = ((x[2] - gx) * (y[0] - gy) - (x[0] - gx) * (y[2] - gy)) / area
        w2 = 1 - w0 - w1
        inside = (w0 >= 0) & (w1 >= 0) & (w2 >= 0)
        if not inside.any():
            continue
        z = w0 * pz[vi[0]] + w1 * pz[vi[1]] + w2 * pz[vi[2]]
        region = depth[y0:y1 + 1, x0:x1 + 1]
        write = inside & (z > region)
        if not write.any():
            continue
        region[write] = z[write]
        nn = (w0[..., None] * n[ni[0]] + w1[..., None] * n[ni[1]] + w2[..., None] * n[ni[2]])[write]
        nn /= np.maximum(np.linalg.norm(nn, axis=1, keepdims=True), 1e-9)
        if not cull_back:
            nn = np.where((nn[:, 2:3] < 0), -nn, nn)
        shade = ambient + (1 - ambient) * np.clip(nn @ ldir, 0, 1)
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
    if argv[1:] == ["scene"]:
        scene()
        scene(forward=(0.696, 0.1, -0.696), name="scene_sun.png")
        return
    names = argv[1:] or list(VIEWS)
    for name in names:
        if (MODELS / name).exists():
            sheet(name, VIEWS.get(name, [(0, 0)]))
    if "flag.obj" in names:
        # As the goal's scale of 3 across and 1 up shows it in the level.
        sheet("flag.obj", [(0, 10), (40, 20), (200, 10)], scale=(3, 1, 3))


def sky_image(forward, width, height):
    """The sky box seen from its centre along forward, through its own triangles and uvs."""
    v, vt, _, faces, texture = read_obj(MODELS / "customskybox.obj")
    th, tw = texture.shape[:2]
    f = np.asarray(forward, dtype=np.float64) / np.linalg.norm(forward)
    right = np.cross(f, (0, 1, 0))
    right /= np.linalg.norm(right)
    up = np.cross(right, f)
    half = math.tan(math.radians(22.5))
    xs = (np.arange(width) + 0.5 - width / 2) / (height / 2) * half
    ys = (height / 2 - np.arange(height) - 0.5) / (height / 2) * half
    gx, gy = np.meshgrid(xs, ys)
    d = f + gx[..., None] * right + gy[..., None] * up
    image = np.zeros((height, width, 3))
    for tri in faces:
        a, b, c = v[tri[:, 0]]
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
        x = np.nan_to_num(uv[..., 0] * tw - 0.5)
        y = np.nan_to_num((1 - uv[..., 1]) * th - 0.5)
        x0 = np.clip(np.floor(x).astype(int), 0, tw - 2)
        y0 = np.clip(np.floor(y).astype(int), 0, th - 2)
        fx, fy = np.clip(x - x0, 0, 1)[..., None], np.clip(y - y0, 0, 1)[..., None]
        sample = ((texture[y0, x0, :3] * (1 - fx) + texture[y0, x0 + 1, :3] * fx) * (1 - fy)
                  + (texture[y0 + 1, x0, :3] * (1 - fx) + texture[y0 + 1, x0 + 1, :3] * fx) * fy)
        image[inside] = sample[inside]
    return image, (f, right, up, half)


def sky_views():
    """Views from the centre of the sky box: at the sun, along a cube edge, at a corner, below."""
    tiles = [sky_image(f, 640, 360)[0]
             for f in ((0.696, 0.174, -0.696), (1.0, 1.0, 0.02), (-1.0, 0.4, -1.0), (0.3, -0.6, 1.0))]
    grid = np.concatenate([np.concatenate(tiles[:2], axis=1), np.concatenate(tiles[2:], axis=1)], axis=0)
    Image.fromarray(np.clip(grid * 255, 0, 255).astype(np.uint8)).save(OUT / "sky_views.png")


def level_records():
    records = []
    level = MODELS / "level.lvl"
    if level.exists():
        for line in level.read_text().splitlines():
            parts = line.split()
            if len(parts) >= 3 and parts[0] in ("p", "e"):
                triples = [[int(x, 0) for x in t.split("/")] for t in parts[1:]]
                records.append((parts[0], triples[0], triples[-1]))
    return records or [("p", [0, 0, 0], [5, 1, 5])]


def scene(figure_at=(0.0, 0.3, 0.0), forward=None, name="scene.png", width=800, height=450):
    """The start of the course as the game camera first sees it: the figure standing on the
    first platform, the next platforms and the goal with its flag, in front of the sky."""
    figure_at = np.asarray(figure_at)
    eye = figure_at + np.array([0.0, 10 * math.sin(math.radians(20)), 10 * math.cos(math.radians(20))])
    if forward is None:
        forward = figure_at - eye
    image, (f, right, up, half) = sky_image(forward, width, height)
    depth = np.full((height, width), -np.inf)
    sun = np.array([0.696, 0.174, -0.696])
    objects = [("Mark 5.obj", figure_at, (1, 1, 1))]
    for kind, position, scale in level_records():
        objects.append(("cloudPlatform.obj", np.asarray(position, dtype=float), scale))
        if kind == "e":
            goal = np.asarray(position, dtype=float) + np.array([2.0 * scale[0], 0, 0])
            objects[-1] = ("cloudPlatform.obj", goal, scale)
            objects.append(("flag.obj", goal + np.array([2.0 * scale[0], 4.0 * scale[1], 0]), scale))
    cache = {}
    for model_name, position, scale in objects:
        if model_name not in cache:
            cache[model_name] = read_obj(MODELS / model_name)
        v, vt, vn, faces, texture = cache[model_name]
        world = v * np.asarray(scale, dtype=float) + position
        normals = vn / np.asarray(scale, dtype=float)
        normals /= np.linalg.norm(normals, axis=1, keepdims=True)
        rel = world - eye
        cz = rel @ f
        if (cz < 0.5).all():
            continue
        cz = np.maximum(cz, 0.05)
        sx = width / 2 + (rel @ right) / cz / half * (height / 2)
        sy = height / 2 - (rel @ up) / cz / half * (height / 2)
        view_n = np.stack([normals @ right, normals @ up, -(normals @ f)], axis=1)
        ldir = np.array([sun @ right, sun @ up, -(sun @ f)])
        raster(image, depth, sx, sy, -cz, view_n, vt, faces, texture, ldir, ambient=0.55)
    Image.fromarray(np.clip(image * 255, 0, 255).astype(np.uint8)).save(OUT / name)


if __name__ == "__main__":
    main(sys.argv)
