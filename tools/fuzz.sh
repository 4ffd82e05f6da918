#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz) with clang in their own build folder and runs each one
# for a bounded time, starting from its seed inputs in tests/fuzz/corpus/<target>/. Fails when any
# target crashes, leaks, hits undefined behaviour, runs out of memory or hangs on an input; the
# input that did it is kept in <build>/fuzz-artifacts/<target>/.
#
#   FUZZ_SECONDS     time per target (default 30)
#   FUZZ_BUILD_DIR   build folder (default build-fuzz)
#   CMAKE_ARGS       more configure arguments, e.g. -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
#   arguments        the targets to run (default: every target built)
#
# Reproduce a crash: <build>/fuzz/<target> <build>/fuzz-artifacts/<target>/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}

bash tools/setup.sh
# A tree of its own: the project's libraries a target links must be built by clang with the
# fuzzer's instrumentation. The tests are not needed there.
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DLEXITOR_FUZZ=ON -DLEXITOR_BUILD_TESTS=OFF ${CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" --target lexitor_fuzzers

passed=0
failed=()
for fuzzer in "$build_dir"/fuzz/*; do
  [ -f "$fuzzer" ] && [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qxF "$name"; then
    continue
  fi
  # New inputs go to a scratch corpus; the committed seeds stay as they are.
  corpus=$build_dir/fuzz-corpus/$name
  artifacts=$build_dir/fuzz-artifacts/$name
  log=$build_dir/fuzz-$name.log
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzzing $name for ${seconds} s"
  if "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$corpus" "tests/fuzz/corpus/$name" >"$log" 2>&1; then
    passed=$((passed + 1))
    grep -E '^stat::number_of_executed_units|^Done' "$log" || true
  else
    failed+=("$name")
    tail -n 60 "$log"
  fi
done

echo "fuzz targets run: $((passed + ${#failed[@]})), failing: ${#failed[@]} ${failed[*]:-}"
if [ $((passed + ${#failed[@]})) -eq 0 ]; then
  echo "no fuzz target was built" >&2
  exit 1
fi
[ ${#failed[@]} -eq 0 ]
