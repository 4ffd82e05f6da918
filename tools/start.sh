#!/usr/bin/env bash
# Sets up, builds and starts Lexitor Trainer on the bundled word database.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target lexitor-trainer program_data
exec build/bin/lexitor-trainer
