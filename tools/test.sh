#!/usr/bin/env bash
# Sets up, builds and runs every test: unit, widget and end-to-end. Benchmarks (label "bench",
# see tools/bench.sh) and the long sound soak (label "soak") are measurements, not tests, and do not
# run here. BUILD_DIR and CMAKE_ARGS may be set to test another configuration (see build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure --timeout 600 -LE '^(bench|soak)$' "$@"
