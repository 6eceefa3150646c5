#!/usr/bin/python3
# The pictures and figures of docs/frame.md, from a build's vantor-bench: every pass's output of
# one frame facing the light as thumbnails in docs/frame/, the diagram of the passes and the
# targets they read and write, and each pass's real and floor time, written into the page.
# Usage: scripts/frame_pictures.py [BUILD_DIR]   (default build-test; needs bench/vantor-bench)
# Starts its own Xvfb when no display is set. Needs ImageMagick.
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
PAGE = ROOT / "docs" / "frame.md"
PICTURES = ROOT / "docs" / "frame"

# The dumped frame follows the bench's own warm-up, by when the figure stands on its first cloud.
DUMP = ["--frames", "1", "--warmup", "30", "--no-floor", "--dump-view", "sun"]
# The timing runs, as the page quotes them.
TIMING = ["--frames", "10", "--warmup", "3"]
THUMB_WIDTH = 400
THUMB_ASPECT = 16 / 9
# Around what the light sees of the course in the shadow-map thumbnails, in map texels.
SHADOW_MARGIN = 80

# The diagram: one node per pass, keyed by its dump file name less the number and step, with the
# target it writes; each edge is a texture read by the next pass, with the setting it needs.
NODES = [
    ("shadow-map", "shadow map", "shadow"),
    ("shadow-blur", "shadow blur, 2 steps, each halving", "shadowBlur, then shadowSoft"),
    ("scene", "scene: sky box and objects", "scene"),
    ("sprite-flares", "sprite flares", "scene, on top"),
    ("bloom-bright", "bloom bright pass, a quarter of the picture", "bright"),
    ("bloom-blur", "bloom blur, 8 steps at 1/16",
     "level 2 of brightBlur and bright in turn, ends in bright"),
    ("composition", "composition", "compose with lens 2, else the screen"),
    ("lens-bright", "lens bright pass, a quarter of the picture", "bright"),
    ("lens-blur", "lens blur, 2 steps at 1/32", "level 3 of brightBlur, then of bright"),
    ("lens-features", "lens features, a quarter of the picture", "brightBlur"),
    ("lens-combine", "lens combine", "the screen"),
    ("final", "overlay: the final picture", "the screen"),
]
EDGES = [
    ("shadow-map", "shadow-blur", "shadow", "shadows on"),
    ("shadow-blur", "scene", "shadowSoft", "shadows on"),
    ("scene", "sprite-flares", "", "lens 1"),
    ("scene", "bloom-bright", "scene", "bloom 1-3"),
    ("sprite-flares", "bloom-bright", "scene", "lens 1"),
    ("bloom-bright", "bloom-blur", "bright", ""),
    ("bloom-blur", "composition", "bright", ""),
    ("scene", "composition", "scene", ""),
    ("composition", "lens-bright", "compose", "lens 2"),
    ("lens-bright", "lens-blur", "bright", ""),
    ("lens-blur", "lens-features", "bright", ""),
    ("lens-features", "lens-combine", "brightBlur", ""),
    ("composition", "lens-combine", "compose", "lens 2"),
    ("composition", "final", "", "lens 0, 1"),
    ("lens-combine", "final", "", ""),
]


def fail(message):
    sys.exit("frame_pictures: " + message)


def bench(binary, work, name, arguments):
    log = work / (name + ".txt")
    with open(log, "w") as out:
        status = subprocess.run([str(binary), "--data", str(ROOT / "data")] + arguments,
                                stdout=out, stderr=subprocess.STDOUT).returncode
    if status != 0:
        fail("vantor-bench %s failed:\n%s" % (" ".join(arguments),
                                               "\n".join(log.read_text().splitlines()[-5:])))


def step_stem(path):
    """'07-bloom-blur-2.png' -> 'bloom-blur-2'."""
    return path.stem.split("-", 1)[1]


def node_key(stem):
    return re.sub(r"-\d+$", "", stem)


def shadow_crop(dump):
    """A 16:9 box around what the shadow map holds, so the course is not a speck in the map, as
    fractions of the map's size: the blur's steps are smaller images of the same map."""
    shadow_map = next(dump.glob("*-shadow-map.png"), None)
    if shadow_map is None:
        return None
    size, box = subprocess.run(["convert", str(shadow_map), "-fuzz", "1%", "-format", "%w %@",
                                "info:"], capture_output=True, text=True, check=True).stdout.split()
    side = int(size)
    w, h, x, y = map(int, re.match(r"(\d+)x(\d+)\+(\d+)\+(\d+)", box).groups())
    if w <= 1 or h <= 1:
        return None
    width = min(side, w + 2 * SHADOW_MARGIN)
    height = min(side, max(h + 2 * SHADOW_MARGIN, round(width / THUMB_ASPECT)))
    left = min(max(0, x + w // 2 - width // 2), side - width)
    top = min(max(0, y + h // 2 - height // 2), side - height)
    return tuple(value / side for value in (width, height, left, top))


def thumbnail(source, target, crop=None):
    command = ["convert", str(source)]
    if crop:
        size = subprocess.run(["identify", "-format", "%w %h", str(source)], capture_output=True,
                              text=True, check=True).stdout.split()
        w, h = int(size[0]), int(size[1])
        box = (crop[0] * w, crop[1] * h, crop[2] * w, crop[3] * h)
        command += ["-crop", "%dx%d+%d+%d" % tuple(round(v) for v in box), "+repage"]
    command += ["-resize", "%dx" % THUMB_WIDTH, "-quality", "85", str(target)]
    subprocess.run(command, check=True)


def mermaid():
    lines = ["```mermaid", "flowchart TD"]
    for key, label, writes in NODES:
        lines.append('    %s["<b>%s</b><br/>writes %s"]' % (key.replace("-", "_"), label, writes))
    for source, target, texture, setting in EDGES:
        text = "%s (%s)" % (texture, setting) if texture and setting else texture or setting
        arrow = "-.->" if setting else "-->"
        label = '|"%s"|' % text if text else ""
        lines.append("    %s %s%s %s" % (source.replace("-", "_"), arrow, label,
                                          target.replace("-", "_")))
    lines.append("```")
    return "\n".join(lines)


def timing_table(run, load):
    rows = ["| pass | real ms | floor ms | real / floor |", "|---|--:|--:|--:|"]
    for p in run["passes"]:
        rows.append("| %s | %.1f | %.1f | %.2f |" % (p["name"], p["real_ms"], p["floor_ms"],
                                                     p["ratio"]))
    rows.append("| **whole frame** | **%.1f** | **%.1f** | **%.2f** |" % (
        run["draw_ms"]["median"], run["floor_draw_ms"]["median"], run["frame_ratio"]))
    rows.append("")
    rows.append("Renderer: %s (%s); pass timing: %s. %d cores, load average %.1f as the runs"
                " began (other work sharing the cores slows every pass)." %
                (run["renderer"], run["version"], run["timing"], os.cpu_count(), load))
    return "\n".join(rows)


def replace_block(text, name, content):
    pattern = re.compile(r"(<!-- %s -->\n).*?(<!-- /%s -->)" % (name, name), re.S)
    if not pattern.search(text):
        fail("the page has no %s block" % name)
    return pattern.sub(lambda m: m.group(1) + content + "\n" + m.group(2), text)


def fill_page(times, load):
    text = PAGE.read_text()
    text = replace_block(text, "diagram", mermaid())
    text = replace_block(text, "timings", timing_table(times["default"], load))

    def pass_time(match):
        name = match.group(2)
        run = times["sprites"] if name == "sprite flares" else times["default"]
        found = [p for p in run["passes"] if p["name"] == name]
        if not found:
            fail("no time for the pass " + name)
        figure = "%.1f ms real, %.1f ms floor" % (found[0]["real_ms"], found[0]["floor_ms"])
        return match.group(1) + figure + match.group(3)

    text = re.sub(r"(<!-- time: ([a-z ]+) -->).*?(<!-- /time -->)", pass_time, text)
    PAGE.write_text(text)


def main():
    build = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build-test").resolve()
    binary = build / "bench" / "vantor-bench"
    if not os.environ.get("DISPLAY"):
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1600x900x24", sys.executable,
                               __file__, str(build)])
    if not os.access(binary, os.X_OK):
        fail("no %s: build vantor-bench first" % binary)

    with tempfile.TemporaryDirectory() as scratch:
        work = pathlib.Path(scratch)
        bench(binary, work, "dump", DUMP + ["--dump-passes", str(work / "default")])
        bench(binary, work, "dump-sprites", DUMP + ["--lens", "1", "--dump-passes",
                                                    str(work / "sprites")])
        pictures = sorted((work / "default").glob("*.png"))
        pictures += sorted((work / "sprites").glob("*-sprite-flares.png"))
        # A pass added to or dropped from the frame must reach the diagram and the page too.
        keys = {key for key, _, _ in NODES}
        dumped = {node_key(step_stem(p)) for p in pictures}
        if dumped != keys:
            fail("the frame's passes and the diagram's differ: only in the frame %s, only in the"
                 " diagram %s" % (sorted(dumped - keys), sorted(keys - dumped)))

        times = {}
        load = os.getloadavg()[0]
        for name, switches in (("default", []), ("sprites", ["--lens", "1"])):
            bench(binary, work, "timing-" + name,
                  TIMING + switches + ["--json", str(work / (name + ".json"))])
            times[name] = json.loads((work / (name + ".json")).read_text())

        crop = shadow_crop(work / "default")
        shutil.rmtree(PICTURES, ignore_errors=True)
        PICTURES.mkdir(parents=True)
        for picture in pictures:
            stem = step_stem(picture)
            thumbnail(picture, PICTURES / (stem + ".jpg"), crop if "shadow" in stem else None)
        fill_page(times, load)
    missing = [name for name in re.findall(r"\(frame/([\w-]+\.jpg)\)", PAGE.read_text())
               if not (PICTURES / name).exists()]
    if missing:
        fail("the page shows pictures that were not made: " + ", ".join(missing))
    print("frame_pictures: %d thumbnails in %s, figures and diagram in %s" %
          (len(pictures), PICTURES.relative_to(ROOT), PAGE.relative_to(ROOT)))


if __name__ == "__main__":
    main()
