#!/usr/bin/python3
# Regenerates every model and image under data/Models (except the level file) from fixed seeds,
# so the output bytes are the same on every run: python3 tools/assetgen/generate.py
import os
import pathlib
import sys

try:
    import numpy  # noqa: F401  (probing only)
    import PIL  # noqa: F401  (probing only)
except ImportError:
    # A private Python ahead of the system one on PATH may lack the Debian packages.
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import cloud  # noqa: E402
import figure  # noqa: E402
import flag  # noqa: E402
import font  # noqa: E402
import glows  # noqa: E402
import screen_quad  # noqa: E402
import sky  # noqa: E402

OUT = pathlib.Path(__file__).resolve().parents[2] / "data" / "Models"

STEPS = [
    ("Holstein.tga", lambda: font.build(OUT / "Holstein.tga")),
    ("plane.obj", lambda: screen_quad.build(OUT)),
    ("cloudPlatform.obj", lambda: cloud.build(OUT)),
    ("Mark 5.obj", lambda: figure.build(OUT)),
    ("customskybox.obj", lambda: sky.build(OUT)),
    ("flag.obj", lambda: flag.build(OUT)),
    ("bigGlow.obj", lambda: glows.build(OUT, "bigGlow")),
    ("smallGlow.obj", lambda: glows.build(OUT, "smallGlow")),
    ("hexaGlow.obj", lambda: glows.build(OUT, "hexaGlow")),
    ("shinyGlow.obj", lambda: glows.build(OUT, "shinyGlow")),
]


def main(argv):
    wanted = set(argv[1:])
    OUT.mkdir(parents=True, exist_ok=True)
    for name, step in STEPS:
        if wanted and name not in wanted:
            continue
        print("generating", name, flush=True)
        step()


if __name__ == "__main__":
    main(sys.argv)
