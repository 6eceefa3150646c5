#!/usr/bin/env bash
# Builds the browser version into BUILD_DIR/site (default build-web): the game and the browser
# checks' program as JavaScript and WebAssembly with their data, beside the page. The model-import
# library for WebAssembly comes from web/assimp.sh's cache (built there once per version).
# Usage: web/build.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$root/build-web}
assimp=$("$root/web/assimp.sh")
# The compiler's JavaScript optimiser finds its parser among the system's Node.js modules.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
export EM_NODE_JS=${EM_NODE_JS:-$(command -v node)}
emcmake cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVANTOR_WASM_ASSIMP="$assimp" >/dev/null
cmake --build "$build_dir" -j "${VANTOR_JOBS:-2}"
echo "web/build.sh: the page is in $build_dir/site"
