#!/usr/bin/env bash
# Builds the study library, the command-line tools and their tests with ThreadSanitizer into
# BUILD_DIR (default build-tsan), and runs the study and tool tests. Only those: they hold every
# thread of the history (the writer, the background work, the list switch); the word index's
# loader and the list files' job have tests of their own. The windows' tests would double the
# build for no thread of their own. Debian's Qt is not built for
# ThreadSanitizer: tools/tsan.supp leaves out what happens inside Qt's own libraries, and any
# report from our code fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build-tsan}
bash tools/setup.sh
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEXITOR_TSAN=ON \
  ${CMAKE_ARGS:-} >/dev/null
tests=$(ctest --test-dir "$build_dir" -N -R '^(study|tool)_|^words_tst_(wordindex|listfilejob)$' | awk '/Test +#/ {print $3}')
# shellcheck disable=SC2086
cmake --build "$build_dir" --target $tests lexitor-drill lexitor-words
# die_after_fork=0: tests start helpers (chattr, the tools) with QProcess, which execs at once.
export TSAN_OPTIONS="suppressions=$PWD/tools/tsan.supp halt_on_error=1 second_deadlock_stack=1 die_after_fork=0"
ctest --test-dir "$build_dir" --output-on-failure --timeout 900 -R '^(study|tool)_|^words_tst_(wordindex|listfilejob)$' \
  -LE '^(bench|soak)$' "$@"
