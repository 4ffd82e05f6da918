#!/usr/bin/env bash
# Sets up, builds and runs every test: unit, widget and end-to-end. Benchmarks (ctest label
# bench) are left out: run them with `ctest --test-dir build -L bench`.
# BUILD_DIR and CMAKE_ARGS may be set to test another configuration (CI uses them for the
# sanitizer build).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
bash tools/setup.sh
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir"
ctest --test-dir "$build_dir" --output-on-failure --timeout 600 -LE bench "$@"
