#!/usr/bin/env bash
# Builds the monitor and the simulator out of tree, in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
