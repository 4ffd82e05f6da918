#!/usr/bin/env bash
# Sets up and builds everything into BUILD_DIR (default build). CMAKE_ARGS adds configure options
# (CI uses them for the sanitizer build). Used by test.sh and bench.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
bash tools/setup.sh
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir"
