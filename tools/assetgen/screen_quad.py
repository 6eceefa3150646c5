# The full-screen quad: one square spanning -1..1 in x and y at z = 0, uv 0..1, facing +z.
# It carries no material, so drawing it binds no texture over the pass's own inputs.
from meshkit import Mesh, write_obj


def build(out_dir):
    mesh = Mesh()
    corners = [(-1, -1), (1, -1), (1, 1), (-1, 1)]
    ids = [mesh.vertex((x, y, 0.0), (0, 0, 1), ((x + 1) / 2, (y + 1) / 2)) for x, y in corners]
    mesh.triangle(ids[0], ids[1], ids[2])
    mesh.triangle(ids[0], ids[2], ids[3])
    write_obj(out_dir / "plane.obj", mesh, comment="Full-screen quad: x, y in -1..1, uv 0..1.")
    return mesh
