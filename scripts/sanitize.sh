#!/usr/bin/env bash
# Builds the unit tests with AddressSanitizer and UndefinedBehaviorSanitizer and runs them.
# Usage: scripts/sanitize.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$1
cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTOR_WERROR=ON \
    -DVANTOR_SANITIZE=ON -DVANTOR_BENCHMARKS=OFF >/dev/null
mapfile -t targets < <(ninja -C "$build_dir" -t targets all | grep -oE '^unit_[a-z0-9_]+_test:' | tr -d : |
    sort -u)
if [ ${#targets[@]} -eq 0 ]; then
    echo "No unit tests to run under the sanitizers."
    exit 0
fi
cmake --build "$build_dir" --target "${targets[@]}"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if [ -f "$root/scripts/lsan.supp" ]; then
    export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp
fi
cd "$build_dir"
ctest --output-on-failure -j2 -L unit
