#!/usr/bin/env bash
# Sets up, builds and runs the benchmarks (ctest label "bench"), printing their figures: the
# question window and word store against their one-frame budget, start-up time, and whatever else
# carries the label. BUILD_DIR and CMAKE_ARGS work as for tools/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
ctest --test-dir "${BUILD_DIR:-build}" --verbose --timeout 1800 -L '^bench$' "$@" |
  grep -E 'QINFO|RESULT|msecs|median|mastery|Passed|Failed|tests passed' || true
test "${PIPESTATUS[0]}" -eq 0
