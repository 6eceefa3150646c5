#!/usr/bin/env bash
# vantor-bench for a few frames on the real data, run from elsewhere: the options reach the run
# (frame counts, effect switches and the passes they leave, the floor), the JSON, CSV and PNG come
# out, and a bad option is refused with status 2. The report's figures: bench_report_test.
# Usage: vantor_bench_test.sh GAME DATA_DIR (vantor-bench is found in the build beside GAME)
source "$(dirname "$0")/e2e_lib.sh"

bench=$(dirname "$(realpath "$1")")/../bench/vantor-bench
data=$(realpath "$2")
cd "$work"
"$bench" --frames 3 --warmup 1 --data "$data" --bloom 2 --json run.json --csv run.csv \
    --png last.png >run.txt 2>&1 || fail "vantor-bench failed: $(tail -n 5 run.txt)"
"$bench" --frames 2 --warmup 0 --data "$data" --no-floor --shadow off --lens 1 \
    --json second.json >second.txt 2>&1 || fail "second run failed: $(tail -n 5 second.txt)"
status=0
"$bench" --bloom 7 >bad.txt 2>&1 || status=$?
[ "$status" = 2 ] && grep -q "bad value for --bloom" bad.txt ||
    fail "--bloom 7 gave status $status and: $(cat bad.txt)"

python3 - <<'PY' || fail "the outputs do not follow the options"
import json, struct
run, second = json.load(open("run.json")), json.load(open("second.json"))
passes = lambda report: " | ".join(p["name"] for p in report["passes"])
png, rows = open("last.png", "rb").read(), open("run.csv").read().splitlines()
checks = [
    ((run["frames"], run["warmup"], run["width"], run["height"]), (3, 1, 1600, 900)),
    ((run["settings"]["bloom"], run["settings"]["lens"], run["floor"], second["floor"]),
     (2, 2, True, False)),
    (passes(run), "shadow map | shadow blur | scene | bloom bright | bloom blur | composition | "
                  "lens bright | lens blur | lens features | lens combine | overlay"),
    (passes(second), "scene | sprite flares | bloom bright | bloom blur | composition | overlay"),
    ((len(rows), len({len(row.split(",")) for row in rows})), (4, 1)),
    ((png[:8], struct.unpack(">II", png[16:24])), (b"\x89PNG\r\n\x1a\n", (1600, 900))),
]
failed = [(got, expected) for got, expected in checks if got != expected]
for got, expected in failed:
    print(f"  {got}, expected {expected}")
assert not failed
PY
echo "PASS"
