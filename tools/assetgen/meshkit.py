# Triangle mesh builder and Wavefront OBJ/MTL writer shared by every model generator.
# Meshes keep one position, normal and uv per corner, which is what the importer builds anyway
# (it joins no vertices), so hard and smooth edges are both just a matter of the normals given.
import math

import numpy as np


class Mesh:
    """Triangles with per-corner position, normal and uv; winding is counter-clockwise seen from
    the side the normal points to."""

    def __init__(self):
        self.positions = []
        self.normals = []
        self.uvs = []
        self.triangles = []

    def vertex(self, position, normal, uv):
        self.positions.append(tuple(float(c) for c in position))
        n = np.asarray(normal, dtype=np.float64)
        length = float(np.linalg.norm(n))
        n = n / length if length > 1e-12 else np.array([0.0, 1.0, 0.0])
        self.normals.append(tuple(float(c) for c in n))
        self.uvs.append((float(uv[0]), float(uv[1])))
        return len(self.positions) - 1

    def triangle(self, a, b, c):
        self.triangles.append((a, b, c))

    def extend(self, other):
        base = len(self.positions)
        self.positions += other.positions
        self.normals += other.normals
        self.uvs += other.uvs
        self.triangles += [(a + base, b + base, c + base) for a, b, c in other.triangles]
        return self

    def transformed(self, matrix, translation=(0.0, 0.0, 0.0)):
        """A copy moved by the 3x3 matrix then the translation; normals follow the inverse transpose."""
        m = np.asarray(matrix, dtype=np.float64)
        normal_matrix = np.linalg.inv(m).T
        out = Mesh()
        p = np.asarray(self.positions) @ m.T + np.asarray(translation)
        n = np.asarray(self.normals) @ normal_matrix.T
        n /= np.maximum(np.linalg.norm(n, axis=1, keepdims=True), 1e-12)
        out.positions = [tuple(r) for r in p.tolist()]
        out.normals = [tuple(r) for r in n.tolist()]
        out.uvs = list(self.uvs)
        out.triangles = list(self.triangles)
        if np.linalg.det(m) < 0:
            out.triangles = [(a, c, b) for a, b, c in out.triangles]
        return out

    def bounds(self):
        used = sorted({i for t in self.triangles for i in t})
        p = np.asarray(self.positions)[used]
        return p.min(axis=0), p.max(axis=0)


def rotation_y(degrees):
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    return np.array([[c, 0, s], [0, 1, 0], [-s, 0, c]])


def rotation_x(degrees):
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    return np.array([[1, 0, 0], [0, c, -s], [0, s, c]])


def rotation_z(degrees):
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    return np.array([[c, -s, 0], [s, c, 0], [0, 0, 1]])


def grid_surface(mesh, point_fn, normal_fn, uv_fn, nu, nv, flip=False):
    """Adds a (nu x nv)-quad surface sampled at parameters (s, t) in [0, 1]^2. point_fn(s, t) gives
    the position; normal_fn(s, t, p) the normal; uv_fn(s, t) the texture coordinate. Each quad is
    split along the shorter diagonal's direction consistently, wound so that the cross product of
    the s and t directions points outwards (reversed with flip)."""
    index = {}
    for j in range(nv + 1):
        for i in range(nu + 1):
            s, t = i / nu, j / nv
            p = point_fn(s, t)
            index[(i, j)] = mesh.vertex(p, normal_fn(s, t, p), uv_fn(s, t))
    for j in range(nv):
        for i in range(nu):
            a, b = index[(i, j)], index[(i + 1, j)]
            c, d = index[(i + 1, j + 1)], index[(i, j + 1)]
            if flip:
                mesh.triangle(a, c, b)
                mesh.triangle(a, d, c)
            else:
                mesh.triangle(a, b, c)
                mesh.triangle(a, c, d)
    return mesh


def fmt(value):
    text = "%.6f" % value
    return "0.000000" if text == "-0.000000" else text


def write_obj(path, mesh, material_file=None, material=None, comment=None):
    """Writes positions, uvs and normals as three de-duplicated lists (in first-use order) and
    one v/vt/vn triple per face corner."""
    tables = ({}, {}, {})
    corners = []
    for i in range(len(mesh.positions)):
        keys = (" ".join(fmt(c) for c in mesh.positions[i]), " ".join(fmt(c) for c in mesh.uvs[i]),
                " ".join(fmt(c) for c in mesh.normals[i]))
        corners.append(tuple(table.setdefault(key, len(table) + 1) for table, key in zip(tables, keys)))
    lines = []
    if comment:
        lines += ["# " + line for line in comment.splitlines()]
    if material_file:
        lines.append("mtllib " + material_file)
    lines.append("o " + path.stem.replace(" ", "_"))
    for prefix, table in zip(("v ", "vt ", "vn "), tables):
        lines += [prefix + key for key in table]
    if material:
        lines.append("usemtl " + material)
    lines.append("s off")
    for tri in mesh.triangles:
        lines.append("f " + " ".join("%d/%d/%d" % corners[i] for i in tri))
    path.write_text("\n".join(lines) + "\n", encoding="ascii")


def write_mtl(path, material, texture, diffuse=(1.0, 1.0, 1.0), specular=(0.2, 0.2, 0.2), shininess=20.0):
    lines = [
        "newmtl " + material,
        "Ka 0.000000 0.000000 0.000000",
        "Kd %s %s %s" % tuple(fmt(c) for c in diffuse),
        "Ks %s %s %s" % tuple(fmt(c) for c in specular),
        "Ns " + fmt(shininess),
        "d 1.000000",
        "illum 2",
        "map_Kd " + texture,
    ]
    path.write_text("\n".join(lines) + "\n", encoding="ascii")


def compact(mesh):
    """Drops vertices no triangle uses (keeps the order of those that remain)."""
    used = sorted({i for t in mesh.triangles for i in t})
    remap = {old: new for new, old in enumerate(used)}
    out = Mesh()
    out.positions = [mesh.positions[i] for i in used]
    out.normals = [mesh.normals[i] for i in used]
    out.uvs = [mesh.uvs[i] for i in used]
    out.triangles = [tuple(remap[i] for i in t) for t in mesh.triangles]
    return out


def smooth_normals(mesh, decimals):
    """Area-weighted vertex normals, shared by every vertex at the same position (rounded to
    `decimals` places), so seams where the surface was built in pieces stay smooth."""
    p = np.asarray(mesh.positions)
    tris = np.asarray(mesh.triangles)
    face = np.cross(p[tris[:, 1]] - p[tris[:, 0]], p[tris[:, 2]] - p[tris[:, 0]])
    keys = [tuple(np.round(q, decimals)) for q in p.tolist()]
    slot = {}
    ids = np.array([slot.setdefault(k, len(slot)) for k in keys])
    acc = np.zeros((len(slot), 3))
    for corner in range(3):
        np.add.at(acc, ids[tris[:, corner]], face)
    n = acc[ids]
    n /= np.maximum(np.linalg.norm(n, axis=1, keepdims=True), 1e-12)
    mesh.normals = [tuple(q) for q in n.tolist()]
