#!/usr/bin/env bash
# AddressSanitizer and UndefinedBehaviorSanitizer (at -O1, to keep the runs quick) over the unit
# suites, the GL suites of the file loaders (damaged files among their cases), and the real game
# for a few frames and keys; only these are built, and each suite runs as one process. Nothing is
# suppressed: the game run keeps the GL driver loaded to its end (see tests/e2e/sanitized_run.sh),
# so the driver's memory is reachable rather than reported.
# Usage: scripts/sanitize.sh BUILD_DIR   (starts its own Xvfb when there is no display)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$1
gl_suites=(gl_asset_files_test gl_model_import_test)
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1600x900x24" "$0" "$@"
fi
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 \
    -DVANTOR_WERROR=ON -DVANTOR_SANITIZE=ON -DVANTOR_BENCHMARKS=OFF >/dev/null
mapfile -t unit_suites < <(ninja -C "$build_dir" -t targets all |
    grep -oE '^unit_[a-z0-9_]+_test:' | tr -d : | sort -u)
cmake --build "$build_dir" --target vantor "${unit_suites[@]}" "${gl_suites[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
# The driver's shader disk cache keeps a writer thread that the driver's own exit handler tears
# down while the leak checker is stopping every thread; its tracer then faults now and then
# ("Tracer caught signal 11") and fails a test that passed. The cache only saves compile time on
# the next run, so these runs go without it: there is no such thread, and no report is hidden.
export MESA_SHADER_CACHE_DISABLE=true
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for suite in "${unit_suites[@]}" "${gl_suites[@]}"; do
    (cd "$build_dir/tests" && "./$suite" --gtest_brief=1) || status=1
done
bash "$root/tests/e2e/sanitized_run.sh" "$build_dir/src/vantor" "$root/data" || status=1
exit $status
