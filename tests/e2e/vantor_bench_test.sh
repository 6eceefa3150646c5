#!/usr/bin/env bash
# vantor-bench for a few frames on the real data: its JSON, CSV, PNG and table come out complete
# and consistent with the switches given, and a bad option is refused. Times are not checked.
# Usage: vantor_bench_test.sh GAME DATA_DIR (vantor-bench is found in the build beside GAME)
set -euo pipefail

game=$(realpath "$1")
data=$(realpath "$2")
bench=$(dirname "$game")/../bench/vantor-bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    exit 1
}

[ -x "$bench" ] || fail "no vantor-bench at $bench"

# Run from elsewhere: the bench finds its data through --data.
cd "$work"
"$bench" --frames 3 --warmup 1 --data "$data" --bloom 2 --json run.json --csv run.csv \
    --png last.png >run.txt 2>&1 || fail "vantor-bench failed: $(tail -5 run.txt)"
"$bench" --frames 2 --warmup 0 --data "$data" --no-floor --shadow off --lens 1 \
    --json second.json >second.txt 2>&1 || fail "second run failed: $(tail -5 second.txt)"

python3 - <<'PY' || fail "output does not parse or lacks fields"
import json, struct, sys

def check(condition, message):
    if not condition:
        print("  " + message)
        sys.exit(1)

run = json.load(open("run.json"))
for key in ("renderer", "version", "timing", "startup_ms", "initialize_ms", "kept_frame_copy_ms",
            "update_us", "render_frame_ms", "frame_cpu_ms", "draw_ms", "frame_ms", "fps",
            "floor_draw_ms", "frame_ratio",
            "passes", "settings"):
    check(key in run, "run.json has no " + key)
check(run["frames"] == 3 and run["warmup"] == 1, "frame counts not echoed")
check(run["width"] == 1600 and run["height"] == 900, "window size")
check(run["settings"]["bloom"] == 2 and run["settings"]["lens"] == 2, "settings not echoed")
check(run["renderer"] != "", "empty renderer string")
for stats in ("update_us", "render_frame_ms", "frame_cpu_ms", "frame_ms", "floor_draw_ms"):
    s = run[stats]
    check(0 <= s["median"] <= s["p95"] <= s["p99"], stats + " percentiles out of order")
check(run["startup_ms"] >= run["initialize_ms"] > 0, "start-up figures")
check(run["frame_ms"]["median"] > 0 and run["fps"] > 0, "frame time and rate")
names = [p["name"] for p in run["passes"]]
expected = ["shadow map", "shadow blur", "scene", "bloom bright", "bloom blur",
            "composition", "lens bright", "lens blur", "lens features", "lens combine", "overlay"]
check(names == expected, "passes %s, expected %s" % (names, expected))
for p in run["passes"]:
    check(p["real_ms"] >= 0 and p["floor_ms"] >= 0, "pass %s times" % p["name"])
    # The overlay draws no line by default and may round to zero; tiny passes round too far for a
    # ratio check.
    if p["name"] != "overlay":
        check(p["floor_ms"] > 0, "pass %s has no floor time" % p["name"])
    if p["floor_ms"] >= 1.0:
        check(abs(p["ratio"] - p["real_ms"] / p["floor_ms"]) < 0.01 + 0.01 * p["ratio"],
              "pass %s ratio" % p["name"])

rows = open("run.csv").read().splitlines()
header = rows[0].split(",")
check(header[:6] == ["frame", "update_us", "render_frame_ms", "draw_ms", "frame_ms",
                     "floor_draw_ms"], "csv header " + rows[0])
check(len(rows) == 4, "csv has %d rows, not 1 + 3" % len(rows))
for row in rows[1:]:
    cells = row.split(",")
    check(len(cells) == len(header), "csv row width")
    check(all(float(c) >= 0 for c in cells), "csv value")

png = open("last.png", "rb").read()
check(png[:8] == b"\x89PNG\r\n\x1a\n", "last.png is not a PNG")
check(struct.unpack(">II", png[16:24]) == (1600, 900), "last.png is not 1600x900")

second = json.load(open("second.json"))
names = [p["name"] for p in second["passes"]]
check("shadow map" not in names and "sprite flares" in names and "lens bright" not in names,
      "switched passes: %s" % names)
check(second["floor"] is False and second["frame_ratio"] == 0, "floor figures without floor")
PY

for line in "renderer: " "pass timing: " "start-up to first frame: " "updateWorld: median" \
    "frame (medians)" " FPS"; do
    grep -q "$line" run.txt || fail "table lacks '$line'"
done

status=0
"$bench" --bloom 7 >bad.txt 2>&1 || status=$?
[ "$status" = 2 ] || fail "a bad option gave status $status, not 2"
grep -q "bad value for --bloom" bad.txt || fail "a bad option is not named"
echo "vantor-bench output parses"
