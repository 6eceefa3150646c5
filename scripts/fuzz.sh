#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs the level parser's for a while from the committed
# corpus (new inputs go to a scratch folder, so the corpus stays as committed). Any crash, leak,
# undefined behaviour or broken invariant fails the run and leaves the input in the build folder.
# Usage: scripts/fuzz.sh BUILD_DIR [SECONDS (60)]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$1
seconds=${2:-60}
CC=clang CXX=clang++ cmake -S "$root" -B "$build_dir" -G Ninja -DVANTOR_FUZZ=ON \
    -DVANTOR_TESTS=OFF -DVANTOR_BENCHMARKS=OFF -DVANTOR_WERROR=ON >/dev/null
cmake --build "$build_dir" --target level_fuzzer
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build_dir/fuzz-findings"
"$build_dir/fuzz/level_fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -dict="$root/fuzz/level.dict" -artifact_prefix="$build_dir/fuzz-findings/" \
    -print_final_stats=1 "$scratch" "$root/fuzz/corpus/level" 2>&1 |
    grep -E '^(#[0-9]+[[:space:]]+(INITED|DONE)|Done |stat::(number_of_executed_units|average_exec_per_sec)|==[0-9]+==|SUMMARY|.*(ERROR|WARNING|runtime error|deadly signal|Test unit written))'
